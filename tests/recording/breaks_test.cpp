// Break sums and the break text appended to the remarks.
#include "recording/breaks.h"

#include "store/work_time_text.h"

#include <gtest/gtest.h>

#include <array>

namespace horavant {
namespace {

constexpr std::int64_t hm(int h, int m, int s = 0)
{
    return h * kMsPerHour + m * kMsPerMinute + s * kMsPerSecond;
}

std::u16string germanMessage(int number)
{
    return number == 16 ? u"Pausen:" : u"?";
}

using Pairs = std::array<BreakInterval, 5>;

struct BreakCase {
    const char* name;
    Pairs pairs;
    std::int64_t value;
    std::u16string remarks;

    friend void PrintTo(const BreakCase& c, std::ostream* os) { *os << c.name; }
};

class BreakSums : public testing::TestWithParam<BreakCase> {};

TEST_P(BreakSums, GiveTheBreakFieldAndTheRemarksText)
{
    EXPECT_EQ(breakFieldValue(GetParam().pairs), GetParam().value);
    EXPECT_EQ(breakRemarks(GetParam().pairs, germanMessage), GetParam().remarks);
}

const BreakInterval kMorning {hm(9, 0), hm(9, 15)};
const BreakInterval kNoon {hm(12, 0), hm(12, 30)};
const BreakInterval kReversed {hm(12, 30), hm(12, 0)};
const BreakInterval kNone {};

INSTANTIATE_TEST_SUITE_P(
    Cases, BreakSums,
    testing::Values(
        BreakCase {"AllZero", Pairs {}, 0, u""},
        BreakCase {"EqualEndsAddNothing", Pairs {{{hm(10, 0), hm(10, 0)}}}, 0, u""},
        BreakCase {"TwoIntervals", Pairs {kMorning, kNoon}, hm(0, 45), u"Pausen: 09:00-09:15; 12:00-12:30"},
        BreakCase {"ReversedAloneIsAbsolute", Pairs {kReversed}, hm(0, 30), u"Pausen: 12:30-12:00"},
        BreakCase {"ReversedReducesTheTotal", Pairs {kMorning, kReversed, kNoon}, hm(0, 15),
                   u"Pausen: 09:00-09:15; 12:30-12:00; 12:00-12:30"},
        BreakCase {"EmptyPairsLeaveNoGap", Pairs {kNone, kMorning, kNone, kNone, kNoon}, hm(0, 45),
                   u"Pausen: 09:00-09:15; 12:00-12:30"},
        BreakCase {"PairOrderNotTimeOrder", Pairs {kNoon, kMorning}, hm(0, 45), u"Pausen: 12:00-12:30; 09:00-09:15"},
        BreakCase {"WholeDaysDropped",
                   Pairs {{{0, hm(23, 0)}, {0, hm(23, 0)}, {0, hm(23, 0)}, {0, hm(23, 0)}, {0, hm(23, 0)}}}, hm(19, 0),
                   u"Pausen: 00:00-23:00; 00:00-23:00; 00:00-23:00; 00:00-23:00; 00:00-23:00"},
        BreakCase {"NegativeOverADay", Pairs {{{hm(23, 0), 0}, {hm(2, 0), 0}}}, hm(1, 0),
                   u"Pausen: 23:00-00:00; 02:00-00:00"},
        BreakCase {"SecondsDroppedInText", Pairs {{{hm(9, 0, 30), hm(9, 15, 10)}}}, hm(0, 14, 40),
                   u"Pausen: 09:00-09:15"},
        BreakCase {"SecondsOnlyStillListed", Pairs {{{hm(9, 0), hm(9, 0, 30)}}}, hm(0, 0, 30), u"Pausen: 09:00-09:00"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BreakRemarks, AppendToTheRemarksWithoutSeparatorAtEachOpening)
{
    std::u16string remarks = u"Baustelle Nord";
    remarks += breakRemarks(Pairs {kMorning}, germanMessage);
    EXPECT_EQ(remarks, u"Baustelle NordPausen: 09:00-09:15");
    remarks += breakRemarks(Pairs {kNoon}, germanMessage);
    EXPECT_EQ(remarks, u"Baustelle NordPausen: 09:00-09:15Pausen: 12:00-12:30");
}

TEST(BreakRemarks, UseTheMessageInTheCurrentLanguage)
{
    const auto english = [](int n) { return n == 16 ? std::u16string(u"Breaks:") : std::u16string(u"?"); };
    EXPECT_EQ(breakRemarks(Pairs {kMorning}, english), u"Breaks: 09:00-09:15");
}

}  // namespace
}  // namespace horavant
