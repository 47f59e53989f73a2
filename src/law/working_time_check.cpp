// The working-time law check: the scan that gathers each employee's days, then the rules per day.
#include "law/working_time_check.h"

#include "law/working_time_day.h"
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

LawCheckRows GatherLawCheckRows(DbfTable& table, const Regional& regional)
{
    LawCheckRows rows;
    rows.dayOfRecord.assign(table.physicalCount(), LawCheckRows::kNoDay);
    // Each record's day, read as the check reads it; rows come mostly in date order, so a date
    // text is read only when it differs from the row before.
    std::string lastBytes;
    std::int32_t lastDay = LawCheckRows::kNoDay;
    std::u16string text;
    bool known = false;
    rows.employees = collectDistinctTextRows(table, workfield::kEmployee, [&](const DbfTable& t) {
        const std::string_view bytes = t.fieldBytes(workfield::kDate);
        if (!known || !sameBytes(bytes, lastBytes)) {
            lastBytes.assign(bytes);
            cp1252::decodeInto(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), text);
            const auto day = readStoredDate(text, regional);
            lastDay = day ? static_cast<std::int32_t>(day->time_since_epoch().count()) : LawCheckRows::kNoDay;
            known = true;
        }
        rows.dayOfRecord[t.recNo()] = lastDay;
    });
    return rows;
}

namespace {

// The records a check of from..to must read, in physical order: those of the period and the day
// before, and those without a readable date. Nothing when the gathered rows are out of date or
// a scan is quicker.
std::optional<std::vector<std::uint32_t>> recordsToCheck(const DbfTable& table, const LawCheckRows& gathered,
                                                         std::optional<std::u16string_view> employee,
                                                         sys_days dayBefore, sys_days toDate)
{
    const DistinctTextRows& names = gathered.employees;
    if (!names.stillCurrent(table) || gathered.dayOfRecord.size() != names.records)
        return std::nullopt;
    // The employee's place in the list, or every visited record's text for everybody.
    std::uint32_t wanted = DistinctTextRows::kNotVisited;
    if (employee) {
        const auto at = std::find(names.texts.begin(), names.texts.end(), *employee);
        if (at == names.texts.end())
            return std::vector<std::uint32_t>();
        wanted = static_cast<std::uint32_t>(at - names.texts.begin());
    }
    const auto first = static_cast<std::int32_t>(dayBefore.time_since_epoch().count());
    const auto last = static_cast<std::int32_t>(toDate.time_since_epoch().count());
    std::vector<std::uint32_t> candidates;
    for (std::uint32_t r = 0; r < names.records; ++r) {
        const std::uint32_t text = names.textOfRecord[r];
        if (text == DistinctTextRows::kNotVisited || (employee && text != wanted))
            continue;
        const std::int32_t day = gathered.dayOfRecord[r];
        if (day == LawCheckRows::kNoDay || (day >= first && day <= last))
            candidates.push_back(r);
    }
    if (!names.fewEnough(candidates.size()))
        return std::nullopt;
    return candidates;
}

}  // namespace

WorkingTimeCheck CheckWorkingTimeLaw(DbfTable& table, std::optional<std::u16string_view> employee, sys_days fromDate,
                                     sys_days toDate, const Regional& regional, const LawCheckRows* gathered)
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
    const auto takeRow = [&] {
        rows.read();
        const std::uint32_t who = rows.employee();
        if (who == RowReader::kOther)
            return;
        const std::optional<sys_days> day = rows.date();
        if (!day) {
            unreadable(who, std::nullopt);
            return;
        }
        if (*day < dayBefore || *day > toDate)
            return;
        DayRecord& record = byDay.records[byDay.find(who, *day)];
        const std::optional<RowTimes> times = rows.times();
        if (!times) {
            if (*day >= fromDate)
                unreadable(who, day);
            return;
        }
        record.work.add(TimeSpan {times->from, times->to}, times->recordedBreak, rows.markedDouble());
    };
    const auto records = gathered ? recordsToCheck(table, *gathered, employee, dayBefore, toDate) : std::nullopt;
    if (records) {
        // Employees are numbered by their first row in the whole table, as a scan of every
        // row numbers them, though only the period's rows are read.
        if (!employee)
            rows.knowEmployees(gathered->employees.texts);
        for (const std::uint32_t r : *records) {
            if (table.gotoRecord(r))
                takeRow();
        }
    } else {
        for (table.First(); !table.Eof(); table.Next())
            takeRow();
    }
    result.employees = rows.takeEmployees();

    // Each employee's days in calendar order, so that a day meets the day before it.
    const auto offset = [&](sys_days day) { return static_cast<std::uint64_t>((day - dayBefore).count()); };
    std::uint64_t lastOffset = 0;
    for (const DayRecord& record : byDay.records)
        lastOffset = std::max(lastOffset, offset(record.day));
    const int dayBits = std::bit_width(lastOffset);
    std::vector<std::uint64_t> keys;
    keys.reserve(byDay.records.size());
    for (const DayRecord& record : byDay.records)
        keys.push_back(std::uint64_t {record.employee} << dayBits | offset(record.day));
    const std::vector<std::uint32_t> order = orderByKey(keys);

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
    for (const std::uint32_t index : order) {
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
    static_assert(static_cast<int>(LawFinding::AverageOverEight) < 8, "the kind takes three bits of the key");
    std::uint32_t lastEmployee = 0;
    for (const WorkingTimeFinding& f : dated)
        lastEmployee = std::max(lastEmployee, f.employee);
    const int employeeBits = std::bit_width(lastEmployee);
    keys.clear();
    for (const WorkingTimeFinding& f : dated)
        keys.push_back((offset(*f.day) << employeeBits | f.employee) << 3 | static_cast<std::uint64_t>(f.kind));

    result.findings = std::move(undated);
    result.findings.reserve(result.findings.size() + dated.size());
    std::optional<std::uint64_t> lastDay;
    for (const std::uint32_t index : orderByKey(keys)) {
        // The period's average belongs to no day.
        if (dated[index].kind != LawFinding::AverageOverEight) {
            const std::uint64_t dayAndEmployee = keys[index] >> 3;
            if (lastDay != dayAndEmployee)
                ++result.daysWithFindings;
            lastDay = dayAndEmployee;
        }
        result.findings.push_back(dated[index]);
    }
    return result;
}

}  // namespace horavant
