// The rules of the working-time law over one employee's days: the shifts the days' periods form,
// and the findings of the shifts, the days and the long-period average.
#pragma once

#include "law/working_time_average.h"
#include "law/working_time_check.h"
#include "law/working_time_day.h"
#include "timesheet/holidays.h"
#include "timesheet/timesheet_rules.h"

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

// What sollzeit.dbf and abwesend.dbf say of one employee's days within a period. A day without a
// row in force has no state: no public holiday, and an absence on it changes nothing.
class PlannedDays {
public:
    PlannedDays() = default;
    PlannedDays(const EmployeePlan& plan, HolidayCalendar& holidays, std::chrono::sys_days from,
                std::chrono::sys_days to);

    bool any() const { return !m_days.empty(); }
    // The state of whose public holidays the day is one.
    std::optional<State> holidayOf(std::chrono::sys_days day) const;
    // A public holiday, or a day an absence is credited for as the timesheet credits it (Urlaub,
    // Krank or Sonstiges on a day with target hours): no Werktag of the average. A day off in
    // lieu (Freizeitausgleich), or an absence on a day without target hours, stays one: such
    // days are what brings the average down.
    bool leftOut(std::chrono::sys_days day) const;

private:
    static constexpr std::uint8_t kHoliday = 0x80;
    static constexpr std::uint8_t kLeftOut = 0x40;
    static constexpr std::uint8_t kState = 0x0F;

    std::uint8_t flags(std::chrono::sys_days day) const;

    std::chrono::sys_days m_from;
    std::vector<std::uint8_t> m_days;  // from m_from on: kHoliday and kLeftOut, and the State
};

// Judges one employee's days, in calendar order, which cover from - 1 .. to + 1 where they have
// rows; findings are made for from..to only. `firstRecorded` is the employee's first day with a
// readable date anywhere in the table: no window of the average starts before it. Public
// holidays are no Werktage, neither of the average nor of the summary's net time per Werktag.
EmployeeTotals judgeEmployee(std::span<DayRecord* const> days, std::chrono::sys_days from, std::chrono::sys_days to,
                             std::optional<std::chrono::sys_days> firstRecorded, std::vector<WorkingTimeFinding>& out,
                             const PlannedDays& planned = {});

}  // namespace horavant
