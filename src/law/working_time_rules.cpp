// Shifts, and the working-time rules on shifts, days and windows of 24 weeks.
#include "law/working_time_rules.h"

#include "store/work_time_text.h"

#include <algorithm>

namespace horavant {
namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;

constexpr std::int64_t kShortestBreak = 15 * kMsPerMinute;  // shorter breaks and gaps are working time
constexpr std::int64_t kSixHours = 6 * kMsPerHour;
constexpr std::int64_t kNineHours = 9 * kMsPerHour;
constexpr std::int64_t kTenHours = 10 * kMsPerHour;
constexpr std::int64_t kEightHours = 8 * kMsPerHour;
constexpr std::int64_t kShortestRest = 11 * kMsPerHour;
// A shift that reaches midnight goes on with periods that start at 00:00 (a period cannot cross
// midnight, so a night shift is stored as two); the program writes the first as ending at 24:00,
// older copies could only write 23:59.
constexpr std::int64_t kReachesMidnight = 24 * kMsPerHour - kMsPerMinute;
// After midnight the shift runs on across shorter gaps (breaks); a longer gap is rest, and what
// follows it on that day is a shift of its own.
constexpr std::int32_t kLongestGapAfterMidnight = static_cast<std::int32_t>(2 * kMsPerHour);

std::int64_t dayNumber(sys_days day)
{
    return day.time_since_epoch().count();
}

std::int64_t roundedQuotient(std::int64_t value, std::int64_t divisor)
{
    return divisor > 0 ? (value + divisor / 2) / divisor : 0;
}

// One shift: its working time on a time line of milliseconds since 1970, and its days.
struct Shift {
    std::vector<DayRecord*> days;  // one after the other, from the day it began
    std::vector<std::pair<std::int64_t, std::int64_t>> worked;
    std::int64_t firstStart = 0;
    std::int64_t lastEnd = 0;

    // The day's working time from `from` up to `to`.
    void take(DayRecord& d, std::int32_t from, std::int32_t to)
    {
        const std::int64_t base = dayNumber(d.day) * kMsPerDay;
        if (days.empty() || days.back() != &d)
            days.push_back(&d);
        for (const TimeSpan& w : d.work.worked()) {
            if (w.from >= from && w.from < to)
                worked.emplace_back(base + w.from, base + w.to);
        }
    }
};

class EmployeeJudge {
public:
    EmployeeJudge(sys_days from, sys_days to, std::vector<WorkingTimeFinding>& out) : m_from(from), m_to(to), m_out(out)
    {
    }

    void day(DayRecord& d)
    {
        if (d.work.empty())
            return;
        const std::int64_t base = dayNumber(d.day) * kMsPerDay;
        std::int32_t start = d.work.firstStart();
        if (m_open && start == 0 && d.day == m_shift.days.back()->day + days(1)
            && m_shift.lastEnd >= base - kMsPerDay + kReachesMidnight) {
            const std::int32_t runEnd = d.work.endOfFirstRun(kLongestGapAfterMidnight);
            m_shift.take(d, 0, runEnd);
            m_shift.lastEnd = base + runEnd;
            start = d.work.startFrom(runEnd);
            if (start < 0)
                return;
        }
        if (m_open)
            closeShift();
        // Cleared, not made anew: a check forms a shift for nearly every day it reads.
        m_shift.days.clear();
        m_shift.worked.clear();
        m_shift.firstStart = base + start;
        m_shift.lastEnd = base + d.work.lastEnd();
        m_shift.take(d, start, static_cast<std::int32_t>(kMsPerDay) + 1);
        m_open = true;
        const std::int64_t rest = m_shift.firstStart - m_lastEnd;
        if (m_hadShift && rest < kShortestRest)
            add(d.day, LawFinding::RestUnderEleven, {rest, m_lastEnd - base, m_shift.firstStart - base});
    }

    void finish()
    {
        if (m_open)
            closeShift();
    }

private:
    void add(sys_days day, LawFinding kind, std::array<std::int64_t, 5> figures)
    {
        if (day >= m_from && day <= m_to)
            m_out.push_back(WorkingTimeFinding {kind, day, m_shift.days.front()->employee, figures});
    }

    void closeShift()
    {
        m_open = false;
        m_hadShift = true;
        m_lastEnd = m_shift.lastEnd;
        const sys_days first = m_shift.days.front()->day;
        const std::int64_t base = dayNumber(first) * kMsPerDay;
        std::int64_t net = 0;
        std::int64_t breaks = 0;
        m_longStretches.clear();
        const auto stretch = [&](std::int64_t from, std::int64_t to) {
            net += to - from;
            if (to - from > kSixHours)
                m_longStretches.emplace_back(from, to);
            // The working time of each day the stretch touches; the shift's time lies after base.
            while (from < to) {
                const auto index = static_cast<std::size_t>((from - base) / kMsPerDay);
                const std::int64_t dayEnd = base + static_cast<std::int64_t>(index + 1) * kMsPerDay;
                if (index < m_shift.days.size())
                    m_shift.days[index]->net += std::min(to, dayEnd) - from;
                from = std::min(to, dayEnd);
            }
        };
        const auto& w = m_shift.worked;
        for (std::size_t i = 0; i < w.size();) {
            // A stretch runs on across gaps shorter than a break.
            const std::int64_t from = w[i].first;
            std::int64_t to = w[i].second;
            for (++i; i < w.size() && w[i].first - to < kShortestBreak; ++i)
                to = w[i].second;
            stretch(from, to);
            if (i < w.size())
                breaks += w[i].first - to;
        }
        const std::int64_t needed = net > kNineHours ? 45 * kMsPerMinute : net > kSixHours ? 30 * kMsPerMinute : 0;
        if (breaks < needed)
            add(first, LawFinding::BreakTooShort, {breaks, net});
        for (const auto& [from, to] : m_longStretches)
            add(first, LawFinding::NoBreakOverSixHours, {to - from, from - base, to - base});
        if (net > kTenHours)
            add(first, LawFinding::OverTenHours, {net});
    }

    sys_days m_from;
    sys_days m_to;
    std::vector<WorkingTimeFinding>& m_out;
    Shift m_shift;
    std::vector<std::pair<std::int64_t, std::int64_t>> m_longStretches;
    bool m_open = false;
    bool m_hadShift = false;
    std::int64_t m_lastEnd = 0;
};

// A finding on a Sunday would read as one of Sunday work.
sys_days lastWorkingDay(sys_days day)
{
    return std::chrono::weekday(day) == std::chrono::Sunday ? day - days(1) : day;
}

}  // namespace

static_assert(kStates.size() <= 16, "a state is kept in four bits of a day's flags");

PlannedDays::PlannedDays(const EmployeePlan& plan, HolidayCalendar& holidays, sys_days from, sys_days to) : m_from(from)
{
    if (!plan.hasRows() || to < from)
        return;
    m_days.assign(static_cast<std::size_t>((to - from).count()) + 1, 0);
    const auto at = [&](sys_days day) -> std::uint8_t& {
        return m_days[static_cast<std::size_t>((day - from).count())];
    };
    // Each row's public holidays, while it is in force.
    const std::vector<TargetRow>& rows = plan.rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const sys_days first = std::max(rows[i].from, from);
        const sys_days last = i + 1 < rows.size() ? std::min(rows[i + 1].from - days(1), to) : to;
        if (last < first)
            continue;
        // Only the years that have holidays, however long the period.
        const int lastYear = std::min(static_cast<int>(year_month_day(last).year()), kLastHolidayYear);
        for (int y = std::max(static_cast<int>(year_month_day(first).year()), kFirstHolidayYear); y <= lastYear; ++y) {
            for (const Holiday& h : holidays.ofYear(rows[i].state, y)) {
                if (h.day >= first && h.day <= last)
                    at(h.day) = kHoliday | kLeftOut | static_cast<std::uint8_t>(rows[i].state);
            }
        }
    }
    // Each day once, though absences overlap: it belongs to the one that begins first.
    sys_days next = from;
    for (const Absence& a : plan.absences()) {
        if (creditsTarget(a.kind)) {
            for (sys_days day = std::max(a.from, next); day <= std::min(a.to, to); day += days(1)) {
                if (targetOf(plan, holidays, day) > 0)
                    at(day) |= kLeftOut;
            }
        }
        next = std::max(next, a.to + days(1));
    }
}

std::uint8_t PlannedDays::flags(sys_days day) const
{
    const auto index = (day - m_from).count();
    return index >= 0 && static_cast<std::size_t>(index) < m_days.size() ? m_days[static_cast<std::size_t>(index)] : 0;
}

std::optional<State> PlannedDays::holidayOf(sys_days day) const
{
    const std::uint8_t f = flags(day);
    return f & kHoliday ? std::optional(static_cast<State>(f & kState)) : std::nullopt;
}

bool PlannedDays::leftOut(sys_days day) const
{
    return (flags(day) & kLeftOut) != 0;
}

EmployeeTotals judgeEmployee(std::span<DayRecord* const> records, sys_days from, sys_days to,
                             std::optional<sys_days> firstRecorded, std::vector<WorkingTimeFinding>& out,
                             const PlannedDays& planned)
{
    EmployeeTotals totals;
    if (records.empty())
        return totals;
    const std::uint32_t employee = records.front()->employee;
    EmployeeJudge judge(from, to, out);
    for (DayRecord* d : records)
        judge.day(*d);
    judge.finish();

    const auto add = [&](sys_days day, LawFinding kind, std::array<std::int64_t, 5> figures) {
        out.push_back(WorkingTimeFinding {kind, day, employee, figures});
    };
    for (const DayRecord* d : records) {
        if (d->day < from || d->day > to)
            continue;
        ++totals.checkedDays;
        if (d->work.empty())
            continue;
        // Work on a public holiday that falls on a Sunday is both: Sundays are counted on their own.
        const bool sunday = std::chrono::weekday(d->day) == std::chrono::Sunday;
        if (sunday)
            add(d->day, LawFinding::SundayWork, {d->net});
        const std::optional<State> holiday = planned.holidayOf(d->day);
        if (holiday)
            add(d->day, LawFinding::HolidayWork, {d->net, static_cast<std::int64_t>(*holiday)});
        if (!sunday && !holiday) {
            totals.netOfWorkingDays += d->net;
            ++totals.workingDaysWithRows;
        }
        const DoubleBookings doubles = d->work.doubleBookings();
        if (doubles.count > 0) {
            add(d->day, LawFinding::DoubleBooking,
                {doubles.shown.from, doubles.shown.to, doubles.hasOther ? doubles.other.from : -1,
                 doubles.hasOther ? doubles.other.to : -1, doubles.count});
        }
    }

    if (totals.checkedDays == 0 || !firstRecorded)
        return totals;
    const sys_days start = std::max(from, *firstRecorded);
    if (to < start || to - start + days(1) < kAverageWindow)
        return totals;
    std::vector<std::int64_t> netPerDay(static_cast<std::size_t>((to - start).count()) + 1);
    for (const DayRecord* d : records) {
        if (d->day >= start && d->day <= to)
            netPerDay[static_cast<std::size_t>((d->day - start).count())] = d->net;
    }
    const auto window = highestAverageWindow(
        start, netPerDay, planned.any() ? DayFilter([&](sys_days day) { return planned.leftOut(day); }) : DayFilter());
    totals.averageJudged = window.has_value();
    if (window && window->net > kEightHours * window->workingDays) {
        add(lastWorkingDay(window->last), LawFinding::AverageOverEight,
            {roundedQuotient(window->net, window->workingDays), window->workingDays, dayNumber(window->first),
             dayNumber(window->last)});
    }
    return totals;
}

}  // namespace horavant
