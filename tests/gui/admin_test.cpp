// User management, the administrator password and menu, and the default texts, through the real widgets.
#include "gui_support.h"

#include "admin/admin_pass_form.h"
#include "app/main_form.h"
#include "recording/einloggen_form.h"
#include "store/error.h"
#include "store/user_file.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTreeWidget>

#include <gmock/gmock.h>

namespace horavant::test {
namespace {

class AdminTest : public AppTest {
protected:
    TMainForm& mainForm() { return application().mainForm(); }
    UserData& model() { return application().userData(); }

    UserData saved()
    {
        UserData data;
        LoadBenutzer(dir / "benutzer.dat", data);
        return data;
    }

    void savePassword(const std::u16string& password)
    {
        UserData data;
        data.settings.AdminPassword = password;
        data.settings.AdminPasswordRepeat = password;
        SaveBenutzer(dir / "benutzer.dat", data);
    }

    static ModalScript::Step editUser(QString employee, QString user, QString password, const char* button)
    {
        return [=](QWidget* d) {
            EXPECT_EQ(d->objectName(), "TBenutzerBearbeitenForm");
            child<QLineEdit>(d, "LabeledEdit1")->setText(employee);
            child<QLineEdit>(d, "LabeledEdit2")->setText(user);
            child<QLineEdit>(d, "LabeledEdit3")->setText(password);
            clickLater(child<QPushButton>(d, button));
        };
    }

    static void select(QWidget* w, int row)
    {
        auto* list = child<QTreeWidget>(w, "ListView1");
        list->clearSelection();
        if (row >= 0)
            list->topLevelItem(row)->setSelected(true);
    }

    static ModalScript::Step typePassword(QString text)
    {
        return [=](QWidget* p) {
            EXPECT_EQ(p->objectName(), "TAdminPassForm");
            EXPECT_EQ(child<QLineEdit>(p, "Edit1")->text(), "");  // each prompt starts empty
            child<QLineEdit>(p, "Edit1")->setText(text);
            clickLater(child<QPushButton>(p, "BitBtnXP1"));
        };
    }
};

TEST_F(AdminTest, UsersAreAddedEditedAndDeletedInPlaceAndSaved)
{
    start();
    QString question, title;
    ModalScript script;
    script
        .then([&](QWidget* w) {
            // Before any selection both buttons are enabled but do nothing.
            EXPECT_TRUE(child<QPushButton>(w, "BenutzerBearbeitenBtn")->isEnabled());
            child<QPushButton>(w, "BenutzerBearbeitenBtn")->click();
            child<QPushButton>(w, "BenutzerLoeschenBtn")->click();
            clickLater(child<QPushButton>(w, "NeuerBenutzerBtn"));
        })
        .then(editUser("", "", "", "BitBtn4"))  // three empty texts are a user too
        .then([&](QWidget* w) { clickLater(child<QPushButton>(w, "NeuerBenutzerBtn")); })
        .then(editUser("Jürgen Groß", "jg", "pässwort", "BitBtn4"))
        .then([&](QWidget* w) { clickLater(child<QPushButton>(w, "NeuerBenutzerBtn")); })
        .then(editUser("Abgebrochen", "x", "y", "BitBtn5"))
        .then([&](QWidget* w) {
            EXPECT_EQ(child<QTreeWidget>(w, "ListView1")->topLevelItemCount(), 2);
            select(w, 0);
            clickLater(child<QPushButton>(w, "BenutzerBearbeitenBtn"));
        })
        .then([&](QWidget* d) {
            EXPECT_EQ(d->focusWidget(), child<QLineEdit>(d, "LabeledEdit1"));
            editUser("Erste", "eins", "1", "BitBtn4")(d);
        })
        .then([&](QWidget* w) {
            select(w, 1);
            clickLater(child<QPushButton>(w, "BenutzerBearbeitenBtn"));
        })
        .then(editUser("Verworfen", "v", "v", "BitBtn5"))
        .then([&](QWidget* w) {
            select(w, 1);
            clickLater(child<QPushButton>(w, "BenutzerLoeschenBtn"));
        })
        .answer(QMessageBox::No, &question, &title)
        .then([&](QWidget* w) {
            select(w, -1);
            EXPECT_FALSE(child<QPushButton>(w, "BenutzerLoeschenBtn")->isEnabled());
            EXPECT_FALSE(child<QPushButton>(w, "BenutzerBearbeitenBtn")->isEnabled());
            select(w, 0);
            clickLater(child<QPushButton>(w, "BenutzerLoeschenBtn"));
        })
        .answer(QMessageBox::Cancel)
        .then([&](QWidget* w) { clickLater(child<QPushButton>(w, "BitBtn5")); });  // "Abbrechen" keeps the changes
    mainForm().Benutzerverwalten1Click();
    EXPECT_EQ(question, "Hiermit löschen Sie den folgenden Mitarbeiter: Jürgen Groß");
    EXPECT_EQ(title, "Löschen");
    const UserList expected = {{u"Erste", u"eins", u"1"}, {u"Jürgen Groß", u"jg", u"pässwort"}};
    EXPECT_EQ(model().users, expected);
    EXPECT_EQ(saved().users, expected);

    ModalScript again;
    again
        .then([&](QWidget* w) {
            select(w, 0);
            clickLater(child<QPushButton>(w, "BenutzerLoeschenBtn"));
        })
        .answer(QMessageBox::Yes)
        .then([&](QWidget* w) { clickLater(child<QPushButton>(w, "BitBtn4")); });
    mainForm().Benutzerverwalten1Click();
    EXPECT_EQ(saved().users, UserList({{u"Jürgen Groß", u"jg", u"pässwort"}}));
}

// Texts the user file could not give back after a restart are refused where they are typed,
// with the characters named per field; the dialog keeps what was typed for correcting.
TEST_F(AdminTest, AUserTheFileCannotKeepIsRefusedWithTheCharactersNamed)
{
    start();
    QString refusal;
    QStringList kept;
    ModalScript script;
    script.then([](QWidget* w) { clickLater(child<QPushButton>(w, "NeuerBenutzerBtn")); })
        .then(editUser("Łukasz", "lukasz", "gü~t", "BitBtn4"))
        .answer(QMessageBox::Ok, &refusal)
        .then([&](QWidget* d) {
            EXPECT_EQ(d->objectName(), "TBenutzerBearbeitenForm");
            for (const char* field : {"LabeledEdit1", "LabeledEdit2", "LabeledEdit3"})
                kept << child<QLineEdit>(d, field)->text();
            editUser("Lukasz", "lukasz", "gut", "BitBtn4")(d);
        })
        .then([](QWidget* w) { clickLater(child<QPushButton>(w, "BitBtn4")); });
    mainForm().Benutzerverwalten1Click();
    EXPECT_EQ(refusal, "Diese Zeichen können nicht gespeichert werden:\nMitarbeiter: Ł\nPasswort: ü ~");
    EXPECT_EQ(kept, QStringList({"Łukasz", "lukasz", "gü~t"}));
    EXPECT_EQ(saved().users, UserList({{u"Lukasz", u"lukasz", u"gut"}}));
}

// The login would find only the first of two users of one name, in whatever letter case.
TEST_F(AdminTest, ALoginNameAnotherUserHasIsRefused)
{
    UserData data;
    data.users = {{u"Anna Meier", u"anna", u"1"}};
    SaveBenutzer(dir / "benutzer.dat", data);
    start();
    QString refusal;
    ModalScript script;
    script.then([](QWidget* w) { clickLater(child<QPushButton>(w, "NeuerBenutzerBtn")); })
        .then(editUser("Anna Neu", "ANNA", "3", "BitBtn4"))
        .answer(QMessageBox::Ok, &refusal)
        .then(editUser("Anna Neu", "anna2", "3", "BitBtn4"))
        .then([](QWidget* w) { clickLater(child<QPushButton>(w, "BitBtn4")); });
    mainForm().Benutzerverwalten1Click();
    EXPECT_EQ(refusal, "Den Benutzernamen „anna“ hat schon Anna Meier. Bitte wählen Sie einen anderen.");
    EXPECT_EQ(saved().users.size(), 2u);
}

// Another copy of the program on the same folder saved the user file meanwhile: this copy works on
// that file's contents, so its own save keeps the other copy's changes, and a password set there
// is the one asked for here.
TEST_F(AdminTest, ChangesSavedByAnotherCopyAreNotUndone)
{
    start();
    UserData other;
    other.users = {{u"Von drüben", u"dr", u"x"}};
    other.settings.AdminPassword = u"neu";
    other.settings.AdminPasswordRepeat = u"neu";
    SaveBenutzer(dir / "benutzer.dat", other);

    ModalScript script;
    script
        .then([](QWidget* w) {
            EXPECT_EQ(child<QTreeWidget>(w, "ListView1")->topLevelItemCount(), 1);
            clickLater(child<QPushButton>(w, "NeuerBenutzerBtn"));
        })
        .then(editUser("Von hier", "hi", "y", "BitBtn4"))
        .then([](QWidget* w) { clickLater(child<QPushButton>(w, "BitBtn4")); });
    mainForm().Benutzerverwalten1Click();
    EXPECT_EQ(saved().users, UserList({{u"Von drüben", u"dr", u"x"}, {u"Von hier", u"hi", u"y"}}));
    EXPECT_EQ(saved().settings.AdminPassword, u"neu");

    ModalScript prompt;
    prompt.then(typePassword("neu"));
    EXPECT_TRUE(mainForm().IsAdmin());
}

// Another copy saves while this copy's window is open: what it saved stays, a list left alone here
// too, and an item both changed takes this copy's value and is named.
TEST_F(AdminTest, WhatAnotherCopySavedMeanwhileStaysAndAnItemBothChangedIsNamed)
{
    start();
    QString told;
    ModalScript script;
    script
        .then([&](QWidget* v) {
            UserData there = saved();
            there.users.push_back({u"Von drüben", u"dr", u"x"});
            there.settings.PlaceTexts = u"Drüben";
            there.settings.ActivityTexts = u"Fliesen";
            SaveBenutzer(dir / "benutzer.dat", there);
            child<QPlainTextEdit>(v, "Memo1")->setPlainText("Hier");
            clickLater(child<QPushButton>(v, "BitBtn1"));
        })
        .answer(QMessageBox::Ok, &told);
    mainForm().VorgabetextefrdasAusfllenfestlegen1Click();
    EXPECT_EQ(told,
              "Eine andere Kopie des Programms hatte inzwischen auch geändert, was Sie geändert haben. "
              "Gespeichert ist jetzt Ihre Fassung von:\nVorgegebene Orte");
    EXPECT_EQ(saved().users, UserList({{u"Von drüben", u"dr", u"x"}}));
    EXPECT_EQ(saved().settings.PlaceTexts, u"Hier");
    EXPECT_EQ(saved().settings.ActivityTexts, u"Fliesen");
}

// A user file that is there but cannot be read (here a link to itself) is an error at start;
// while it lasts the administration stays shut, whatever its password, and nothing is saved over
// the file. Once it can be read, it is.
TEST_F(AdminTest, AnUnreadableUserFileKeepsTheAdministrationShutUntilItCanBeRead)
{
    savePassword(u"Chef");
    const auto file = dir / "benutzer.dat";
    std::filesystem::rename(file, dir / "gut.dat");
    std::filesystem::create_symlink("benutzer.dat", file);
    const QString unreadable = startAnsweringOk(2).value(0);  // the day's backup cannot copy it either
    EXPECT_TRUE(unreadable.startsWith("Die Benutzerdatei " + QString::fromStdString(file.string())
                                      + " kann nicht gelesen werden"))
        << unreadable.toStdString();
    QString refused;
    {
        ModalScript script;
        script.answer(QMessageBox::Ok, &refused);
        EXPECT_FALSE(mainForm().IsAdmin());
    }
    EXPECT_EQ(refused, unreadable);
    EXPECT_THROW(mainForm().SaveBenutzer(), Error);
    EXPECT_TRUE(std::filesystem::is_symlink(file));

    std::filesystem::remove(file);
    std::filesystem::rename(dir / "gut.dat", file);
    mainForm().reloadUsersIfChanged();
    ModalScript prompt;
    prompt.then(typePassword("Chef"));
    EXPECT_TRUE(mainForm().IsAdmin());
}

TEST_F(AdminTest, WithoutAPasswordTheAdministrationIsOpen)
{
    start();
    EXPECT_TRUE(mainForm().IsAdmin());
}

TEST_F(AdminTest, ThePromptRefusesWrongPasswordsAndAcceptsTheRightOne)
{
    savePassword(u"Chef 1");
    start();
    for (const QString& wrong : {QString("chef 1"), QString("Chef 1 "), QString("")}) {
        QString text, title;
        ModalScript script;
        script.then(typePassword(wrong)).answer(QMessageBox::Ok, &text, &title);
        EXPECT_FALSE(mainForm().IsAdmin());
        EXPECT_EQ(text, "Das Passwort war leider falsch.");
        EXPECT_EQ(title, "");
    }
    {
        ModalScript script;
        script.then([](QWidget* p) {
            child<QLineEdit>(p, "Edit1")->setText("Chef 1");
            clickLater(child<QPushButton>(p, "BitBtnXP2"));  // cancelled: refused without a message
        });
        EXPECT_FALSE(mainForm().IsAdmin());
    }
    ModalScript script;
    script.then(typePassword("Chef 1"));
    EXPECT_TRUE(mainForm().IsAdmin());
    EXPECT_EQ(child<QLineEdit>(windows().adminPass, "Edit1")->echoMode(), QLineEdit::Password);
}

TEST_F(AdminTest, SettingThePasswordChecksTheRepetitionAndSavesWithThePermission)
{
    savePassword(u"alt");
    start();
    QString mismatch;
    ModalScript script;
    script.then(typePassword("alt"))
        .then([&](QWidget* a) {
            EXPECT_EQ(a->objectName(), "TAdminForm");
            EXPECT_EQ(child<QLineEdit>(a, "Edit1")->text(), "alt");
            child<QLineEdit>(a, "Edit1")->setText("neu");
            child<QLineEdit>(a, "Edit2")->setText("Neu");
            child<QCheckBox>(a, "CheckBox1")->setChecked(true);
            clickLater(child<QPushButton>(a, "BitBtnXP1"));
        })
        .answer(QMessageBox::Ok, &mismatch)
        .then([&](QWidget* a) {
            EXPECT_EQ(child<QLineEdit>(a, "Edit2")->text(), "Neu");  // stays open as typed
            EXPECT_FALSE(std::filesystem::exists(dir / "benutzer.dat.tmp"));
            child<QLineEdit>(a, "Edit2")->setText("neu");
            clickLater(child<QPushButton>(a, "BitBtnXP1"));
        });
    mainForm().AdministratorPasswortfestlegen1Click();
    EXPECT_EQ(mismatch, "Die zwei eingegebenen Passwörter stimmen nicht überein!");
    const UserData data = saved();
    EXPECT_EQ(data.settings.AdminPassword, u"neu");
    EXPECT_EQ(data.settings.AdminPasswordRepeat, u"neu");
    EXPECT_TRUE(data.settings.EmployeesMayEdit);

    // The password is not copied into the settings store; the placement is.
    auto store = application().services().settings();
    for (const QString& key : store->allKeys())
        EXPECT_FALSE(store->value(key).toString().contains("neu")) << key.toStdString();
    EXPECT_TRUE(store->contains("TAdminForm/Placement"));
}

TEST_F(AdminTest, AnAdministratorPasswordTheFileCannotKeepIsRefused)
{
    start();
    QString refusal;
    ModalScript script;
    script
        .then([](QWidget* a) {
            child<QLineEdit>(a, "Edit1")->setText("Chefł");
            child<QLineEdit>(a, "Edit2")->setText("Chefł");
            clickLater(child<QPushButton>(a, "BitBtnXP1"));
        })
        .answer(QMessageBox::Ok, &refusal)
        .then([](QWidget* a) {
            EXPECT_EQ(a->objectName(), "TAdminForm");
            EXPECT_EQ(child<QLineEdit>(a, "Edit2")->text(), "Chefł");
            child<QLineEdit>(a, "Edit1")->setText("Chef");
            child<QLineEdit>(a, "Edit2")->setText("Chef");
            clickLater(child<QPushButton>(a, "BitBtnXP1"));
        });
    mainForm().AdministratorPasswortfestlegen1Click();
    EXPECT_EQ(refusal, "Diese Zeichen können nicht gespeichert werden:\nAdmin Passwort festlegen: ł");
    EXPECT_EQ(saved().settings.AdminPassword, u"Chef");
}

TEST_F(AdminTest, ClosingTheMenuByItsFrameKeepsThePreviousPasswordButStillSaves)
{
    start();
    ModalScript script;
    script.then([&](QWidget* a) {
        child<QLineEdit>(a, "Edit1")->setText("unbestätigt");
        child<QCheckBox>(a, "CheckBox1")->setChecked(true);
        closeLater(a);
    });
    mainForm().AdministratorPasswortfestlegen1Click();
    EXPECT_TRUE(std::filesystem::exists(dir / "benutzer.dat"));
    EXPECT_EQ(saved().settings.AdminPassword, u"");
    EXPECT_FALSE(saved().settings.EmployeesMayEdit);
    EXPECT_TRUE(mainForm().IsAdmin());
}

TEST_F(AdminTest, EmptyFieldsRemoveThePassword)
{
    savePassword(u"alt");
    start();
    ModalScript script;
    script.then(typePassword("alt")).then([&](QWidget* a) {
        child<QLineEdit>(a, "Edit1")->clear();
        child<QLineEdit>(a, "Edit2")->clear();
        clickLater(child<QPushButton>(a, "BitBtnXP1"));
    });
    mainForm().AdministratorPasswortfestlegen1Click();
    EXPECT_EQ(saved().settings.AdminPassword, u"");
    EXPECT_TRUE(mainForm().IsAdmin());
}

TEST_F(AdminTest, DefaultTextsAreEditedAndSavedHoweverTheWindowCloses)
{
    start();
    ModalScript script;
    script.then([&](QWidget* v) {
        EXPECT_TRUE(child<QRadioButton>(v, "AutoTexteCheck")->isChecked());
        child<QRadioButton>(v, "VorgabeTexteCheck")->setChecked(true);
        child<QPlainTextEdit>(v, "Memo1")->setPlainText("Bau\nHalle");
        child<QPlainTextEdit>(v, "Memo2")->setPlainText("Maurern");
        closeLater(v);
    });
    mainForm().VorgabetextefrdasAusfllenfestlegen1Click();
    const ProgramSettings s = saved().settings;
    EXPECT_EQ(s.PlaceTextMode, 1);
    EXPECT_EQ(s.PlaceTexts, u"Bau\r\nHalle");
    EXPECT_EQ(s.ActivityTextMode, 0);
    EXPECT_EQ(s.ActivityTexts, u"Maurern");

    ModalScript again;
    again.then([&](QWidget* v) {
        EXPECT_TRUE(child<QRadioButton>(v, "VorgabeTexteCheck")->isChecked());
        EXPECT_EQ(child<QPlainTextEdit>(v, "Memo1")->toPlainText(), "Bau\nHalle");
        child<QRadioButton>(v, "AutoTexteCheck")->setChecked(true);  // the fixed list stays stored
        clickLater(child<QPushButton>(v, "BitBtn1"));
    });
    mainForm().VorgabetextefrdasAusfllenfestlegen1Click();
    EXPECT_EQ(saved().settings.PlaceTextMode, 0);
    EXPECT_EQ(saved().settings.PlaceTexts, u"Bau\r\nHalle");
}

}  // namespace
}  // namespace horavant::test
