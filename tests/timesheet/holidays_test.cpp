// The public holidays: Easter over the years, and each holiday's states, years and date.
#include "timesheet/holidays.h"

#include <gtest/gtest.h>

#include <string>

namespace horavant {
namespace {

using namespace std::chrono;

sys_days date(int y, unsigned m, unsigned d)
{
    return sys_days(year(y) / month(m) / day(d));
}

TEST(Holidays, EasterSundayFrom1995To2099)
{
    const std::vector<std::pair<int, sys_days>> known = {
        {1995, date(1995, 4, 16)}, {2000, date(2000, 4, 23)}, {2008, date(2008, 3, 23)}, {2011, date(2011, 4, 24)},
        {2016, date(2016, 3, 27)}, {2019, date(2019, 4, 21)}, {2024, date(2024, 3, 31)}, {2026, date(2026, 4, 5)},
        {2038, date(2038, 4, 25)}, {2049, date(2049, 4, 18)}, {2099, date(2099, 4, 12)}};
    for (const auto& [y, easter] : known)
        EXPECT_EQ(easterSunday(y), easter) << y;
    for (int y = kFirstHolidayYear; y <= kLastHolidayYear; ++y) {
        const sys_days e = easterSunday(y);
        EXPECT_EQ(weekday(e), Sunday) << y;
        EXPECT_TRUE(date(y, 3, 22) <= e && e <= date(y, 4, 25)) << y;
    }
    EXPECT_TRUE(publicHolidays(State::BY, 1994).empty());
    EXPECT_TRUE(publicHolidays(State::BY, 2100).empty());
}

struct Case {
    State state;
    int year;
    std::optional<sys_days> day;  // nothing: no such holiday in that state and year
};

struct Rule {
    std::u16string_view name;
    std::vector<Case> cases;
};

class HolidayRule : public testing::TestWithParam<Rule> {};

TEST_P(HolidayRule, FallsInItsStatesAndYearsOnItsDay)
{
    for (const Case& c : GetParam().cases) {
        std::optional<sys_days> found;
        for (const Holiday& h : publicHolidays(c.state, c.year)) {
            if (h.name == GetParam().name)
                found = h.day;
        }
        EXPECT_EQ(found, c.day) << std::string(stateInfo(c.state).code.begin(), stateInfo(c.state).code.end()) << ' '
                                << c.year;
    }
}

using S = State;
INSTANTIATE_TEST_SUITE_P(
    Rules, HolidayRule,
    testing::Values(
        Rule {u"Neujahr", {{S::BW, 1995, date(1995, 1, 1)}, {S::TH, 2099, date(2099, 1, 1)}}},
        Rule {u"Heilige Drei Könige",
              {{S::BW, 2026, date(2026, 1, 6)}, {S::ST, 2026, date(2026, 1, 6)}, {S::BE, 2026, {}}, {S::NW, 2026, {}}}},
        Rule {u"Internationaler Frauentag",
              {{S::BE, 2018, {}},
               {S::BE, 2019, date(2019, 3, 8)},
               {S::MV, 2022, {}},
               {S::MV, 2023, date(2023, 3, 8)},
               {S::BY, 2026, {}}}},
        Rule {u"Karfreitag", {{S::HH, 2008, date(2008, 3, 21)}, {S::SN, 2026, date(2026, 4, 3)}}},
        Rule {u"Ostersonntag", {{S::BB, 2026, date(2026, 4, 5)}, {S::BE, 2026, {}}}},
        Rule {u"Ostermontag", {{S::NI, 2011, date(2011, 4, 25)}, {S::BY, 2026, date(2026, 4, 6)}}},
        Rule {u"Tag der Arbeit", {{S::SH, 2026, date(2026, 5, 1)}}},
        Rule {u"Tag der Befreiung",
              {{S::BE, 2020, date(2020, 5, 8)}, {S::BE, 2025, date(2025, 5, 8)}, {S::BE, 2021, {}}, {S::BB, 2020, {}}}},
        Rule {u"Christi Himmelfahrt", {{S::HE, 2008, date(2008, 5, 1)}, {S::RP, 2026, date(2026, 5, 14)}}},
        Rule {u"Pfingstsonntag", {{S::BB, 2026, date(2026, 5, 24)}, {S::HE, 2026, {}}}},
        Rule {u"Pfingstmontag", {{S::HB, 2026, date(2026, 5, 25)}}},
        Rule {u"Fronleichnam",
              {{S::BW, 2026, date(2026, 6, 4)}, {S::SL, 2026, date(2026, 6, 4)}, {S::SN, 2026, {}}, {S::NI, 2026, {}}}},
        Rule {u"Mariä Himmelfahrt",
              {{S::BY, 2026, date(2026, 8, 15)}, {S::SL, 2026, date(2026, 8, 15)}, {S::BW, 2026, {}}}},
        Rule {u"Weltkindertag", {{S::TH, 2018, {}}, {S::TH, 2019, date(2019, 9, 20)}, {S::SN, 2026, {}}}},
        Rule {u"Tag der Deutschen Einheit", {{S::MV, 1995, date(1995, 10, 3)}}},
        Rule {u"Reformationstag",
              {{S::SN, 1995, date(1995, 10, 31)},
               {S::HB, 2016, {}},
               {S::HB, 2017, date(2017, 10, 31)},
               {S::BY, 2017, date(2017, 10, 31)},
               {S::BY, 2018, {}},
               {S::NI, 2018, date(2018, 10, 31)}}},
        Rule {u"Allerheiligen", {{S::NW, 2026, date(2026, 11, 1)}, {S::HE, 2026, {}}}},
        Rule {u"Buß- und Bettag",
              {{S::SN, 2023, date(2023, 11, 22)}, {S::SN, 2026, date(2026, 11, 18)}, {S::BY, 2026, {}}}},
        Rule {u"1. Weihnachtstag", {{S::BW, 2026, date(2026, 12, 25)}}},
        Rule {u"2. Weihnachtstag", {{S::BW, 2026, date(2026, 12, 26)}}}),
    [](const testing::TestParamInfo<Rule>& info) { return "Rule" + std::to_string(info.index); });

TEST(Holidays, TwoOnOneDayAreBothNamed)
{
    HolidayCalendar calendar;
    const auto on = calendar.on(State::NW, date(2008, 5, 1));
    ASSERT_EQ(on.size(), 2u);
    EXPECT_EQ(on[0].name, u"Tag der Arbeit");
    EXPECT_EQ(on[1].name, u"Christi Himmelfahrt");
    EXPECT_TRUE(calendar.on(State::NW, date(2008, 5, 2)).empty());
    EXPECT_EQ(publicHolidays(State::HB, 2026).size(), 10u);
    EXPECT_EQ(publicHolidays(State::BY, 2026).size(), 13u);
}

}  // namespace
}  // namespace horavant
