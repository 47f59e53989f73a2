// Translating the windows at start-up and choosing the language: the walk's order and rules as
// the store records them, the controls it must leave alone, and the language menu's file and box.
#include "gui_support.h"

#include "admin/admin_form.h"
#include "admin/admin_pass_form.h"
#include "admin/benutzer_bearbeiten_form.h"
#include "app/main_form.h"
#include "evaluation/mitarbeiter_aussuchen_form.h"
#include "recording/erfassen_form.h"
#include "recording/vorgabe_texte_form.h"
#include "i18n/message_table.h"
#include "i18n/shipped_translations.h"
#include "translation_editor/translate_form.h"
#include "recording/einloggen_form.h"
#include "ui/db_navigator.h"
#include "ui/string_grid.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include <gmock/gmock.h>

#include <algorithm>

namespace horavant::test {
namespace {

using testing::ElementsAreArray;
using Row = std::vector<std::u16string>;

class TranslationTest : public AppTest {
protected:
    TEinloggenForm& login() { return *windows().einloggen; }
    QAction* item(const char* name) { return login().findChild<QAction*>(QString::fromLatin1(name)); }

    // translate.dat with rows of German, English and Spanish texts.
    void writeStore(const std::vector<Row>& rows)
    {
        TranslationStore store(dir / "translate.dat");
        TranslationStore::SaveBatch batch(store);
        for (const Row& row : rows) {
            store.Translate(row[0]);
            for (std::size_t c = 1; c < row.size(); ++c)
                store.setCell(store.rowCount() - 1, static_cast<int>(c), row[c]);
        }
        batch.finish();
        store.SaveTranslations();
    }

    static std::vector<std::u16string> messages()
    {
        std::vector<std::u16string> texts;
        for (int n = 1; n <= kMessageCount; ++n) {
            if (!MessageTable[static_cast<std::size_t>(n)].empty())
                texts.emplace_back(MessageTable[static_cast<std::size_t>(n)]);
        }
        return texts;
    }

    static std::ptrdiff_t position(const std::vector<std::u16string>& texts, std::u16string_view text)
    {
        const auto it = std::find(texts.begin(), texts.end(), text);
        EXPECT_NE(it, texts.end()) << qs(std::u16string(text)).toStdString() << " is not in the store";
        return it - texts.begin();
    }

    std::vector<bool> ticks()
    {
        return {item("Deutsch1")->isChecked(), item("English1")->isChecked(), item("Espanol1")->isChecked()};
    }
};

// A start without options.dat takes the desktop's language and keeps it.
TEST_F(TranslationTest, WithoutAnOptionsFileTheDesktopsLanguageIsTickedAndEveryWindowIsTranslated)
{
    std::filesystem::remove(dir / "options.dat");
    const QByteArray before = qgetenv("LC_ALL");
    const bool wasSet = qEnvironmentVariableIsSet("LC_ALL");
    qputenv("LC_ALL", "es_ES.UTF-8");
    writeStore({{u"Programm beenden", u"Quit", u"Salir"},
                {u"Sprache", u"Language", u"Idioma"},
                {u"Zurück...", u"Back...", u"Atrás..."},
                {u"Erster Datensatz", u"First", u"Primero"},
                {u"Auswertung nach Mitarbeiter", u"By employee", u"Por empleado"},
                {u"Mitarbeiter:", u"Employee:", u"Empleado:"}});
    start();
    if (wasSet)
        qputenv("LC_ALL", before);
    else
        qunsetenv("LC_ALL");

    EXPECT_EQ(ticks(), (std::vector<bool> {false, false, true}));
    EXPECT_EQ(application().store().CurrentLanguage(), 2);
    EXPECT_EQ(readFile(dir / "options.dat"), std::string("\x02\0\0\0", 4));
    // The first window, the last window, a menu, a navigator's button, a hint, a labelled edit.
    EXPECT_EQ(child<QPushButton>(&login(), "BeendenBtn")->text(), "Salir");
    EXPECT_EQ(login().findChild<QMenu*>("Sprache1")->title(), "Idioma");
    EXPECT_EQ(child<QPushButton>(windows().translate, "BackBtn")->text(), "Atrás...");
    QWidget* main = windows().main;
    EXPECT_EQ(child<DbNavigator>(main, "DBNavigator1")->button(DbNavigator::First)->toolTip(), "Primero");
    EXPECT_EQ(child<DbNavigator>(main, "DBNavigator1")->button(DbNavigator::First)->accessibleName(), "Primero");
    EXPECT_EQ(child<QPushButton>(main, "BitBtn2")->toolTip(), "Por empleado");
    EXPECT_EQ(child<QLabel>(windows().benutzerBearbeiten, "LabeledEdit1Label")->text(), "Empleado:");
    // A translated text keeps the store as it was; only new texts are added.
    const std::vector<std::u16string> texts = storedGermanTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), u"Programm beenden"), 1);
}

TEST_F(TranslationTest, InGermanNoWindowIsWalkedButTheMessagesAreRegistered)
{
    writeStore({{u"Programm beenden", u"Quit", u"Salir"}});
    start();
    EXPECT_EQ(ticks(), (std::vector<bool> {true, false, false}));
    EXPECT_EQ(child<QPushButton>(&login(), "BeendenBtn")->text(), "Programm beenden");
    std::vector<std::u16string> expected = {u"Programm beenden"};
    for (const std::u16string& m : messages())
        expected.push_back(m);
    EXPECT_THAT(storedGermanTexts(), ElementsAreArray(expected));
}

TEST_F(TranslationTest, AnEmptyStoreGathersEveryTextInTheOrderOfTheWalk)
{
    writeLanguage(1);
    start([this] {
        // A hint on a check box, and a combo box holding items.
        child<QCheckBox>(windows().erfassen, "AuswertsCheck")->setToolTip(QStringLiteral("Auswärts übernachtet"));
        auto* combo = child<QComboBox>(windows().mitarbeiterAussuchen, "ArbeiterEd");
        combo->addItems(
            {QStringLiteral("Anna"), QStringLiteral("Bernd"), QStringLiteral("Carla"), QStringLiteral("Dora")});
    });

    const std::vector<std::u16string> texts = storedGermanTexts();
    const std::vector<std::u16string> registered = messages();
    ASSERT_GT(texts.size(), registered.size() + 40);
    EXPECT_TRUE(std::equal(registered.begin(), registered.end(), texts.begin()));

    // The windows' titles, the last created first ("Übersetzen" and "Auswertung" are messages),
    // then the controls of the last window, the change journal's, and of the absences, each from
    // its last to its first ("Löschen" is a message; the absences' "Schließen" and "Mitarbeiter:"
    // were met in the journal's window).
    const std::vector<std::u16string> walked(texts.begin() + static_cast<std::ptrdiff_t>(registered.size()),
                                             texts.begin() + static_cast<std::ptrdiff_t>(registered.size()) + 31);
    EXPECT_THAT(walked, ElementsAreArray<std::u16string>({
                            u"Änderungsprotokoll",
                            u"Abwesenheiten",
                            u"Sollzeiten",
                            u"Datensicherung",
                            u"Pausenzeiten eingeben",
                            u"Mitarbeiter/Ort/Tätigkeit auswählen",
                            u"Daten auflisten",
                            u"Arbeitszeit erfassen",
                            u"Ombrix Horavant 1.0",
                            u"Vorgabetexte für das Ausfüllen",
                            u"Admin Menü",
                            u"Admin Passwort eingeben",
                            u"Benutzer bearbeiten",
                            u"Benutzer verwalten",
                            u"Als Benutzer einloggen",
                            u"Schließen",
                            u"Als PDF speichern...",
                            u"Als CSV speichern...",
                            u"Prüfen",
                            u"Datum bis:",
                            u"Datum von:",
                            u"Mitarbeiter:",
                            u"Hinzufügen",
                            u"Bemerkung:",
                            u"Bis:",
                            u"Von:",
                            u"Urlaub",
                            u"Krank",
                            u"Freizeitausgleich",
                            u"Sonstiges",
                            u"Art:",
                        }));
    // Components owned by components come last: the data list's navigator, its buttons reversed.
    const std::vector<std::u16string> last(texts.end() - 10, texts.end());
    EXPECT_THAT(last, ElementsAreArray<std::u16string>({
                          u"Daten neu einlesen",
                          u"Änderungen verwerfen",
                          u"Änderungen speichern",
                          u"Datensatz bearbeiten",
                          u"Datensatz löschen",
                          u"Datensatz einfügen",
                          u"Letzter Datensatz",
                          u"Nächster Datensatz",
                          u"Vorheriger Datensatz",
                          u"Erster Datensatz",
                      }));
    // A check box's hint before its caption; a button's caption before its hint.
    EXPECT_LT(position(texts, u"Auswärts übernachtet"), position(texts, u"Auswertsübernachtung"));
    EXPECT_LT(position(texts, u"Auswertung..."), position(texts, u"Auswertung nach Ort/Baustelle"));
    EXPECT_LT(position(texts, u"Auswertung nach Ort/Baustelle"), position(texts, u"Auswertung nach Mitarbeiter"));
    // Menus and their items, the named separator included; list-view headers; combo items.
    for (const std::u16string_view text : {u"Sprache", u"Español", u"-", u"Pausenzeit in Auswertung aufführen",
                                           u"Name des Mitarbeiters", u"Passwort", u"Anna", u"Dora", u"Mitarbeiter:"})
        EXPECT_GE(position(texts, text), 0);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), u"Auswertung..."), 1);
    // Menu items have no hints: the tooltip Qt makes from a caption ending in "..." is not one.
    for (const std::u16string_view text : {u"Auswertung nach Tätigkeit", u"Administrator Passwort festlegen",
                                           u"Vorgabetexte für das Ausfüllen festlegen"})
        EXPECT_EQ(std::find(texts.begin(), texts.end(), text), texts.end()) << qs(std::u16string(text)).toStdString();

    // A text new to the store is shown in its shipped translation at once.
    EXPECT_EQ(child<QPushButton>(&login(), "BeendenBtn")->text(), "Exit program");
}

TEST_F(TranslationTest, ComboKeepsItsSelectedItemAndShowsItTranslated)
{
    writeLanguage(2);
    writeStore({{u"Bernd", u"", u"Bernardo"}, {u"Carla", u"", u"Carlota"}});
    start([this] {
        auto* combo = child<QComboBox>(windows().mitarbeiterAussuchen, "ArbeiterEd");
        combo->addItems({QStringLiteral("Anna"), QStringLiteral("Bernd"), QStringLiteral("Carla")});
        combo->setCurrentIndex(2);
        // An editable one with no item selected and a text typed in.
        auto* place = child<QComboBox>(windows().erfassen, "Orted");
        place->addItems({QStringLiteral("Bernd")});
        place->setCurrentIndex(-1);
        place->setEditText(QStringLiteral("Carla"));
    });
    EXPECT_EQ(child<QComboBox>(windows().erfassen, "Orted")->currentText(), "Carla");
    EXPECT_EQ(child<QComboBox>(windows().erfassen, "Orted")->itemText(0), "Bernardo");
    auto* combo = child<QComboBox>(windows().mitarbeiterAussuchen, "ArbeiterEd");
    EXPECT_EQ(combo->currentIndex(), 2);
    EXPECT_EQ(combo->currentText(), "Carlota");
    EXPECT_EQ(combo->itemText(0), "Anna");
    EXPECT_EQ(combo->itemText(1), "Bernardo");
}

TEST_F(TranslationTest, PasswordsAndDefaultTextsNeverReachTheStore)
{
    writeLanguage(2);
    writeStore({{u"Dach decken", u"Roofing", u"Techar"}});
    start([this] {
        child<QLineEdit>(&login(), "Edit2")->setText(QStringLiteral("geheim-login"));
        child<QLineEdit>(windows().adminPass, "Edit1")->setText(QStringLiteral("geheim-prompt"));
        child<QLineEdit>(windows().admin, "Edit1")->setText(QStringLiteral("geheim-admin1"));
        child<QLineEdit>(windows().admin, "Edit2")->setText(QStringLiteral("geheim-admin2"));
        child<QPlainTextEdit>(windows().vorgabeTexte, "Memo1")->setPlainText(QStringLiteral("Dach decken\nMauern"));
        child<QPlainTextEdit>(windows().vorgabeTexte, "Memo2")->setPlainText(QStringLiteral("Streichen"));
    });
    const std::vector<std::u16string> texts = storedGermanTexts();
    for (const std::u16string_view text :
         {u"geheim-login", u"geheim-prompt", u"geheim-admin1", u"geheim-admin2", u"Mauern", u"Streichen"})
        EXPECT_EQ(std::find(texts.begin(), texts.end(), text), texts.end());
    // The administrator's list keeps its own words, though the store knows a translation.
    EXPECT_EQ(child<QPlainTextEdit>(windows().vorgabeTexte, "Memo1")->toPlainText(), "Dach decken\nMauern");
    EXPECT_EQ(child<QLineEdit>(windows().admin, "Edit1")->text(), "geheim-admin1");
}

TEST_F(TranslationTest, ChoosingALanguageStoresItAtOnceAndAsksForARestartInThatLanguage)
{
    writeStore({{MessageTable[1].data(), u"Please close the program and start it again."},
                {MessageTable[2].data(), u"Translate"}});
    start();
    ASSERT_EQ(ticks(), (std::vector<bool> {true, false, false}));

    QString text, title, again;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    ModalScript script;
    script.answer(QMessageBox::Ok, &text, &title, &icon).answer(QMessageBox::Ok, &again);
    item("English1")->trigger();
    EXPECT_EQ(readFile(dir / "options.dat"), std::string("\x01\0\0\0", 4));
    EXPECT_EQ(text, "Please close the program and start it again.");
    EXPECT_EQ(title, "Translate");
    EXPECT_EQ(icon, QMessageBox::Information);
    EXPECT_EQ(ticks(), (std::vector<bool> {false, true, false}));
    EXPECT_EQ(child<QPushButton>(&login(), "BeendenBtn")->text(), "Programm beenden");

    // The ticked item again: the same value saved anew, the same box again.
    std::filesystem::remove(dir / "options.dat");
    item("English1")->trigger();
    EXPECT_EQ(readFile(dir / "options.dat"), std::string("\x01\0\0\0", 4));
    EXPECT_EQ(again, "Please close the program and start it again.");
    EXPECT_EQ(ticks(), (std::vector<bool> {false, true, false}));
    EXPECT_EQ(script.handled(), 2);
}

// The notice's row was deleted in the editor, and the disk is full: the lookup adds the row again
// and cannot save it. That is reported, and the notice still comes; the program goes on.
TEST_F(TranslationTest, TheRestartNoticeComesThoughItsNewRowCannotBeSaved)
{
    start();
    TranslationStore& store = application().store();
    for (int r = 0; r < store.rowCount(); ++r) {
        if (store.cell(r, 0) == MessageTable[1])
            store.deleteRow(r);
    }
    QString error, notice;
    // The day's backup, which the start leaves to a thread of its own, is made before the disk fills.
    finishTheDaysBackup();
    {
        FileSizeLimit full(100);
        ModalScript script;
        script.answer(QMessageBox::Ok, &error).answer(QMessageBox::Ok, &notice);
        item("English1")->trigger();
    }
    EXPECT_THAT(error.toStdString(), testing::HasSubstr("translate.dat"));
    // The row is in the store although it could not be saved, with its shipped English.
    EXPECT_EQ(notice, qs(std::u16string(shippedTranslations().text(MessageTable[1], 1))));
    EXPECT_EQ(readFile(dir / "options.dat"), std::string("\x01\0\0\0", 4));
}

TEST_F(TranslationTest, ClosingTheEditorAlwaysAsksForARestart)
{
    start();
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int rows = 0;
    ModalScript script;
    script
        .then([&](QWidget* modal) {
            ASSERT_EQ(modal, windows().translate);
            rows = child<StringGrid>(modal, "StringGrid1")->rowCount();
            clickLater(child<QPushButton>(modal, "BackBtn"));
        })
        .answer(QMessageBox::Ok, &text, &title, &icon);
    item("bersetzen1")->trigger();
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(rows, static_cast<int>(messages().size()) + 1);
    EXPECT_EQ(text, qs(std::u16string(MessageTable[1])));
    EXPECT_EQ(title, "Übersetzen");
    EXPECT_EQ(icon, QMessageBox::Information);
}

}  // namespace
}  // namespace horavant::test
