// The balance up to a day.
#include "timesheet/balance.h"

namespace horavant {

AccountBalance::AccountBalance(const std::filesystem::path& folder, std::u16string_view employee,
                               std::chrono::sys_days day, const Regional& regional)
    : m_plan(loadTimesheetData(folder, regional).planOf(employee)), m_day(day)
{
    m_collector.emplace(employee, m_plan.accountStart(), day, day, regional);
}

std::int64_t AccountBalance::balance() const
{
    HolidayCalendar holidays;
    return summarizePeriod(m_plan, holidays, m_day, m_day, m_collector->worked()).balanceAfter;
}

}  // namespace horavant
