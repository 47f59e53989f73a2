// The texts of sollzeit.dbf and abwesend.dbf: reading them into target rows and absences,
// checking them as they are typed, and writing them in the stored forms (dates DD.MM.YYYY, times
// HH:MM, vacation days with a decimal comma, balances with their sign).
#pragma once

#include "store/regional.h"
#include "store/timesheet_tables.h"
#include "timesheet/holidays.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace horavant {

enum class AbsenceKind : std::uint8_t { Urlaub, Krank, Freizeitausgleich, Sonstiges };

// Stored in German whatever the language; translated where they are shown.
inline constexpr std::array<std::u16string_view, 4> kAbsenceKinds = {u"Urlaub", u"Krank", u"Freizeitausgleich",
                                                                     u"Sonstiges"};
inline std::u16string_view absenceKindText(AbsenceKind kind)
{
    return kAbsenceKinds[static_cast<std::size_t>(kind)];
}
std::optional<AbsenceKind> absenceKindOf(std::u16string_view text);

struct TargetRow {
    std::u16string employee;
    std::chrono::sys_days from;
    State state = State::BW;
    std::array<std::int64_t, 7> weekdayMs {};  // Monday first
    std::int64_t vacationHundredths = 0;  // days per calendar year, in hundredths of a day
    std::int64_t carriedMs = 0;  // balance brought in on `from`
};

struct Absence {
    std::u16string employee;
    std::chrono::sys_days from;
    std::chrono::sys_days to;  // included
    AbsenceKind kind = AbsenceKind::Sonstiges;
};

// Hours owed on a weekday: the empty text is 00:00, a readable time of day, or 24:00.
std::optional<std::int64_t> readTargetHours(std::u16string_view text, const Regional& regional);
// Vacation days: the empty text is 0; else up to three digits, optionally a decimal comma (or point) and up to two
// digits.
std::optional<std::int64_t> readVacationDays(std::u16string_view text, const Regional& regional);
// A balance: the empty text is 0; else an optional sign, hours of one to three digits, ":" (or
// the regional time separator) and minutes of two digits.
std::optional<std::int64_t> readCarriedBalance(std::u16string_view text, const Regional& regional);

// HH:MM, "24:00" for a whole day.
std::u16string formatTargetHours(std::int64_t ms);
// The number with a decimal comma and without trailing zeros: "30", "27,5".
std::u16string formatVacationDays(std::int64_t hundredths, char16_t decimalSeparator);
// "+12:30", "-03:15"; the empty text for 0.
std::u16string formatCarriedBalance(std::int64_t ms);

// The row's texts in the order of the table's fields; nothing when one cannot be read.
std::optional<TargetRow> readTargetRow(const std::vector<std::u16string>& texts, const Regional& regional);
std::optional<Absence> readAbsence(const std::vector<std::u16string>& texts, const Regional& regional);

// The first field of a target row, as typed, that cannot be stored; its position among the
// table's fields.
std::optional<int> targetFieldProblem(const std::vector<std::u16string>& typed, const Regional& regional);
// The typed texts in their stored forms; they must have no problem.
std::vector<std::u16string> storedTargetTexts(const std::vector<std::u16string>& typed, const Regional& regional);

// The first readable absence among the rows of abwesend.dbf of the same employee that shares a day
// with `wanted`.
std::optional<Absence> overlappingAbsence(const std::vector<StoredRow>& rows, const Absence& wanted,
                                          const Regional& regional);

std::vector<std::u16string> absenceTexts(std::u16string_view employee, std::chrono::sys_days from,
                                         std::chrono::sys_days to, AbsenceKind kind, std::u16string_view remarks);

}  // namespace horavant
