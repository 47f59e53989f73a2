// The exports from the real windows: the print preview, the report as PDF and as CSV, and every
// record as CSV, read back through LibreOffice where it is installed.
#include "gui_support.h"

#include "app/main_form.h"
#include "evaluation/auswerten_form.h"
#include "store/dbf_table.h"
#include "support/work_time_table.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinterInfo>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <QLineEdit>

namespace horavant::test {
namespace {

class ExportTest : public AppTest {
protected:
    // A home folder of the test's own, with a documents folder.
    ExportTest() : m_home(qgetenv("HOME"))
    {
        std::filesystem::create_directory(home / "Documents");
        qputenv("HOME", QByteArray::fromStdString(home.path().string()));
    }
    ~ExportTest() override { qputenv("HOME", m_home); }

    // Without a print server the program finds no printer: the exports must not need one.
    void startWithoutPrinter(const std::vector<Row>& rows)
    {
        qputenv("CUPS_SERVER", "/nonexistent/cups.sock");
        DbfTable t;
        createWorkTimeTable(t, dir.path());
        appendRows(t, rows);
        t.Close();
        start();
        application().services().regional = Regional::german();
    }

    static std::vector<Row> manyRows()
    {
        std::vector<Row> rows;
        for (int i = 0; i < 60; ++i)
            rows.push_back({.date = u"01.03.2012", .employee = u"Meier", .place = u"Baustelle Nord"});
        return rows;
    }

    // The evaluation of the first employee over March 2012, then `inOutput` in the output window;
    // whatever the export then opens is answered by the steps that follow.
    ModalScript& evaluate(ModalScript& script, const std::function<void(QWidget*)>& inOutput)
    {
        script.then([](QWidget* s) {
            child<QDateEdit>(s, "DateTimePicker1")->setDate(QDate(2012, 3, 1));
            child<QDateEdit>(s, "DateTimePicker2")->setDate(QDate(2012, 3, 31));
            clickLater(child<QPushButton>(s, "OkayBtn"));
        });
        return script.then(inOutput);
    }

    // Answers the save dialog with `file`, after noting the name it offered.
    ModalScript::Step saveAs(const std::filesystem::path& file)
    {
        return [this, file](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            offered = dialog->selectedFiles().value(0);
            // As a user types it: the folder, then the name into the focused name field.
            dialog->setDirectory(QString::fromStdString(file.parent_path().string()));
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(name, nullptr);
            name->setText(QString::fromStdString(file.filename().string()));
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        };
    }

    static void closeOutput(QWidget* o)
    {
        if (auto* box = qobject_cast<QMessageBox*>(o))
            FAIL() << "unexpected message: " << box->text().toStdString();
        clickLater(child<QPushButton>(o, "BitBtn1"));
    }

    QString documents(const QString& name) const
    {
        return QString::fromStdString((home / "Documents").string()) + u'/' + name;
    }

    static QByteArray run(const QString& tool, const QStringList& arguments)
    {
        QProcess p;
        p.setStandardErrorFile(QProcess::nullDevice());
        p.start(tool, arguments);
        p.waitForFinished(120000);
        return p.readAllStandardOutput();
    }

    // Nothing beside the table and what the test expects: no temporary file was left behind.
    QStringList files() const
    {
        return QDir(QString::fromStdString(dir.path().string())).entryList(QDir::Files, QDir::Name);
    }

    QString offered;
    TempDir home;

private:
    QByteArray m_home;
};

TEST_F(ExportTest, ThePreviewShowsThePagesOfThePrinterThatPrints)
{
    startWithoutPrinter(manyRows());
    QPrinter* used = nullptr;
    int pages = 0;
    ModalScript script;
    evaluate(script, [](QWidget* o) { clickLater(child<QPushButton>(o, "SeitenansichtBtn")); })
        .then([&](QWidget* p) {
            auto* preview = qobject_cast<QPrintPreviewDialog*>(p);
            ASSERT_NE(preview, nullptr);
            used = preview->printer();
            auto* pagesView = p->findChild<QPrintPreviewWidget*>();
            pagesView->updatePreview();
            pages = pagesView->pageCount();
            EXPECT_EQ(used->pageLayout().orientation(), QPageLayout::Landscape);
            closeLater(p);
        })
        .then(closeOutput);
    application().mainForm().AuswertungnachMitarbeiter1Click();
    EXPECT_EQ(used, &windows().auswerten->printer());
    // 60 rows and 7 lines at 9 pt leave a second landscape page.
    EXPECT_EQ(pages, 2);
}

TEST_F(ExportTest, ThePdfHasTheSamePagesOnA4LandscapeWithSelectableText)
{
    startWithoutPrinter(manyRows());
    const auto pdf = dir / "bericht.pdf";
    ModalScript script;
    evaluate(script, [](QWidget* o) { clickLater(child<QPushButton>(o, "PdfSpeichernBtn")); })
        .then(saveAs(pdf))
        .then(closeOutput);
    application().mainForm().AuswertungnachMitarbeiter1Click();
    EXPECT_EQ(offered, documents("Auswertung Meier 01.03.2012-31.03.2012.pdf"));
    EXPECT_EQ(files().filter("bericht"), QStringList({"bericht.pdf"}));

    const QString path = QString::fromStdString(pdf.string());
    const QString info = QString::fromLocal8Bit(run("pdfinfo", {path}));
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+2\\b"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Page size:\\s+842 x 595 pts \\(A4\\)"))) << info.toStdString();
    const QString text = QString::fromUtf8(run("pdftotext", {path, "-"}));
    EXPECT_TRUE(text.contains("Auswertung Mitarbeiter Meier"));
    // Every page carries the journal's last entry at its foot.
    EXPECT_EQ(text.count("Änderungsprotokoll: Eintrag "), 2) << text.toStdString();

    // The text begins half an inch from the left and top edges and keeps that far from all four.
    const int dpi = 100;
    const QString prefix = QString::fromStdString((dir / "page").string());
    run("pdftoppm", {"-r", QString::number(dpi), "-f", "1", "-l", "1", "-png", "-singlefile", path, prefix});
    const QImage page(prefix + ".png");
    ASSERT_FALSE(page.isNull());
    QRect ink;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 128)
                ink = ink.united(QRect(x, y, 1, 1));
    EXPECT_GT(page.width(), page.height());
    EXPECT_NEAR(ink.left(), dpi / 2, 3);
    EXPECT_NEAR(ink.top(), dpi / 2, 6);
    EXPECT_LE(ink.right(), page.width() - dpi / 2);
    EXPECT_LE(ink.bottom(), page.height() - dpi / 2);
}

TEST_F(ExportTest, APdfThatCannotBeWrittenIsReportedAndLeavesNoFile)
{
    startWithoutPrinter(manyRows());
    QString error;
    std::unique_ptr<FileSizeLimit> diskFull;
    ModalScript script;
    evaluate(script, [](QWidget* o) { clickLater(child<QPushButton>(o, "PdfSpeichernBtn")); })
        .then([&](QWidget* d) {
            diskFull = std::make_unique<FileSizeLimit>(4096);
            saveAs(dir / "bericht.pdf")(d);
        })
        .answer(QMessageBox::Ok, &error)
        .then(closeOutput);
    application().mainForm().AuswertungnachMitarbeiter1Click();
    diskFull.reset();
    EXPECT_TRUE(error.startsWith("Die Datei konnte nicht gespeichert werden.\nWrite error in file \""))
        << error.toStdString();
    EXPECT_TRUE(error.contains("bericht.pdf")) << error.toStdString();
    EXPECT_EQ(files().filter("bericht").size(), 0);
}

TEST_F(ExportTest, TheReportsCsvHasItsRowsAndSummary)
{
    startWithoutPrinter({{.date = u"05.03.2012",
                          .from = u"07:30",
                          .to = u"16:15",
                          .remarks = u"Gerüst; Nord",
                          .away = u"True",
                          .pause = u"00:45"}});
    ModalScript script;
    evaluate(script, [](QWidget* o) { clickLater(child<QPushButton>(o, "CsvSpeichernBtn")); })
        .then(saveAs(dir / "bericht.csv"))
        .then(closeOutput);
    application().mainForm().AuswertungnachMitarbeiter1Click();
    EXPECT_EQ(offered, documents("Auswertung Meier 01.03.2012-31.03.2012.csv"));
    EXPECT_EQ(readFile(dir / "bericht.csv"),
              "\xEF\xBB\xBF"
              "Datum;Ort;T\xC3\xA4tigkeit;Von;Bis;\xC3\x9C"
              "bernachtung;Bemerkungen;Stunden\r\n"
              "05.03.2012;Bau;Maurern;07:30;16:15;Ausw\xC3\xA4rts;\"Ger\xC3\xBCst; Nord\";8,00\r\n"
              "\r\n"
              "Ausw\xC3\xA4rts\xC3\xBC"
              "bernachtungen:;1\r\n"
              "Abgezogene Pausenzeit in Stunden:;0,75\r\n"
              "Gesamtstunden:;8,00\r\n");
}

TEST_F(ExportTest, CancellingTheRecordsExportLeavesNoFile)
{
    startWithoutPrinter({{}, {}, {}});
    QProgressDialog* progress = &application().mainForm().exportProgressDialog();
    progress->setMinimumDuration(0);
    // The user presses the dialog's cancel button as soon as it shows.
    struct CancelOnShow : QObject {
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Show)
                if (auto* button = watched->findChild<QPushButton*>())
                    button->click();
            return false;
        }
    } cancel;
    progress->installEventFilter(&cancel);
    ModalScript script;
    script.then(saveAs(dir / "alle.csv"));
    application().mainForm().findChild<QAction*>("AlleBuchungenalsCSVexportieren1")->trigger();
    EXPECT_TRUE(script.finished());
    EXPECT_FALSE(progress->isVisible());
    EXPECT_EQ(files().filter("alle").size(), 0);
    // Not a failure: nothing is reported.
    EXPECT_EQ(script.handled(), 1);
}

// The save dialog offers a folder that is there: the documents folder, else the home folder;
// and once a file was saved, the folder it went into.
TEST_F(ExportTest, TheSaveDialogOffersAFolderThatIsThere)
{
    std::filesystem::remove(home / "Documents");
    const auto folder = dir / "Ablage";
    std::filesystem::create_directory(folder);
    startWithoutPrinter({{}});
    QStringList offers;
    for (const auto& file : {folder / "eins.csv", folder / "zwei.csv", home / "drei.csv"}) {
        ModalScript script;
        script.then(saveAs(file));
        application().mainForm().AlleBuchungenalsCSVexportieren1Click();
        offers << QString::fromStdString(std::filesystem::path(offered.toStdString()).parent_path().string());
        std::filesystem::remove_all(file.filename() == "zwei.csv" ? folder : dir / "nichts");
    }
    const QString homeFolder = QString::fromStdString(home.path().string());
    EXPECT_EQ(offers, QStringList({homeFolder, QString::fromStdString(folder.string()), homeFolder}));
}

// The file as a German spreadsheet reads it: LibreOffice converts it to its flat XML, whose cells
// carry their type and value.
TEST_F(ExportTest, LibreOfficeReadsEveryRecordBackAsWritten)
{
    if (QStandardPaths::findExecutable("soffice").isEmpty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed: apt-get install libreoffice-calc-nogui";
    startWithoutPrinter({{.employee = u"Jürgen Öztürk",
                          .place = u"Café 5 €; Süd",
                          .activity = u"=Fliesen",
                          .from = u"07:30",
                          .to = u"16:15",
                          .remarks = u"sagte \"ja\"\nzweite Zeile",
                          .away = u"True",
                          .pause = u"00:45"},
                         {.from = u"", .away = u"False"}});
    ModalScript script;
    script.then(saveAs(dir / "alle.csv"));
    application().mainForm().findChild<QAction*>("AlleBuchungenalsCSVexportieren1")->trigger();
    EXPECT_EQ(offered, documents("Buchungen.csv"));

    // ";" separated, '"' quoted, UTF-8, German number and date forms.
    const QString profile = QUrl::fromLocalFile(QString::fromStdString((dir / "lo-profile").string())).toString();
    run("soffice",
        {"-env:UserInstallation=" + profile, "--headless", "--infilter=CSV:59,34,76,1,,1031", "--convert-to", "fods",
         "--outdir", QString::fromStdString(dir.path().string()), QString::fromStdString((dir / "alle.csv").string())});
    QFile converted(QString::fromStdString((dir / "alle.fods").string()));
    ASSERT_TRUE(converted.open(QIODevice::ReadOnly)) << "LibreOffice wrote no file";
    struct Cell {
        QString type, value, text;
    };
    std::vector<std::vector<Cell>> rows;
    QXmlStreamReader xml(&converted);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"table-row") {
            rows.emplace_back();
        } else if (xml.name() == u"table-cell" && !rows.empty()) {
            const auto a = xml.attributes();
            const int repeated = std::max(1, a.value("table:number-columns-repeated").toInt());
            Cell cell {a.value("office:value-type").toString(),
                       a.hasAttribute("office:date-value") ? a.value("office:date-value").toString()
                                                           : a.value("office:value").toString(),
                       {}};
            for (int i = 0; i < repeated && i < 20; ++i)
                rows.back().push_back(cell);
        } else if (xml.name() == u"p" && !rows.empty() && !rows.back().empty()) {
            QString& text = rows.back().back().text;
            text += (text.isEmpty() ? "" : "\n") + xml.readElementText(QXmlStreamReader::IncludeChildElements);
        }
    }
    ASSERT_GE(rows.size(), 3u);
    ASSERT_GE(rows[1].size(), 11u);
    const QStringList titles = {"Datum",       "Arbeiter",  "Ort",   "Tätigkeit", "Zeit von", "Zeit bis",
                                "Bemerkungen", "Auswaerts", "Pause", "Doppelt",   "Stunden"};
    for (int i = 0; i < titles.size(); ++i)
        EXPECT_EQ(rows[0][static_cast<std::size_t>(i)].text, titles[i]);
    const auto& r = rows[1];
    EXPECT_EQ(r[0].type, "date");
    EXPECT_EQ(r[0].value, "2012-03-01");
    EXPECT_EQ(r[1].text, "Jürgen Öztürk");
    EXPECT_EQ(r[2].text, "Café 5 €; Süd");
    EXPECT_EQ(r[3].type, "string");
    EXPECT_EQ(r[3].text, "'=Fliesen");
    EXPECT_EQ(r[6].text, "sagte \"ja\"\nzweite Zeile");
    EXPECT_EQ(r[7].text, "Ja");
    EXPECT_EQ(r[9].text, "Nein");
    EXPECT_EQ(r[10].type, "float");
    EXPECT_EQ(r[10].value, "8");
    // A row whose start cannot be read has no hours.
    ASSERT_GE(rows[2].size(), 8u);
    EXPECT_EQ(rows[2][7].text, "Nein");
    EXPECT_TRUE(rows[2].size() < 11 || rows[2][10].type.isEmpty());
}

}  // namespace
}  // namespace horavant::test
