// The windows of the program, in the order the application creates them. Windows reach
// each other through this list; the application object owns them.
#pragma once

#include <vector>

class QWidget;

namespace horavant {

class TEinloggenForm;
class TBenutzerVerwaltenForm;
class TBenutzerBearbeitenForm;
class TAdminPassForm;
class TAdminForm;
class TVorgabeTexteForm;
class MainWindow;
class TErfassenForm;
class TDatenAuflistenForm;
class TMitarbeiterAussuchenForm;
class TAuswertenForm;
class TPausenForm;
class TTranslateForm;
class TDatensicherungForm;
class TSollzeitenForm;
class TAbwesenheitenForm;
class TProtokollForm;

struct Windows {
    TEinloggenForm* einloggen = nullptr;
    TBenutzerVerwaltenForm* benutzerVerwalten = nullptr;
    TBenutzerBearbeitenForm* benutzerBearbeiten = nullptr;
    TAdminPassForm* adminPass = nullptr;
    TAdminForm* admin = nullptr;
    TVorgabeTexteForm* vorgabeTexte = nullptr;
    MainWindow* main = nullptr;  // the administration window, TMainForm
    TErfassenForm* erfassen = nullptr;
    TDatenAuflistenForm* datenAuflisten = nullptr;
    TMitarbeiterAussuchenForm* mitarbeiterAussuchen = nullptr;
    TAuswertenForm* auswerten = nullptr;
    TPausenForm* pausen = nullptr;
    TTranslateForm* translate = nullptr;
    // Created after the thirteen, so their order stays.
    TDatensicherungForm* datensicherung = nullptr;
    TSollzeitenForm* sollzeiten = nullptr;
    TAbwesenheitenForm* abwesenheiten = nullptr;
    TProtokollForm* protokoll = nullptr;

    // All of them, in creation order.
    std::vector<QWidget*> list;
};

}  // namespace horavant
