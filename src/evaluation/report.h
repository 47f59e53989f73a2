// The three evaluations' report text: subjects, rows of the period, columns and totals.
#pragma once

#include "evaluation/report_table.h"
#include "store/distinct_texts.h"
#include "store/regional.h"
#include "store/work_time_text.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace horavant {

class DbfTable;

enum class EvaluationLayout { Employee, Place, Activity };

// The field that the layout gathers its subjects from and selects its rows by: 1, 2 or 3.
int subjectPosition(EvaluationLayout layout);

// The distinct texts of the field at `position`, in order of first appearance, exact comparison.
inline std::vector<std::u16string> CollectSubjects(DbfTable& table, int position)
{
    return collectDistinctTexts(table, position);
}
// The same, remembering which subject and day each record holds, for the report to visit only
// the chosen subject's records of its period.
inline DatedTextRows GatherSubjects(DbfTable& table, int position, const Regional& regional)
{
    return collectDatedTextRows(table, position, regional);
}

// Appends blanks until the text has at least `width` characters; never cuts.
std::u16string PadRight(std::u16string text, std::size_t width);

// DD.MM.YYYY with "." and zero padding whatever the regional settings.
std::u16string FormatPeriodDate(std::chrono::year_month_day date);

// Hours with exactly two decimals, rounded half away from zero from the exact milliseconds, the
// regional decimal separator, no grouping, "-" in front of a negative value (a value that rounds
// to 0,00 has no sign).
std::u16string FormatHours(std::int64_t totalMs, const Regional& regional);

// The time of one row: its period, end - start, less its break. A period whose end is not after
// its start (a row written by another program) counts as none, and a break counts up to the
// period, so no row takes hours away from a total.
struct RowHours {
    std::int64_t worked = 0;
    std::int64_t deducted = 0;  // the part of the break taken off
};
// Nothing when the start or the end cannot be read; a break that cannot be read counts as none.
std::optional<RowHours> workedTime(std::u16string_view from, std::u16string_view to, std::u16string_view pause,
                                   const Regional& regional);
std::optional<std::int64_t> workedMs(std::u16string_view from, std::u16string_view to, std::u16string_view pause,
                                     const Regional& regional);

// The report: the subject and period lines, the columns, one row per row of `subject` dated
// from..to (both inclusive), and the away count, break total and work total. The break column is
// shown only with `showBreaks`; breaks are deducted always. A last column titled `hoursTitle`,
// only for spreadsheets, holds each row's worked hours. Texts come from `messageText` in the
// current language. Moves the cursor. With the subjects as GatherSubjects found them, only the
// chosen subject's records of the period (and those without a readable date) are read again,
// unless the table's file has changed since; the report is the same either way.
ReportTable BuildEvaluationReport(DbfTable& table, EvaluationLayout layout, std::u16string_view subject,
                                  std::chrono::sys_days fromDate, std::chrono::sys_days toDate, bool showBreaks,
                                  const Regional& regional, const std::function<std::u16string(int)>& messageText,
                                  std::u16string_view hoursTitle, const DatedTextRows* gathered = nullptr);

// The text lines of that report.
std::vector<std::u16string> BuildEvaluation(DbfTable& table, EvaluationLayout layout, std::u16string_view subject,
                                            std::chrono::sys_days fromDate, std::chrono::sys_days toDate,
                                            bool showBreaks, const Regional& regional,
                                            const std::function<std::u16string(int)>& messageText,
                                            const DatedTextRows* gathered = nullptr);

}  // namespace horavant
