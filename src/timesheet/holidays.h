// The public holidays of the sixteen German federal states from 1995 to 2099, computed from the
// date of Easter and the states' holiday laws. Holidays of single towns or of parts of a state
// (Augsburg's Friedensfest, Fronleichnam in parts of Saxony and Thuringia) are not among them.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace horavant {

enum class State : std::uint8_t { BW, BY, BE, BB, HB, HH, HE, MV, NI, NW, RP, SL, SN, ST, SH, TH };

struct StateInfo {
    State state;
    std::u16string_view code;  // as the LAND field holds it
    std::u16string_view name;  // German, to be translated where it is shown
};

inline constexpr std::array<StateInfo, 16> kStates = {{
    {State::BW, u"BW", u"Baden-Württemberg"},
    {State::BY, u"BY", u"Bayern"},
    {State::BE, u"BE", u"Berlin"},
    {State::BB, u"BB", u"Brandenburg"},
    {State::HB, u"HB", u"Bremen"},
    {State::HH, u"HH", u"Hamburg"},
    {State::HE, u"HE", u"Hessen"},
    {State::MV, u"MV", u"Mecklenburg-Vorpommern"},
    {State::NI, u"NI", u"Niedersachsen"},
    {State::NW, u"NW", u"Nordrhein-Westfalen"},
    {State::RP, u"RP", u"Rheinland-Pfalz"},
    {State::SL, u"SL", u"Saarland"},
    {State::SN, u"SN", u"Sachsen"},
    {State::ST, u"ST", u"Sachsen-Anhalt"},
    {State::SH, u"SH", u"Schleswig-Holstein"},
    {State::TH, u"TH", u"Thüringen"},
}};

inline const StateInfo& stateInfo(State state)
{
    return kStates[static_cast<std::size_t>(state)];
}
// The state of a LAND code, exactly as written (upper case, two letters).
std::optional<State> stateOfCode(std::u16string_view code);

constexpr int kFirstHolidayYear = 1995;
constexpr int kLastHolidayYear = 2099;

// Easter Sunday of the Gregorian calendar.
std::chrono::sys_days easterSunday(int year);

struct Holiday {
    std::chrono::sys_days day;
    std::u16string_view name;  // German, to be translated where it is shown
};

// The state's public holidays of the year in date order (two of one day in the order of the
// law's list); none outside 1995 to 2099.
std::vector<Holiday> publicHolidays(State state, int year);

// The holidays of many days, each state's year computed once.
class HolidayCalendar {
public:
    // The state's holidays on that day: none, one, or two (1 May was Ascension Day in 2008).
    std::span<const Holiday> on(State state, std::chrono::sys_days day);
    // As publicHolidays gives them.
    const std::vector<Holiday>& ofYear(State state, int year);

private:
    struct Year {
        State state;
        int year;
        std::vector<Holiday> holidays;
    };
    std::vector<Year> m_years;
    std::size_t m_last = 0;
};

}  // namespace horavant
