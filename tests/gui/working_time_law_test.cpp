// The working-time law check from the main window's menu: the choice of everybody or one
// employee, the report in the output window, a night shift recorded and checked, and the empty
// table.
#include "gui_support.h"

#include "app/main_form.h"
#include "evaluation/auswerten_form.h"
#include "recording/einloggen_form.h"
#include "store/dbf_table.h"
#include "store/timesheet_tables.h"
#include "store/user_file.h"
#include "support/work_time_table.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QTextEdit>
#include <QTimeEdit>

namespace horavant::test {
namespace {

class WorkingTimeLawTest : public AppTest {
protected:
    void writeTable(const std::vector<Row>& rows)
    {
        DbfTable t;
        createWorkTimeTable(t, dir.path());
        appendRows(t, rows);
    }

    // Runs the check from the menu with the entry `entry` over March 2026; the entries offered
    // go to `items`, and the report's lines are returned.
    QStringList runCheck(int entry, QStringList* items = nullptr)
    {
        windows().auswerten->printer().setOutputFormat(QPrinter::PdfFormat);
        windows().auswerten->printer().setOutputFileName(QString::fromStdString((dir / "unused.pdf").string()));
        QString report;
        ModalScript script;
        script
            .then([&](QWidget* s) {
                EXPECT_EQ(s->objectName(), "TMitarbeiterAussuchenForm");
                auto* list = child<QComboBox>(s, "ArbeiterEd");
                for (int i = 0; items && i < list->count(); ++i)
                    *items << list->itemText(i);
                EXPECT_EQ(list->currentIndex(), 0);
                list->setCurrentIndex(entry);
                child<QDateEdit>(s, "DateTimePicker1")->setDate(QDate(2026, 3, 1));
                child<QDateEdit>(s, "DateTimePicker2")->setDate(QDate(2026, 3, 31));
                clickLater(child<QPushButton>(s, "OkayBtn"));
            })
            .then([&](QWidget* o) {
                EXPECT_EQ(o->objectName(), "TAuswertenForm");
                report = child<QTextEdit>(o, "RichEdit1")->toPlainText();
                clickLater(child<QPushButton>(o, "BitBtn1"));
            });
        windows().main->findChild<QAction*>("PrfungArbeitszeitgesetz1")->trigger();
        EXPECT_TRUE(script.finished());
        return report.split('\n');
    }
};

TEST_F(WorkingTimeLawTest, TheMenuChecksEverybodyOrOneEmployee)
{
    writeTable({{.date = u"02.03.2026", .employee = u"Anna", .from = u"07:00", .to = u"13:30"},
                {.date = u"08.03.2026", .employee = u"Anna", .from = u"09:00", .to = u"11:00"},
                {.date = u"02.03.2026", .employee = u"Bernd", .from = u"08:00", .to = u"16:30", .pause = u"00:30"}});
    start();
    QStringList menu;
    for (const QAction* a : windows().main->findChild<QMenu*>("Auswertung1")->actions())
        menu << a->objectName();
    EXPECT_EQ(menu, QStringList({"AuswertungnachMitarbeiter1", "AuswertungnachOrtBaustelle1", "AuswertungnachTtigkeit1",
                                 "PrfungArbeitszeitgesetz1", "Monatsnachweis1", "N2", "AlleBuchungenalsCSVexportieren1",
                                 "N1", "PausenzeitinAuswertungauffhren1"}));
    EXPECT_EQ(windows().main->findChild<QAction*>("PrfungArbeitszeitgesetz1")->text(), "Prüfung Arbeitszeitgesetz...");

    QStringList items;
    const QStringList all = runCheck(0, &items);
    EXPECT_EQ(items, QStringList({"Alle Mitarbeiter", "Anna", "Bernd"}));
    const QString point = QLocale::system().decimalPoint();
    ASSERT_EQ(all.size(), 11);  // the last line says the period is too short for the average
    EXPECT_EQ(all[0], "Prüfung Arbeitszeitgesetz Alle Mitarbeiter");
    EXPECT_EQ(all[1], "Zeitraum von: 01.03.2026 bis: 31.03.2026");
    // The finding column is as wide as the longest finding and its colon.
    EXPECT_EQ(all[3], "02.03.2026 Anna " + QString("Pause zu kurz (§ 4 ArbZG):").leftJustified(42) + " 0" + point
                          + "00 Std. Pause bei 6" + point + "50 Std. Arbeitszeit");
    EXPECT_TRUE(all[4].startsWith("02.03.2026 Anna Mehr als 6 Stunden ohne Pause (§ 4 ArbZG): 6" + point + "50"));
    EXPECT_TRUE(all[5].startsWith("08.03.2026 Anna Sonntagsarbeit (§ 9 ArbZG):"));
    EXPECT_EQ(all[7], "Geprüfte Tage: 3");
    EXPECT_EQ(all[8], "Tage mit Befund: 2");

    const QStringList bernd = runCheck(2);
    EXPECT_EQ(bernd[0], "Prüfung Arbeitszeitgesetz Bernd");
    EXPECT_EQ(bernd[3], "Keine Befunde.");
    EXPECT_EQ(bernd[5], "Geprüfte Tage: 1");
}

// A night shift typed into the recording window is asked about and stored as two rows, until
// 24:00 and from 00:00; the check joins them into one shift, whose rest before the afternoon's
// shift is eight hours.
TEST_F(WorkingTimeLawTest, ANightShiftRecordedInTheRecordingWindowIsOneShift)
{
    UserData users;
    users.users = {{u"Anna", u"anna", u""}};
    SaveBenutzer(dir / "benutzer.dat", users);
    writeTable({{.date = u"03.03.2026", .employee = u"Anna", .from = u"14:00", .to = u"22:00", .pause = u"00:30"}});
    start();
    QString question;
    QMessageBox::Icon icon {};
    ModalScript script;
    script
        .then([&](QWidget* w) {
            child<QDateEdit>(w, "DateTimePicker3")->setDate(QDate(2026, 3, 2));
            child<QComboBox>(w, "Orted")->setEditText("Halle");
            child<QComboBox>(w, "TatEd")->setEditText("Nachtschicht");
            child<QTimeEdit>(w, "DateTimePicker1")->setTime(QTime(22, 0));
            child<QTimeEdit>(w, "DateTimePicker2")->setTime(QTime(6, 0));
            child<QTimeEdit>(w, "DateTimePicker4")->setTime(QTime(0, 30));
            clickLater(child<QPushButton>(w, "ErfassenBtn"));
        })
        .answer(QMessageBox::Yes, &question, nullptr, &icon)
        .then([&](QWidget* w) {
            EXPECT_EQ(child<QLabel>(w, "ErfasstLabel")->text(),
                      "Erfasst: 02.03.2026, 22:00–24:00; 03.03.2026, 00:00–06:00, Halle");
            clickLater(child<QPushButton>(w, "AusloggenBtn"));
        });
    child<QLineEdit>(windows().einloggen, "Edit1")->setText("anna");
    clickLater(child<QPushButton>(windows().einloggen, "BitBtnXP1"));
    while (!script.finished() || QApplication::activeModalWidget())
        processEvents(10);
    EXPECT_EQ(question, "Die Arbeitszeit endet am nächsten Tag. Als zwei Buchungen bis 24:00 und ab 00:00 erfassen?");
    EXPECT_EQ(icon, QMessageBox::Question);

    DbfTable t;
    t.setFolder(dir.path());
    t.setTableName("arbeitszeit.dbf");
    t.Open();
    std::vector<std::vector<std::u16string>> stored;
    for (t.First(); !t.Eof(); t.Next())
        stored.push_back({t.fieldText(0), t.fieldText(4), t.fieldText(5), t.fieldText(8)});
    EXPECT_EQ(stored, (std::vector<std::vector<std::u16string>> {{u"03.03.2026", u"14:00", u"22:00", u"00:30"},
                                                                 {u"02.03.2026", u"22:00", u"24:00", u"00:00"},
                                                                 {u"03.03.2026", u"00:00", u"06:00", u"00:30"}}));

    const QStringList report = runCheck(0);
    ASSERT_GE(report.size(), 4);
    EXPECT_TRUE(report[3].startsWith("03.03.2026 Anna Ruhezeit unter 11 Stunden (§ 5 ArbZG): 8"));
    EXPECT_TRUE(report[3].endsWith(" Std. Ruhezeit (Ende 06:00, Beginn 14:00)"));
    EXPECT_EQ(report[4], "");
}

// The states come from sollzeit.dbf as it is when the check runs; a holiday on a Sunday is both
// findings of one day. What cannot be read of the timesheet's tables is named in the report, and
// the check goes on without it.
TEST_F(WorkingTimeLawTest, HolidaysOfTheStateAndDamagedTimesheetTables)
{
    writeTable({{.date = u"08.03.2026", .employee = u"Anna", .from = u"09:00", .to = u"11:00"}});
    start();
    for (const auto& [name, date] : {std::pair(u"Anna", u"01.01.2026"), std::pair(u"Bernd", u"31.02.2026")})
        appendTableRow(dir.path(), kTargetTable, {name, date, u"BE", u"", u"", u"", u"", u"", u"", u"", u"30", u""});
    writeFile(dir / "abwesend.dbf", "kaputt");
    const QStringList report = runCheck(0);
    ASSERT_GE(report.size(), 7);
    EXPECT_EQ(report[2], "Die Datei " + QString::fromStdString((dir / "abwesend.dbf").string())
                             + " kann nicht gelesen werden: Invalid DBF file. Die Prüfung läuft ohne diese Datei.");
    EXPECT_EQ(report[3],
              "Zeilen in sollzeit.dbf oder abwesend.dbf, die nicht gelesen werden können, zählen nicht mit.");
    EXPECT_TRUE(report[5].startsWith("08.03.2026 Anna Sonntagsarbeit (§ 9 ArbZG):"));
    EXPECT_TRUE(
        report[6].startsWith("08.03.2026 Anna Feiertagsarbeit (§ 9 ArbZG): Internationaler Frauentag (Berlin): 2"));
    EXPECT_TRUE(report.contains("Tage mit Befund: 1"));
}

TEST_F(WorkingTimeLawTest, AnEmptyTableShowsMessageThirtyAndNoSelection)
{
    start();
    QString text;
    ModalScript script;
    script.answer(QMessageBox::Ok, &text);
    application().mainForm().PrfungArbeitszeitgesetz1Click();
    EXPECT_EQ(text, "Es gibt noch keine Buchungen von irgendeinem Mitarbeiter.");
    EXPECT_TRUE(script.finished());
}

}  // namespace
}  // namespace horavant::test
