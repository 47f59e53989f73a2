// The report of the working-time law check: its texts as rows of cells and summary pairs, and the
// lines of the output window made from them.
#pragma once

#include "evaluation/working_time_check.h"
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

struct WorkingTimeReport {
    std::u16string title;  // heading and subject
    std::u16string period;  // the period line of every report
    // Column titles, for exports: date, employee, finding, detail.
    std::array<std::u16string, 4> headings;
    std::vector<std::array<std::u16string, 4>> rows;
    // Shown in place of the rows when there are none.
    std::u16string noFindings;
    std::vector<std::pair<std::u16string, std::u16string>> summary;
};

using TranslateFunction = std::function<std::u16string(std::u16string_view)>;

// The texts of a check of `subject` (an employee's name, or the translated kAllEmployees) over
// from..to. Every text comes from `translate`, each once.
WorkingTimeReport BuildWorkingTimeReport(const WorkingTimeCheck& check, std::u16string_view subject,
                                         std::chrono::sys_days fromDate, std::chrono::sys_days toDate,
                                         const Regional& regional, const TranslateFunction& translate);

// The lines: title, period, an empty line, one line per row with padded columns (or the text of
// no findings), an empty line and the summary.
std::vector<std::u16string> WorkingTimeReportLines(const WorkingTimeReport& report);

}  // namespace horavant
