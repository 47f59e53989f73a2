// The monthly timesheet ("Monatsnachweis") as a report table: one employee's days with the
// summary and the lines to sign, or one line of figures per employee with target hours.
#pragma once

#include "evaluation/report_table.h"
#include "store/regional.h"
#include "timesheet/timesheet_data.h"
#include "timesheet/timesheet_scan.h"

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace horavant {

class DbfTable;

// The German text of the choice of every employee, to be passed through Translate.
inline constexpr std::u16string_view kAllEmployeesChoice = u"Alle Mitarbeiter";

// A German text in the current language.
using Translator = std::function<std::u16string(std::u16string_view)>;

// The choice of employees: those of the work-time table in order of first appearance, then those
// with target hours but no rows yet.
std::vector<std::u16string> timesheetEmployees(const TimesheetRows& gathered, const TimesheetData& data);

// One employee's timesheet over from..to: the title with the employee, the period and the state,
// one line per day (weekday and date, the rows from-to, break, actual, target, difference, and
// the holiday or absence), the sums, the balances, the vacation of the year and the signatures.
// The day's rows are read from the table's records that `gathered` found, which must still be
// current.
ReportTable BuildTimesheetReport(DbfTable& table, const TimesheetRows& gathered, const TimesheetData& data,
                                 std::u16string_view employee, std::chrono::sys_days from, std::chrono::sys_days to,
                                 const Regional& regional, const Translator& translate);

// One line per employee with a row in sollzeit.dbf: target, actual, difference and balance over
// from..to, and the vacation left. `subject` is what the title names (everybody, translated).
ReportTable BuildTimesheetOverview(const TimesheetRows& gathered, const TimesheetData& data,
                                   std::u16string_view subject, std::chrono::sys_days from, std::chrono::sys_days to,
                                   const Regional& regional, const Translator& translate);

}  // namespace horavant
