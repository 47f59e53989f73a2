// Reading each record's day and worked time for the timesheet.
#include "timesheet/timesheet_scan.h"

#include "evaluation/report.h"
#include "store/byte_io.h"
#include "store/cp1252.h"
#include "store/dbf_table.h"
#include "store/field_padding.h"
#include "store/work_time_fields.h"
#include "store/work_time_text.h"

#include <algorithm>
#include <cstring>
#include <tuple>

namespace horavant {
namespace {

using namespace std::chrono;

std::int32_t dayNumber(sys_days day)
{
    return static_cast<std::int32_t>(day.time_since_epoch().count());
}

}  // namespace

WorkedReader::WorkedReader(const Regional& regional)
    : m_regional(regional),
      m_days(regional),
      m_timeSeparator(regional.timeSeparator < 0x80 ? static_cast<char>(regional.timeSeparator) : ':')
{
}

std::string_view WorkedReader::bytes(const DbfTable& table, const Field& field)
{
    if (!m_placed) {
        // On the first row, so that a table lacking a field fails only where reading it would.
        const auto place = [&](int index) {
            const FieldInfo& f = table.field(index);
            return Field {static_cast<std::size_t>(f.offset), static_cast<std::size_t>(f.width)};
        };
        m_date = place(workfield::kDate);
        m_from = place(workfield::kFrom);
        m_to = place(workfield::kTo);
        m_break = place(workfield::kBreak);
        m_placed = true;
    }
    const std::uint8_t* p = table.recordBytes().data() + field.offset;
    return {reinterpret_cast<const char*>(p), dbf::textLength(p, field.width)};
}

std::u16string WorkedReader::decoded(const DbfTable& table, const Field& field)
{
    const std::string_view b = bytes(table, field);
    std::u16string text;
    cp1252::decodeInto(reinterpret_cast<const std::uint8_t*>(b.data()), b.size(), text);
    return text;
}

std::int32_t WorkedReader::day(const DbfTable& table)
{
    return m_days.of(bytes(table, m_date));
}

std::int32_t WorkedReader::worked(const DbfTable& table)
{
    const int from = writtenTimeMinutes(bytes(table, m_from), m_timeSeparator);
    const int to = writtenTimeMinutes(bytes(table, m_to), m_timeSeparator);
    const std::string_view pause = bytes(table, m_break);
    const int breakMinutes = pause.empty() ? 0 : writtenTimeMinutes(pause, m_timeSeparator);
    if (from >= 0 && to >= 0 && breakMinutes >= 0)
        return static_cast<std::int32_t>((to - from - breakMinutes) * kMsPerMinute);
    // Any other form is read as the evaluations read it.
    const auto ms = workedMs(decoded(table, m_from), decoded(table, m_to), decoded(table, m_break), m_regional);
    return ms ? static_cast<std::int32_t>(*ms) : kNoTime;
}

TimesheetRows gatherTimesheetRows(DbfTable& table, const Regional& regional)
{
    TimesheetRows rows;
    WorkedReader reader(regional);
    table.takeInAppended();
    const std::uint32_t records = table.physicalCount();
    rows.dayOfRecord = RecordValues(records);
    rows.workedOfRecord.assign(records, WorkedReader::kNoTime);
    rows.employees = collectDistinctTextRows(table, workfield::kEmployee, [&](const DbfTable& t) {
        const std::uint32_t r = t.recNo();
        if (r < records) {
            rows.dayOfRecord.set(r, reader.day(t));
            rows.workedOfRecord[r] = reader.worked(t);
        }
    });
    rows.dayOfRecord.finish();
    return rows;
}

std::vector<WorkedTime> TimesheetRows::workedTimes(const std::vector<WorkedRequest>& requests, sys_days from,
                                                   sys_days to) const
{
    std::vector<WorkedTime> times(requests.size());
    const std::int32_t first = dayNumber(from);
    const std::int32_t last = dayNumber(to);
    const std::size_t length = to < from ? 0 : static_cast<std::size_t>(last - first) + 1;
    std::vector<std::int32_t> starts(requests.size(), INT32_MAX);
    for (std::size_t e = 0; e < requests.size(); ++e) {
        if (!requests[e].wanted)
            continue;
        times[e].perDay.assign(length, 0);
        if (requests[e].accountStart)
            starts[e] = dayNumber(*requests[e].accountStart);
    }
    const std::uint32_t n = std::min(
        {employees.textOfRecord.size(), dayOfRecord.size(), static_cast<std::uint32_t>(workedOfRecord.size())});
    forEachRecord(
        n,
        [&](std::uint32_t r, std::int32_t text, std::int32_t day) {
            // A record not visited is beyond every request.
            const auto e = static_cast<std::uint32_t>(text);
            if (e >= requests.size() || !requests[e].wanted)
                return;
            const std::int32_t worked = workedOfRecord[r];
            if (day == WorkedReader::kNoDay || worked == WorkedReader::kNoTime)
                return;
            if (day >= first && day <= last)
                times[e].perDay[static_cast<std::size_t>(day - first)] += worked;
            else if (day < first && day >= starts[e])
                times[e].beforePeriod += worked;
        },
        employees.textOfRecord, dayOfRecord);
    return times;
}

std::vector<std::uint32_t> TimesheetRows::recordsOf(std::uint32_t employee, sys_days from, sys_days to) const
{
    std::vector<std::uint32_t> found;
    const std::int32_t first = dayNumber(from);
    const std::int32_t last = dayNumber(to);
    forEachRecord(
        std::min(employees.textOfRecord.size(), dayOfRecord.size()),
        [&](std::uint32_t r, std::int32_t text, std::int32_t day) {
            if (static_cast<std::uint32_t>(text) == employee && day >= first && day <= last)
                found.push_back(r);
        },
        employees.textOfRecord, dayOfRecord);
    return found;
}

WorkedTimeCollector::WorkedTimeCollector(std::u16string_view employee, std::optional<sys_days> accountStart,
                                         sys_days from, sys_days to, const Regional& regional)
    : m_employee(cp1252::encode(employee)),
      // A name the code page cannot hold is in no row.
      m_storable(cp1252::decode(m_employee) == employee),
      m_prefix(std::min<std::size_t>(m_employee.size(), 8)),
      m_start(accountStart ? dayNumber(*accountStart) : INT32_MAX),
      m_from(dayNumber(from)),
      m_to(dayNumber(to)),
      m_reader(regional)
{
    if (!(to < from))
        m_worked.perDay.assign(static_cast<std::size_t>(m_to - m_from) + 1, 0);
}

void WorkedTimeCollector::take(const DbfTable& table)
{
    if (!m_placed) {
        m_offset = static_cast<std::size_t>(table.field(workfield::kEmployee).offset);
        m_prefix = std::min<std::size_t>(m_prefix, static_cast<std::size_t>(table.field(workfield::kEmployee).width));
        m_placed = true;
    }
    if (!m_storable || std::memcmp(table.recordBytes().data() + m_offset, m_employee.data(), m_prefix) != 0
        || !sameBytes(table.fieldBytes(workfield::kEmployee), m_employee))
        return;
    const std::int32_t day = m_reader.day(table);
    if (day == WorkedReader::kNoDay || day > m_to || (day < m_from && day < m_start))
        return;
    const std::int32_t worked = m_reader.worked(table);
    if (worked == WorkedReader::kNoTime)
        return;
    if (day >= m_from)
        m_worked.perDay[static_cast<std::size_t>(day - m_from)] += worked;
    else
        m_worked.beforePeriod += worked;
}

std::vector<DayRows> readDayRows(DbfTable& table, const std::vector<std::uint32_t>& records, sys_days from, sys_days to,
                                 const Regional& regional)
{
    struct Span {
        std::size_t day;
        std::int64_t start;  // unreadable starts go last
        std::u16string text;
    };
    std::vector<Span> spans;
    std::vector<DayRows> days(to < from ? 0 : static_cast<std::size_t>((to - from).count()) + 1);
    std::u16string date, start, end, pause;
    for (const std::uint32_t r : records) {
        if (!table.gotoRecord(r))
            continue;
        table.readFieldText(workfield::kDate, date);
        const auto day = readStoredDate(date, regional);
        if (!day || *day < from || *day > to)
            continue;
        table.readFieldText(workfield::kFrom, start);
        table.readFieldText(workfield::kTo, end);
        table.readFieldText(workfield::kBreak, pause);
        const auto index = static_cast<std::size_t>((*day - from).count());
        if (workedMs(start, end, pause, regional))
            days[index].breaks += readStoredTime(pause, regional).value_or(0);
        spans.push_back({index, readStoredTime(start, regional).value_or(kMsPerDay), start + u'–' + end});
    }
    std::stable_sort(spans.begin(), spans.end(),
                     [](const Span& a, const Span& b) { return std::tie(a.day, a.start) < std::tie(b.day, b.start); });
    for (Span& s : spans)
        days[s.day].spans.push_back(std::move(s.text));
    return days;
}

}  // namespace horavant
