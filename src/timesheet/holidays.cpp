// The public holidays per federal state, as a table of rules.
#include "timesheet/holidays.h"

#include <algorithm>

namespace horavant {
namespace {

using namespace std::chrono;

constexpr std::uint32_t bit(State s)
{
    return 1u << static_cast<unsigned>(s);
}
constexpr std::uint32_t kEveryState = (1u << 16) - 1;

enum class DateKind { Fixed, Easter, BussUndBettag };

// A run of years in which some states keep the holiday.
struct Span {
    std::uint32_t states = 0;
    int from = kFirstHolidayYear;
    int to = kLastHolidayYear;
};

struct Rule {
    std::u16string_view name;
    DateKind kind;
    int month = 0;  // Fixed
    int dayOrOffset = 0;  // Fixed: the day of the month; Easter: days from Easter Sunday
    std::array<Span, 3> spans {};
};

using S = State;
// In the order in which holidays of one day are named.
constexpr std::array<Rule, 20> kRules = {{
    {u"Neujahr", DateKind::Fixed, 1, 1, {{{kEveryState}}}},
    {u"Heilige Drei Könige", DateKind::Fixed, 1, 6, {{{bit(S::BW) | bit(S::BY) | bit(S::ST)}}}},
    {u"Internationaler Frauentag", DateKind::Fixed, 3, 8, {{{bit(S::BE), 2019}, {bit(S::MV), 2023}}}},
    {u"Karfreitag", DateKind::Easter, 0, -2, {{{kEveryState}}}},
    {u"Ostersonntag", DateKind::Easter, 0, 0, {{{bit(S::BB)}}}},
    {u"Ostermontag", DateKind::Easter, 0, 1, {{{kEveryState}}}},
    {u"Tag der Arbeit", DateKind::Fixed, 5, 1, {{{kEveryState}}}},
    {u"Tag der Befreiung", DateKind::Fixed, 5, 8, {{{bit(S::BE), 2020, 2020}, {bit(S::BE), 2025, 2025}}}},
    {u"Christi Himmelfahrt", DateKind::Easter, 0, 39, {{{kEveryState}}}},
    {u"Pfingstsonntag", DateKind::Easter, 0, 49, {{{bit(S::BB)}}}},
    {u"Pfingstmontag", DateKind::Easter, 0, 50, {{{kEveryState}}}},
    {u"Fronleichnam",
     DateKind::Easter,
     0,
     60,
     {{{bit(S::BW) | bit(S::BY) | bit(S::HE) | bit(S::NW) | bit(S::RP) | bit(S::SL)}}}},
    {u"Mariä Himmelfahrt", DateKind::Fixed, 8, 15, {{{bit(S::SL) | bit(S::BY)}}}},
    {u"Weltkindertag", DateKind::Fixed, 9, 20, {{{bit(S::TH), 2019}}}},
    {u"Tag der Deutschen Einheit", DateKind::Fixed, 10, 3, {{{kEveryState}}}},
    {u"Reformationstag",
     DateKind::Fixed,
     10,
     31,
     {{{bit(S::BB) | bit(S::MV) | bit(S::SN) | bit(S::ST) | bit(S::TH)},
       {bit(S::HB) | bit(S::HH) | bit(S::NI) | bit(S::SH), 2018},
       {kEveryState, 2017, 2017}}}},
    {u"Allerheiligen", DateKind::Fixed, 11, 1, {{{bit(S::BW) | bit(S::BY) | bit(S::NW) | bit(S::RP) | bit(S::SL)}}}},
    {u"Buß- und Bettag", DateKind::BussUndBettag, 0, 0, {{{bit(S::SN)}}}},
    {u"1. Weihnachtstag", DateKind::Fixed, 12, 25, {{{kEveryState}}}},
    {u"2. Weihnachtstag", DateKind::Fixed, 12, 26, {{{kEveryState}}}},
}};

bool kept(const Rule& rule, State state, int year)
{
    return std::any_of(rule.spans.begin(), rule.spans.end(),
                       [&](const Span& s) { return (s.states & bit(state)) != 0 && s.from <= year && year <= s.to; });
}

sys_days fixedDay(int y, int m, int d)
{
    return sys_days(year(y) / month(static_cast<unsigned>(m)) / day(static_cast<unsigned>(d)));
}

}  // namespace

std::optional<State> stateOfCode(std::u16string_view code)
{
    for (const StateInfo& s : kStates) {
        if (s.code == code)
            return s.state;
    }
    return std::nullopt;
}

sys_days easterSunday(int y)
{
    // The anonymous Gregorian computation (Meeus, Jones, Butcher).
    const int a = y % 19;
    const int b = y / 100;
    const int c = y % 100;
    const int d = b / 4;
    const int e = b % 4;
    const int f = (b + 8) / 25;
    const int g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4;
    const int k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int month = (h + l - 7 * m + 114) / 31;
    const int day = (h + l - 7 * m + 114) % 31 + 1;
    return fixedDay(y, month, day);
}

std::vector<Holiday> publicHolidays(State state, int y)
{
    std::vector<Holiday> result;
    if (y < kFirstHolidayYear || y > kLastHolidayYear)
        return result;
    const sys_days easter = easterSunday(y);
    for (const Rule& rule : kRules) {
        if (!kept(rule, state, y))
            continue;
        sys_days date;
        switch (rule.kind) {
        case DateKind::Fixed: date = fixedDay(y, rule.month, rule.dayOrOffset); break;
        case DateKind::Easter: date = easter + days(rule.dayOrOffset); break;
        case DateKind::BussUndBettag: {
            // The last Wednesday before 23 November.
            const sys_days nov22 = fixedDay(y, 11, 22);
            date = nov22 - (weekday(nov22) - Wednesday);
            break;
        }
        }
        result.push_back({date, rule.name});
    }
    std::stable_sort(result.begin(), result.end(), [](const Holiday& a, const Holiday& b) { return a.day < b.day; });
    return result;
}

std::span<const Holiday> HolidayCalendar::on(State state, sys_days day)
{
    const std::vector<Holiday>& holidays = ofYear(state, static_cast<int>(year_month_day(day).year()));
    const auto first = std::lower_bound(holidays.begin(), holidays.end(), day,
                                        [](const Holiday& h, sys_days d) { return h.day < d; });
    auto last = first;
    while (last != holidays.end() && last->day == day)
        ++last;
    return {first, last};
}

const std::vector<Holiday>& HolidayCalendar::ofYear(State state, int y)
{
    if (m_last >= m_years.size() || m_years[m_last].state != state || m_years[m_last].year != y) {
        const auto it = std::find_if(m_years.begin(), m_years.end(),
                                     [&](const Year& known) { return known.state == state && known.year == y; });
        if (it == m_years.end()) {
            m_years.push_back({state, y, publicHolidays(state, y)});
            m_last = m_years.size() - 1;
        } else {
            m_last = static_cast<std::size_t>(it - m_years.begin());
        }
    }
    return m_years[m_last].holidays;
}

}  // namespace horavant
