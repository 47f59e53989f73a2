// The absences window.
#include "timesheet/abwesenheiten_form.h"

#include "store/user_file.h"
#include "store/work_time_text.h"
#include "timesheet/timesheet_form.h"
#include "timesheet/timesheet_texts.h"
#include "ui/main_window.h"
#include "ui/message_boxes.h"
#include "ui/window_setup.h"

#include <QHeaderView>
#include <algorithm>
#include <optional>

namespace horavant {

TAbwesenheitenForm::TAbwesenheitenForm(Services& services, const Windows& windows, QWidget* parent)
    : QDialog(parent), m_services(services), m_windows(windows)
{
    m_ui.setupUi(this);
    setupWindow(this, 640, 460, Sizing::Resizable);
    QHeaderView* header = m_ui.ListView1->header();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setStretchLastSection(true);
    sizeHeadersWhenShown(m_ui.ListView1, {header});
    // German names, put into the language with the other texts; the German kind goes into the file.
    for (const std::u16string_view kind : kAbsenceKinds)
        m_ui.ArtEd->addItem(qs(std::u16string(kind)), qs(std::u16string(kind)));

    connect(m_ui.HinzufuegenBtn, &QPushButton::clicked, this, &TAbwesenheitenForm::HinzufuegenBtnClick);
    connect(m_ui.LoeschenBtn, &QPushButton::clicked, this, &TAbwesenheitenForm::LoeschenBtnClick);
    connect(m_ui.SchliessenBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui.FilterEd, &QComboBox::currentIndexChanged, this, &TAbwesenheitenForm::FilterEdChange);
    connect(m_ui.ListView1, &QTreeWidget::itemSelectionChanged, this, &TAbwesenheitenForm::ListView1SelectItem);
}

std::filesystem::path TAbwesenheitenForm::folder() const
{
    return m_windows.main->programFile(kAbsenceTable.fileName).parent_path();
}

void TAbwesenheitenForm::showEvent(QShowEvent* event)
{
    if (!m_datesSet) {
        m_datesSet = true;
        m_ui.VonEd->setDate(QDate::currentDate());
        m_ui.BisEd->setDate(QDate::currentDate());
    }
    fillList();
    QDialog::showEvent(event);
}

void TAbwesenheitenForm::fillList()
{
    std::vector<StoredRow> rows;
    guardedTables(this, m_services, [&] { rows = readTableRows(folder(), kAbsenceTable); });
    std::vector<std::u16string> names;
    for (const StoredRow& r : rows)
        names.push_back(r.texts[absencefield::kEmployee]);
    const QStringList employees = employeeChoice(m_services.userData.users, names);

    m_filling = true;
    const QString filter = m_ui.FilterEd->currentIndex() > 0 ? m_ui.FilterEd->currentText() : QString();
    m_ui.FilterEd->clear();
    m_ui.FilterEd->addItem(m_services.translate(QStringLiteral("Alle Mitarbeiter")));
    m_ui.FilterEd->addItems(employees);
    m_ui.FilterEd->setCurrentIndex(filter.isEmpty() ? 0 : std::max(0, m_ui.FilterEd->findText(filter)));
    const QString chosen = m_ui.ArbeiterEd->currentText();
    m_ui.ArbeiterEd->clear();
    m_ui.ArbeiterEd->addItems(employees);
    m_ui.ArbeiterEd->setCurrentIndex(std::max(0, m_ui.ArbeiterEd->findText(chosen)));
    m_filling = false;

    // Of the chosen employee (the first entry is everybody), by employee and first day.
    const bool everybody = m_ui.FilterEd->currentIndex() <= 0;
    const std::u16string shown = u16(m_ui.FilterEd->currentText());
    m_rows.clear();
    for (StoredRow& r : rows) {
        if (everybody || r.texts[absencefield::kEmployee] == shown)
            m_rows.push_back(std::move(r));
    }
    const auto day = [&](const StoredRow& r) {
        return readStoredDate(r.texts[absencefield::kFrom], m_services.regional);
    };
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](const StoredRow& a, const StoredRow& b) {
        const auto& ea = a.texts[absencefield::kEmployee];
        const auto& eb = b.texts[absencefield::kEmployee];
        return ea != eb ? ea < eb : day(a) < day(b);
    });
    m_ui.ListView1->clear();
    for (const StoredRow& r : m_rows) {
        QStringList cells;
        for (std::size_t f = 0; f < r.texts.size(); ++f) {
            const QString text = qs(r.texts[f]);
            cells << (f == absencefield::kKind ? m_services.translate(text) : text);
        }
        m_ui.ListView1->addTopLevelItem(new QTreeWidgetItem(cells));
    }
    ListView1SelectItem();
}

void TAbwesenheitenForm::FilterEdChange()
{
    if (!m_filling)
        fillList();
}

const StoredRow* TAbwesenheitenForm::selected() const
{
    const auto items = m_ui.ListView1->selectedItems();
    const int row = items.isEmpty() ? -1 : m_ui.ListView1->indexOfTopLevelItem(items.first());
    return row >= 0 && row < static_cast<int>(m_rows.size()) ? &m_rows[static_cast<std::size_t>(row)] : nullptr;
}

void TAbwesenheitenForm::ListView1SelectItem()
{
    m_ui.LoeschenBtn->setEnabled(selected() != nullptr);
}

void TAbwesenheitenForm::HinzufuegenBtnClick()
{
    Absence wanted;
    wanted.employee = u16(m_ui.ArbeiterEd->currentText());
    wanted.from = daysOf(m_ui.VonEd->date());
    wanted.to = daysOf(m_ui.BisEd->date());
    wanted.kind = absenceKindOf(u16(m_ui.ArtEd->currentData().toString())).value_or(AbsenceKind::Sonstiges);
    const std::u16string remarks = u16(m_ui.BemerkungEd->text());
    if (wanted.employee.empty()) {
        showError(this, m_services.translate(QStringLiteral("Bitte wählen Sie einen Mitarbeiter.")));
        return;
    }
    if (wanted.to < wanted.from) {
        showError(this, m_services.translate(QStringLiteral("Die Abwesenheit endet vor ihrem Beginn.")));
        m_ui.BisEd->setFocus();
        return;
    }
    const QString lines = characterLines({{m_ui.Label6->text(), unstorableInName(remarks)}});
    if (!lines.isEmpty()) {
        showError(this, m_services.translate(QStringLiteral("Diese Zeichen können nicht gespeichert werden:")) + u'\n'
                            + lines);
        return;
    }
    std::optional<Absence> overlapped;
    std::optional<RowWrite> written;
    guardedTables(this, m_services, [&] {
        written = appendTableRow(folder(), kAbsenceTable,
                                 absenceTexts(wanted.employee, wanted.from, wanted.to, wanted.kind, remarks),
                                 [&](const std::vector<StoredRow>& rows) {
                                     overlapped = overlappingAbsence(rows, wanted, m_services.regional);
                                     return !overlapped;
                                 });
    });
    if (written == RowWrite::Refused && overlapped) {
        const QString other = qs(formatStoredDate(std::chrono::year_month_day(overlapped->from)))
                              + QStringLiteral(" – ")
                              + qs(formatStoredDate(std::chrono::year_month_day(overlapped->to))) + u' '
                              + m_services.translate(qs(std::u16string(absenceKindText(overlapped->kind))));
        showError(this, m_services.translate(QStringLiteral("Die Abwesenheit überschneidet sich mit einer anderen "
                                                            "dieses Mitarbeiters:"))
                            + u'\n' + other);
        return;
    }
    if (written == RowWrite::Done)
        m_ui.BemerkungEd->clear();
    fillList();
}

void TAbwesenheitenForm::LoeschenBtnClick()
{
    const StoredRow* row = selected();
    if (!row || !askYesNo(this, m_services.translate(QStringLiteral("Abwesenheit löschen?"))))
        return;
    const StoredRow old = *row;
    std::optional<RowWrite> written;
    guardedTables(this, m_services, [&] { written = deleteTableRow(folder(), kAbsenceTable, old); });
    if (written == RowWrite::Gone)
        showRowGone(this, m_services);
    fillList();
}

}  // namespace horavant
