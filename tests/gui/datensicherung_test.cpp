// The backup window through the real widgets: the day's backup at start, a backup made now, and a
// restore that brings the old rows back into the grid and the old users into the program.
#include "gui_support.h"

#include "admin/datensicherung_form.h"
#include "recording/einloggen_form.h"
#include "store/backup.h"
#include "store/dbf_table.h"
#include "store/os_lock.h"
#include "store/posix_file.h"
#include "store/user_file.h"
#include "support/work_time_table.h"
#include "ui/db_navigator.h"
#include "ui/work_time_model.h"

#include <QAction>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

#include <gmock/gmock.h>

#include <fcntl.h>

namespace horavant::test {
namespace {

class DatensicherungTest : public AppTest {
protected:
    TMainForm& mainForm() { return application().mainForm(); }

    std::vector<QString> employees()
    {
        WorkTimeModel& m = mainForm().model();
        std::vector<QString> out;
        for (int r = 0; r < m.rowCount(); ++r)
            out.push_back(m.index(r, 1).data().toString());
        return out;
    }

    static QStringList listed(QWidget* w, int column)
    {
        QStringList texts;
        auto* list = child<QTreeWidget>(w, "ListView1");
        for (int r = 0; r < list->topLevelItemCount(); ++r)
            texts << list->topLevelItem(r)->text(column);
        return texts;
    }
};

TEST_F(DatensicherungTest, ABackupRestoredFromTheWindowBringsBackTheOldRowsAndUsers)
{
    {
        DbfTable t;
        createWorkTimeTable(t, dir.path());
        appendRows(t, {{.employee = u"Alt 1"}, {.employee = u"Alt 2"}});
        UserData users;
        users.users = {{u"Alter Nutzer", u"alt", u"1"}};
        SaveBenutzer(dir / "benutzer.dat", users);
    }
    start();
    // The day's backup follows once the login window is on screen.
    const auto daily = dir / "Sicherung"
                       / backup::candidateNames(backup::BackupKind::Daily, backup::localNow()).front();
    finishTheDaysBackup();
    EXPECT_TRUE(windows().einloggen->isVisible());
    EXPECT_EQ(readFile(daily / "benutzer.dat"), readFile(dir / "benutzer.dat"));

    QString question, done, chosen;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    ModalScript script;
    script
        .then([&](QWidget* w) {
            // New data: a row through the grid, another user saved.
            auto* navigator = child<DbNavigator>(w, "DBNavigator1");
            navigator->button(DbNavigator::Insert)->click();
            typeWorkTimeRow(mainForm().model(), 2, "Neu");
            navigator->button(DbNavigator::Post)->click();
            application().userData().users = {{u"Neuer Nutzer", u"neu", u"2"}};
            mainForm().SaveBenutzer();
            QMetaObject::invokeMethod(w->findChild<QAction*>("Datensicherung1"), "trigger", Qt::QueuedConnection);
        })
        .then([&](QWidget* d) {
            EXPECT_EQ(d->objectName(), "TDatensicherungForm");
            EXPECT_EQ(listed(d, 1), QStringList {"2"});
            child<QPushButton>(d, "JetztSichernBtn")->click();
            EXPECT_EQ(listed(d, 1), (QStringList {"3", "2"}));
            EXPECT_EQ(listed(d, 3), (QStringList {"in Ordnung", "in Ordnung"}));
            auto* list = child<QTreeWidget>(d, "ListView1");
            list->clearSelection();
            list->topLevelItem(1)->setSelected(true);
            chosen = list->topLevelItem(1)->text(0);
            clickLater(child<QPushButton>(d, "WiederherstellenBtn"));
        })
        .answer(QMessageBox::Yes, &question, nullptr, &icon)
        .answer(QMessageBox::Ok, &done)
        .then([&](QWidget* d) {
            // The files before the restore are a backup of their own.
            EXPECT_EQ(listed(d, 1).size(), 3);
            EXPECT_THAT(listed(d, 0).join('|').toStdString(), testing::HasSubstr("(vor Wiederherstellung)"));
            clickLater(child<QPushButton>(d, "SchliessenBtn"));
        })
        .then([&](QWidget* w) {
            EXPECT_EQ(w, &mainForm());
            EXPECT_EQ(employees(), (std::vector<QString> {"Alt 1", "Alt 2"}));
            ASSERT_EQ(application().userData().users.size(), 1u);
            EXPECT_EQ(application().userData().users[0].EmployeeName, u"Alter Nutzer");
            closeLater(w);
        });
    clickLater(child<QPushButton>(windows().einloggen, "BitBtnXP2"));
    while (!script.finished() || QApplication::activeModalWidget())
        processEvents(10);

    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_TRUE(question.contains(chosen)) << question.toStdString();
    EXPECT_TRUE(done.contains(chosen)) << done.toStdString();
    EXPECT_TRUE(mainForm().workTimeTable().active());
}

TEST_F(DatensicherungTest, AStartTellsOfARestoreThatDidNotFinish)
{
    writeFile(dir / backup::kRestoreMarker, "2024-05-03\n2024-05-03-vor-Wiederherstellung\n");
    const QString text = startAnsweringOk();
    EXPECT_TRUE(text.startsWith("Die Wiederherstellung der Sicherung 2024-05-03 ist nicht zu Ende geführt worden"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("2024-05-03-vor-Wiederherstellung"));
    EXPECT_FALSE(std::filesystem::exists(dir / backup::kRestoreMarker));
}

// A program kept open over days backs each day up at the day's first login; a backup dated after
// today is told once, and blocks nothing. The list writes dates in the program's own form.
TEST_F(DatensicherungTest, EachDayIsBackedUpAtItsFirstLoginAndALaterDatedBackupIsToldOnce)
{
    UserData users;
    users.users = {{u"Anna Meier", u"anna", u""}};
    SaveBenutzer(dir / "benutzer.dat", users);
    std::filesystem::create_directories(dir / "Sicherung" / "2099-01-01");
    EXPECT_THAT(startAnsweringOk().toStdString(), testing::HasSubstr("Die Sicherung 2099-01-01 ist auf einen Tag"));
    windows().datensicherung->setClock([] { return backup::Moment {backup::parseBackupName("2099-12-09")->day}; });
    ModalScript script;
    script.then([](QWidget* w) { clickLater(child<QPushButton>(w, "AusloggenBtn")); }).then([&](QWidget* d) {
        EXPECT_EQ(listed(d, 0).value(0), "09.12.2099");  // whatever the regional date form
        clickLater(child<QPushButton>(d, "SchliessenBtn"));
    });
    application().services().regional = {DateOrder::MonthDayYear, u'/', u':', u'.'};
    child<QLineEdit>(windows().einloggen, "Edit1")->setText("anna");
    child<QPushButton>(windows().einloggen, "BitBtnXP1")->click();
    finishTheDaysBackup();
    windows().datensicherung->exec();
}

TEST_F(DatensicherungTest, ADailyBackupThatCannotBeWrittenIsToldOnceAndTheProgramGoesOn)
{
    // A file where the backup folder belongs: nothing can be written into it.
    writeFile(dir / "Sicherung", "kein Ordner");
    const QString text = startAnsweringOk();
    EXPECT_TRUE(text.startsWith("Die tägliche Datensicherung ist fehlgeschlagen.")) << text.toStdString();
    EXPECT_TRUE(windows().einloggen->isVisible());
    EXPECT_EQ(readFile(dir / "Sicherung"), "kein Ordner");
}

// The copying runs beside the windows: here it waits for another copy of the program to let go of
// the table, and the windows go on meanwhile. A backup made now shows its progress once it takes a
// moment, and stopping it leaves no backup and no message.
TEST_F(DatensicherungTest, BackupsAreCopiedBesideTheWindowsAndCanBeStopped)
{
    start();
    finishTheDaysBackup();
    TDatensicherungForm& form = *windows().datensicherung;
    const auto backups = dir / "Sicherung";
    std::filesystem::remove_all(backups);
    UniqueFd other(::open((dir / "arbeitszeit.dbf").c_str(), O_RDWR));
    ASSERT_TRUE(oslock::tryLock(other.get(), dbf::kAppendLockOffset, 1, true));

    form.setClock([] { return backup::Moment {backup::parseBackupName("2099-12-09")->day}; });  // a new day
    form.dailyBackup(windows().einloggen);
    processEvents(150);
    EXPECT_TRUE(form.copying());
    EXPECT_FALSE(std::filesystem::exists(backups));
    oslock::unlock(other.get(), dbf::kAppendLockOffset, 1);
    while (form.copying())
        processEvents(10);
    EXPECT_EQ(backup::listBackups(dir.path()).size(), 1u);

    ASSERT_TRUE(oslock::tryLock(other.get(), dbf::kAppendLockOffset, 1, true));
    QString label;
    ModalScript script;
    script.then([&](QWidget* d) { clickLater(child<QPushButton>(d, "JetztSichernBtn")); })
        .then([&](QWidget* progress) {
            EXPECT_EQ(progress->objectName(), "BackupProgress");
            label = static_cast<QProgressDialog*>(progress)->labelText();
            progress->findChild<QPushButton*>()->click();
            oslock::unlock(other.get(), dbf::kAppendLockOffset, 1);
        })
        .then([&](QWidget* d) {
            EXPECT_EQ(d, &form);  // no message
            EXPECT_EQ(listed(d, 1).size(), 1);
            clickLater(child<QPushButton>(d, "SchliessenBtn"));
        });
    form.exec();
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(label, "Die Datensicherung wird geschrieben...");
    EXPECT_EQ(backup::listBackups(dir.path()).size(), 1u);
}

}  // namespace
}  // namespace horavant::test
