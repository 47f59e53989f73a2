// The rules of the working-time law over one employee's days: the shifts the days' periods form,
// and the findings of the shifts, the days and the long-period average.
#pragma once

#include "law/working_time_average.h"
#include "law/working_time_check.h"
#include "law/working_time_day.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace horavant {

struct DayRecord {
    std::chrono::sys_days day;
    std::uint32_t employee;
    WorkDay work;
    std::int64_t net = 0;  // the working time of the shifts that lies on this day
};

// What one employee adds to the summary.
struct EmployeeTotals {
    std::uint32_t checkedDays = 0;
    std::int64_t netOfWorkingDays = 0;  // on Werktage with rows
    std::uint32_t workingDaysWithRows = 0;
    bool averageJudged = false;
};

// Judges one employee's days, in calendar order, which cover from - 1 .. to + 1 where they have
// rows; findings are made for from..to only. `firstRecorded` is the employee's first day with a
// readable date anywhere in the table: no window of the average starts before it.
EmployeeTotals judgeEmployee(std::span<DayRecord* const> days, std::chrono::sys_days from, std::chrono::sys_days to,
                             std::optional<std::chrono::sys_days> firstRecorded, std::vector<WorkingTimeFinding>& out,
                             const DayFilter& leftOut = {});

}  // namespace horavant
