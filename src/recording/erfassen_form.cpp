// The recording window.
#include "recording/erfassen_form.h"

#include "recording/breaks.h"
#include "recording/daten_auflisten_form.h"
#include "recording/einloggen_form.h"
#include "recording/pausen_form.h"
#include "recording/recording.h"
#include "store/user_file.h"
#include "store/work_time_fields.h"
#include "store/work_time_text.h"
#include "ui/error_report.h"
#include "ui/main_window.h"
#include "ui/message_boxes.h"
#include "ui/work_time_model.h"

#include <chrono>

namespace horavant {
namespace {

// Times are taken in whole minutes, as they are shown and stored.
std::int64_t msOf(const QTime& time)
{
    return time.msecsSinceStartOfDay() / kMsPerMinute * kMsPerMinute;
}

std::chrono::year_month_day ymdOf(const QDate& date)
{
    return std::chrono::year_month_day {std::chrono::year(date.year()),
                                        std::chrono::month(static_cast<unsigned>(date.month())),
                                        std::chrono::day(static_cast<unsigned>(date.day()))};
}

void fillSuggestions(QComboBox* box, const std::vector<std::u16string>& items)
{
    const QString typed = box->currentText();
    box->setUpdatesEnabled(false);
    box->clear();
    QStringList list;
    list.reserve(static_cast<qsizetype>(items.size()));
    for (const auto& item : items)
        list.append(qs(item));
    box->addItems(list);
    box->setEditText(typed);
    box->setUpdatesEnabled(true);
}

}  // namespace

TErfassenForm::TErfassenForm(Services& services, const Windows& windows, QWidget* parent)
    : QDialog(parent), m_services(services), m_windows(windows)
{
    m_ui.setupUi(this);
    setupWindow(this, 449, 458, Sizing::Fixed);
    // Suggestions are offered as typed; the list never completes a text by itself.
    for (QComboBox* box : {m_ui.Orted, m_ui.TatEd})
        box->setCompleter(nullptr);
    connect(m_ui.ErfassenBtn, &QPushButton::clicked, this, &TErfassenForm::ErfassenBtnClick);
    connect(m_ui.PauseBtn, &QPushButton::clicked, this, &TErfassenForm::PauseBtnClick);
    connect(m_ui.EditBtn, &QPushButton::clicked, this, &TErfassenForm::EditBtnClick);
    connect(m_ui.AusloggenBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TErfassenForm::showEvent(QShowEvent* event)
{
    // Each login starts without the last employee's confirmation; the fields keep what was typed,
    // so the window says whose they now are.
    m_ui.ErfasstLabel->clear();
    m_ui.AngemeldetLabel->setText(m_services.translate(QStringLiteral("Angemeldet:")) + u' '
                                  + qs(m_windows.einloggen->currentEmployee()));
    QDialog::showEvent(event);
    m_ui.Orted->setFocus();
}

void TErfassenForm::setRecordingDate(const QDate& date)
{
    m_ui.DateTimePicker3->setDate(date);
}

void TErfassenForm::setSuggestions(const SuggestionLists& lists)
{
    fillSuggestions(m_ui.TatEd, lists.activities);
    fillSuggestions(m_ui.Orted, lists.places);
}

void TErfassenForm::setBalance(const QString& text)
{
    m_ui.SaldoLabel->setText(text);
    m_ui.SaldoLabel->setVisible(!text.isEmpty());
}

void TErfassenForm::ErfassenBtnClick()
{
    const std::u16string place = u16(m_ui.Orted->currentText());
    const std::u16string activity = u16(m_ui.TatEd->currentText());
    const std::int64_t from = msOf(m_ui.DateTimePicker1->time());
    const std::int64_t to = msOf(m_ui.DateTimePicker2->time());
    const std::int64_t pause = msOf(m_ui.DateTimePicker4->time());
    const std::u16string remarks = u16(m_ui.BemEd->text());

    // A character the table cannot hold would be stored as "?".
    const QString lines = characterLines({{m_ui.Label1->text(), unstorableInName(place)},
                                          {m_ui.Label2->text(), unstorableInName(activity)},
                                          {m_ui.Label7->text(), unstorableInName(remarks)}});
    if (!lines.isEmpty()) {
        showError(this, m_services.translate(QStringLiteral("Diese Zeichen können nicht gespeichert werden:")) + u'\n'
                            + lines);
        return;
    }
    if (const auto refusal = checkWorkPeriod(place, activity, from, to, pause)) {
        showError(this, m_services.message(refusal->message));
        switch (refusal->focus) {
        case RecordingFocus::Orted: m_ui.Orted->setFocus(); break;
        case RecordingFocus::TatEd: m_ui.TatEd->setFocus(); break;
        case RecordingFocus::DateTimePicker1: m_ui.DateTimePicker1->setFocus(); break;
        case RecordingFocus::DateTimePicker4: m_ui.DateTimePicker4->setFocus(); break;
        }
        return;
    }

    const auto date = ymdOf(m_ui.DateTimePicker3->date());
    const std::u16string& employee = m_windows.einloggen->currentEmployee();
    WorkPeriod period {date, employee, place, activity, from, to};
    period.remarks = remarks;
    period.away = m_ui.AuswertsCheck->isChecked();
    period.breakTime = pause;
    std::vector<WorkPeriod> parts = splitAtMidnight(period);
    if (parts.size() > 1
        && !askYesNo(this, m_services.translate(QStringLiteral(
                               "Die Arbeitszeit endet am nächsten Tag. Als zwei Buchungen bis 24:00 und ab 00:00 "
                               "erfassen?")))) {
        m_ui.DateTimePicker1->setFocus();
        return;
    }

    MainWindow& main = *m_windows.main;
    DbfTable& table = main.workTimeTable();
    bool stored = false;
    guarded(this, [&] {
        std::vector<DayPeriod> spans;
        for (const WorkPeriod& p : parts)
            spans.push_back({std::chrono::sys_days(p.date), p.from, p.to});
        const auto overlaps = findOverlaps(table, employee, spans, m_services.regional);
        // Each part is asked about as a single period would be; nothing is stored unless all may be.
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (overlaps[i] && !askYesNoCancel(this, m_services.message(14), m_services.message(15)))
                return;
            parts[i].doubleBooking = overlaps[i].has_value();
        }
        const ChangeJournal::RecordingScope recording(m_services.journal);
        appendWorkPeriods(table, parts);
        stored = true;
    });
    if (stored) {
        main.model().reloadLater();  // the grids that show it are hidden now
        m_ui.Orted->setEditText({});
        m_ui.TatEd->setEditText({});
        m_ui.BemEd->clear();
        // The fields clear; this line says what went into the table, until the next one does.
        QString text = m_services.translate(QStringLiteral("Erfasst:"));
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const std::vector<std::u16string> row = workPeriodRow(parts[i]);
            text += (i == 0 ? QStringLiteral(" ") : QStringLiteral("; ")) + qs(row[workfield::kDate])
                    + QStringLiteral(", ") + qs(row[workfield::kFrom]) + u'–' + qs(row[workfield::kTo]);
        }
        m_ui.ErfasstLabel->setText(text + QStringLiteral(", ") + qs(place));
    }
    m_ui.Orted->setFocus();
}

void TErfassenForm::PauseBtnClick()
{
    TPausenForm& pausen = *m_windows.pausen;
    pausen.resetIntervals();
    if (pausen.exec() != QDialog::Accepted)
        return;
    const auto intervals = pausen.intervals();
    m_ui.DateTimePicker4->setTime(QTime::fromMSecsSinceStartOfDay(static_cast<int>(breakFieldValue(intervals))));
    if (pausen.listInRemarks())
        m_ui.BemEd->setText(m_ui.BemEd->text() + qs(breakRemarks(intervals, m_services.messageLookup())));
}

void TErfassenForm::EditBtnClick()
{
    m_windows.datenAuflisten->showList(m_windows.einloggen->currentEmployee(),
                                       m_services.userData.settings.EmployeesMayEdit);
}

}  // namespace horavant
