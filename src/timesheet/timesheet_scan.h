// Reading the work-time table for the timesheet: each record's employee, day and worked time
// (end less start less break, as the evaluations count it), read from the stored bytes, either
// for every record in the scan that lists the employees or for one employee in another scan.
#pragma once

#include "store/distinct_texts.h"
#include "store/record_values.h"
#include "store/regional.h"
#include "store/work_time_text.h"
#include "timesheet/timesheet_rules.h"

#include <chrono>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace horavant {

class DbfTable;

// The current record's day and worked time.
class WorkedReader {
public:
    static constexpr std::int32_t kNoDay = StoredDays::kNoDay;  // a date that cannot be read
    static constexpr std::int32_t kNoTime = INT32_MIN;  // a start or end that cannot be read

    explicit WorkedReader(const Regional& regional);

    // Days since 1970.
    std::int32_t day(const DbfTable& table);
    // Milliseconds.
    std::int32_t worked(const DbfTable& table);

private:
    struct Field {
        std::size_t offset = 0;
        std::size_t width = 0;
    };
    std::string_view bytes(const DbfTable& table, const Field& field);
    std::u16string decoded(const DbfTable& table, const Field& field);

    const Regional& m_regional;
    StoredDays m_days;
    char m_timeSeparator;
    bool m_placed = false;
    Field m_date, m_from, m_to, m_break;
};

// What an employee's figures need to know of the work-time table: whether, and since when, the
// employee has an account.
struct WorkedRequest {
    bool wanted = false;
    std::optional<std::chrono::sys_days> accountStart;
};

// Every record's employee, day and worked time, noted by the scan that lists the employees, so
// that the figures of one or of all employees need not read the table again.
struct TimesheetRows {
    DistinctTextRows employees;
    RecordValues dayOfRecord;
    std::vector<std::int32_t> workedOfRecord;

    bool stillCurrent(const DbfTable& table) const { return employees.stillCurrent(table); }
    // Per employee of `employees.texts`, the worked time over from..to of those wanted.
    std::vector<WorkedTime> workedTimes(const std::vector<WorkedRequest>& requests, std::chrono::sys_days from,
                                        std::chrono::sys_days to) const;
    // The records of the employee dated from..to, in physical order.
    std::vector<std::uint32_t> recordsOf(std::uint32_t employee, std::chrono::sys_days from,
                                         std::chrono::sys_days to) const;
};
TimesheetRows gatherTimesheetRows(DbfTable& table, const Regional& regional);

// One employee's worked time over a period, from the records another scan passes by.
class WorkedTimeCollector {
public:
    WorkedTimeCollector(std::u16string_view employee, std::optional<std::chrono::sys_days> accountStart,
                        std::chrono::sys_days from, std::chrono::sys_days to, const Regional& regional);
    // The table's current record.
    void take(const DbfTable& table);
    const WorkedTime& worked() const { return m_worked; }

private:
    std::string m_employee;  // the stored bytes
    bool m_storable;
    // The first bytes of the name, compared in place before the field is read as a whole: most
    // records are another employee's.
    std::size_t m_prefix;
    std::size_t m_offset = 0;
    bool m_placed = false;
    std::int32_t m_start;
    std::int32_t m_from;
    std::int32_t m_to;
    WorkedReader m_reader;
    WorkedTime m_worked;
};

// The rows of each day of a period as one line of the timesheet shows them.
struct DayRows {
    std::vector<std::u16string> spans;  // "07:30–16:15", in order of their start
    std::int64_t breaks = 0;  // of the rows whose start and end can be read
};
// Reads the records (of one employee) and sorts them into the days from..to.
std::vector<DayRows> readDayRows(DbfTable& table, const std::vector<std::uint32_t>& records, std::chrono::sys_days from,
                                 std::chrono::sys_days to, const Regional& regional);

}  // namespace horavant
