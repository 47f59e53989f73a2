// The rules of the monthly timesheet: a day's target ("Soll") and actual ("Ist") hours, what an
// absence credits, the balance of the overtime account and the vacation left.
#pragma once

#include "store/regional.h"
#include "timesheet/holidays.h"
#include "timesheet/timesheet_texts.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace horavant {

// One employee's rows of sollzeit.dbf and absences, in date order.
class EmployeePlan {
public:
    EmployeePlan() = default;
    // Rows of one day: the later one in the file counts.
    EmployeePlan(std::vector<TargetRow> rows, std::vector<Absence> absences);

    bool hasRows() const { return !m_rows.empty(); }
    const std::vector<TargetRow>& rows() const { return m_rows; }
    const std::vector<Absence>& absences() const { return m_absences; }
    // The row in force on the day: the last one whose AB is not after it.
    const TargetRow* rowOn(std::chrono::sys_days day) const;
    // An absence that takes in the day (of overlapping ones, the one that begins first).
    const Absence* absenceOn(std::chrono::sys_days day) const;
    // The account begins on the first row's AB; nothing without rows.
    std::optional<std::chrono::sys_days> accountStart() const;

private:
    std::vector<TargetRow> m_rows;
    std::vector<Absence> m_absences;
};

struct DayAccount {
    std::chrono::sys_days day;
    std::int64_t target = 0;
    std::int64_t worked = 0;  // the net time of the day's rows, as the evaluations count it
    std::int64_t credited = 0;  // the target, credited for an absence
    std::span<const Holiday> holidays;
    std::optional<AbsenceKind> absence;
    bool vacationDay = false;  // an Urlaub day with a target: one day of vacation taken

    std::int64_t actual() const { return worked + credited; }
};

// The hours owed on the day: those of its weekday in the row in force, 0 before the first row
// and on a public holiday of the row's state.
std::int64_t targetOf(const EmployeePlan& plan, HolidayCalendar& holidays, std::chrono::sys_days day);

// An absence of kind Urlaub, Krank or Sonstiges credits the day's target as actual time;
// Freizeitausgleich credits nothing, it spends the balance.
inline bool creditsTarget(AbsenceKind kind)
{
    return kind != AbsenceKind::Freizeitausgleich;
}

// The day's target, and what its absence credits. On a day with target 0 an absence changes
// nothing.
DayAccount accountOf(const EmployeePlan& plan, HolidayCalendar& holidays, std::chrono::sys_days day,
                     std::int64_t worked);

// The worked time that a period's figures need: per day of the period, and the sum over the
// days of the account before it (from its first day up to the day before the period).
struct WorkedTime {
    std::int64_t beforePeriod = 0;
    std::vector<std::int64_t> perDay;  // from the period's first day on; missing days are 0
};

struct PeriodSummary {
    std::int64_t target = 0;
    std::int64_t actual = 0;
    std::int64_t balanceBefore = 0;  // at the end of the day before the period
    std::int64_t balanceAfter = 0;  // at the end of the period's last day
    int vacationTaken = 0;  // days, in the calendar year of the period's end, up to that end
    // That year's vacation days of the row in force at the period's end, less those taken; no
    // carry-over from the year before. Nothing when no row is in force then.
    std::optional<std::int64_t> vacationRestHundredths;
};

// The balance at the end of a day is the first row's UEBERTRAG plus the sum of actual less
// target of every day of the account up to it; before the account begins it is that UEBERTRAG.
// `eachDay` sees every day of the period in order.
PeriodSummary summarizePeriod(const EmployeePlan& plan, HolidayCalendar& holidays, std::chrono::sys_days from,
                              std::chrono::sys_days to, const WorkedTime& worked,
                              const std::function<void(const DayAccount&)>& eachDay = {});

// Hours with two decimals as the reports write them, with "+" before a positive value.
std::u16string formatSignedHours(std::int64_t ms, const Regional& regional);

}  // namespace horavant
