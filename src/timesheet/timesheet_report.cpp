// Building the monthly timesheet's report tables.
#include "timesheet/timesheet_report.h"

#include "evaluation/report.h"
#include "store/work_time_text.h"

#include <algorithm>
#include <array>

namespace horavant {
namespace {

using namespace std::chrono;

constexpr std::array<std::u16string_view, 7> kWeekdays = {u"Mo", u"Di", u"Mi", u"Do", u"Fr", u"Sa", u"So"};
// A day's rows take this many characters before the line's further columns are pushed right.
constexpr std::size_t kWidestSpans = 37;
constexpr std::size_t kSignatureWidth = 40;

std::u16string decimal(std::int64_t value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

ReportColumn column(std::u16string title, std::size_t width, bool figure)
{
    ReportColumn c;
    c.width = std::max(title.size(), width);
    c.title = std::move(title);
    c.number = figure;
    c.alignRight = figure;
    return c;
}

std::u16string periodLine(sys_days from, sys_days to, const Translator& translate)
{
    return translate(u"Zeitraum von:") + u' ' + FormatPeriodDate(from) + u' ' + translate(u"bis:") + u' '
           + FormatPeriodDate(to);
}

std::u16string joined(const std::vector<std::u16string>& parts)
{
    std::u16string text;
    for (const std::u16string& part : parts)
        text += (text.empty() ? u"" : u", ") + part;
    return text;
}

std::optional<std::uint32_t> employeeIndex(const TimesheetRows& gathered, std::u16string_view employee)
{
    const auto& names = gathered.employees.texts;
    const auto it = std::find(names.begin(), names.end(), employee);
    if (it == names.end())
        return std::nullopt;
    return static_cast<std::uint32_t>(it - names.begin());
}

std::u16string restText(const PeriodSummary& s, const Regional& regional)
{
    return s.vacationRestHundredths ? formatVacationDays(*s.vacationRestHundredths, regional.decimalSeparator)
                                    : std::u16string();
}

void noteUnreadable(ReportTable& report, bool unreadable, const Translator& translate)
{
    if (unreadable)
        report.heading.push_back(
            translate(u"Zeilen in sollzeit.dbf oder abwesend.dbf, die nicht gelesen werden können, zählen nicht mit."));
}

// The states in force over the period, in the order they come.
std::u16string statesOf(const EmployeePlan& plan, sys_days from, sys_days to, const Translator& translate)
{
    std::vector<std::u16string> names;
    const auto add = [&](const TargetRow* row) {
        if (!row)
            return;
        std::u16string name = translate(stateInfo(row->state).name);
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(std::move(name));
    };
    add(plan.rowOn(from));
    for (const TargetRow& row : plan.rows()) {
        if (row.from > from && row.from <= to)
            add(&row);
    }
    return joined(names);
}

}  // namespace

std::vector<std::u16string> timesheetEmployees(const TimesheetRows& gathered, const TimesheetData& data)
{
    std::vector<std::u16string> names = gathered.employees.texts;
    for (std::u16string& name : data.employeesWithTargets()) {
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(std::move(name));
    }
    return names;
}

ReportTable BuildTimesheetReport(DbfTable& table, const TimesheetRows& gathered, const TimesheetData& data,
                                 std::u16string_view employee, sys_days from, sys_days to, const Regional& regional,
                                 const Translator& translate)
{
    const EmployeePlan plan = data.planOf(employee);
    const auto index = employeeIndex(gathered, employee);
    WorkedTime worked;
    std::vector<DayRows> dayRows;
    if (index) {
        std::vector<WorkedRequest> requests(gathered.employees.texts.size());
        requests[*index] = {true, plan.accountStart()};
        worked = std::move(gathered.workedTimes(requests, from, to)[*index]);
        dayRows = readDayRows(table, gathered.recordsOf(*index, from, to), from, to, regional);
    }

    ReportTable report;
    const std::u16string title = translate(u"Monatsnachweis");
    report.name = title + u' ' + std::u16string(employee) + u' ' + FormatPeriodDate(from) + u'-' + FormatPeriodDate(to);
    report.heading.push_back(title + u' ' + std::u16string(employee));
    report.heading.push_back(periodLine(from, to, translate));
    if (const std::u16string states = statesOf(plan, from, to, translate); !states.empty())
        report.heading.push_back(translate(u"Bundesland:") + u' ' + states);
    noteUnreadable(report, data.hasUnreadable(employee), translate);

    std::size_t spansWidth = 0;
    for (const DayRows& d : dayRows)
        spansWidth = std::max(spansWidth, joined(d.spans).size());
    report.columns = {column(translate(u"Tag"), 13, false),
                      column(translate(u"Zeiten"), std::min(spansWidth, kWidestSpans), false),
                      column(translate(u"Pause"), 5, true),
                      column(translate(u"Ist"), 6, true),
                      column(translate(u"Soll"), 6, true),
                      column(translate(u"Differenz"), 6, true),
                      column(translate(u"Feiertag/Abwesenheit"), 0, false)};

    std::array<std::u16string, 7> weekdays;
    for (std::size_t d = 0; d < weekdays.size(); ++d)
        weekdays[d] = translate(kWeekdays[d]);
    HolidayCalendar holidays;
    const PeriodSummary summary = summarizePeriod(plan, holidays, from, to, worked, [&](const DayAccount& a) {
        const auto at = static_cast<std::size_t>((a.day - from).count());
        const DayRows* rows = at < dayRows.size() ? &dayRows[at] : nullptr;
        const bool figures = a.target != 0 || a.actual() != 0 || (rows && !rows->spans.empty());
        std::vector<std::u16string> notes;
        for (const Holiday& h : a.holidays)
            notes.push_back(translate(h.name));
        if (notes.empty() && a.absence)
            notes.push_back(translate(absenceKindText(*a.absence)));
        const unsigned mondayFirst = (weekday(a.day).c_encoding() + 6) % 7;
        report.rows.push_back(ReportRow {
            weekdays[mondayFirst] + u' ' + FormatPeriodDate(a.day),
            rows ? joined(rows->spans) : std::u16string(),
            rows && rows->breaks != 0 ? FormatHours(rows->breaks, regional) : std::u16string(),
            figures ? FormatHours(a.actual(), regional) : std::u16string(),
            figures ? FormatHours(a.target, regional) : std::u16string(),
            figures ? formatSignedHours(a.actual() - a.target, regional) : std::u16string(),
            joined(notes),
        });
    });

    report.summary = {
        {translate(u"Soll:"), FormatHours(summary.target, regional)},
        {translate(u"Ist:"), FormatHours(summary.actual, regional)},
        {translate(u"Differenz:"), formatSignedHours(summary.actual - summary.target, regional)},
        {translate(u"Übertrag:"), formatSignedHours(summary.balanceBefore, regional)},
        {translate(u"Saldo:"), formatSignedHours(summary.balanceAfter, regional)},
        {translate(u"Urlaub genommen:"), decimal(summary.vacationTaken)},
        {translate(u"Resturlaub:"), restText(summary, regional)},
    };
    const std::u16string line(kSignatureWidth, u'_');
    for (const std::u16string_view who : {u"Datum, Unterschrift Mitarbeiter", u"Datum, Unterschrift Arbeitgeber"})
        report.footer.insert(report.footer.end(), {u"", u"", line, translate(who)});
    return report;
}

ReportTable BuildTimesheetOverview(const TimesheetRows& gathered, const TimesheetData& data,
                                   std::u16string_view subject, sys_days from, sys_days to, const Regional& regional,
                                   const Translator& translate)
{
    const std::vector<std::u16string> employees = data.employeesWithTargets();
    std::vector<EmployeePlan> plans;
    std::vector<WorkedRequest> requests(gathered.employees.texts.size());
    std::vector<std::optional<std::uint32_t>> indexes;
    for (const std::u16string& employee : employees) {
        plans.push_back(data.planOf(employee));
        indexes.push_back(employeeIndex(gathered, employee));
        if (indexes.back())
            requests[*indexes.back()] = {true, plans.back().accountStart()};
    }
    // Every employee's worked time in one pass over what the gathering noted.
    const std::vector<WorkedTime> worked = gathered.workedTimes(requests, from, to);

    ReportTable report;
    const std::u16string title = translate(u"Monatsnachweis");
    report.name = title + u' ' + std::u16string(subject) + u' ' + FormatPeriodDate(from) + u'-' + FormatPeriodDate(to);
    report.heading.push_back(title + u' ' + std::u16string(subject));
    report.heading.push_back(periodLine(from, to, translate));
    noteUnreadable(report, data.hasUnreadable(u""), translate);
    std::size_t nameWidth = 0;
    for (const std::u16string& employee : employees)
        nameWidth = std::max(nameWidth, employee.size());
    report.columns = {column(translate(u"Mitarbeiter"), std::min<std::size_t>(nameWidth, 30), false),
                      column(translate(u"Soll"), 8, true),
                      column(translate(u"Ist"), 8, true),
                      column(translate(u"Differenz"), 8, true),
                      column(translate(u"Saldo"), 8, true),
                      column(translate(u"Resturlaub"), 5, true)};
    report.noRowsText = translate(u"Für keinen Mitarbeiter sind Sollzeiten erfasst.");

    HolidayCalendar holidays;
    const WorkedTime none;
    for (std::size_t e = 0; e < employees.size(); ++e) {
        const WorkedTime& w = indexes[e] ? worked[*indexes[e]] : none;
        const PeriodSummary s = summarizePeriod(plans[e], holidays, from, to, w);
        report.rows.push_back(ReportRow {
            employees[e],
            FormatHours(s.target, regional),
            FormatHours(s.actual, regional),
            formatSignedHours(s.actual - s.target, regional),
            formatSignedHours(s.balanceAfter, regional),
            restText(s, regional),
        });
    }
    return report;
}

}  // namespace horavant
