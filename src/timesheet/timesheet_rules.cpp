// Target and actual hours, the overtime account and the vacation left.
#include "timesheet/timesheet_rules.h"

#include "evaluation/report.h"

#include <algorithm>

namespace horavant {

using namespace std::chrono;

EmployeePlan::EmployeePlan(std::vector<TargetRow> rows, std::vector<Absence> absences)
    : m_rows(std::move(rows)), m_absences(std::move(absences))
{
    std::stable_sort(m_rows.begin(), m_rows.end(),
                     [](const TargetRow& a, const TargetRow& b) { return a.from < b.from; });
    std::stable_sort(m_absences.begin(), m_absences.end(),
                     [](const Absence& a, const Absence& b) { return a.from < b.from; });
}

const TargetRow* EmployeePlan::rowOn(sys_days day) const
{
    const auto after = std::upper_bound(m_rows.begin(), m_rows.end(), day,
                                        [](sys_days d, const TargetRow& row) { return d < row.from; });
    return after == m_rows.begin() ? nullptr : &*(after - 1);
}

const Absence* EmployeePlan::absenceOn(sys_days day) const
{
    // Absences are few; those that begin after the day cannot take it in.
    const auto end = std::upper_bound(m_absences.begin(), m_absences.end(), day,
                                      [](sys_days d, const Absence& a) { return d < a.from; });
    for (auto it = m_absences.begin(); it != end; ++it) {
        if (day <= it->to)
            return &*it;
    }
    return nullptr;
}

std::optional<sys_days> EmployeePlan::accountStart() const
{
    if (m_rows.empty())
        return std::nullopt;
    return m_rows.front().from;
}

namespace {

std::int64_t weekdayTarget(const TargetRow& row, sys_days day)
{
    const unsigned mondayFirst = (weekday(day).c_encoding() + 6) % 7;
    return row.weekdayMs[mondayFirst];
}

}  // namespace

std::int64_t targetOf(const EmployeePlan& plan, HolidayCalendar& holidays, sys_days day)
{
    const TargetRow* row = plan.rowOn(day);
    return row && holidays.on(row->state, day).empty() ? weekdayTarget(*row, day) : 0;
}

DayAccount accountOf(const EmployeePlan& plan, HolidayCalendar& holidays, sys_days day, std::int64_t worked)
{
    DayAccount a;
    a.day = day;
    a.worked = worked;
    if (const TargetRow* row = plan.rowOn(day)) {
        a.holidays = holidays.on(row->state, day);
        if (a.holidays.empty())
            a.target = weekdayTarget(*row, day);
    }
    if (const Absence* absence = plan.absenceOn(day)) {
        a.absence = absence->kind;
        if (a.target > 0 && creditsTarget(absence->kind)) {
            a.credited = a.target;
            a.vacationDay = absence->kind == AbsenceKind::Urlaub;
        }
    }
    return a;
}

PeriodSummary summarizePeriod(const EmployeePlan& plan, HolidayCalendar& holidays, sys_days from, sys_days to,
                              const WorkedTime& worked, const std::function<void(const DayAccount&)>& eachDay)
{
    PeriodSummary s;
    const auto start = plan.accountStart();
    const std::int64_t carried = start ? plan.rows().front().carriedMs : 0;
    const sys_days yearStart(year_month_day(to).year() / January / 1);
    // The account's days before the period count without their worked time, which comes summed.
    std::int64_t beforeOwed = 0;
    sys_days day = from;
    if (start)
        day = std::min({day, *start, yearStart});
    for (; day <= to; day += days(1)) {
        const bool inPeriod = day >= from;
        std::int64_t dayWorked = 0;
        if (inPeriod) {
            const auto index = static_cast<std::size_t>((day - from).count());
            if (index < worked.perDay.size())
                dayWorked = worked.perDay[index];
        }
        const DayAccount a = accountOf(plan, holidays, day, dayWorked);
        const bool inAccount = start && day >= *start;
        if (inPeriod) {
            s.target += a.target;
            s.actual += a.actual();
            if (eachDay)
                eachDay(a);
        } else if (inAccount) {
            beforeOwed += a.credited - a.target;
        }
        if (inAccount && inPeriod)
            s.balanceAfter += a.actual() - a.target;
        if (a.vacationDay && day >= yearStart)
            ++s.vacationTaken;
    }
    if (start) {
        s.balanceBefore = carried + worked.beforePeriod + beforeOwed;
        s.balanceAfter += s.balanceBefore;
        if (const TargetRow* row = plan.rowOn(to))
            s.vacationRestHundredths = row->vacationHundredths - std::int64_t {s.vacationTaken} * 100;
    }
    return s;
}

std::u16string formatSignedHours(std::int64_t ms, const Regional& regional)
{
    std::u16string text = FormatHours(ms, regional);
    // A value that rounds to 0,00 has no sign, as FormatHours writes it.
    constexpr std::int64_t kHalfHundredth = 18'000;
    if (ms >= kHalfHundredth)
        text.insert(text.begin(), u'+');
    return text;
}

}  // namespace horavant
