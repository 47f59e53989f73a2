// The report of the working-time law check: its texts as a report table, whose lines the output
// window shows and whose rows it saves as CSV.
#pragma once

#include "evaluation/report_table.h"
#include "law/working_time_check.h"
#include "store/regional.h"

#include <array>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace horavant {

// The German text of the choice of every employee, to be passed through Translate.
inline constexpr std::u16string_view kAllEmployees = u"Alle Mitarbeiter";

using TranslateFunction = std::function<std::u16string(std::u16string_view)>;

// The report of a check of `subject` (an employee's name, or the translated kAllEmployees) over
// from..to: title and period, the columns date, employee, finding and detail (the text has no
// line of titles and follows each finding with a colon), one row per finding or the text of no
// findings, and the days checked, days with findings and average hours. Every text comes from
// `translate`, each once.
ReportTable BuildWorkingTimeReport(const WorkingTimeCheck& check, std::u16string_view subject,
                                   std::chrono::sys_days fromDate, std::chrono::sys_days toDate,
                                   const Regional& regional, const TranslateFunction& translate);

}  // namespace horavant
