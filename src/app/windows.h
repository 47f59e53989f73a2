// The thirteen windows of the program, in the order the application creates them. Windows reach
// each other through this list; the application object owns them.
#pragma once

namespace horavant {

class TEinloggenForm;
class TBenutzerVerwaltenForm;
class TBenutzerBearbeitenForm;
class TAdminPassForm;
class TAdminForm;
class TVorgabeTexteForm;
class TMainForm;
class TErfassenForm;
class TDatenAuflistenForm;
class TMitarbeiterAussuchenForm;
class TAuswertenForm;
class TPausenForm;
class TTranslateForm;

struct Windows {
    TEinloggenForm* einloggen = nullptr;
    TBenutzerVerwaltenForm* benutzerVerwalten = nullptr;
    TBenutzerBearbeitenForm* benutzerBearbeiten = nullptr;
    TAdminPassForm* adminPass = nullptr;
    TAdminForm* admin = nullptr;
    TVorgabeTexteForm* vorgabeTexte = nullptr;
    TMainForm* main = nullptr;
    TErfassenForm* erfassen = nullptr;
    TDatenAuflistenForm* datenAuflisten = nullptr;
    TMitarbeiterAussuchenForm* mitarbeiterAussuchen = nullptr;
    TAuswertenForm* auswerten = nullptr;
    TPausenForm* pausen = nullptr;
    TTranslateForm* translate = nullptr;
};

}  // namespace horavant
