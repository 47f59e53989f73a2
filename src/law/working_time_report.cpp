// The report of the working-time law check.
#include "law/working_time_report.h"

#include "evaluation/report.h"
#include "store/error.h"
#include "store/text.h"
#include "store/work_time_text.h"
#include "timesheet/holidays.h"

#include <algorithm>
#include <initializer_list>
#include <optional>

namespace horavant {
namespace {

std::u16string decimal(std::int64_t value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// Replaces %1 ... %9 by the values; a placeholder a translation left out is simply not shown.
// The text is written into out, which is reused from row to row.
void fill(std::u16string& out, std::u16string_view text, std::initializer_list<std::u16string_view> values)
{
    out.clear();
    // The text between two placeholders is copied in one go.
    std::size_t copied = 0;
    for (std::size_t i = text.find(u'%'); i != std::u16string_view::npos; i = text.find(u'%', i + 1)) {
        if (i + 1 < text.size() && text[i + 1] >= u'1' && text[i + 1] <= u'9') {
            const auto n = static_cast<std::size_t>(text[i + 1] - u'1');
            if (n < values.size()) {
                out.append(text, copied, i - copied);
                out += values.begin()[n];
                copied = i + 2;
                ++i;
            }
        }
    }
    out.append(text, copied);
}

// HH:MM of a time of day in a buffer of its own: a report may have many thousands of them. An
// end at midnight is 24:00.
struct TimeText {
    explicit TimeText(std::int64_t ms, bool end = false)
    {
        const auto minute = ms / kMsPerMinute;
        auto minutes = static_cast<int>((minute % (24 * 60) + 24 * 60) % (24 * 60));
        if (end && minutes == 0 && minute > 0)
            minutes = 24 * 60;
        const auto digit = [](int n) { return static_cast<char16_t>(u'0' + n); };
        text = {digit(minutes / 600), digit(minutes / 60 % 10), u':', digit(minutes % 60 / 10), digit(minutes % 10)};
    }
    operator std::u16string_view() const { return {text.data(), text.size()}; }
    std::array<char16_t, 5> text;
};

// The German texts of the report; each is translated once per report.
enum Text : std::size_t {
    Heading,
    PeriodFrom,
    PeriodTo,
    DateTitle,
    EmployeeTitle,
    FindingTitle,
    DetailTitle,
    Unreadable,
    EndNotAfterStart,
    BreakLongerThanRow,
    BreakTooShort,
    NoBreakOverSixHours,
    OverTenHours,
    RestUnderEleven,
    SundayWork,
    HolidayWork,
    DoubleBooking,
    AverageOverEight,
    UnreadableDetail,
    BreakTooShortDetail,
    NoBreakDetail,
    HoursDetail,
    RestDetail,
    RestSameDayDetail,
    SundayDetail,
    HolidayDetail,
    DoubleDetail,
    DoubleMoreDetail,
    MarkedDetail,
    MarkedMoreDetail,
    AverageDetail,
    CheckedDays,
    DaysWithFindings,
    AverageLabel,
    WindowLabel,
    WindowNotChecked,
    NoFindings,
    WithoutTable,
    UnreadableTimesheetRows,
    TextCount
};

constexpr std::array<std::u16string_view, TextCount> kGerman = {
    u"Prüfung Arbeitszeitgesetz",
    u"Zeitraum von:",
    u"bis:",
    u"Datum",
    u"Mitarbeiter",
    u"Befund",
    u"Einzelheiten",
    u"Zeiten nicht lesbar",
    u"Ende nicht nach Beginn",
    u"Pause länger als die Buchung",
    u"Pause zu kurz (§ 4 ArbZG)",
    u"Mehr als 6 Stunden ohne Pause (§ 4 ArbZG)",
    u"Mehr als 10 Stunden (§ 3 ArbZG)",
    u"Ruhezeit unter 11 Stunden (§ 5 ArbZG)",
    u"Sonntagsarbeit (§ 9 ArbZG)",
    u"Feiertagsarbeit (§ 9 ArbZG)",
    u"Doppelte Buchung",
    u"Durchschnitt über 8 Stunden je Werktag (§ 3 ArbZG)",
    u"Datum „%1“, von „%2“ bis „%3“, Pause „%4“",
    u"%1 Std. Pause bei %2 Std. Arbeitszeit",
    u"%1 Std. ohne Pause von %2 bis %3",
    u"%1 Std. Arbeitszeit",
    u"%1 Std. Ruhezeit (Ende am Vortag %2, Beginn %3)",
    u"%1 Std. Ruhezeit (Ende %2, Beginn %3)",
    u"%1 Std. Arbeitszeit; Ausnahmen nach § 10 ArbZG möglich",
    u"%2 (%3): %1 Std. Arbeitszeit; Ausnahmen nach § 10 ArbZG möglich",
    u"%1–%2 und %3–%4",
    u"%1–%2 und %3–%4 (%5 doppelte Buchungen an diesem Tag)",
    u"%1–%2 als doppelte Buchung markiert",
    u"%1–%2 als doppelte Buchung markiert (%3 doppelte Buchungen an diesem Tag)",
    u"%1 Std. je Werktag im Durchschnitt von %2 Werktagen vom %3 bis %4",
    u"Geprüfte Tage:",
    u"Tage mit Befund:",
    u"Durchschnittliche Nettoarbeitszeit je Werktag mit Buchungen in Stunden:",
    u"Durchschnitt über 24 Wochen:",
    u"nicht geprüft, Zeitraum kürzer",
    u"Keine Befunde.",
    u"Die Prüfung läuft ohne diese Datei.",
    u"Zeilen in sollzeit.dbf oder abwesend.dbf, die nicht gelesen werden können, zählen nicht mit.",
};

class Texts {
public:
    explicit Texts(const TranslateFunction& translate) : m_translate(translate)
    {
        for (std::size_t i = 0; i < TextCount; ++i)
            m_texts[i] = translate(kGerman[i]);
    }
    const std::u16string& operator[](Text t) const { return m_texts[t]; }

    // The names of the holidays and states, each translated once.
    std::u16string name(std::u16string_view german) const
    {
        for (const auto& [known, text] : m_names) {
            if (known == german)
                return text;
        }
        return m_names.emplace_back(german, m_translate(german)).second;
    }

    // The day's public holidays in the state, by name.
    std::u16string holidays(State state, std::chrono::sys_days day) const
    {
        std::u16string names;
        for (const Holiday& h : m_holidays.on(state, day))
            names += (names.empty() ? u"" : u", ") + name(h.name);
        return names;
    }

private:
    const TranslateFunction& m_translate;
    std::array<std::u16string, TextCount> m_texts;
    mutable std::vector<std::pair<std::u16string_view, std::u16string>> m_names;
    mutable HolidayCalendar m_holidays;
};

Text findingText(LawFinding kind)
{
    switch (kind) {
    case LawFinding::Unreadable: return Unreadable;
    case LawFinding::EndNotAfterStart: return EndNotAfterStart;
    case LawFinding::BreakLongerThanRow: return BreakLongerThanRow;
    case LawFinding::BreakTooShort: return BreakTooShort;
    case LawFinding::NoBreakOverSixHours: return NoBreakOverSixHours;
    case LawFinding::OverTenHours: return OverTenHours;
    case LawFinding::RestUnderEleven: return RestUnderEleven;
    case LawFinding::SundayWork: return SundayWork;
    case LawFinding::HolidayWork: return HolidayWork;
    case LawFinding::DoubleBooking: return DoubleBooking;
    case LawFinding::AverageOverEight: break;
    }
    return AverageOverEight;
}

void detail(std::u16string& out, const WorkingTimeFinding& f, const WorkingTimeCheck& check, const Texts& texts,
            const Regional& regional)
{
    const auto& n = f.figures;
    const auto hours = [&](std::int64_t ms) { return FormatHours(ms, regional); };
    const auto time = [](std::int64_t ms) { return TimeText(ms); };
    const auto end = [](std::int64_t ms) { return TimeText(ms, true); };
    const auto date = [](std::int64_t day) { return FormatPeriodDate(std::chrono::sys_days(std::chrono::days(day))); };
    switch (f.kind) {
    case LawFinding::Unreadable:
    case LawFinding::EndNotAfterStart:
    case LawFinding::BreakLongerThanRow: {
        const ListedRow& row = check.listedRows.at(static_cast<std::size_t>(n[0]));
        return fill(out, texts[UnreadableDetail], {row.date, row.from, row.to, row.pause});
    }
    case LawFinding::BreakTooShort: return fill(out, texts[BreakTooShortDetail], {hours(n[0]), hours(n[1])});
    case LawFinding::NoBreakOverSixHours: return fill(out, texts[NoBreakDetail], {hours(n[0]), time(n[1]), end(n[2])});
    case LawFinding::OverTenHours: return fill(out, texts[HoursDetail], {hours(n[0])});
    case LawFinding::RestUnderEleven:
        // The shift before ended on this day when a night shift's morning part came before.
        if (n[1] > 0)
            return fill(out, texts[RestSameDayDetail], {hours(n[0]), end(n[1]), time(n[2])});
        return fill(out, texts[RestDetail], {hours(n[0]), end(n[1] + kMsPerDay), time(n[2])});
    case LawFinding::SundayWork: return fill(out, texts[SundayDetail], {hours(n[0])});
    case LawFinding::HolidayWork: {
        const auto state = static_cast<State>(n[1]);
        return fill(out, texts[HolidayDetail],
                    {hours(n[0]), texts.holidays(state, *f.day), texts.name(stateInfo(state).name)});
    }
    case LawFinding::DoubleBooking:
        if (n[2] < 0)
            return fill(out, texts[n[4] > 1 ? MarkedMoreDetail : MarkedDetail], {time(n[0]), end(n[1]), decimal(n[4])});
        return fill(out, texts[n[4] > 1 ? DoubleMoreDetail : DoubleDetail],
                    {time(n[0]), end(n[1]), time(n[2]), end(n[3]), decimal(n[4])});
    case LawFinding::AverageOverEight: break;
    }
    return fill(out, texts[AverageDetail], {hours(n[0]), decimal(n[1]), date(n[2]), date(n[3])});
}

}  // namespace

ReportTable BuildWorkingTimeReport(const WorkingTimeCheck& check, std::u16string_view subject,
                                   std::chrono::sys_days fromDate, std::chrono::sys_days toDate,
                                   const Regional& regional, const TranslateFunction& translate)
{
    const Texts texts(translate);
    ReportTable report;
    const std::u16string title = texts[Heading] + u' ' + std::u16string(subject);
    report.name = title + u' ' + FormatPeriodDate(fromDate) + u'-' + FormatPeriodDate(toDate);
    report.heading = {title, texts[PeriodFrom] + u' ' + FormatPeriodDate(fromDate) + u' ' + texts[PeriodTo] + u' '
                                 + FormatPeriodDate(toDate)};
    for (const UnusableTable& t : check.unusableTables) {
        const std::string pattern = toUtf8(translate(fromUtf8(t.pattern)));
        report.heading.push_back(fromUtf8(formatMessageArgs(pattern, t.details)) + u' ' + texts[WithoutTable]);
    }
    if (check.unreadableTimesheetRows)
        report.heading.push_back(texts[UnreadableTimesheetRows]);
    report.columns.resize(4);
    report.columns[0].title = texts[DateTitle];
    report.columns[1].title = texts[EmployeeTitle];
    report.columns[2].title = texts[FindingTitle];
    report.columns[2].textSuffix = u":";
    report.columns[3].title = texts[DetailTitle];
    report.titleLine = false;
    report.rows.reserve(check.findings.size());
    std::optional<std::chrono::sys_days> lastDay;
    std::u16string lastDate;
    std::u16string text;
    for (const WorkingTimeFinding& f : check.findings) {
        // A row without a readable date shows its date as stored.
        if (f.day && f.day != lastDay) {
            lastDay = f.day;
            lastDate = FormatPeriodDate(*f.day);
        }
        detail(text, f, check, texts, regional);
        report.rows.push_back(
            {f.day ? std::u16string_view(lastDate)
                   : std::u16string_view(check.listedRows.at(static_cast<std::size_t>(f.figures[0])).date),
             check.employees.at(f.employee), texts[findingText(f.kind)], text});
    }
    // Columns as wide as their longest cell, the date at least as wide as a date; the detail is
    // last and not padded.
    report.columns[0].width = 10;
    for (const auto& row : report.rows) {
        for (std::size_t c = 0; c < 3; ++c)
            report.columns[c].width = std::max(report.columns[c].width,
                                               row[c].size() + report.columns[c].textSuffix.size());
    }
    report.noRowsText = texts[NoFindings];
    report.summary = {{texts[CheckedDays], decimal(check.checkedDays)},
                      {texts[DaysWithFindings], decimal(check.daysWithFindings)},
                      {texts[AverageLabel], FormatHours(check.averageNet, regional)}};
    if (!check.averageChecked)
        report.summary.push_back({texts[WindowLabel], texts[WindowNotChecked]});
    return report;
}

}  // namespace horavant
