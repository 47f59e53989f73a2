// The evaluations from the main window: selection, output, printing (to a file and through CUPS).
#include "gui_support.h"

#include "app/main_form.h"
#include "evaluation/auswerten_form.h"
#include "i18n/message_table.h"
#include "i18n/translation_store.h"
#include "store/dbf_table.h"
#include "support/work_time_table.h"
#include "ui/work_time_model.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <QTextEdit>

#include <gmock/gmock.h>

#include <chrono>
#include <thread>

namespace horavant::test {
namespace {

class EvaluationTest : public AppTest {
protected:
    TMainForm& mainForm() { return application().mainForm(); }
    TAuswertenForm& output() { return *windows().auswerten; }

    void writeTable(const std::vector<Row>& rows)
    {
        DbfTable t;
        createWorkTimeTable(t, dir.path());
        appendRows(t, rows);
    }

    // Keeps the output window off the system's printers unless a test wants them.
    void printToFile(const std::filesystem::path& pdf)
    {
        output().printer().setOutputFormat(QPrinter::PdfFormat);
        output().printer().setOutputFileName(QString::fromStdString(pdf.string()));
    }

    static ModalScript::Step choose(int entry, QDate from, QDate to, QStringList* items = nullptr)
    {
        return [=](QWidget* s) {
            EXPECT_EQ(s->objectName(), "TMitarbeiterAussuchenForm");
            // The choice and the dates are in large type, the button is not.
            for (const char* name : {"Label4", "ArbeiterEd", "Label3", "DateTimePicker1", "Label1", "DateTimePicker2"})
                EXPECT_EQ(child<QWidget>(s, name)->font().pointSize(), 12) << name;
            EXPECT_NE(child<QWidget>(s, "OkayBtn")->font().pointSize(), 12);
            auto* list = child<QComboBox>(s, "ArbeiterEd");
            if (items) {
                items->clear();
                for (int i = 0; i < list->count(); ++i)
                    *items << list->itemText(i);
                *items << QString::number(list->currentIndex());
            }
            list->setCurrentIndex(entry);
            if (from.isValid())
                child<QDateEdit>(s, "DateTimePicker1")->setDate(from);
            if (to.isValid())
                child<QDateEdit>(s, "DateTimePicker2")->setDate(to);
            clickLater(child<QPushButton>(s, "OkayBtn"));
        };
    }

    QString reportText() { return child<QTextEdit>(&output(), "RichEdit1")->toPlainText(); }

    // Output of one of poppler's tools; their warnings about the fonts are of no interest here.
    static QByteArray poppler(const QString& tool, const QStringList& arguments)
    {
        QProcess p;
        p.setStandardErrorFile(QProcess::nullDevice());
        p.start(tool, arguments);
        p.waitForFinished(20000);
        return p.readAllStandardOutput();
    }

    static QString pdfInfo(const std::filesystem::path& pdf)
    {
        return QString::fromLocal8Bit(poppler("pdfinfo", {QString::fromStdString(pdf.string())}));
    }

    // The inked area of one page rendered at `dpi` pixels per inch.
    // The bounding box of a page's ink; `inked` (if given) gets how many columns and how many rows
    // of pixels hold ink at all.
    static QRect inkedArea(const std::filesystem::path& pdf, int pageNumber, int dpi, QSize* pageSize,
                           QSize* inked = nullptr)
    {
        const QString prefix = QString::fromStdString((pdf.parent_path() / "page").string());
        const QString number = QString::number(pageNumber);
        poppler("pdftoppm", {"-r", QString::number(dpi), "-f", number, "-l", number, "-png", "-singlefile",
                             QString::fromStdString(pdf.string()), prefix});
        QImage page(prefix + ".png");
        QFile::remove(prefix + ".png");
        *pageSize = page.size();
        QRect ink;
        std::vector<bool> columns(static_cast<std::size_t>(page.width())),
            rows(static_cast<std::size_t>(page.height()));
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                if (qGray(page.pixel(x, y)) < 128) {
                    ink = ink.united(QRect(x, y, 1, 1));
                    columns[static_cast<std::size_t>(x)] = rows[static_cast<std::size_t>(y)] = true;
                }
        if (inked)
            *inked = QSize(static_cast<int>(std::ranges::count(columns, true)),
                           static_cast<int>(std::ranges::count(rows, true)));
        return ink;
    }
};

TEST_F(EvaluationTest, AnEmptyTableShowsMessageThirtyAndNoSelection)
{
    start();
    QString text, title;
    ModalScript script;
    script.answer(QMessageBox::Ok, &text, &title);
    mainForm().AuswertungnachMitarbeiter1Click();
    EXPECT_EQ(text, "Es gibt noch keine Buchungen von irgendeinem Mitarbeiter.");
    EXPECT_EQ(title, "");
    EXPECT_EQ(script.handled(), 1);

    ModalScript place;
    place.answer(QMessageBox::Ok, &text);
    mainForm().AuswertungnachOrtBaustelle1Click();
    EXPECT_EQ(text, "Es gibt noch keine Buchungen von irgendeinem Ort.");
    ModalScript activity;
    activity.answer(QMessageBox::Ok, &text);
    mainForm().AuswertungnachTtigkeit1Click();
    EXPECT_EQ(text, "Es gibt noch keine Buchungen von irgendeiner Tätigkeit.");
}

TEST_F(EvaluationTest, TheWorkedExampleAppearsInTheOutputWindow)
{
    writeTable({{.date = u"01.03.2012",
                 .employee = u"Meier",
                 .from = u"07:30",
                 .to = u"16:15",
                 .away = u"True",
                 .pause = u"00:45"},
                {.date = u"15.03.2012", .employee = u"Meier", .from = u"08:00", .to = u"12:00", .pause = u""},
                {.date = u"01.04.2012", .employee = u"Meier"},
                {.date = u"02.03.2012", .employee = u"meier"}});
    start();
    printToFile(dir / "unused.pdf");
    mainForm().findChild<QAction*>("PausenzeitinAuswertungauffhren1")->trigger();
    QStringList items;
    ModalScript script;
    script.then(choose(0, QDate(2012, 3, 1), QDate(2012, 3, 31), &items)).then([](QWidget* o) {
        clickLater(child<QPushButton>(o, "BitBtn1"));
    });
    mainForm().AuswertungnachMitarbeiter1Click();
    EXPECT_EQ(items, QStringList({"Meier", "meier", "0"}));
    const QStringList lines = reportText().split('\n');
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines[0], "Auswertung Mitarbeiter Meier");
    EXPECT_EQ(lines[1], "Zeitraum von: 01.03.2012 bis: 31.03.2012");
    EXPECT_TRUE(lines[4].startsWith("01.03.2012 Bau"));
    EXPECT_EQ(lines[4].mid(85, 8), "Auswärts");
    EXPECT_EQ(lines[4].mid(98, 5), "00:45");
    EXPECT_TRUE(lines[5].startsWith("15.03.2012 Bau"));
    EXPECT_EQ(lines[6], "");
    EXPECT_EQ(lines[7], "Auswärtsübernachtungen: 1");
    // Hours are shown with the decimal separator of the system's regional settings.
    const QString point = QLocale::system().decimalPoint();
    EXPECT_EQ(lines[8], "Abgezogene Pausenzeit in Stunden: 0" + point + "75");
    EXPECT_EQ(lines[9], "Gesamtstunden: 12" + point + "00");
}

TEST_F(EvaluationTest, TheBreakColumnFollowsTheSwitchAtEveryReport)
{
    writeTable({{.employee = u"Meier", .pause = u"00:45"}});
    start();
    printToFile(dir / "unused.pdf");
    const auto report = [&] {
        ModalScript script;
        script.then(choose(0, QDate(2012, 3, 1), QDate(2012, 3, 31))).then([](QWidget* o) {
            clickLater(child<QPushButton>(o, "BitBtn1"));
        });
        mainForm().AuswertungnachMitarbeiter1Click();
        return reportText();
    };
    auto* toggle = mainForm().findChild<QAction*>("PausenzeitinAuswertungauffhren1");
    const QString before = report();
    toggle->trigger();
    toggle->trigger();
    EXPECT_EQ(report(), before);
    toggle->trigger();
    const QString withBreaks = report();
    EXPECT_NE(withBreaks, before);
    EXPECT_TRUE(withBreaks.split('\n')[4].contains("00:45"));
    EXPECT_FALSE(before.split('\n')[4].contains("00:45"));
}

TEST_F(EvaluationTest, TheSelectionKeepsItsDatesAndTheCloseBoxKeepsTheReport)
{
    writeTable({{.employee = u"Meier", .place = u"Bau"}, {.employee = u"Schulz", .place = u"Halle"}});
    // German short dates have two-digit years; the pickers must not take them.
    const QLocale locale;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    start();
    QLocale::setDefault(locale);
    printToFile(dir / "unused.pdf");
    ModalScript first;
    first.then(choose(1, QDate(2012, 3, 1), QDate(2012, 3, 31))).then([](QWidget* o) {
        clickLater(child<QPushButton>(o, "BitBtn1"));
    });
    mainForm().AuswertungnachMitarbeiter1Click();
    const QString report = reportText();
    EXPECT_TRUE(report.startsWith("Auswertung Mitarbeiter Schulz"));

    QStringList items, shown;
    QDate from, to;
    ModalScript second;
    second.then([&](QWidget* s) {
        auto* list = child<QComboBox>(s, "ArbeiterEd");
        for (int i = 0; i < list->count(); ++i)
            items << list->itemText(i);
        items << QString::number(list->currentIndex());
        from = child<QDateEdit>(s, "DateTimePicker1")->date();
        to = child<QDateEdit>(s, "DateTimePicker2")->date();
        // Four-digit years, as the recording window and the reports show them.
        shown = {child<QDateEdit>(s, "DateTimePicker1")->text(), child<QDateEdit>(s, "DateTimePicker2")->text()};
        // There is no cancel button: Escape does not close the window, its close box does.
        QTest::keyClick(list, Qt::Key_Escape);
        EXPECT_TRUE(s->isVisible());
        closeLater(s);
    });
    // The administrator works in the shown main window, whose grid is bound to the table.
    mainForm().show();
    auto* grid = child<QTableView>(&mainForm(), "DBGrid1");
    grid->setCurrentIndex(mainForm().model().index(0, 2));
    mainForm().AuswertungnachOrtBaustelle1Click();
    // The gathering scan went through the table, and the grid shows its last row, even though
    // no report was made.
    EXPECT_EQ(grid->currentIndex().row(), 1);
    EXPECT_EQ(items, QStringList({"Bau", "Halle", "0"}));
    EXPECT_EQ(from, QDate(2012, 3, 1));
    EXPECT_EQ(to, QDate(2012, 3, 31));
    EXPECT_EQ(shown, QStringList({"01.03.2012", "31.03.2012"}));
    EXPECT_EQ(reportText(), report);
}

TEST_F(EvaluationTest, EveryShowingTurnsThePrinterToLandscapeAndTypedTextIsPrinted)
{
    writeTable({{.employee = u"Meier"}});
    start();
    const auto pdf = dir / "report.pdf";
    printToFile(pdf);
    output().printer().setPageOrientation(QPageLayout::Portrait);
    QPageLayout::Orientation shown {};
    ModalScript script;
    script.then(choose(0, QDate(2012, 1, 1), QDate(2012, 12, 31))).then([&](QWidget* o) {
        shown = output().printer().pageLayout().orientation();
        auto* text = child<QTextEdit>(o, "RichEdit1");
        text->moveCursor(QTextCursor::End);
        text->insertPlainText("\nNachtrag von Hand");
        child<QPushButton>(o, "DruckenBtn")->click();
        clickLater(child<QPushButton>(o, "BitBtn1"));
    });
    mainForm().AuswertungnachMitarbeiter1Click();
    EXPECT_EQ(shown, QPageLayout::Landscape);
    ASSERT_TRUE(std::filesystem::exists(pdf));
    const QString printed = QString::fromUtf8(poppler("pdftotext", {QString::fromStdString(pdf.string()), "-"}));
    EXPECT_TRUE(printed.contains("Nachtrag von Hand")) << printed.toStdString();
    EXPECT_TRUE(printed.contains("Auswertung Mitarbeiter Meier"));
    const auto size = QRegularExpression("Page size:\\s+([\\d.]+) x ([\\d.]+)").match(pdfInfo(pdf));
    ASSERT_TRUE(size.hasMatch());
    EXPECT_GT(size.captured(1).toDouble(), size.captured(2).toDouble()) << "the page is not landscape";
}

// Without a printer the report is shown without a word; that there is none is said to a user
// who prints or sets the printer up.
TEST_F(EvaluationTest, WithoutAPrinterTheReportIsShownAndPrintingSaysSo)
{
    // No print server to ask: the toolkit finds no printer.
    qputenv("CUPS_SERVER", "/nonexistent/cups.sock");
    writeTable({{.employee = u"Meier"}});
    start();
    if (!QPrinterInfo::availablePrinters().isEmpty())
        GTEST_SKIP() << "printers are still visible";
    QString error, onSetUp;
    bool reportShown = false;
    ModalScript script;
    script.then(choose(0, QDate(2012, 1, 1), QDate(2012, 12, 31)))
        .then([&](QWidget* o) {
            reportShown = o == &output() && reportText().startsWith("Auswertung Mitarbeiter Meier");
            clickLater(child<QPushButton>(o, "DruckenBtn"));
        })
        .answer(QMessageBox::Ok, &error)
        .then([&](QWidget* o) { clickLater(child<QPushButton>(o, "BitBtn3")); })
        .answer(QMessageBox::Ok, &onSetUp)
        .then([&](QWidget* d) {
            EXPECT_EQ(d->objectName(), "TDruckerEinrichtenForm");
            closeLater(d);
        })
        .then([&](QWidget* o) { clickLater(child<QPushButton>(o, "BitBtn1")); });
    mainForm().AuswertungnachMitarbeiter1Click();
    EXPECT_EQ(onSetUp, "Es ist kein Standarddrucker ausgewählt.");
    // The program's own words, through the translation store like every text it shows.
    EXPECT_EQ(error, "Es ist kein Standarddrucker ausgewählt.");
    EXPECT_THAT(storedGermanTexts(), testing::Contains(std::u16string(u"Es ist kein Standarddrucker ausgewählt.")));
    EXPECT_TRUE(reportShown);
}

// The program starts while no print server answers where it asks; then one does (the server
// scripts/start-print-server starts, reached through a link that appears). The output window and
// "Drucken" look the printer up again and print without a restart.
TEST_F(EvaluationTest, APrinterThatAppearsWhileTheProgramRunsIsFoundWithoutARestart)
{
    const QByteArray given = qgetenv("CUPS_SERVER");
    const std::filesystem::path server = given.startsWith('/') ? given.toStdString() : "/run/cups/cups.sock";
    const std::filesystem::path socket = dir / "cups.sock";
    qputenv("CUPS_SERVER", QByteArray::fromStdString(socket.string()));
    writeTable({{.employee = u"Meier"}});
    start();
    if (!QPrinterInfo::availablePrinters().isEmpty())
        GTEST_SKIP() << "printers are visible already (a print server asked earlier in this process)";
    // One evaluation with "Drucken" pressed once in its output window; the texts of the message
    // boxes on the way, each answered with OK, whichever come.
    const auto evaluateAndPrint = [&] {
        QStringList messages;
        bool chosen = false;
        int presses = 0;
        QPointer<QWidget> answered;
        QTimer driver;
        driver.setInterval(5);
        QObject::connect(&driver, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                if (box != answered) {
                    answered = box;
                    messages << box->text();
                    clickLater(box->button(QMessageBox::Ok));
                }
            } else if (modal && modal->objectName() == "TMitarbeiterAussuchenForm" && !chosen) {
                chosen = true;
                choose(0, QDate(2012, 1, 1), QDate(2012, 12, 31))(modal);
            } else if (modal == &output() && presses < 2) {
                clickLater(child<QPushButton>(modal, presses++ == 0 ? "DruckenBtn" : "BitBtn1"));
            }
        });
        driver.start();
        mainForm().AuswertungnachMitarbeiter1Click();
        return messages;
    };
    // Printed without a printer: the message, once.
    const QString none = "Es ist kein Standarddrucker ausgewählt.";
    EXPECT_EQ(evaluateAndPrint(), QStringList({none}));

    std::error_code ec;
    if (!std::filesystem::is_socket(server, ec))
        GTEST_SKIP() << "no print server at " << server << " (scripts/start-print-server starts one)";
    std::filesystem::create_symlink(server, socket);
    if (QPrinterInfo::defaultPrinterName().isEmpty())
        GTEST_SKIP() << "the print server has no default printer";
    // The job's title is message 6 in the current language. A title of its own, from a language
    // column of the store, keeps the system print test from taking this job's file for its own.
    TranslationStore& store = application().store();
    for (int r = 0; r < store.rowCount(); ++r) {
        if (store.cell(r, 0) == MessageTable[6])
            store.setCell(r, 3, u"Erschienen");
    }
    store.setCurrentLanguage(3);
    const auto startedAt = std::filesystem::file_time_type::clock::now();
    EXPECT_EQ(evaluateAndPrint(), QStringList());
    EXPECT_EQ(output().printer().printerName(), QPrinterInfo::defaultPrinterName());

    // cups-pdf writes the job into $HOME/PDF a moment later.
    const std::filesystem::path outbox = std::filesystem::path(qgetenv("HOME").toStdString()) / "PDF";
    std::filesystem::path pdf;
    for (int i = 0; i < 300 && pdf.empty(); ++i) {
        for (const auto& f : std::filesystem::directory_iterator(outbox, ec))
            if (f.path().filename().string().find("Erschienen") != std::string::npos
                && f.last_write_time() >= startedAt)
                pdf = f.path();
        if (pdf.empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_FALSE(pdf.empty()) << "the job never reached " << outbox;
    std::filesystem::remove(pdf, ec);
}

// "Drucker einrichten..." sets printer or PDF file, paper and the way up, and prints nothing;
// its confirm button says so. What it takes over is used by the next print; a cancelled set-up
// changes nothing; a PDF file needs a name.
TEST_F(EvaluationTest, ThePrinterSetUpTakesOverFilePaperAndWayUpAndPrintsNothing)
{
    writeTable({{.employee = u"Meier"}});
    start();
    printToFile(dir / "report.pdf");
    const auto pdf = dir / "setup.pdf";
    QString confirm, title, shownFile, refusal;
    QPageLayout afterCancel;
    ModalScript script;
    script.then(choose(0, QDate(2012, 1, 1), QDate(2012, 12, 31)))
        .then([](QWidget* o) { clickLater(child<QPushButton>(o, "BitBtn3")); })
        .then([](QWidget* d) {
            ASSERT_EQ(d->objectName(), "TDruckerEinrichtenForm");
            EXPECT_TRUE(child<QRadioButton>(d, "QuerformatRadio")->isChecked());  // what the printer has now
            child<QRadioButton>(d, "HochformatRadio")->setChecked(true);
            clickLater(child<QPushButton>(d, "AbbrechenBtn"));
        })
        .then([&](QWidget* o) {
            afterCancel = output().printer().pageLayout();
            clickLater(child<QPushButton>(o, "BitBtn3"));
        })
        .then([&](QWidget* d) {
            ASSERT_EQ(d->objectName(), "TDruckerEinrichtenForm");
            title = d->windowTitle();
            confirm = child<QPushButton>(d, "UebernehmenBtn")->text();
            EXPECT_EQ(child<QComboBox>(d, "DruckerCombo")->currentText(), "PDF-Datei");
            shownFile = child<QLineEdit>(d, "DateiEdit")->text();
            child<QLineEdit>(d, "DateiEdit")->clear();
            child<QRadioButton>(d, "HochformatRadio")->setChecked(true);
            auto* paper = child<QComboBox>(d, "PapierCombo");
            paper->setCurrentIndex(paper->findText(QPageSize(QPageSize::A5).name()));
            clickLater(child<QPushButton>(d, "UebernehmenBtn"));
        })
        .answer(QMessageBox::Ok, &refusal)
        .then([&](QWidget* d) {
            child<QLineEdit>(d, "DateiEdit")->setText(QString::fromStdString(pdf.string()));
            clickLater(child<QPushButton>(d, "UebernehmenBtn"));
        })
        .then([&](QWidget* o) {
            EXPECT_FALSE(std::filesystem::exists(pdf)) << "the set-up printed";
            child<QPushButton>(o, "DruckenBtn")->click();
            clickLater(child<QPushButton>(o, "BitBtn1"));
        });
    mainForm().AuswertungnachMitarbeiter1Click();
    EXPECT_EQ(title, "Drucker einrichten");
    EXPECT_EQ(confirm, "Übernehmen");
    EXPECT_EQ(afterCancel.orientation(), QPageLayout::Landscape);
    EXPECT_EQ(shownFile, QString::fromStdString((dir / "report.pdf").string()));
    EXPECT_EQ(refusal, "Bitte geben Sie den Namen der PDF-Datei an.");
    EXPECT_FALSE(std::filesystem::exists(dir / "report.pdf"));
    const auto size = QRegularExpression("Page size:\\s+([\\d.]+) x ([\\d.]+)").match(pdfInfo(pdf));
    ASSERT_TRUE(size.hasMatch());
    // A5 upright: 148 x 210 mm, in points.
    EXPECT_NEAR(size.captured(1).toDouble(), 419.5, 1.0);
    EXPECT_NEAR(size.captured(2).toDouble(), 595.3, 1.0);
}

// The set-up is made for each use, in the language of the moment, printer names left as they are.
TEST_F(EvaluationTest, ThePrinterSetUpSpeaksTheProgramsLanguage)
{
    {
        TranslationStore store(dir / "translate.dat");
        TranslationStore::SaveBatch batch(store);
        for (const auto& [german, english] : {std::pair {u"Drucker einrichten", u"Printer Setup"},
                                              {u"Übernehmen", u"Apply"},
                                              {u"PDF-Datei", u"PDF file"}}) {
            store.Translate(german);
            store.setCell(store.rowCount() - 1, 1, english);
        }
        batch.finish();
    }
    writeLanguage(1);
    writeTable({{.employee = u"Meier"}});
    start();
    printToFile(dir / "report.pdf");
    QString title, confirm, file;
    ModalScript script;
    script.then(choose(0, QDate(2012, 1, 1), QDate(2012, 12, 31)))
        .then([](QWidget* o) { clickLater(child<QPushButton>(o, "BitBtn3")); })
        .then([&](QWidget* d) {
            title = d->windowTitle();
            confirm = child<QPushButton>(d, "UebernehmenBtn")->text();
            file = child<QComboBox>(d, "DruckerCombo")->currentText();
            clickLater(child<QPushButton>(d, "AbbrechenBtn"));
        })
        .then([](QWidget* o) { clickLater(child<QPushButton>(o, "BitBtn1")); });
    mainForm().AuswertungnachMitarbeiter1Click();
    EXPECT_EQ(title, "Printer Setup");
    EXPECT_EQ(confirm, "Apply");
    EXPECT_EQ(file, "PDF file");
}

// A printer picked in the set-up replaces the PDF file for the prints that follow.
TEST_F(EvaluationTest, APrinterPickedInTheSetUpIsTheOneTheNextPrintsUse)
{
    const QString printer = QPrinterInfo::defaultPrinterName();
    if (printer.isEmpty())
        GTEST_SKIP() << "no print server with a default printer (scripts/start-print-server starts one)";
    writeTable({{.employee = u"Meier"}});
    start();
    printToFile(dir / "report.pdf");
    ModalScript script;
    script.then(choose(0, QDate(2012, 1, 1), QDate(2012, 12, 31)))
        .then([](QWidget* o) { clickLater(child<QPushButton>(o, "BitBtn3")); })
        .then([&](QWidget* d) {
            auto* printers = child<QComboBox>(d, "DruckerCombo");
            printers->setCurrentIndex(printers->findText(printer));
            clickLater(child<QPushButton>(d, "UebernehmenBtn"));
        })
        .then([](QWidget* o) { clickLater(child<QPushButton>(o, "BitBtn1")); });
    mainForm().AuswertungnachMitarbeiter1Click();
    EXPECT_EQ(output().printer().printerName(), printer);
    EXPECT_EQ(output().printer().outputFileName(), "");
    EXPECT_EQ(output().printer().outputFormat(), QPrinter::NativeFormat);
}

TEST_F(EvaluationTest, PrintsThroughTheSystemPrinterInLandscapeWithHalfInchMargins)
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull())
        GTEST_SKIP() << "no print server with a default printer (scripts/start-print-server starts one)";
    const std::filesystem::path outbox = std::filesystem::path(qgetenv("HOME").toStdString()) / "PDF";
    std::vector<Row> rows;
    for (int i = 0; i < 60; ++i)
        rows.push_back({.date = u"01.03.2012", .employee = u"Meier", .place = u"Baustelle Nord"});
    writeTable(rows);
    start();
    const auto startedAt = std::filesystem::file_time_type::clock::now();
    ModalScript script;
    script.then(choose(0, QDate(2012, 3, 1), QDate(2012, 3, 31))).then([&](QWidget* o) {
        child<QPushButton>(o, "DruckenBtn")->click();
        clickLater(child<QPushButton>(o, "BitBtn1"));
    });
    mainForm().AuswertungnachMitarbeiter1Click();

    // cups-pdf writes the job into $HOME/PDF a moment later.
    std::filesystem::path pdf;
    for (int i = 0; i < 300 && pdf.empty(); ++i) {
        std::error_code ec;
        for (const auto& f : std::filesystem::directory_iterator(outbox, ec))
            if (f.path().extension() == ".pdf" && f.last_write_time() >= startedAt
                && f.path().filename().string().find("Auswertung") != std::string::npos)
                pdf = f.path();
        if (pdf.empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_FALSE(pdf.empty()) << "no PDF appeared in " << outbox;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    // 60 rows and 7 lines at 9 pt leave a second page on a landscape sheet.
    const QString info = pdfInfo(pdf);
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+2\\b"))) << info.toStdString();
    // The print server lays a landscape job onto a portrait sheet turned by a quarter: the few lines
    // of the last page (and the journal's line at the page's foot) then run down the sheet, so more
    // rows of pixels than columns hold ink, by half again (the other way round on a sheet not turned).
    QSize sheet, inked;
    const int dpi = 50;
    inkedArea(pdf, 2, dpi, &sheet, &inked);
    EXPECT_LT(sheet.width(), sheet.height());
    EXPECT_GT(2 * inked.height(), 3 * inked.width()) << "the lines do not run across the long side";
    // Nothing is printed within half an inch of the sheet's edges.
    const QRect full = inkedArea(pdf, 1, dpi, &sheet);
    const QRect inner = QRect(QPoint(0, 0), sheet).adjusted(dpi / 2 - 1, dpi / 2 - 1, -(dpi / 2 - 1), -(dpi / 2 - 1));
    EXPECT_TRUE(inner.contains(full)) << "ink at " << full.left() << "," << full.top() << " " << full.width() << "x"
                                      << full.height() << " on a sheet of " << sheet.width() << "x" << sheet.height();
    std::filesystem::remove(pdf);
}

}  // namespace
}  // namespace horavant::test
