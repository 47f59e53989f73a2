// The rows of sollzeit.dbf and abwesend.dbf as the timesheet reads them, and each employee's plan.
#pragma once

#include "store/regional.h"
#include "timesheet/timesheet_rules.h"

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace horavant {

// A table that cannot be used: its error as a German pattern whose %s the details fill in order.
struct UnusableTable {
    std::string pattern;
    std::vector<std::string> details;
};

struct TimesheetData {
    std::vector<TargetRow> targets;  // the readable rows, in the file's order
    std::vector<Absence> absences;
    // The employee texts of the rows that could not be read (a date, time or number that is none,
    // an unknown state or kind, an absence that ends before it begins).
    std::vector<std::u16string> unreadable;
    // The tables that loadUsableTimesheetData had to leave out.
    std::vector<UnusableTable> unusable;

    EmployeePlan planOf(std::u16string_view employee) const;
    // The plans of many employees, in their order, with one pass over the rows.
    std::vector<EmployeePlan> plansOf(std::span<const std::u16string> employees) const;
    // The employees with a row in sollzeit.dbf, in order of first appearance.
    std::vector<std::u16string> employeesWithTargets() const;
    // Whether a row of that employee (or, for the empty text, of anybody) could not be read.
    bool hasUnreadable(std::u16string_view employee) const;
};

// Reads both tables of the program folder; a missing one has no rows.
TimesheetData loadTimesheetData(const std::filesystem::path& folder, const Regional& regional);
// Reads what can be read: a table that cannot be used has no rows and is named in `unusable`,
// so that what only consults the tables goes on without it.
TimesheetData loadUsableTimesheetData(const std::filesystem::path& folder, const Regional& regional);

}  // namespace horavant
