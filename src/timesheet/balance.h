// An employee's balance of the overtime account at the end of a day, as the recording window
// shows it, counted in a scan of the work-time table that another purpose runs anyway.
#pragma once

#include "store/regional.h"
#include "timesheet/timesheet_data.h"
#include "timesheet/timesheet_scan.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace horavant {

class DbfTable;

class AccountBalance {
public:
    // Reads the timesheet's tables of the folder.
    AccountBalance(const std::filesystem::path& folder, std::u16string_view employee, std::chrono::sys_days day,
                   const Regional& regional);

    // Whether the employee has a row in sollzeit.dbf; without one there is no account.
    bool hasAccount() const { return m_plan.hasRows(); }
    // Each record of a scan of the work-time table, as the table's current record.
    void take(const DbfTable& table) { m_collector->take(table); }
    // Once the scan is through.
    std::int64_t balance() const;

private:
    EmployeePlan m_plan;
    std::chrono::sys_days m_day;
    std::optional<WorkedTimeCollector> m_collector;
};

}  // namespace horavant
