// The working-time law check: the scan that gathers each employee's days, then the rules per day.
#include "evaluation/working_time_check.h"

#include "evaluation/working_time_day.h"
#include "evaluation/working_time_scan.h"
#include "store/dbf_table.h"
#include "store/work_time_fields.h"
#include "store/work_time_text.h"

#include <algorithm>
#include <tuple>

namespace horavant {
namespace {

using std::chrono::days;
using std::chrono::sys_days;

constexpr std::int64_t kSixHours = 6 * kMsPerHour;
constexpr std::int64_t kNineHours = 9 * kMsPerHour;
constexpr std::int64_t kTenHours = 10 * kMsPerHour;
constexpr std::int64_t kEightHours = 8 * kMsPerHour;
constexpr std::int64_t kShortestRest = 11 * kMsPerHour;
// The average of the working days is judged over at least 24 weeks.
constexpr days kAveragingPeriod {24 * 7};

struct DayRecord {
    sys_days day;
    std::uint32_t employee;
    WorkDay work;
};

// Finds the record of an employee's day; a table is mostly in date order, so the employee's
// last day is tried first, then an open-addressed index over all of them.
class DayRecords {
public:
    std::uint32_t find(std::uint32_t employee, sys_days day)
    {
        if (employee >= m_last.size())
            m_last.resize(employee + 1, kNone);
        std::uint32_t& last = m_last[employee];
        if (last != kNone && records[last].day == day)
            return last;
        const std::uint64_t key
            = std::uint64_t {employee} << 32 | static_cast<std::uint32_t>(day.time_since_epoch().count());
        std::size_t i = slotOf(key);
        while (m_slots[i].index != kNone) {
            if (m_slots[i].key == key)
                return last = m_slots[i].index;
            i = (i + 1) & (m_slots.size() - 1);
        }
        last = static_cast<std::uint32_t>(records.size());
        m_slots[i] = {key, last};
        records.push_back(DayRecord {day, employee, {}});
        if (records.size() * 2 > m_slots.size())
            grow();
        return last;
    }

    std::vector<DayRecord> records;

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;
    struct Slot {
        std::uint64_t key = 0;
        std::uint32_t index = kNone;
    };

    std::size_t slotOf(std::uint64_t key) const
    {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & (m_slots.size() - 1);
    }

    void grow()
    {
        std::vector<Slot> old(m_slots.size() * 2);
        old.swap(m_slots);
        for (const Slot& s : old) {
            if (s.index == kNone)
                continue;
            std::size_t i = slotOf(s.key);
            while (m_slots[i].index != kNone)
                i = (i + 1) & (m_slots.size() - 1);
            m_slots[i] = s;
        }
    }

    std::vector<Slot> m_slots = std::vector<Slot>(64);
    std::vector<std::uint32_t> m_last;
};

std::int64_t roundedQuotient(std::int64_t value, std::int64_t divisor)
{
    return divisor > 0 ? (value + divisor / 2) / divisor : 0;
}

// The rules of one day; `previous` is the employee's day before when it had periods.
void judgeDay(const DayRecord& record, const DayFigures& f, const DayFigures* previous,
              std::vector<WorkingTimeFinding>& out)
{
    const auto add = [&](LawFinding kind, std::array<std::int64_t, 5> figures) {
        out.push_back(WorkingTimeFinding {kind, record.day, record.employee, figures});
    };
    if (f.presence == 0)
        return;
    const std::int64_t breakNeeded = f.net > kNineHours ? 45 * kMsPerMinute : f.net > kSixHours ? 30 * kMsPerMinute : 0;
    if (f.breaksTaken < breakNeeded)
        add(LawFinding::BreakTooShort, {f.breaksTaken, f.net});
    for (int i = 0; i < f.longStretchCount; ++i) {
        const TimeSpan s = f.longStretches[static_cast<std::size_t>(i)];
        add(LawFinding::NoBreakOverSixHours, {s.to - s.from, s.from, s.to});
    }
    if (f.net > kTenHours)
        add(LawFinding::OverTenHours, {f.net});
    if (previous) {
        const std::int64_t rest = kMsPerDay - previous->lastEnd + f.firstStart;
        if (rest < kShortestRest)
            add(LawFinding::RestUnderEleven, {rest, previous->lastEnd, f.firstStart});
    }
    if (std::chrono::weekday(record.day) == std::chrono::Sunday)
        add(LawFinding::SundayWork, {f.net});
    if (f.doubleBookings > 0) {
        add(LawFinding::DoubleBooking,
            {f.shown.from, f.shown.to, f.hasOther ? f.other.from : -1, f.hasOther ? f.other.to : -1, f.doubleBookings});
    }
}

}  // namespace

std::uint32_t countWorkingDays(sys_days fromDate, sys_days toDate)
{
    if (toDate < fromDate)
        return 0;
    const auto length = static_cast<std::uint64_t>((toDate - fromDate).count()) + 1;
    std::uint64_t count = length / 7 * 6;
    for (sys_days d = fromDate + days(static_cast<int>(length / 7 * 7)); d <= toDate; d += days(1))
        count += std::chrono::weekday(d) != std::chrono::Sunday;
    return static_cast<std::uint32_t>(count);
}

WorkingTimeCheck CheckWorkingTimeLaw(DbfTable& table, std::optional<std::u16string_view> employee, sys_days fromDate,
                                     sys_days toDate, const Regional& regional)
{
    WorkingTimeCheck result;
    std::vector<WorkingTimeFinding> undated;
    std::vector<WorkingTimeFinding> dated;
    DayRecords byDay;
    const sys_days dayBefore = fromDate - std::chrono::days(1);

    RowReader rows(table, employee, regional);
    const auto unreadable = [&](std::uint32_t who, std::optional<sys_days> day) {
        WorkingTimeFinding f {LawFinding::Unreadable, day, who, {}};
        f.figures[0] = static_cast<std::int64_t>(result.unreadableRows.size());
        result.unreadableRows.push_back(rows.storedTexts());
        (day ? dated : undated).push_back(f);
    };
    for (table.First(); !table.Eof(); table.Next()) {
        const std::uint32_t who = rows.employee();
        if (who == RowReader::kOther)
            continue;
        const std::optional<sys_days> day = rows.date();
        if (!day) {
            unreadable(who, std::nullopt);
            continue;
        }
        if (*day < dayBefore || *day > toDate)
            continue;
        DayRecord& record = byDay.records[byDay.find(who, *day)];
        const std::optional<RowTimes> times = rows.times();
        if (!times) {
            if (*day >= fromDate)
                unreadable(who, day);
            continue;
        }
        record.work.add(TimeSpan {times->from, times->to}, times->recordedBreak, rows.markedDouble());
    }
    result.employees = rows.takeEmployees();

    // Each employee's days in calendar order, so that a day meets the day before it. The keys are
    // plain numbers, so the sort does not reach into the records.
    const auto offset = [&](sys_days day) { return static_cast<std::uint64_t>((day - dayBefore).count()); };
    std::vector<std::pair<std::uint64_t, std::uint32_t>> order;
    order.reserve(byDay.records.size());
    for (std::uint32_t i = 0; i < byDay.records.size(); ++i)
        order.emplace_back(std::uint64_t {byDay.records[i].employee} << 32 | offset(byDay.records[i].day), i);
    std::sort(order.begin(), order.end());

    result.workingDays = countWorkingDays(fromDate, toDate);
    const bool averaged = toDate >= fromDate && toDate - fromDate + days(1) >= kAveragingPeriod;
    std::int64_t netOfAll = 0;
    std::uint32_t employeesChecked = 0;
    std::int64_t netOfEmployee = 0;
    const auto closeEmployee = [&](std::uint32_t who, bool checked) {
        if (!checked)
            return;
        ++employeesChecked;
        netOfAll += netOfEmployee;
        if (averaged && result.workingDays > 0 && netOfEmployee > kEightHours * result.workingDays) {
            dated.push_back(
                WorkingTimeFinding {LawFinding::AverageOverEight,
                                    toDate,
                                    who,
                                    {roundedQuotient(netOfEmployee, result.workingDays), result.workingDays}});
        }
        netOfEmployee = 0;
    };

    DayFigures previous;
    const DayRecord* previousRecord = nullptr;
    bool employeeChecked = false;
    for (const auto& [key, index] : order) {
        const DayRecord& record = byDay.records[index];
        if (previousRecord && previousRecord->employee != record.employee) {
            closeEmployee(previousRecord->employee, employeeChecked);
            employeeChecked = false;
        }
        const DayFigures figures = record.work.figures();
        const bool follows = previousRecord && previousRecord->employee == record.employee
            && previousRecord->day + days(1) == record.day && previous.presence > 0;
        if (record.day >= fromDate) {
            ++result.checkedDays;
            employeeChecked = true;
            netOfEmployee += figures.net;
            judgeDay(record, figures, follows ? &previous : nullptr, dated);
        }
        previous = figures;
        previousRecord = &record;
    }
    if (previousRecord)
        closeEmployee(previousRecord->employee, employeeChecked);
    result.averageNet = roundedQuotient(netOfAll, std::int64_t {result.workingDays} * employeesChecked);

    // Findings by day, employee and kind, each kind's findings in the order they were made.
    struct Place {
        std::uint64_t dayAndEmployee;
        LawFinding kind;
        std::uint32_t index;
        bool operator<(const Place& o) const
        {
            return std::tie(dayAndEmployee, kind, index) < std::tie(o.dayAndEmployee, o.kind, o.index);
        }
    };
    std::vector<Place> places;
    places.reserve(dated.size());
    for (std::uint32_t i = 0; i < dated.size(); ++i)
        places.push_back({offset(*dated[i].day) << 32 | dated[i].employee, dated[i].kind, i});
    std::sort(places.begin(), places.end());

    result.findings = std::move(undated);
    result.findings.reserve(result.findings.size() + dated.size());
    const Place* before = nullptr;
    for (const Place& p : places) {
        // The period's average belongs to no day.
        if (p.kind != LawFinding::AverageOverEight) {
            if (!before || before->dayAndEmployee != p.dayAndEmployee)
                ++result.daysWithFindings;
            before = &p;
        }
        result.findings.push_back(dated[p.index]);
    }
    return result;
}

}  // namespace horavant
