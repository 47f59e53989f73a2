// The check of the recorded periods against the working-time law (ArbZG): one pass over the
// table, findings per employee and day, and the figures of the summary.
#pragma once

#include "store/distinct_texts.h"
#include "store/regional.h"

#include <array>
#include <climits>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace horavant {

class DbfTable;

// In the order in which one employee's findings of one day are listed.
enum class LawFinding : std::uint8_t {
    Unreadable,  // figures: [0] index into unreadableRows
    BreakTooShort,  // [0] breaks taken, [1] net working time
    NoBreakOverSixHours,  // [0] length of the stretch, [1] its start, [2] its end
    OverTenHours,  // [0] net working time
    RestUnderEleven,  // [0] rest had, [1] end on the day before, [2] start on this day
    SundayWork,  // [0] net working time
    DoubleBooking,  // [0] from, [1] to, [2] from and [3] to of the row it overlaps
                    // (-1 for a row that is only marked), [4] double bookings of the day
    AverageOverEight,  // [0] net working time per working day, [1] working days
};

struct WorkingTimeFinding {
    LawFinding kind = LawFinding::Unreadable;
    // A row whose date cannot be read belongs to no day.
    std::optional<std::chrono::sys_days> day;
    std::uint32_t employee = 0;  // index into WorkingTimeCheck::employees
    std::array<std::int64_t, 5> figures {};
};

// The stored texts of a row that the check could not read.
struct UnreadableRow {
    std::u16string date, from, to, pause;
};

struct WorkingTimeCheck {
    std::vector<std::u16string> employees;
    // Rows without a readable date first (in table order), then by day, employee (in order of
    // first appearance in the table) and the order of LawFinding; the period's averages after
    // the last day's findings of their employee.
    std::vector<WorkingTimeFinding> findings;
    std::vector<UnreadableRow> unreadableRows;
    std::uint32_t checkedDays = 0;  // days of one employee with rows, within the period
    std::uint32_t daysWithFindings = 0;
    std::uint32_t workingDays = 0;  // Monday to Saturday within the period
    // Net working time per working day (and per employee with checked days), rounded to the ms.
    std::int64_t averageNet = 0;
};

// What the scan that gathers the employees for the choice of one can find out for the check as
// well: each record's employee and day, so that the check visits only the records of its period.
struct LawCheckRows {
    static constexpr std::int32_t kNoDay = INT32_MIN;  // a date that cannot be read

    DistinctTextRows employees;
    std::vector<std::int32_t> dayOfRecord;  // days since 1970, per physical record
};
LawCheckRows GatherLawCheckRows(DbfTable& table, const Regional& regional);

// Checks the rows of `employee` (exact text of the employee field), or of every employee when
// it is empty, dated from..to (both inclusive). The day before the period is read too, for the
// rest before its first day. Moves the cursor. With the rows as GatherLawCheckRows found them,
// only the records of the period and those without a readable date are read again, unless the
// table's file has changed since; the check is the same either way.
WorkingTimeCheck CheckWorkingTimeLaw(DbfTable& table, std::optional<std::u16string_view> employee,
                                     std::chrono::sys_days fromDate, std::chrono::sys_days toDate,
                                     const Regional& regional, const LawCheckRows* gathered = nullptr);

// Monday to Saturday within from..to (both inclusive).
std::uint32_t countWorkingDays(std::chrono::sys_days fromDate, std::chrono::sys_days toDate);

}  // namespace horavant
