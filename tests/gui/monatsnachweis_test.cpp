// The monthly timesheet through the windows: a target row and an absence made in their windows,
// the Monatsnachweis read in the output window, and the balance in the recording window.
#include "gui_support.h"

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
#include <QPushButton>
#include <QTextEdit>
#include <QTreeWidget>

namespace horavant::test {
namespace {

class MonatsnachweisTest : public AppTest {
protected:
    void SetUp() override
    {
        UserData data;
        data.users = {{u"Anna", u"anna", u""}, {u"Bert", u"bert", u""}};
        SaveBenutzer(dir / "benutzer.dat", data);
    }
    void writeTable(const std::vector<Row>& rows)
    {
        DbfTable t;
        createWorkTimeTable(t, dir.path());
        appendRows(t, rows);
    }
    void trigger(const char* action) { windows().main->findChild<QAction*>(action)->trigger(); }
    static void choose(QComboBox* box, const QString& text) { box->setCurrentIndex(box->findText(text)); }

    const QString point = QLocale::system().decimalPoint();
};

TEST_F(MonatsnachweisTest, ATargetRowAndAnAbsenceMadeInTheirWindowsCountInTheMonatsnachweis)
{
    writeTable({{.date = u"01.06.2026", .employee = u"Anna", .from = u"08:00", .to = u"16:30", .pause = u"00:30"}});
    start();
    QString hint;
    bool refusedWhileWrong = false;
    ModalScript targets;
    targets.then([&](QWidget* w) {
        EXPECT_EQ(w->objectName(), "TSollzeitenForm");
        choose(child<QComboBox>(w, "ArbeiterEd"), "Anna");
        child<QLineEdit>(w, "AbEd")->setText("01.06.2026");
        auto* land = child<QComboBox>(w, "LandEd");
        land->setCurrentIndex(land->findData("BY"));
        for (const char* day : {"MoEd", "DiEd", "MiEd", "DoEd", "FrEd"})
            child<QLineEdit>(w, day)->setText("8:00");
        child<QLineEdit>(w, "UrlaubEd")->setText("30");
        child<QLineEdit>(w, "UebertragEd")->setText("+2:00");
        child<QLineEdit>(w, "FrEd")->setText("24:01");
        hint = child<QLabel>(w, "HinweisLabel")->text();
        refusedWhileWrong = !child<QPushButton>(w, "HinzufuegenBtn")->isEnabled();
        child<QLineEdit>(w, "FrEd")->setText("6:00");
        child<QPushButton>(w, "HinzufuegenBtn")->click();
        EXPECT_EQ(child<QTreeWidget>(w, "ListView1")->topLevelItemCount(), 1);
        clickLater(child<QPushButton>(w, "SchliessenBtn"));
    });
    trigger("Sollzeiten1");
    EXPECT_TRUE(targets.finished());
    EXPECT_EQ(hint, "Fr: Bitte eine Zeit bis 24:00 eingeben, zum Beispiel 08:00.");
    EXPECT_TRUE(refusedWhileWrong);
    const auto stored = readTableRows(dir.path(), kTargetTable);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].texts,
              (std::vector<std::u16string> {u"Anna", u"01.06.2026", u"BY", u"08:00", u"08:00", u"08:00", u"08:00",
                                            u"06:00", u"", u"", u"30", u"+02:00"}));

    const auto add = [&](QWidget* w, QDate from, QDate to, const char* kind) {
        choose(child<QComboBox>(w, "ArbeiterEd"), "Anna");
        child<QDateEdit>(w, "VonEd")->setDate(from);
        child<QDateEdit>(w, "BisEd")->setDate(to);
        choose(child<QComboBox>(w, "ArtEd"), kind);
        child<QPushButton>(w, "HinzufuegenBtn")->click();
    };
    QString overlap, backwards;
    int listed = 0;
    ModalScript absences;
    absences
        .then([&](QWidget* w) {
            add(w, QDate(2026, 6, 3), QDate(2026, 6, 3), "Krank");
            add(w, QDate(2026, 6, 2), QDate(2026, 6, 5), "Urlaub");
            add(w, QDate(2026, 6, 5), QDate(2026, 6, 4), "Urlaub");
            listed = child<QTreeWidget>(w, "ListView1")->topLevelItemCount();
            clickLater(child<QPushButton>(w, "SchliessenBtn"));
        })
        .answer(QMessageBox::Ok, &overlap)
        .answer(QMessageBox::Ok, &backwards);
    trigger("Abwesenheiten1");
    EXPECT_TRUE(absences.finished());
    EXPECT_EQ(overlap,
              "Die Abwesenheit überschneidet sich mit einer anderen dieses Mitarbeiters:\n"
              "03.06.2026 – 03.06.2026 Krank");
    EXPECT_EQ(backwards, "Die Abwesenheit endet vor ihrem Beginn.");
    EXPECT_EQ(listed, 1);

    windows().auswerten->printer().setOutputFormat(QPrinter::PdfFormat);
    windows().auswerten->printer().setOutputFileName(QString::fromStdString((dir / "unused.pdf").string()));
    QStringList items;
    QDate offeredFrom, offeredTo;
    QString report;
    ModalScript timesheet;
    timesheet
        .then([&](QWidget* s) {
            auto* list = child<QComboBox>(s, "ArbeiterEd");
            for (int i = 0; i < list->count(); ++i)
                items << list->itemText(i);
            offeredFrom = child<QDateEdit>(s, "DateTimePicker1")->date();
            offeredTo = child<QDateEdit>(s, "DateTimePicker2")->date();
            list->setCurrentIndex(1);
            child<QDateEdit>(s, "DateTimePicker1")->setDate(QDate(2026, 6, 1));
            child<QDateEdit>(s, "DateTimePicker2")->setDate(QDate(2026, 6, 7));
            clickLater(child<QPushButton>(s, "OkayBtn"));
        })
        .then([&](QWidget* o) {
            report = child<QTextEdit>(o, "RichEdit1")->toPlainText();
            clickLater(child<QPushButton>(o, "BitBtn1"));
        });
    trigger("Monatsnachweis1");
    EXPECT_TRUE(timesheet.finished());
    EXPECT_EQ(items, QStringList({"Alle Mitarbeiter", "Anna"}));
    const QDate today = QDate::currentDate();
    EXPECT_EQ(offeredFrom, QDate(today.year(), today.month(), 1));
    EXPECT_EQ(offeredTo, QDate(today.year(), today.month(), today.daysInMonth()));
    const QStringList lines = report.split('\n');
    ASSERT_GT(lines.size(), 20);
    EXPECT_EQ(lines[0], "Monatsnachweis Anna");
    EXPECT_EQ(lines[2], "Bundesland: Bayern");
    EXPECT_EQ(lines[4], "Tag           Zeiten      Pause    Ist   Soll Differenz Feiertag/Abwesenheit");
    EXPECT_EQ(lines[5].simplified(),
              "Mo 01.06.2026 08:00–16:30 0" + point + "50 8" + point + "00 8" + point + "00 0" + point + "00");
    EXPECT_TRUE(lines[7].endsWith("Krank"));
    EXPECT_TRUE(lines[8].endsWith("Fronleichnam"));
    // Three days of 8 hours and a Friday of 6 owed, 16 worked or credited, 2 brought in.
    EXPECT_TRUE(lines.contains("Differenz: -14" + point + "00"));
    EXPECT_TRUE(lines.contains("Saldo: -12" + point + "00"));
    EXPECT_TRUE(lines.contains("Resturlaub: 30"));
    EXPECT_EQ(lines.last(), "Datum, Unterschrift Arbeitgeber");
}

TEST_F(MonatsnachweisTest, TheRecordingWindowShowsTheBalanceUpToYesterday)
{
    const auto stored = [](const QDate& d) { return d.toString("dd.MM.yyyy").toStdU16String(); };
    const QDate today = QDate::currentDate();
    writeTable({{.date = stored(today.addDays(-1)), .employee = u"Anna", .from = u"08:00", .to = u"10:00"},
                {.date = stored(today), .employee = u"Anna", .from = u"08:00", .to = u"09:00"}});
    // No hours owed on any day: the balance is what was brought in and worked.
    appendTableRow(dir.path(), kTargetTable,
                   {u"Anna", stored(today.addDays(-30)), u"BE", u"", u"", u"", u"", u"", u"", u"", u"30", u"+3:30"});
    start();
    const auto balanceOf = [&](const QString& user) {
        QString line;
        bool shown = false;
        ModalScript script;
        script.then([&](QWidget* w) {
            line = child<QLabel>(w, "SaldoLabel")->text();
            shown = !child<QLabel>(w, "SaldoLabel")->isHidden();
            clickLater(child<QPushButton>(w, "AusloggenBtn"));
        });
        child<QLineEdit>(windows().einloggen, "Edit1")->setText(user);
        clickLater(child<QPushButton>(windows().einloggen, "BitBtnXP1"));
        while (!script.finished() || QApplication::activeModalWidget())
            processEvents(10);
        return shown ? line : QString();
    };
    EXPECT_EQ(balanceOf("anna"), "Saldo bis gestern: +5" + point + "50 Std.");
    EXPECT_EQ(balanceOf("bert"), "");
}

}  // namespace
}  // namespace horavant::test
