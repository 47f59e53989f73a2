// The working-time law check: the scan that gathers each employee's days, then the rules per
// employee.
#include "law/working_time_check.h"

#include "law/working_time_breaks.h"
#include "law/working_time_rules.h"
#include "law/working_time_scan.h"
#include "store/byte_io.h"
#include "store/cp1252.h"
#include "store/dbf_table.h"
#include "store/work_time_fields.h"
#include "store/work_time_text.h"

#include <algorithm>
#include <bit>
#include <numeric>

namespace horavant {
namespace {

using std::chrono::days;
using std::chrono::sys_days;

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
        const std::uint64_t key = std::uint64_t {employee} << 32
                                  | static_cast<std::uint32_t>(day.time_since_epoch().count());
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

// The order of the keys, equal keys in the order they came: counting passes over eleven bits of
// the keys at a time, as many as the largest key needs.
std::vector<std::uint32_t> orderByKey(const std::vector<std::uint64_t>& keys)
{
    constexpr int kDigitBits = 11;
    constexpr std::uint64_t kDigitMask = (1u << kDigitBits) - 1;
    const int bits = std::bit_width(keys.empty() ? 0 : *std::max_element(keys.begin(), keys.end()));
    std::vector<std::uint32_t> order(keys.size());
    std::iota(order.begin(), order.end(), 0u);
    std::vector<std::uint32_t> next(keys.size());
    for (int shift = 0; shift < bits; shift += kDigitBits) {
        std::array<std::uint32_t, kDigitMask + 2> start {};
        for (const std::uint32_t i : order)
            ++start[(keys[i] >> shift & kDigitMask) + 1];
        std::partial_sum(start.begin(), start.end(), start.begin());
        for (const std::uint32_t i : order)
            next[start[keys[i] >> shift & kDigitMask]++] = i;
        order.swap(next);
    }
    return order;
}

}  // namespace

LawCheckRows GatherLawCheckRows(DbfTable& table, const Regional& regional)
{
    return collectDatedTextRows(table, workfield::kEmployee, regional);
}

namespace {

constexpr std::int32_t kNoFirstDay = INT32_MAX;

std::int32_t dayNumber(sys_days day)
{
    return static_cast<std::int32_t>(day.time_since_epoch().count());
}

struct Candidates {
    std::vector<std::uint32_t> records;
    // Per employee as the check numbers them, the first day with a readable date in the table.
    std::vector<std::int32_t> firstDays;
};

// The records a check must read, in physical order: those dated first..last, and those without a
// readable date. Nothing when the gathered rows are out of date or a scan is quicker.
std::optional<Candidates> recordsToCheck(const DbfTable& table, const LawCheckRows& gathered,
                                         std::optional<std::u16string_view> employee, sys_days firstDay,
                                         sys_days lastDay)
{
    const DistinctTextRows& names = gathered.subjects;
    if (!names.stillCurrent(table) || gathered.dayOfRecord.size() != names.records)
        return std::nullopt;
    // The employee's place in the list, or every visited record's text for everybody.
    std::int32_t wanted = DistinctTextRows::kNotVisited;
    Candidates c;
    if (employee) {
        const auto at = std::find(names.texts.begin(), names.texts.end(), *employee);
        if (at == names.texts.end())
            return c;
        wanted = static_cast<std::int32_t>(at - names.texts.begin());
    }
    // Everybody is numbered in the order of the list, one employee as the only one.
    std::vector<std::int32_t> firstOfText(names.texts.size(), kNoFirstDay);
    const std::int32_t first = dayNumber(firstDay);
    const std::int32_t last = dayNumber(lastDay);
    forEachRecord(
        names.records,
        [&](std::uint32_t r, std::int32_t text, std::int32_t day) {
            if (text == DistinctTextRows::kNotVisited || (employee && text != wanted))
                return;
            if (day == LawCheckRows::kNoDay || (day >= first && day <= last))
                c.records.push_back(r);
            if (day != LawCheckRows::kNoDay) {
                std::int32_t& firstOfThis = firstOfText[static_cast<std::size_t>(text)];
                firstOfThis = std::min(firstOfThis, day);
            }
        },
        names.textOfRecord, gathered.dayOfRecord);
    if (!names.fewEnough(c.records.size()))
        return std::nullopt;
    c.firstDays = employee ? std::vector<std::int32_t> {firstOfText[static_cast<std::size_t>(wanted)]}
                           : std::move(firstOfText);
    return c;
}

}  // namespace

WorkingTimeCheck CheckWorkingTimeLaw(DbfTable& table, std::optional<std::u16string_view> employee, sys_days fromDate,
                                     sys_days toDate, const Regional& regional, const LawCheckRows* gathered,
                                     const TimesheetData* timesheet)
{
    // Records another copy appended since the gathering make its records out of date.
    table.takeInAppended();
    WorkingTimeCheck result;
    std::vector<WorkingTimeFinding> undated;
    std::vector<WorkingTimeFinding> dated;
    DayRecords byDay;
    // The day before for the rest before the first shift, the day after for a shift that runs
    // past midnight.
    const sys_days dayBefore = fromDate - days(1);
    const sys_days dayAfter = toDate + days(1);
    std::vector<std::int32_t> firstDays;

    RowReader rows(table, employee, regional);
    const auto listed = [&](LawFinding kind, std::uint32_t who, std::optional<sys_days> day) {
        WorkingTimeFinding f {kind, day, who, {}};
        f.figures[0] = static_cast<std::int64_t>(result.listedRows.size());
        result.listedRows.push_back(rows.storedTexts());
        (day ? dated : undated).push_back(f);
    };
    const auto takeRow = [&](bool noteFirstDay) {
        rows.read();
        const std::uint32_t who = rows.employee();
        if (who == RowReader::kOther)
            return;
        const std::optional<sys_days> day = rows.date();
        if (!day) {
            listed(LawFinding::Unreadable, who, std::nullopt);
            return;
        }
        if (noteFirstDay) {
            if (who >= firstDays.size())
                firstDays.resize(who + 1, kNoFirstDay);
            firstDays[who] = std::min(firstDays[who], dayNumber(*day));
        }
        if (*day < dayBefore || *day > dayAfter)
            return;
        DayRecord& record = byDay.records[byDay.find(who, *day)];
        const RowTimes times = rows.times();
        if (times.problem != RowProblem::None) {
            if (*day >= fromDate && *day <= toDate) {
                listed(times.problem == RowProblem::Unreadable         ? LawFinding::Unreadable
                       : times.problem == RowProblem::EndNotAfterStart ? LawFinding::EndNotAfterStart
                                                                       : LawFinding::BreakLongerThanRow,
                       who, day);
            }
            return;
        }
        const TimeSpan span {times.from, times.to};
        record.work.add(
            span,
            times.recordedBreak > 0 ? placeBreak(span, times.recordedBreak, rows.remarksWithColon()) : RowBreaks {},
            rows.markedDouble());
    };
    const auto candidates = gathered ? recordsToCheck(table, *gathered, employee, dayBefore, dayAfter) : std::nullopt;
    if (candidates) {
        // Employees are numbered by their first row in the whole table, as a scan of every
        // row numbers them, though only the period's rows are read.
        if (!employee)
            rows.knowEmployees(gathered->subjects.texts);
        firstDays = candidates->firstDays;
        for (const std::uint32_t r : candidates->records) {
            if (table.gotoRecord(r))
                takeRow(false);
        }
    } else {
        for (table.First(); !table.Eof(); table.Next())
            takeRow(true);
    }
    result.employees = rows.takeEmployees();

    // Each employee's days in calendar order, so that a shift meets the day after it.
    const auto offset = [&](sys_days day) { return static_cast<std::uint64_t>((day - dayBefore).count()); };
    std::uint64_t lastOffset = 0;
    for (const DayRecord& record : byDay.records)
        lastOffset = std::max(lastOffset, offset(record.day));
    const int dayBits = std::bit_width(lastOffset);
    std::vector<std::uint64_t> keys;
    keys.reserve(byDay.records.size());
    for (const DayRecord& record : byDay.records)
        keys.push_back(std::uint64_t {record.employee} << dayBits | offset(record.day));
    std::vector<DayRecord*> ordered;
    ordered.reserve(byDay.records.size());
    for (const std::uint32_t index : orderByKey(keys))
        ordered.push_back(&byDay.records[index]);

    std::vector<EmployeePlan> plans;
    HolidayCalendar holidays;
    if (timesheet) {
        plans = timesheet->plansOf(result.employees);
        result.unusableTables = timesheet->unusable;
        result.unreadableTimesheetRows = timesheet->hasUnreadable(employee.value_or(u""));
    }
    std::int64_t netOfAll = 0;
    std::uint64_t workingDaysWithRows = 0;
    for (auto begin = ordered.begin(); begin != ordered.end();) {
        const std::uint32_t who = (*begin)->employee;
        const auto end = std::find_if(begin, ordered.end(), [&](const DayRecord* d) { return d->employee != who; });
        const std::int32_t first = who < firstDays.size() ? firstDays[who] : kNoFirstDay;
        const EmployeeTotals totals = judgeEmployee(
            std::span<DayRecord* const>(&*begin, static_cast<std::size_t>(end - begin)), fromDate, toDate,
            first == kNoFirstDay ? std::nullopt : std::optional(sys_days(days(first))), dated,
            who < plans.size() ? PlannedDays(plans[who], holidays, fromDate, toDate) : PlannedDays());
        result.checkedDays += totals.checkedDays;
        netOfAll += totals.netOfWorkingDays;
        workingDaysWithRows += totals.workingDaysWithRows;
        result.averageChecked = result.averageChecked || totals.averageJudged;
        begin = end;
    }
    result.averageNet = workingDaysWithRows > 0 ? (netOfAll + static_cast<std::int64_t>(workingDaysWithRows / 2))
                                                      / static_cast<std::int64_t>(workingDaysWithRows)
                                                : 0;

    // Findings by day, employee and kind, each kind's findings in the order they were made.
    constexpr int kKindBits = 4;
    static_assert(static_cast<int>(LawFinding::AverageOverEight) < (1 << kKindBits));
    std::uint32_t lastEmployee = 0;
    for (const WorkingTimeFinding& f : dated)
        lastEmployee = std::max(lastEmployee, f.employee);
    const int employeeBits = std::bit_width(lastEmployee);
    keys.clear();
    for (const WorkingTimeFinding& f : dated)
        keys.push_back((offset(*f.day) << employeeBits | f.employee) << kKindBits | static_cast<std::uint64_t>(f.kind));

    result.findings = std::move(undated);
    result.findings.reserve(result.findings.size() + dated.size());
    std::optional<std::uint64_t> lastDay;
    for (const std::uint32_t index : orderByKey(keys)) {
        const std::uint64_t dayAndEmployee = keys[index] >> kKindBits;
        if (lastDay != dayAndEmployee)
            ++result.daysWithFindings;
        lastDay = dayAndEmployee;
        result.findings.push_back(dated[index]);
    }
    return result;
}

}  // namespace horavant
