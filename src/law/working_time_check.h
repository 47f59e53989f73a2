// The check of the recorded periods against the working-time law (ArbZG): one pass over the
// table, findings per employee and day, and the figures of the summary.
#pragma once

#include "store/distinct_texts.h"
#include "store/regional.h"
#include "timesheet/timesheet_data.h"

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
    Unreadable,  // figures: [0] index into listedRows
    EndNotAfterStart,  // [0] index into listedRows
    BreakLongerThanRow,  // [0] index into listedRows
    BreakTooShort,  // [0] breaks taken, [1] net working time
    NoBreakOverSixHours,  // [0] length of the stretch, [1] its start, [2] its end
    OverTenHours,  // [0] net working time
    RestUnderEleven,  // [0] rest had, [1] end of the shift before, [2] start of this one
    SundayWork,  // [0] net working time
    HolidayWork,  // [0] net working time, [1] the State whose public holidays the day has
    DoubleBooking,  // [0] from, [1] to, [2] from and [3] to of the row it overlaps
                    // (-1 for a row that is only marked), [4] double bookings of the day
    AverageOverEight,  // [0] net working time per Werktag, [1] Werktage, [2] first and [3] last
                       // day of the window (days since 1970)
};
// Times of a shift's findings are milliseconds since 00:00 of the day the finding is dated on:
// below 0 on the day before, from kMsPerDay on on the day after.

struct WorkingTimeFinding {
    LawFinding kind = LawFinding::Unreadable;
    // A row whose date cannot be read belongs to no day.
    std::optional<std::chrono::sys_days> day;
    std::uint32_t employee = 0;  // index into WorkingTimeCheck::employees
    std::array<std::int64_t, 5> figures {};
};

// The stored texts of a row that the check lists instead of counting it.
struct ListedRow {
    std::u16string date, from, to, pause;
};

struct WorkingTimeCheck {
    std::vector<std::u16string> employees;
    // Rows without a readable date first (in table order), then by day, employee (in order of
    // first appearance in the table) and the order of LawFinding. A shift's findings are dated on
    // the day it began, its rest on the day the next one began, an average on the last Werktag of
    // its window.
    std::vector<WorkingTimeFinding> findings;
    std::vector<ListedRow> listedRows;
    std::uint32_t checkedDays = 0;  // days of one employee with rows, within the period
    std::uint32_t daysWithFindings = 0;
    // Net working time per Werktag with rows (Monday to Saturday, per employee), rounded to the ms.
    std::int64_t averageNet = 0;
    // Whether a window of 24 weeks was judged for any employee.
    bool averageChecked = false;
    // What could not be taken from sollzeit.dbf and abwesend.dbf: the tables left out, and
    // whether rows of the employees checked could not be read.
    std::vector<UnusableTable> unusableTables;
    bool unreadableTimesheetRows = false;
};

// What the scan that gathers the employees for the choice of one can find out for the check as
// well: each record's employee and day, so that the check visits only the records of its period.
using LawCheckRows = DatedTextRows;
LawCheckRows GatherLawCheckRows(DbfTable& table, const Regional& regional);

// Checks the rows of `employee` (exact text of the employee field), or of every employee when
// it is empty, dated from..to (both inclusive). The day before the period is read too, for the
// rest before its first shift, and the day after, for a shift that runs past midnight. Moves the
// cursor. With the rows as GatherLawCheckRows found them, only the records of those days and
// those without a readable date are read again, unless the table's file has changed since; the
// check is the same either way. With the timesheet's tables, work on a public holiday of the state
// of an employee's sollzeit.dbf row in force is a finding, and the average leaves out those
// holidays and the days an absence is credited for; without them, or for an employee without a
// row, the check goes by the recorded rows alone.
WorkingTimeCheck CheckWorkingTimeLaw(DbfTable& table, std::optional<std::u16string_view> employee,
                                     std::chrono::sys_days fromDate, std::chrono::sys_days toDate,
                                     const Regional& regional, const LawCheckRows* gathered = nullptr,
                                     const TimesheetData* timesheet = nullptr);

}  // namespace horavant
