// The texts of the message table, exactly as the program shows them in German.
#include "i18n/message_table.h"

namespace horavant {

extern const std::array<std::u16string_view, kMessageCount + 1> MessageTable = {
    u"",
    u"Bitte schließen Sie das Programm und starten Sie es erneut.",
    u"Übersetzen",
    u"Das Passwort oder der Benutzername war leider falsch.",
    u"Fehler beim Einloggen",
    u"Die zwei eingegebenen Passwörter stimmen nicht überein!",
    u"Auswertung",
    u"Hiermit löschen Sie den folgenden Mitarbeiter:",
    u"Löschen",
    u"Das Feld für den Ort darf nicht leer sein!",
    u"Das Feld für die Tätigkeit darf nicht leer sein!",  // 10
    u"Die Von- und Bis-Zeit muss unterschiedlich sein!",
    u"Die Bis-Zeit muss größer als die Von-Zeit sein!",
    u"Die Pauszeit kann nicht länger als der Arbeitszeitraum sein!",
    u"Für diesen Zeitraum existiert bereits eine Buchung. Trotzdem buchen?",
    u"Doppelte Buchung?",
    u"Pausen:",
    u"",
    u"",
    u"Das Passwort war leider falsch.",
    u"",  // 20
    u"",
    u"",
    u"Auswertung Mitarbeiter",
    u"Zeitraum von:",
    u"bis:",
    u"Auswärts",
    u"Auswärtsübernachtungen:",
    u"Abgezogene Pausenzeit in Stunden:",
    u"Gesamtstunden:",
    u"Es gibt noch keine Buchungen von irgendeinem Mitarbeiter.",  // 30
    u"Auswertung Ort/Baustelle/Kunde",
    u"Es gibt noch keine Buchungen von irgendeinem Ort.",
    u"Es gibt noch keine Buchungen von irgendeiner Tätigkeit.",
    u"Auswertung Tätigkeit",
    u"Pause",
    u"Datum",
    u"Ort",
    u"Tätigkeit",
    u"Von",
    u"Bis",  // 40
    u"Übernachtung",
    u"Bemerkungen",
    u"Mitarbeiter",
    u"Arbeiter",
    u"Zeit von",
    u"Zeit bis",
    u"Auswaerts",
    u"Doppelt",
};

}  // namespace horavant
