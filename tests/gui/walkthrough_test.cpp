// A first day with the program, as a new user would go through it: the administrator adds an
// employee and sets a password, the employee records two periods (one a double booking), and the
// administrator finds both in the grid.
#include "gui_support.h"

#include "app/main_form.h"
#include "recording/einloggen_form.h"
#include "ui/work_time_model.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>

namespace horavant::test {
namespace {

class WalkthroughTest : public AppTest {
protected:
    TEinloggenForm& login() { return *windows().einloggen; }

    // Presses a login button and waits until the script has run and every window it opened is closed.
    void press(const char* button, ModalScript& script)
    {
        clickLater(child<QPushButton>(&login(), button));
        processEvents(20);
        while (!script.finished() || QApplication::activeModalWidget())
            processEvents(10);
    }

    static void triggerLater(QWidget* window, const char* action)
    {
        QMetaObject::invokeMethod(window->findChild<QAction*>(QString::fromLatin1(action)), "trigger",
                                  Qt::QueuedConnection);
    }

    static void fill(QWidget* w, QTime from, QTime to)
    {
        child<QComboBox>(w, "Orted")->setEditText("Baustelle Nord");
        child<QComboBox>(w, "TatEd")->setEditText("Maurern");
        child<QTimeEdit>(w, "DateTimePicker1")->setTime(from);
        child<QTimeEdit>(w, "DateTimePicker2")->setTime(to);
    }
};

TEST_F(WalkthroughTest, AnEmployeesDoubleBookingReachesTheAdministratorsGrid)
{
    start();
    ModalScript setup;
    setup
        .then([](QWidget* main) {
            EXPECT_EQ(main->objectName(), "TMainForm");
            clickLater(child<QPushButton>(main, "BitBtn1"));
        })
        .then([](QWidget* users) { clickLater(child<QPushButton>(users, "NeuerBenutzerBtn")); })
        .then([](QWidget* edit) {
            child<QLineEdit>(edit, "LabeledEdit1")->setText("Anna Meier");
            child<QLineEdit>(edit, "LabeledEdit2")->setText("anna");
            child<QLineEdit>(edit, "LabeledEdit3")->setText("geheim");
            clickLater(child<QPushButton>(edit, "BitBtn4"));
        })
        .then([](QWidget* users) { clickLater(child<QPushButton>(users, "BitBtn4")); })
        .then([](QWidget* main) { triggerLater(main, "AdministratorPasswortfestlegen1"); })
        .then([](QWidget* admin) {
            EXPECT_EQ(admin->objectName(), "TAdminForm");
            child<QLineEdit>(admin, "Edit1")->setText("chef");
            child<QLineEdit>(admin, "Edit2")->setText("chef");
            clickLater(child<QPushButton>(admin, "BitBtnXP1"));
        })
        .then([](QWidget* main) { clickLater(child<QPushButton>(main, "AusloggenBtn")); });
    press("BitBtnXP2", setup);  // no password yet: straight into the main window

    child<QLineEdit>(&login(), "Edit1")->setText("anna");
    child<QLineEdit>(&login(), "Edit2")->setText("geheim");
    QString question;
    ModalScript day;
    day.then([](QWidget* w) {
           EXPECT_EQ(w->objectName(), "TErfassenForm");
           fill(w, QTime(8, 0), QTime(12, 0));
           child<QPushButton>(w, "ErfassenBtn")->click();
           fill(w, QTime(11, 0), QTime(13, 0));
           clickLater(child<QPushButton>(w, "ErfassenBtn"));
       })
        .answer(QMessageBox::Yes, &question)
        .then([](QWidget* w) { clickLater(child<QPushButton>(w, "AusloggenBtn")); });
    press("BitBtnXP1", day);
    EXPECT_EQ(question, "Für diesen Zeitraum existiert bereits eine Buchung. Trotzdem buchen?");
    EXPECT_EQ(child<QLineEdit>(&login(), "Edit1")->text(), "");

    QStringList employees, doubleBookings;
    ModalScript evening;
    evening
        .then([](QWidget* prompt) {
            EXPECT_EQ(prompt->objectName(), "TAdminPassForm");
            child<QLineEdit>(prompt, "Edit1")->setText("chef");
            clickLater(child<QPushButton>(prompt, "BitBtnXP1"));
        })
        .then([&](QWidget* main) {
            const WorkTimeModel& grid = windows().main->model();
            for (int r = 0; r < grid.rowCount(); ++r) {
                employees << grid.data(grid.index(r, 1)).toString();
                doubleBookings << grid.data(grid.index(r, 9)).toString();
            }
            clickLater(child<QPushButton>(main, "AusloggenBtn"));
        });
    press("BitBtnXP2", evening);
    EXPECT_EQ(employees, QStringList({"Anna Meier", "Anna Meier"}));
    EXPECT_EQ(doubleBookings, QStringList({"False", "True"}));
}

}  // namespace
}  // namespace horavant::test
