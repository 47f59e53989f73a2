// The target hours window.
#include "timesheet/sollzeiten_form.h"

#include "store/work_time_text.h"
#include "timesheet/holidays.h"
#include "timesheet/timesheet_form.h"
#include "timesheet/timesheet_texts.h"
#include "ui/main_window.h"
#include "ui/message_boxes.h"
#include "ui/window_setup.h"

#include <QHeaderView>
#include <algorithm>
#include <optional>

namespace horavant {

TSollzeitenForm::TSollzeitenForm(Services& services, const Windows& windows, QWidget* parent)
    : QDialog(parent), m_services(services), m_windows(windows)
{
    m_ui.setupUi(this);
    setupWindow(this, 760, 460, Sizing::Resizable);
    QHeaderView* header = m_ui.ListView1->header();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    sizeHeadersWhenShown(m_ui.ListView1, {header});
    // German names, put into the language with the other texts; the code goes into the file.
    for (const StateInfo& s : kStates)
        m_ui.LandEd->addItem(qs(std::u16string(s.name)), qs(std::u16string(s.code)));
    m_ui.LandEd->setCurrentIndex(-1);

    connect(m_ui.HinzufuegenBtn, &QPushButton::clicked, this, &TSollzeitenForm::HinzufuegenBtnClick);
    connect(m_ui.AendernBtn, &QPushButton::clicked, this, &TSollzeitenForm::AendernBtnClick);
    connect(m_ui.LoeschenBtn, &QPushButton::clicked, this, &TSollzeitenForm::LoeschenBtnClick);
    connect(m_ui.SchliessenBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui.ListView1, &QTreeWidget::itemSelectionChanged, this, &TSollzeitenForm::ListView1SelectItem);
    for (QLineEdit* edit : edits()) {
        if (edit)
            connect(edit, &QLineEdit::textChanged, this, &TSollzeitenForm::FieldChange);
    }
    connect(m_ui.ArbeiterEd, &QComboBox::currentIndexChanged, this, &TSollzeitenForm::FieldChange);
    connect(m_ui.LandEd, &QComboBox::currentIndexChanged, this, &TSollzeitenForm::FieldChange);
}

std::array<QLineEdit*, targetfield::kCount> TSollzeitenForm::edits() const
{
    return {nullptr,   m_ui.AbEd, nullptr,   m_ui.MoEd, m_ui.DiEd,     m_ui.MiEd,
            m_ui.DoEd, m_ui.FrEd, m_ui.SaEd, m_ui.SoEd, m_ui.UrlaubEd, m_ui.UebertragEd};
}

std::filesystem::path TSollzeitenForm::folder() const
{
    return m_windows.main->programFile(kTargetTable.fileName).parent_path();
}

void TSollzeitenForm::showEvent(QShowEvent* event)
{
    fillList();
    FieldChange();
    QDialog::showEvent(event);
}

void TSollzeitenForm::fillList(const std::vector<std::u16string>& select)
{
    m_rows.clear();
    guardedTables(this, m_services, [&] { m_rows = readTableRows(folder(), kTargetTable); });
    // By employee, then by the day from which each row applies.
    const auto day = [&](const StoredRow& r) {
        return readStoredDate(r.texts[targetfield::kFrom], m_services.regional);
    };
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](const StoredRow& a, const StoredRow& b) {
        const auto& ea = a.texts[targetfield::kEmployee];
        const auto& eb = b.texts[targetfield::kEmployee];
        return ea != eb ? ea < eb : day(a) < day(b);
    });

    std::vector<std::u16string> names;
    for (const StoredRow& r : m_rows)
        names.push_back(r.texts[targetfield::kEmployee]);
    const QString chosen = m_ui.ArbeiterEd->currentText();
    m_ui.ArbeiterEd->clear();
    m_ui.ArbeiterEd->addItems(employeeChoice(m_services.userData.users, names));
    m_ui.ArbeiterEd->setCurrentIndex(m_ui.ArbeiterEd->findText(chosen));

    m_ui.ListView1->clear();
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        QStringList cells;
        for (const std::u16string& text : m_rows[i].texts)
            cells << qs(text);
        auto* item = new QTreeWidgetItem(cells);
        m_ui.ListView1->addTopLevelItem(item);
        if (!select.empty() && m_rows[i].texts == select)
            item->setSelected(true);
    }
    ListView1SelectItem();
}

const StoredRow* TSollzeitenForm::selected() const
{
    const auto items = m_ui.ListView1->selectedItems();
    const int row = items.isEmpty() ? -1 : m_ui.ListView1->indexOfTopLevelItem(items.first());
    return row >= 0 && row < static_cast<int>(m_rows.size()) ? &m_rows[static_cast<std::size_t>(row)] : nullptr;
}

void TSollzeitenForm::ListView1SelectItem()
{
    if (const StoredRow* row = selected()) {
        const QString employee = qs(row->texts[targetfield::kEmployee]);
        if (m_ui.ArbeiterEd->findText(employee) < 0)
            m_ui.ArbeiterEd->addItem(employee);
        m_ui.ArbeiterEd->setCurrentIndex(m_ui.ArbeiterEd->findText(employee));
        m_ui.LandEd->setCurrentIndex(m_ui.LandEd->findData(qs(row->texts[targetfield::kState])));
        const auto fields = edits();
        for (std::size_t f = 0; f < fields.size(); ++f) {
            if (fields[f])
                fields[f]->setText(qs(row->texts[f]));
        }
    }
    FieldChange();
}

std::vector<std::u16string> TSollzeitenForm::typedTexts() const
{
    std::vector<std::u16string> texts(targetfield::kCount);
    texts[targetfield::kEmployee] = u16(m_ui.ArbeiterEd->currentText());
    texts[targetfield::kState] = u16(m_ui.LandEd->currentData().toString());
    const auto fields = edits();
    for (std::size_t f = 0; f < fields.size(); ++f) {
        if (fields[f])
            texts[f] = u16(fields[f]->text());
    }
    return texts;
}

void TSollzeitenForm::FieldChange()
{
    const auto problem = targetFieldProblem(typedTexts(), m_services.regional);
    QString hint;
    if (problem) {
        const int f = *problem;
        if (f == targetfield::kEmployee)
            hint = QStringLiteral("Bitte wählen Sie einen Mitarbeiter.");
        else if (f == targetfield::kFrom)
            hint = QStringLiteral("Ab: bitte ein Datum eingeben, zum Beispiel 01.06.2026.");
        else if (f == targetfield::kState)
            hint = QStringLiteral("Bitte wählen Sie ein Bundesland.");
        else if (f == targetfield::kVacation)
            hint = QStringLiteral("Urlaubstage: bitte eine Zahl eingeben, zum Beispiel 30 oder 27,5.");
        else if (f == targetfield::kCarried)
            hint = QStringLiteral("Übertrag: bitte Stunden und Minuten eingeben, zum Beispiel +12:30 oder -03:15.");
        else
            hint = QStringLiteral("Bitte eine Zeit bis 24:00 eingeben, zum Beispiel 08:00.");
        hint = m_services.translate(hint);
        // A weekday's hint is led by the day's label, which says which of the seven it is.
        for (const QLabel* label : findChildren<QLabel*>()) {
            if (f >= targetfield::kMonday && f < targetfield::kMonday + 7 && label->buddy() == edits()[f])
                hint = label->text() + u' ' + hint;
        }
    }
    m_ui.HinweisLabel->setText(hint);
    const auto fields = edits();
    for (std::size_t f = 0; f < fields.size(); ++f) {
        if (fields[f])
            fields[f]->setStyleSheet(
                problem && static_cast<std::size_t>(*problem) == f ? QStringLiteral("color: #c00000") : QString());
    }
    m_ui.HinzufuegenBtn->setEnabled(!problem);
    m_ui.AendernBtn->setEnabled(!problem && selected());
    m_ui.LoeschenBtn->setEnabled(selected() != nullptr);
}

RowsCheck TSollzeitenForm::noSecondRowOfTheDay(const std::vector<std::u16string>& stored) const
{
    return [this, stored](const std::vector<StoredRow>& others) {
        const Regional& r = m_services.regional;
        const auto day = readStoredDate(stored[targetfield::kFrom], r);
        return std::none_of(others.begin(), others.end(), [&](const StoredRow& other) {
            return other.texts[targetfield::kEmployee] == stored[targetfield::kEmployee]
                   && readStoredDate(other.texts[targetfield::kFrom], r) == day;
        });
    };
}

void TSollzeitenForm::HinzufuegenBtnClick()
{
    const std::vector<std::u16string> typed = typedTexts();
    if (targetFieldProblem(typed, m_services.regional))
        return;
    const std::vector<std::u16string> stored = storedTargetTexts(typed, m_services.regional);
    std::optional<RowWrite> written;
    guardedTables(this, m_services,
                  [&] { written = appendTableRow(folder(), kTargetTable, stored, noSecondRowOfTheDay(stored)); });
    if (written == RowWrite::Refused)
        showError(this, m_services.translate(QStringLiteral("Für diesen Mitarbeiter gibt es schon eine Zeile ab "
                                                            "diesem Tag.")));
    fillList(written == RowWrite::Done ? stored : std::vector<std::u16string>());
}

void TSollzeitenForm::AendernBtnClick()
{
    const StoredRow* row = selected();
    const std::vector<std::u16string> typed = typedTexts();
    if (!row || targetFieldProblem(typed, m_services.regional))
        return;
    const StoredRow old = *row;
    const std::vector<std::u16string> stored = storedTargetTexts(typed, m_services.regional);
    std::optional<RowWrite> written;
    guardedTables(this, m_services,
                  [&] { written = replaceTableRow(folder(), kTargetTable, old, stored, noSecondRowOfTheDay(stored)); });
    if (written == RowWrite::Refused)
        showError(this, m_services.translate(QStringLiteral("Für diesen Mitarbeiter gibt es schon eine Zeile ab "
                                                            "diesem Tag.")));
    else if (written == RowWrite::Gone)
        showRowGone(this, m_services);
    fillList(written == RowWrite::Done ? stored : old.texts);
}

void TSollzeitenForm::LoeschenBtnClick()
{
    const StoredRow* row = selected();
    if (!row || !askYesNo(this, m_services.translate(QStringLiteral("Zeile löschen?"))))
        return;
    const StoredRow old = *row;
    std::optional<RowWrite> written;
    guardedTables(this, m_services, [&] { written = deleteTableRow(folder(), kTargetTable, old); });
    if (written == RowWrite::Gone)
        showRowGone(this, m_services);
    fillList();
}

}  // namespace horavant
