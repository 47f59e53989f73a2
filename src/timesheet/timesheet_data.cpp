// Reading the timesheet's tables.
#include "timesheet/timesheet_data.h"

#include "store/timesheet_tables.h"

#include <algorithm>

namespace horavant {

EmployeePlan TimesheetData::planOf(std::u16string_view employee) const
{
    std::vector<TargetRow> rows;
    for (const TargetRow& row : targets) {
        if (row.employee == employee)
            rows.push_back(row);
    }
    std::vector<Absence> taken;
    for (const Absence& a : absences) {
        if (a.employee == employee)
            taken.push_back(a);
    }
    return EmployeePlan(std::move(rows), std::move(taken));
}

std::vector<std::u16string> TimesheetData::employeesWithTargets() const
{
    std::vector<std::u16string> names;
    for (const TargetRow& row : targets) {
        if (std::find(names.begin(), names.end(), row.employee) == names.end())
            names.push_back(row.employee);
    }
    return names;
}

bool TimesheetData::hasUnreadable(std::u16string_view employee) const
{
    if (employee.empty())
        return !unreadable.empty();
    return std::find(unreadable.begin(), unreadable.end(), employee) != unreadable.end();
}

TimesheetData loadTimesheetData(const std::filesystem::path& folder, const Regional& regional)
{
    TimesheetData data;
    for (StoredRow& stored : readTableRows(folder, kTargetTable)) {
        if (auto row = readTargetRow(stored.texts, regional))
            data.targets.push_back(std::move(*row));
        else
            data.unreadable.push_back(std::move(stored.texts[targetfield::kEmployee]));
    }
    for (StoredRow& stored : readTableRows(folder, kAbsenceTable)) {
        if (auto absence = readAbsence(stored.texts, regional))
            data.absences.push_back(std::move(*absence));
        else
            data.unreadable.push_back(std::move(stored.texts[absencefield::kEmployee]));
    }
    return data;
}

}  // namespace horavant
