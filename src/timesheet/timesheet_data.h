// The rows of sollzeit.dbf and abwesend.dbf as the timesheet reads them, and each employee's plan.
#pragma once

#include "store/regional.h"
#include "timesheet/timesheet_rules.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace horavant {

struct TimesheetData {
    std::vector<TargetRow> targets;  // the readable rows, in the file's order
    std::vector<Absence> absences;
    // The employee texts of the rows that could not be read (a date, time or number that is none,
    // an unknown state or kind, an absence that ends before it begins).
    std::vector<std::u16string> unreadable;

    EmployeePlan planOf(std::u16string_view employee) const;
    // The employees with a row in sollzeit.dbf, in order of first appearance.
    std::vector<std::u16string> employeesWithTargets() const;
    // Whether a row of that employee (or, for the empty text, of anybody) could not be read.
    bool hasUnreadable(std::u16string_view employee) const;
};

// Reads both tables of the program folder; a missing one has no rows.
TimesheetData loadTimesheetData(const std::filesystem::path& folder, const Regional& regional);

}  // namespace horavant
