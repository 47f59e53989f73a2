// Reading the timesheet's tables.
#include "timesheet/timesheet_data.h"

#include "store/timesheet_tables.h"

#include <algorithm>
#include <unordered_map>

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

std::vector<EmployeePlan> TimesheetData::plansOf(std::span<const std::u16string> employees) const
{
    std::unordered_map<std::u16string_view, std::size_t> index;
    for (std::size_t i = 0; i < employees.size(); ++i)
        index.emplace(employees[i], i);
    std::vector<std::vector<TargetRow>> rows(employees.size());
    std::vector<std::vector<Absence>> taken(employees.size());
    for (const TargetRow& row : targets) {
        if (const auto it = index.find(row.employee); it != index.end())
            rows[it->second].push_back(row);
    }
    for (const Absence& a : absences) {
        if (const auto it = index.find(a.employee); it != index.end())
            taken[it->second].push_back(a);
    }
    std::vector<EmployeePlan> plans;
    plans.reserve(employees.size());
    for (std::size_t i = 0; i < employees.size(); ++i)
        plans.emplace_back(std::move(rows[i]), std::move(taken[i]));
    return plans;
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

namespace {

void readTargets(TimesheetData& data, const std::filesystem::path& folder, const Regional& regional)
{
    for (StoredRow& stored : readTableRows(folder, kTargetTable)) {
        if (auto row = readTargetRow(stored.texts, regional))
            data.targets.push_back(std::move(*row));
        else
            data.unreadable.push_back(std::move(stored.texts[targetfield::kEmployee]));
    }
}

void readAbsences(TimesheetData& data, const std::filesystem::path& folder, const Regional& regional)
{
    for (StoredRow& stored : readTableRows(folder, kAbsenceTable)) {
        if (auto absence = readAbsence(stored.texts, regional))
            data.absences.push_back(std::move(*absence));
        else
            data.unreadable.push_back(std::move(stored.texts[absencefield::kEmployee]));
    }
}

}  // namespace

TimesheetData loadTimesheetData(const std::filesystem::path& folder, const Regional& regional)
{
    TimesheetData data;
    readTargets(data, folder, regional);
    readAbsences(data, folder, regional);
    return data;
}

TimesheetData loadUsableTimesheetData(const std::filesystem::path& folder, const Regional& regional)
{
    TimesheetData data;
    // A table's rows come all at once or not at all, so a table left out has added nothing.
    const auto usable = [&](const TableSchema& schema, auto read) {
        try {
            read(data, folder, regional);
        } catch (const TableFileError& e) {
            data.unusable.push_back({e.pattern(), e.details()});
        } catch (const Error& e) {
            data.unusable.push_back({kTableDamaged, {(folder / schema.fileName).string(), e.what()}});
        }
    };
    usable(kTargetTable, readTargets);
    usable(kAbsenceTable, readAbsences);
    return data;
}

}  // namespace horavant
