// Employee login, recording a period, the break window and the data list, through the real widgets.
#include "gui_support.h"

#include "app/main_form.h"
#include "recording/daten_auflisten_form.h"
#include "recording/einloggen_form.h"
#include "recording/erfassen_form.h"
#include "store/dbf_table.h"
#include "store/error.h"
#include "store/user_file.h"
#include "support/work_time_table.h"
#include "ui/db_navigator.h"
#include "ui/work_time_model.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QHeaderView>
#include <QSettings>
#include <QTableView>
#include <QTimeEdit>
#include <QToolButton>

#include <gmock/gmock.h>

namespace horavant::test {
namespace {

using testing::ElementsAre;

class RecordingTest : public AppTest {
protected:
    void SetUp() override { saveUsers(); }

    void saveUsers()
    {
        UserData data;
        data.users = {{u"Anna Meier", u"anna", u"geheim"},
                      {u"Bert Schulz", u"bert", u""},
                      {u"Anna Zweit", u"anna", u"zweit"},
                      {u"Anna Dritt", u"anna", u"geheim"}};
        data.settings = settings;
        SaveBenutzer(dir / "benutzer.dat", data);
    }

    TEinloggenForm& login() { return *windows().einloggen; }
    TErfassenForm& erfassen() { return *windows().erfassen; }

    // Logs in through the login window; `steps` then run on the recording window and what it
    // opens. The last step must log out.
    void loginAs(const QString& user, const QString& password, ModalScript& script)
    {
        child<QLineEdit>(&login(), "Edit1")->setText(user);
        child<QLineEdit>(&login(), "Edit2")->setText(password);
        clickLater(child<QPushButton>(&login(), "BitBtnXP1"));
        while (!script.finished() || QApplication::activeModalWidget())
            processEvents(10);
    }

    static void fill(QWidget* w, const QString& place, const QString& activity, QTime from, QTime to,
                     QTime pause = QTime(0, 0))
    {
        child<QComboBox>(w, "Orted")->setEditText(place);
        child<QComboBox>(w, "TatEd")->setEditText(activity);
        child<QTimeEdit>(w, "DateTimePicker1")->setTime(from);
        child<QTimeEdit>(w, "DateTimePicker2")->setTime(to);
        child<QTimeEdit>(w, "DateTimePicker4")->setTime(pause);
    }

    static void logout(QWidget* w) { clickLater(child<QPushButton>(w, "AusloggenBtn")); }

    std::vector<std::vector<std::u16string>> storedRows()
    {
        DbfTable t;
        t.setFolder(dir.path());
        t.setTableName("arbeitszeit.dbf");
        t.Open();
        std::vector<std::vector<std::u16string>> rows;
        for (t.First(); !t.Eof(); t.Next()) {
            std::vector<std::u16string> r;
            for (int i = 0; i < t.fieldCount(); ++i)
                r.push_back(t.fieldText(i));
            rows.push_back(r);
        }
        return rows;
    }

    void writeTable(const std::vector<Row>& rows)
    {
        DbfTable t;
        createWorkTimeTable(t, dir.path());
        appendRows(t, rows);
    }

    ProgramSettings settings;
};

TEST_F(RecordingTest, WrongLoginsKeepTheFieldsAndShowMessageThree)
{
    start();
    struct Attempt {
        QString user, password;
    };
    for (const Attempt& a :
         {Attempt {"", ""}, Attempt {"Anna", "geheim"}, Attempt {"anna ", "geheim"}, Attempt {"anna", "Geheim"}}) {
        QString text, title;
        QMessageBox::Icon icon {};
        ModalScript script;
        script.answer(QMessageBox::Ok, &text, &title, &icon);
        loginAs(a.user, a.password, script);
        EXPECT_EQ(text, "Das Passwort oder der Benutzername war leider falsch.");
        EXPECT_EQ(title, "Fehler beim Einloggen");
        EXPECT_EQ(icon, QMessageBox::Critical);
        EXPECT_EQ(child<QLineEdit>(&login(), "Edit1")->text(), a.user);
        EXPECT_EQ(child<QLineEdit>(&login(), "Edit2")->text(), a.password);
    }
}

TEST_F(RecordingTest, TheFirstMatchingEntryWinsAndLogOutClearsTheFields)
{
    writeTable({});
    start();
    QDate recordingDate;
    ModalScript script;
    script.then([&](QWidget* w) {
        EXPECT_EQ(w, &erfassen());
        EXPECT_FALSE(login().isVisible());
        recordingDate = child<QDateEdit>(w, "DateTimePicker3")->date();
        fill(w, "Bau", "Maurern", QTime(8, 0), QTime(12, 0));
        child<QPushButton>(w, "ErfassenBtn")->click();
        logout(w);
    });
    loginAs("anna", "geheim", script);
    EXPECT_EQ(recordingDate, QDate::currentDate());
    EXPECT_TRUE(login().isVisible());
    EXPECT_EQ(child<QLineEdit>(&login(), "Edit1")->text(), "");
    EXPECT_EQ(child<QLineEdit>(&login(), "Edit2")->text(), "");
    ASSERT_EQ(storedRows().size(), 1u);
    EXPECT_EQ(storedRows()[0][1], u"Anna Meier");

    // The same user name with the other password is the other entry; an empty password works.
    ModalScript second;
    second.then([&](QWidget* w) {
        child<QDateEdit>(w, "DateTimePicker3")->setDate(QDate(2012, 3, 1));
        fill(w, "Halle", "Streichen", QTime(13, 0), QTime(14, 0));
        child<QPushButton>(w, "ErfassenBtn")->click();
        logout(w);
    });
    loginAs("anna", "zweit", second);
    EXPECT_EQ(storedRows()[1][1], u"Anna Zweit");

    ModalScript third;
    third.then([&](QWidget* w) {
        EXPECT_EQ(child<QDateEdit>(w, "DateTimePicker3")->date(), QDate::currentDate());  // reset at login
        logout(w);
    });
    loginAs("bert", "", third);
}

TEST_F(RecordingTest, ChecksRunInOrderAndRefuseWithTheirMessages)
{
    writeTable({});
    start();
    struct Case {
        QString place, activity;
        QTime from, to, pause;
        QString message;
        const char* focus;
        QMessageBox::StandardButton answer = QMessageBox::Ok;
    };
    const std::vector<Case> cases = {
        {"", "", QTime(8, 0), QTime(8, 0), QTime(0, 0), "Das Feld für den Ort darf nicht leer sein!", "Orted"},
        {" ", "", QTime(8, 0), QTime(9, 0), QTime(0, 0), "Das Feld für die Tätigkeit darf nicht leer sein!", "TatEd"},
        {"Bau", "X", QTime(8, 0), QTime(8, 0), QTime(0, 0), "Die Von- und Bis-Zeit muss unterschiedlich sein!",
         "DateTimePicker1"},
        // An end before the start asks about a night shift; No returns to the start time.
        {"Bau", "X", QTime(17, 0), QTime(8, 0), QTime(0, 0),
         "Die Arbeitszeit endet am nächsten Tag. Als zwei Buchungen bis 24:00 und ab 00:00 erfassen?",
         "DateTimePicker1", QMessageBox::No},
        {"Bau", "X", QTime(8, 0), QTime(12, 0), QTime(4, 1),
         "Die Pauszeit kann nicht länger als der Arbeitszeitraum sein!", "DateTimePicker4"},
    };
    for (const Case& c : cases) {
        QString text, title;
        QWidget* focused = nullptr;
        ModalScript script;
        script
            .then([&](QWidget* w) {
                fill(w, c.place, c.activity, c.from, c.to, c.pause);
                child<QLineEdit>(w, "BemEd")->setText("bleibt");
                clickLater(child<QPushButton>(w, "ErfassenBtn"));
            })
            .answer(c.answer, &text, &title)
            .then([&](QWidget* w) {
                focused = w->focusWidget();
                EXPECT_EQ(child<QLineEdit>(w, "BemEd")->text(), "bleibt");
                EXPECT_EQ(child<QComboBox>(w, "Orted")->currentText(), c.place);
                logout(w);
            });
        loginAs("bert", "", script);
        EXPECT_EQ(text, c.message);
        EXPECT_EQ(title, "");
        ASSERT_NE(focused, nullptr);
        // The focus lands in the control, or in its inner editor.
        QWidget* expected = child<QWidget>(&erfassen(), c.focus);
        EXPECT_TRUE(focused == expected || expected->isAncestorOf(focused)) << c.focus;
    }
    EXPECT_TRUE(storedRows().empty());
}

// The fields keep what the employee before typed: the window says who is logged in now. A
// character the table cannot hold is refused where it is typed, not stored as "?".
TEST_F(RecordingTest, TheWindowSaysWhoIsLoggedInAndRefusesCharactersTheTableCannotHold)
{
    writeTable({});
    start();
    QString shown, refusal;
    ModalScript script;
    script
        .then([&](QWidget* w) {
            shown = child<QLabel>(w, "AngemeldetLabel")->text();
            fill(w, "Baustelle ✓", "Maurern", QTime(8, 0), QTime(12, 0));
            child<QLineEdit>(w, "BemEd")->setText("Łódź");
            clickLater(child<QPushButton>(w, "ErfassenBtn"));
        })
        .answer(QMessageBox::Ok, &refusal)
        .then([&](QWidget* w) { logout(w); });
    loginAs("bert", "", script);
    EXPECT_EQ(shown, "Angemeldet: Bert Schulz");
    EXPECT_EQ(refusal, "Diese Zeichen können nicht gespeichert werden:\nOrt/Baustelle/Kunde: ✓\nBemerkungen: Ł ź");
    EXPECT_TRUE(storedRows().empty());
}

TEST_F(RecordingTest, ABreakAsLongAsThePeriodIsAcceptedAndTheRowIsStoredAsText)
{
    writeTable({});
    start();
    ModalScript script;
    script.then([&](QWidget* w) {
        child<QDateEdit>(w, "DateTimePicker3")->setDate(QDate(2012, 3, 1));
        fill(w, "Baustelle Nord", "Maurern", QTime(7, 5, 30), QTime(11, 5), QTime(0, 45));
        child<QLineEdit>(w, "BemEd")->setText("Gerüst");
        child<QCheckBox>(w, "AuswertsCheck")->setChecked(true);
        child<QPushButton>(w, "ErfassenBtn")->click();
        // After a recording: place, activity and remarks empty, the rest unchanged.
        EXPECT_EQ(child<QComboBox>(w, "Orted")->currentText(), "");
        EXPECT_EQ(child<QComboBox>(w, "TatEd")->currentText(), "");
        EXPECT_EQ(child<QLineEdit>(w, "BemEd")->text(), "");
        EXPECT_EQ(child<QTimeEdit>(w, "DateTimePicker1")->time(), QTime(7, 5, 30));
        EXPECT_TRUE(child<QCheckBox>(w, "AuswertsCheck")->isChecked());
        QWidget* orted = child<QComboBox>(w, "Orted");
        EXPECT_TRUE(w->focusWidget() == orted || orted->isAncestorOf(w->focusWidget()));
        fill(w, "Halle", "Streichen", QTime(12, 0), QTime(16, 0), QTime(4, 0));
        child<QPushButton>(w, "ErfassenBtn")->click();
        logout(w);
    });
    loginAs("bert", "", script);
    const auto rows = storedRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_THAT(rows[0], ElementsAre(u"01.03.2012", u"Bert Schulz", u"Baustelle Nord", u"Maurern", u"07:05", u"11:05",
                                     u"Gerüst", u"True", u"00:45", u"False"));
    EXPECT_EQ(rows[1][8], u"04:00");
}

// A stored period is confirmed by a line in the window, with nothing to click away; a refusal
// leaves the line, and the next login starts without it.
TEST_F(RecordingTest, AStoredPeriodIsConfirmedByALineUntilTheNextLogin)
{
    writeTable({});
    start();
    const auto line = [](QWidget* w) {
        auto* label = child<QLabel>(w, "ErfasstLabel");
        return label ? label->text() : QString("(none)");
    };
    QString stored, afterRefusal, afterLogin;
    ModalScript script;
    script
        .then([&](QWidget* w) {
            child<QDateEdit>(w, "DateTimePicker3")->setDate(QDate(2012, 3, 1));
            fill(w, "Baustelle Nord", "Maurern", QTime(7, 5, 30), QTime(11, 5));
            child<QPushButton>(w, "ErfassenBtn")->click();
            stored = line(w);
            clickLater(child<QPushButton>(w, "ErfassenBtn"));  // the place is empty now
        })
        .answer(QMessageBox::Ok)
        .then([&](QWidget* w) {
            afterRefusal = line(w);
            logout(w);
        });
    loginAs("bert", "", script);
    ModalScript again;
    again.then([&](QWidget* w) {
        afterLogin = line(w);
        logout(w);
    });
    loginAs("bert", "", again);
    EXPECT_EQ(stored, "Erfasst: 01.03.2012, 07:05–11:05, Baustelle Nord");
    EXPECT_EQ(afterRefusal, stored);
    EXPECT_EQ(afterLogin, "");
}

TEST_F(RecordingTest, AnOverlapAsksAndOnlyYesRecordsADoubleBooking)
{
    writeTable({{.date = u"01.03.2012", .employee = u"Bert Schulz", .from = u"08:00", .to = u"10:00"}});
    start();
    QString text, title;
    ModalScript script;
    script
        .then([&](QWidget* w) {
            child<QDateEdit>(w, "DateTimePicker3")->setDate(QDate(2012, 3, 1));
            fill(w, "Bau", "Maurern", QTime(9, 59), QTime(12, 0));
            clickLater(child<QPushButton>(w, "ErfassenBtn"));
        })
        .answer(QMessageBox::No, &text, &title)
        .then([&](QWidget* w) {
            EXPECT_EQ(child<QComboBox>(w, "Orted")->currentText(), "Bau");
            clickLater(child<QPushButton>(w, "ErfassenBtn"));
        })
        .answer(QMessageBox::Cancel)
        .then([&](QWidget* w) { clickLater(child<QPushButton>(w, "ErfassenBtn")); })
        .answer(QMessageBox::Yes)
        .then([&](QWidget* w) {
            // Touching periods do not overlap: no question.
            fill(w, "Bau", "Maurern", QTime(12, 0), QTime(13, 0));
            child<QPushButton>(w, "ErfassenBtn")->click();
            logout(w);
        });
    loginAs("bert", "", script);
    EXPECT_EQ(text, "Für diesen Zeitraum existiert bereits eine Buchung. Trotzdem buchen?");
    EXPECT_EQ(title, "Doppelte Buchung?");
    const auto rows = storedRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1][9], u"True");
    EXPECT_EQ(rows[2][9], u"False");
}

TEST_F(RecordingTest, SuggestionsComeFromTheTableOrTheFixedListsAtLogin)
{
    settings.ActivityTextMode = 1;
    settings.ActivityTexts = u"Maurern\r\nStreichen";
    saveUsers();
    writeTable({{.employee = u"X", .place = u"Bau"},
                {.employee = u"Y", .place = u"bau"},
                {.employee = u"Z", .place = u"Bau"}});
    start();
    QStringList places, activities;
    ModalScript script;
    script.then([&](QWidget* w) {
        for (int i = 0; i < child<QComboBox>(w, "Orted")->count(); ++i)
            places << child<QComboBox>(w, "Orted")->itemText(i);
        for (int i = 0; i < child<QComboBox>(w, "TatEd")->count(); ++i)
            activities << child<QComboBox>(w, "TatEd")->itemText(i);
        logout(w);
    });
    loginAs("bert", "", script);
    EXPECT_EQ(places, QStringList({"Bau", "bau"}));
    EXPECT_EQ(activities, QStringList({"Maurern", "Streichen"}));
}

TEST_F(RecordingTest, BreakWindowSumsIntervalsAndListsThemInTheRemarks)
{
    writeTable({});
    start();
    auto setPair = [](QWidget* p, int pair, QTime from, QTime to) {
        child<QTimeEdit>(p, ("DateTimePicker" + std::to_string(2 * pair - 1)).c_str())->setTime(from);
        child<QTimeEdit>(p, ("DateTimePicker" + std::to_string(2 * pair)).c_str())->setTime(to);
    };
    ModalScript script;
    script
        .then([&](QWidget* w) {
            child<QLineEdit>(w, "BemEd")->setText("Baustelle Nord");
            child<QTimeEdit>(w, "DateTimePicker4")->setTime(QTime(1, 0));
            clickLater(child<QPushButton>(w, "PauseBtn"));
        })
        .then([&](QWidget* p) {  // cancelled: nothing changes
            setPair(p, 1, QTime(9, 0), QTime(9, 15));
            clickLater(child<QPushButton>(p, "AusloggenBtn"));
        })
        .then([&](QWidget* w) {
            EXPECT_EQ(child<QTimeEdit>(w, "DateTimePicker4")->time(), QTime(1, 0));
            EXPECT_EQ(child<QLineEdit>(w, "BemEd")->text(), "Baustelle Nord");
            clickLater(child<QPushButton>(w, "PauseBtn"));
        })
        .then([&](QWidget* p) {
            // Each opening starts at 00:00.
            EXPECT_EQ(child<QTimeEdit>(p, "DateTimePicker1")->time(), QTime(0, 0));
            setPair(p, 1, QTime(9, 0), QTime(9, 15));
            setPair(p, 3, QTime(12, 0), QTime(12, 30));
            child<QCheckBox>(p, "PauseBemerkCheck")->setChecked(true);
            clickLater(child<QPushButton>(p, "ErfassenBtn"));
        })
        .then([&](QWidget* w) {
            EXPECT_EQ(child<QTimeEdit>(w, "DateTimePicker4")->time(), QTime(0, 45));
            EXPECT_EQ(child<QLineEdit>(w, "BemEd")->text(), "Baustelle NordPausen: 09:00-09:15; 12:00-12:30");
            clickLater(child<QPushButton>(w, "PauseBtn"));
        })
        .then([&](QWidget* p) {
            EXPECT_TRUE(child<QCheckBox>(p, "PauseBemerkCheck")->isChecked());  // remembered
            setPair(p, 2, QTime(12, 30), QTime(12, 0));
            clickLater(child<QPushButton>(p, "ErfassenBtn"));
        })
        .then([&](QWidget* w) {
            EXPECT_EQ(child<QTimeEdit>(w, "DateTimePicker4")->time(), QTime(0, 30));
            EXPECT_EQ(child<QLineEdit>(w, "BemEd")->text(),
                      "Baustelle NordPausen: 09:00-09:15; 12:00-12:30Pausen: 12:30-12:00");
            logout(w);
        });
    loginAs("bert", "", script);
    auto store = application().services().settings();
    EXPECT_EQ(store->value("TPausenForm/PauseBemerkCheck_Checked").toString(), "True");
    EXPECT_TRUE(store->contains("TPausenForm/Placement"));
}

TEST_F(RecordingTest, DataListShowsOnlyTheEmployeesRowsReadOnlyWithoutPermission)
{
    writeTable({{.employee = u"Bert Schulz", .place = u"Eigen"},
                {.employee = u"bert schulz", .place = u"Fremd"},
                {.employee = u"Anna Meier", .place = u"Anna"}});
    start();
    ModalScript script;
    script.then([&](QWidget* w) { clickLater(child<QPushButton>(w, "EditBtn")); })
        .then([&](QWidget* list) {
            EXPECT_EQ(list->objectName(), "TDatenAuflistenForm");
            auto* grid = child<QTableView>(list, "DBGrid1");
            EXPECT_TRUE(grid->isColumnHidden(1));
            WorkTimeModel& m = windows().main->model();
            ASSERT_EQ(m.rowCount(), 1);
            EXPECT_EQ(m.index(0, 2).data().toString(), "Eigen");
            EXPECT_FALSE(m.flags(m.index(0, 2)) & Qt::ItemIsEditable);
            EXPECT_FALSE(m.setData(m.index(0, 2), "Neu"));
            auto* nav = child<DbNavigator>(list, "DBNavigator1");
            EXPECT_FALSE(nav->button(DbNavigator::Insert)->isEnabled());
            EXPECT_FALSE(nav->button(DbNavigator::Delete)->isEnabled());
            clickLater(child<QPushButton>(list, "BitBtn1"));
        })
        .then([&](QWidget* w) {
            // The table is whole and writable again: the overlap scan sees every row.
            EXPECT_FALSE(windows().main->workTimeTable().filtered());
            EXPECT_FALSE(windows().main->workTimeTable().readOnly());
            logout(w);
        });
    loginAs("bert", "", script);
}

// The grids share one model, and a view keeps a record of every row it is told of: only a shown
// grid is bound to the model, so a hidden one holds no rows however large the table.
TEST_F(RecordingTest, OnlyAShownGridHoldsTheTablesRows)
{
    writeTable({{.employee = u"Bert Schulz"}, {.employee = u"Anna Meier"}});
    start();
    auto* mainGrid = child<QTableView>(windows().main, "DBGrid1");
    auto* listGrid = child<QTableView>(windows().datenAuflisten, "DBGrid1");
    windows().main->show();
    processEvents();
    EXPECT_EQ(mainGrid->verticalHeader()->count(), 2);
    EXPECT_EQ(listGrid->verticalHeader()->count(), 0);
    windows().main->hide();
    processEvents();
    EXPECT_EQ(mainGrid->verticalHeader()->count(), 0);
}

// Switching the filter on fails (here the filter itself cannot judge a row): the list is not
// shown, and the table is left whole, so nothing after it sees only one employee's rows.
TEST_F(RecordingTest, AFilterThatCannotBeSwitchedOnIsSwitchedOffAgain)
{
    writeTable({{.employee = u"Bert Schulz"}, {.employee = u"Anna Meier"}});
    start();
    windows().main->workTimeTable().setFilter([](const DbfTable&) -> bool { throw Error("Filter kaputt."); });
    QString error;
    ModalScript script;
    script.then([&](QWidget* w) { clickLater(child<QPushButton>(w, "EditBtn")); })
        .answer(QMessageBox::Ok, &error)
        .then([&](QWidget* w) {
            EXPECT_EQ(w, &erfassen());
            EXPECT_FALSE(windows().main->workTimeTable().filtered());
            EXPECT_EQ(windows().main->model().rowCount(), 2);
            logout(w);
        });
    loginAs("bert", "", script);
    EXPECT_EQ(error, "Filter kaputt.");
}

TEST_F(RecordingTest, DataListWithPermissionEditsAndKeepsInsertedRowsWithTheEmployee)
{
    settings.EmployeesMayEdit = true;
    saveUsers();
    writeTable({{.date = u"01.03.2012", .employee = u"Bert Schulz", .from = u"08:00", .to = u"10:00"},
                {.employee = u"Anna Meier"}});
    start();
    QString overlapQuestion;
    ModalScript script;
    script.then([&](QWidget* w) { clickLater(child<QPushButton>(w, "EditBtn")); })
        .then([&](QWidget* list) {
            WorkTimeModel& m = windows().main->model();
            auto* grid = child<QTableView>(list, "DBGrid1");
            grid->setCurrentIndex(m.index(0, 4));
            // The checks come when the row is stored, not cell by cell: an end before the start
            // may be typed on the way.
            EXPECT_TRUE(m.setData(m.index(0, 5), "07:00"));
            EXPECT_TRUE(m.setData(m.index(0, 4), "09:00"));
            EXPECT_TRUE(m.setData(m.index(0, 5), "11:00"));
            child<DbNavigator>(list, "DBNavigator1")->button(DbNavigator::Insert)->click();
            EXPECT_EQ(m.rowCount(), 2);
            typeWorkTimeRow(m, 1, "Bert Schulz");
            m.setData(m.index(1, 2), "Nachtrag");
            child<DbNavigator>(list, "DBNavigator1")->button(DbNavigator::Post)->click();
            EXPECT_EQ(m.rowCount(), 2);  // the new row stays in the employee's list
            clickLater(child<QPushButton>(list, "BitBtn1"));
        })
        .then([&](QWidget* w) {
            // The edited row counts for the overlap scan once the window is closed.
            child<QDateEdit>(w, "DateTimePicker3")->setDate(QDate(2012, 3, 1));
            fill(w, "Bau", "Maurern", QTime(10, 30), QTime(12, 0));
            clickLater(child<QPushButton>(w, "ErfassenBtn"));
        })
        .answer(QMessageBox::No, &overlapQuestion)
        .then([&](QWidget* w) { logout(w); });
    loginAs("bert", "", script);
    EXPECT_FALSE(overlapQuestion.isEmpty());
    const auto rows = storedRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][4], u"09:00");
    EXPECT_EQ(rows[0][5], u"11:00");
    EXPECT_EQ(rows[2][1], u"Bert Schulz");
    EXPECT_EQ(rows[2][2], u"Nachtrag");
}

}  // namespace
}  // namespace horavant::test
