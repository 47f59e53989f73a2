// The evaluation output window.
#include "evaluation/auswerten_form.h"

#include "evaluation/csv.h"
#include "evaluation/drucker_einrichten_form.h"
#include "evaluation/export_form.h"
#include "journal/journal_view.h"
#include "store/error.h"
#include "ui/error_report.h"
#include "ui/report_printer.h"

#include <QPrintPreviewDialog>
#include <QPrinterInfo>

namespace horavant {

TAuswertenForm::TAuswertenForm(Services& services, QWidget* parent) : QDialog(parent), m_services(services)
{
    m_ui.setupUi(this);
    setupWindow(this, 764, 537, Sizing::Resizable);
    ignoreEscape(this);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    connect(m_ui.BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui.DruckenBtn, &QPushButton::clicked, this, &TAuswertenForm::DruckenBtnClick);
    connect(m_ui.BitBtn3, &QPushButton::clicked, this, &TAuswertenForm::BitBtn3Click);
    connect(m_ui.SeitenansichtBtn, &QPushButton::clicked, this, &TAuswertenForm::SeitenansichtBtnClick);
    connect(m_ui.PdfSpeichernBtn, &QPushButton::clicked, this, &TAuswertenForm::PdfSpeichernBtnClick);
    connect(m_ui.CsvSpeichernBtn, &QPushButton::clicked, this, &TAuswertenForm::CsvSpeichernBtnClick);
}

TAuswertenForm::~TAuswertenForm() = default;

QPrinter& TAuswertenForm::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

// The report's font is set with the first report, not while the program starts: finding it asks
// the system's font configuration, and most starts show no report.
void TAuswertenForm::useReportFont()
{
    if (m_reportFont)
        return;
    m_reportFont = true;
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(12);
    m_ui.RichEdit1->setFont(font);
    m_ui.RichEdit1->document()->setDefaultFont(font);
}

void TAuswertenForm::setReport(ReportTable report)
{
    useReportFont();
    m_report = std::move(report);
    const std::vector<std::u16string> lines = reportLines(m_report);
    QString text;
    std::size_t size = 0;
    for (const auto& line : lines)
        size += line.size() + 1;
    text.reserve(static_cast<qsizetype>(size));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += u'\n';
        text += qs(lines[i]);
    }
    // One paragraph per line, set in one step while the window does not repaint.
    m_ui.RichEdit1->setUpdatesEnabled(false);
    m_ui.RichEdit1->setPlainText(text);
    m_ui.RichEdit1->setUpdatesEnabled(true);
}

void TAuswertenForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

// The current printer is the one chosen in the set-up while it is there, else the system's
// default printer, looked up anew each time, so a printer added while the program runs is found.
// Without a printer Qt quietly turns the printer into a PDF writer with no file to write; printing
// to a file (as a test does) needs no printer.
bool TAuswertenForm::findPrinter()
{
    QPrinter& current = printer();
    if (!current.outputFileName().isEmpty())
        return true;
    if (!current.printerName().isEmpty() && QPrinterInfo::availablePrinterNames().contains(current.printerName()))
        return true;
    const QString found = QPrinterInfo::defaultPrinterName();
    if (found.isEmpty())
        return false;
    // A new printer brings its own page: the size and the way up chosen so far stay.
    const QPageLayout before = current.pageLayout();
    current.setPrinterName(found);
    current.setPageSize(before.pageSize());
    current.setPageOrientation(before.orientation());
    return true;
}

void TAuswertenForm::requirePrinter()
{
    if (!findPrinter())
        throw Error(m_services.translate(QStringLiteral("Es ist kein Standarddrucker ausgewählt.")).toStdString());
}

void TAuswertenForm::FormShow()
{
    // Without a printer the preview and the PDF still lay out landscape pages; that there is none
    // is said to a user who prints or sets the printer up, not to one who wants the PDF or CSV.
    printer().setPageOrientation(QPageLayout::Landscape);
    findPrinter();
}

QString TAuswertenForm::journalFooter() const
{
    return qs(journal::chainFooter(m_services.journal.last(), [this](std::u16string_view text) {
        return u16(m_services.translate(QString::fromStdU16String(std::u16string(text))));
    }));
}

void TAuswertenForm::DruckenBtnClick()
{
    guarded(this, [this] {
        const QString footer = journalFooter();
        requirePrinter();
        printReport(printer(), *m_ui.RichEdit1->document(), m_services.message(6), footer);
    });
}

void TAuswertenForm::BitBtn3Click()
{
    // Told, and then the set-up all the same: a printer or a file may be chosen there.
    guarded(this, [this] { requirePrinter(); });
    TDruckerEinrichtenForm PrinterSetupDialog1(m_services, printer(), this);
    PrinterSetupDialog1.exec();
}

std::u16string TAuswertenForm::documentName() const
{
    return m_report.name.empty() ? u"Auswertung" : m_report.name;
}

// The preview lays out the pages with the printer that "Drucken" uses, so it shows the pages as
// they will be printed; a page set-up changed in it applies to the following prints too.
void TAuswertenForm::SeitenansichtBtnClick()
{
    QString title, footer;
    if (!guarded(this, [&] {
            title = m_services.translate(QStringLiteral("Seitenansicht"));
            footer = journalFooter();
        }))
        return;
    QPrintPreviewDialog preview(&printer(), this);
    preview.setObjectName(QStringLiteral("Seitenansicht"));
    preview.setWindowTitle(title);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this, footer](QPrinter* printer) {
        guarded(this, [&] { printReport(*printer, *m_ui.RichEdit1->document(), m_services.message(6), footer); });
    });
    preview.exec();
}

void TAuswertenForm::PdfSpeichernBtnClick()
{
    // Looked up before the file is asked for, as every text of a save is.
    QString footer;
    if (!guarded(this, [&] { footer = journalFooter(); }))
        return;
    saveAs(QStringLiteral("Als PDF speichern"), QStringLiteral("PDF-Dateien (*.pdf)"), QStringLiteral("pdf"),
           [&](const std::filesystem::path& file) {
               writeReportPdf(*m_ui.RichEdit1->document(), m_services.message(6), file, footer);
           });
}

void TAuswertenForm::CsvSpeichernBtnClick()
{
    saveAs(QStringLiteral("Als CSV speichern"), QStringLiteral("CSV-Dateien (*.csv)"), QStringLiteral("csv"),
           [this](const std::filesystem::path& file) { WriteReportCsv(m_report, file); });
}

// Every text is looked up before the file is written, so that a failure to write the file is
// reported in the same words as any other.
void TAuswertenForm::saveAs(const QString& caption, const QString& filter, const QString& suffix,
                            const std::function<void(const std::filesystem::path&)>& write)
{
    QString title, filterText, failed;
    if (!guarded(this, [&] {
            title = m_services.translate(caption);
            filterText = m_services.translate(filter);
            failed = m_services.translate(QStringLiteral("Die Datei konnte nicht gespeichert werden."));
        }))
        return;
    const auto file = askExportFile(this, m_services, title, filterText, suffix, documentName());
    if (file)
        runExport(this, failed, [&] { write(*file); });
}

}  // namespace horavant
