// Reading, checking and writing the texts of the timesheet's two tables.
#include "timesheet/timesheet_texts.h"

#include "store/timesheet_tables.h"
#include "store/work_time_text.h"

namespace horavant {
namespace {

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Digits from `pos`, at least `least` and at most `most` of them; pos moved past them.
std::optional<int> digits(std::u16string_view text, std::size_t& pos, std::size_t least, std::size_t most)
{
    const std::size_t start = pos;
    int value = 0;
    while (pos < text.size() && isDigit(text[pos]) && pos - start < most)
        value = value * 10 + (text[pos++] - u'0');
    if (pos - start < least)
        return std::nullopt;
    return value;
}

std::u16string decimal(std::int64_t value)
{
    const std::string d = std::to_string(value);
    return std::u16string(d.begin(), d.end());
}

}  // namespace

std::optional<AbsenceKind> absenceKindOf(std::u16string_view text)
{
    for (std::size_t i = 0; i < kAbsenceKinds.size(); ++i) {
        if (kAbsenceKinds[i] == text)
            return static_cast<AbsenceKind>(i);
    }
    return std::nullopt;
}

std::optional<std::int64_t> readTargetHours(std::u16string_view text, const Regional& regional)
{
    if (text.empty())
        return 0;
    if (const auto time = readStoredTime(text, regional))
        return time;
    // A whole day, which no time of day reads as.
    for (const char16_t sep : {u':', regional.timeSeparator}) {
        const std::u16string day = std::u16string(u"24") + sep + u"00";
        if (text == day || text == day + sep + u"00")
            return kMsPerDay;
    }
    return std::nullopt;
}

std::optional<std::int64_t> readVacationDays(std::u16string_view text, const Regional& regional)
{
    if (text.empty())
        return 0;
    std::size_t pos = 0;
    const auto whole = digits(text, pos, 1, 3);
    if (!whole)
        return std::nullopt;
    std::int64_t hundredths = *whole * 100;
    if (pos < text.size()) {
        const char16_t sep = text[pos++];
        if (sep != u',' && sep != u'.' && sep != regional.decimalSeparator)
            return std::nullopt;
        const std::size_t start = pos;
        const auto fraction = digits(text, pos, 1, 2);
        if (!fraction)
            return std::nullopt;
        hundredths += pos - start == 1 ? *fraction * 10 : *fraction;
    }
    if (pos != text.size())
        return std::nullopt;
    return hundredths;
}

std::optional<std::int64_t> readCarriedBalance(std::u16string_view text, const Regional& regional)
{
    if (text.empty())
        return 0;
    std::size_t pos = 0;
    const bool negative = text[0] == u'-';
    if (text[0] == u'+' || negative)
        ++pos;
    const auto hours = digits(text, pos, 1, 3);
    if (!hours || pos >= text.size() || (text[pos] != u':' && text[pos] != regional.timeSeparator))
        return std::nullopt;
    ++pos;
    const auto minutes = digits(text, pos, 2, 2);
    if (!minutes || *minutes > 59 || pos != text.size())
        return std::nullopt;
    const std::int64_t ms = *hours * kMsPerHour + *minutes * kMsPerMinute;
    return negative ? -ms : ms;
}

std::u16string formatTargetHours(std::int64_t ms)
{
    return ms >= kMsPerDay ? std::u16string(u"24:00") : formatStoredTime(ms);
}

std::u16string formatVacationDays(std::int64_t hundredths, char16_t decimalSeparator)
{
    const bool negative = hundredths < 0;
    const std::int64_t magnitude = negative ? -hundredths : hundredths;
    std::u16string text = (negative ? u"-" : u"") + decimal(magnitude / 100);
    std::int64_t fraction = magnitude % 100;
    if (fraction != 0) {
        text += decimalSeparator;
        text += static_cast<char16_t>(u'0' + fraction / 10);
        if (fraction % 10 != 0)
            text += static_cast<char16_t>(u'0' + fraction % 10);
    }
    return text;
}

std::u16string formatCarriedBalance(std::int64_t ms)
{
    if (ms == 0)
        return {};
    const std::int64_t magnitude = ms < 0 ? -ms : ms;
    return (ms < 0 ? u"-" : u"+") + PadZeros(decimal(magnitude / kMsPerHour), 2) + u':'
           + PadZeros(decimal(magnitude % kMsPerHour / kMsPerMinute), 2);
}

std::optional<TargetRow> readTargetRow(const std::vector<std::u16string>& texts, const Regional& regional)
{
    if (texts.size() < static_cast<std::size_t>(targetfield::kCount) || targetFieldProblem(texts, regional))
        return std::nullopt;
    TargetRow row;
    row.employee = texts[targetfield::kEmployee];
    row.from = *readStoredDate(texts[targetfield::kFrom], regional);
    row.state = *stateOfCode(texts[targetfield::kState]);
    for (std::size_t d = 0; d < 7; ++d)
        row.weekdayMs[d] = *readTargetHours(texts[targetfield::kMonday + d], regional);
    row.vacationHundredths = *readVacationDays(texts[targetfield::kVacation], regional);
    row.carriedMs = *readCarriedBalance(texts[targetfield::kCarried], regional);
    return row;
}

std::optional<Absence> readAbsence(const std::vector<std::u16string>& texts, const Regional& regional)
{
    if (texts.size() < static_cast<std::size_t>(absencefield::kCount))
        return std::nullopt;
    const auto from = readStoredDate(texts[absencefield::kFrom], regional);
    const auto to = readStoredDate(texts[absencefield::kTo], regional);
    const auto kind = absenceKindOf(texts[absencefield::kKind]);
    if (!from || !to || *to < *from || !kind || texts[absencefield::kEmployee].empty())
        return std::nullopt;
    return Absence {texts[absencefield::kEmployee], *from, *to, *kind};
}

std::optional<int> targetFieldProblem(const std::vector<std::u16string>& typed, const Regional& regional)
{
    const auto at = [&](int field) -> std::u16string_view {
        return static_cast<std::size_t>(field) < typed.size() ? std::u16string_view(typed[field]) : u"";
    };
    if (at(targetfield::kEmployee).empty())
        return targetfield::kEmployee;
    if (!readStoredDate(at(targetfield::kFrom), regional))
        return targetfield::kFrom;
    if (!stateOfCode(at(targetfield::kState)))
        return targetfield::kState;
    for (int d = 0; d < 7; ++d) {
        if (!readTargetHours(at(targetfield::kMonday + d), regional))
            return targetfield::kMonday + d;
    }
    if (!readVacationDays(at(targetfield::kVacation), regional))
        return targetfield::kVacation;
    if (!readCarriedBalance(at(targetfield::kCarried), regional))
        return targetfield::kCarried;
    return std::nullopt;
}

std::vector<std::u16string> storedTargetTexts(const std::vector<std::u16string>& typed, const Regional& regional)
{
    std::vector<std::u16string> stored(typed);
    stored.resize(targetfield::kCount);
    stored[targetfield::kFrom] = formatStoredDate(
        std::chrono::year_month_day(*readStoredDate(typed[targetfield::kFrom], regional)));
    for (int d = 0; d < 7; ++d) {
        std::u16string& text = stored[static_cast<std::size_t>(targetfield::kMonday + d)];
        if (!text.empty())
            text = formatTargetHours(*readTargetHours(text, regional));
    }
    stored[targetfield::kVacation] = formatVacationDays(*readVacationDays(typed[targetfield::kVacation], regional),
                                                        u',');
    stored[targetfield::kCarried] = formatCarriedBalance(*readCarriedBalance(typed[targetfield::kCarried], regional));
    return stored;
}

std::optional<Absence> overlappingAbsence(const std::vector<StoredRow>& rows, const Absence& wanted,
                                          const Regional& regional)
{
    for (const StoredRow& row : rows) {
        const auto other = readAbsence(row.texts, regional);
        if (other && other->employee == wanted.employee && other->from <= wanted.to && wanted.from <= other->to)
            return other;
    }
    return std::nullopt;
}

std::vector<std::u16string> absenceTexts(std::u16string_view employee, std::chrono::sys_days from,
                                         std::chrono::sys_days to, AbsenceKind kind, std::u16string_view remarks)
{
    return {std::u16string(employee), formatStoredDate(std::chrono::year_month_day(from)),
            formatStoredDate(std::chrono::year_month_day(to)), std::u16string(absenceKindText(kind)),
            std::u16string(remarks)};
}

}  // namespace horavant
