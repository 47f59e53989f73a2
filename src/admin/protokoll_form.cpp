// The change journal's window.
#include "admin/protokoll_form.h"

#include "evaluation/csv.h"
#include "evaluation/export_form.h"
#include "store/dbf_table.h"
#include "store/text.h"
#include "ui/error_report.h"
#include "ui/main_window.h"
#include "ui/message_boxes.h"
#include "ui/report_printer.h"
#include "ui/window_setup.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QTextDocument>

namespace horavant {

// The journal's entries newest first, read from the end of the file a page at a time as the
// view scrolls down to them.
class JournalModel : public QAbstractTableModel {
public:
    static constexpr std::size_t kPage = 200;

    JournalModel(Services& services, QObject* parent) : QAbstractTableModel(parent), m_services(services) {}

    void reset(const std::filesystem::path& file, journal::Filter filter)
    {
        beginResetModel();
        m_entries.clear();
        m_filter = std::move(filter);
        m_pages.emplace(file);
        m_entries = m_pages->older(kPage, m_filter);
        endResetModel();
    }
    const journal::Entry& entry(int row) const { return m_entries[static_cast<std::size_t>(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kColumns; }
    bool canFetchMore(const QModelIndex& parent) const override
    {
        return !parent.isValid() && m_pages && !m_pages->atStart();
    }
    void fetchMore(const QModelIndex& parent) override
    {
        if (parent.isValid() || !m_pages)
            return;
        std::vector<journal::Entry> more;
        guarded(nullptr, [&] { more = m_pages->older(kPage, m_filter); });
        if (more.empty())
            return;
        const int first = static_cast<int>(m_entries.size());
        beginInsertRows({}, first, first + static_cast<int>(more.size()) - 1);
        m_entries.insert(m_entries.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
        endInsertRows();
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
            return {};
        const journal::Entry& e = entry(index.row());
        switch (index.column()) {
        case 0: return QString::number(e.number);
        case 1: return qs(journal::shownTime(e.time, m_services.regional));
        case 2: return QString::fromStdString(e.computer);
        case 3: return qs(journal::shownWho(e, translator()));
        case 4: return qs(journal::shownAction(e, translator()));
        case 5: return e.record ? QString::number(*e.record) : QString();
        case 6: return QString::fromStdString(e.subject);
        case 7: return qs(journal::shownChanges(e.changes, translator()));
        default: return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_titles.size())
            return {};
        return m_titles[section];
    }
    // The titles in the current language, looked up when the window first shows rather than
    // while the program starts.
    void translateTitles()
    {
        if (!m_titles.isEmpty())
            return;
        for (const char* title : {"Nr.", "Zeit", "Rechner", "Wer", "Aktion", "Datensatz", "Mitarbeiter", "Änderungen"})
            m_titles << m_services.translate(QString::fromUtf8(title));
        emit headerDataChanged(Qt::Horizontal, 0, kColumns - 1);
    }
    journal::Translate translator() const
    {
        return [this](std::u16string_view text) {
            return u16(m_services.translate(QString::fromStdU16String(std::u16string(text))));
        };
    }

private:
    static constexpr int kColumns = 8;
    Services& m_services;
    journal::Filter m_filter;
    std::optional<journal::Pages> m_pages;
    std::vector<journal::Entry> m_entries;
    QStringList m_titles;
};

TProtokollForm::TProtokollForm(Services& services, const Windows& windows, QWidget* parent)
    : QDialog(parent), m_services(services), m_windows(windows)
{
    m_ui.setupUi(this);
    setupWindow(this, 900, 520, Sizing::Resizable);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    m_model = new JournalModel(services, this);
    m_ui.ListView1->setModel(m_model);
    m_ui.ListView1->verticalHeader()->setVisible(false);
    m_ui.ListView1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_ui.ListView1->verticalHeader()->setDefaultSectionSize(m_ui.ListView1->fontMetrics().height() + 6);
    QHeaderView* header = m_ui.ListView1->horizontalHeader();
    header->setStretchLastSection(true);
    for (const auto& [column, width] : {std::pair {0, 60}, {1, 170}, {2, 90}, {3, 110}, {4, 170}, {5, 70}, {6, 110}})
        header->resizeSection(column, width);
    sizeHeadersWhenShown(m_ui.ListView1, {header});
    connect(m_ui.PruefenBtn, &QPushButton::clicked, this, &TProtokollForm::PruefenBtnClick);
    connect(m_ui.CsvSpeichernBtn, &QPushButton::clicked, this, &TProtokollForm::CsvSpeichernBtnClick);
    connect(m_ui.PdfSpeichernBtn, &QPushButton::clicked, this, &TProtokollForm::PdfSpeichernBtnClick);
    connect(m_ui.SchliessenBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui.MitarbeiterEd, &QComboBox::currentIndexChanged, this, &TProtokollForm::FilterChange);
    connect(m_ui.DatumVonEd, &QDateEdit::dateChanged, this, &TProtokollForm::FilterChange);
    connect(m_ui.DatumBisEd, &QDateEdit::dateChanged, this, &TProtokollForm::FilterChange);
}

TProtokollForm::~TProtokollForm() = default;

void TProtokollForm::showJournal()
{
    m_filling = true;
    m_model->translateTitles();
    m_ui.MitarbeiterEd->clear();
    m_ui.MitarbeiterEd->addItem(m_services.translate(QStringLiteral("Alle Mitarbeiter")));
    QStringList names;
    for (const UserRecord& user : m_services.userData.users) {
        if (!names.contains(qs(user.EmployeeName)))
            names << qs(user.EmployeeName);
    }
    m_ui.MitarbeiterEd->addItems(names);
    // From the day of the first entry, so every entry shows until the administrator narrows it.
    const QDate today = QDate::currentDate();
    QDate first = today;
    guarded(this, [&] {
        if (const auto day = journal::firstDay(m_services.journal.file())) {
            const std::chrono::year_month_day ymd {*day};
            first = QDate(static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
                          static_cast<int>(static_cast<unsigned>(ymd.day())));
        }
    });
    m_ui.DatumVonEd->setDate(std::min(first, today));
    m_ui.DatumBisEd->setDate(today);
    m_filling = false;
    FilterChange();
    exec();
}

journal::Filter TProtokollForm::filter() const
{
    const auto day = [](const QDate& d) {
        return std::chrono::sys_days(std::chrono::year_month_day {std::chrono::year(d.year()),
                                                                  std::chrono::month(static_cast<unsigned>(d.month())),
                                                                  std::chrono::day(static_cast<unsigned>(d.day()))});
    };
    journal::Filter f;
    if (m_ui.MitarbeiterEd->currentIndex() > 0)
        f.employee = m_ui.MitarbeiterEd->currentText().toStdString();
    f.from = day(m_ui.DatumVonEd->date());
    f.to = day(m_ui.DatumBisEd->date());
    return f;
}

void TProtokollForm::FilterChange()
{
    if (m_filling)
        return;
    guarded(this, [&] { m_model->reset(m_services.journal.file(), filter()); });
}

void TProtokollForm::PruefenBtnClick()
{
    std::optional<journal::CheckResult> result;
    if (!guarded(this, [&] { result = m_services.journal.check(m_windows.main->workTimeTable()); }))
        return;
    QStringList lines;
    guarded(this, [&] {
        for (const std::u16string& line : journal::checkMessage(*result, m_model->translator()))
            lines << qs(line);
    });
    if (result->clean())
        showInformation(this, lines.join(u'\n'), windowTitle());
    else
        showError(this, lines.join(u'\n'), windowTitle());
    FilterChange();  // the check may have found entries written since the window opened
}

ReportTable TProtokollForm::report() const
{
    QString heading = windowTitle();
    if (m_ui.MitarbeiterEd->currentIndex() > 0)
        heading += QStringLiteral(", ") + m_ui.MitarbeiterEd->currentText();
    heading += QStringLiteral(", ") + m_ui.DatumVonEd->text() + QStringLiteral(" – ") + m_ui.DatumBisEd->text();
    return journal::journalReport(journal::allEntries(m_services.journal.file(), filter()), {u16(heading)},
                                  m_model->translator(), m_services.regional);
}

void TProtokollForm::CsvSpeichernBtnClick()
{
    QString caption, filterText, failed;
    if (!guarded(this, [&] {
            caption = m_services.translate(QStringLiteral("Als CSV speichern"));
            filterText = m_services.translate(QStringLiteral("CSV-Dateien (*.csv)"));
            failed = m_services.translate(QStringLiteral("Die Datei konnte nicht gespeichert werden."));
        }))
        return;
    const auto file = askExportFile(this, m_services, caption, filterText, QStringLiteral("csv"), u16(windowTitle()));
    if (file)
        runExport(this, failed, [&] { WriteReportCsv(report(), *file); });
}

void TProtokollForm::PdfSpeichernBtnClick()
{
    QString caption, filterText, failed, footer;
    if (!guarded(this, [&] {
            caption = m_services.translate(QStringLiteral("Als PDF speichern"));
            filterText = m_services.translate(QStringLiteral("PDF-Dateien (*.pdf)"));
            failed = m_services.translate(QStringLiteral("Die Datei konnte nicht gespeichert werden."));
            footer = qs(journal::chainFooter(m_services.journal.last(), m_model->translator()));
        }))
        return;
    const auto file = askExportFile(this, m_services, caption, filterText, QStringLiteral("pdf"), u16(windowTitle()));
    if (!file)
        return;
    runExport(this, failed, [&] {
        QString text;
        for (const std::u16string& line : reportLines(report()))
            text += qs(line) + u'\n';
        QTextDocument document;
        QFont font(QStringLiteral("Courier New"));
        font.setStyleHint(QFont::TypeWriter);
        font.setPixelSize(10);
        document.setDefaultFont(font);
        document.setPlainText(text);
        writeReportPdf(document, windowTitle(), *file, footer);
    });
}

}  // namespace horavant
