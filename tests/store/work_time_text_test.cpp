// Reading and writing the stored date and time texts under several regional settings.
#include "store/work_time_text.h"

#include <gtest/gtest.h>

#include <optional>

namespace horavant {
namespace {

using namespace std::chrono;

const Regional kGerman = Regional::german();
const Regional kEnglish {DateOrder::MonthDayYear, u'/', u':', u'.'};
const Regional kSpanish {DateOrder::DayMonthYear, u'/', u':', u','};
const Regional kIso {DateOrder::YearMonthDay, u'-', u':', u'.'};
// No common locale has these, but they show which reading wins when the forms collide.
const Regional kMonthFirstWithPoints {DateOrder::MonthDayYear, u'.', u'.', u','};

struct DateCase {
    const char* name;
    std::u16string text;
    Regional regional;
    std::optional<year_month_day> expected;

    friend void PrintTo(const DateCase& c, std::ostream* os) { *os << c.name; }
};

class ReadStoredDate : public testing::TestWithParam<DateCase> {};

TEST_P(ReadStoredDate, ReadsOnlyTheAcceptedForms)
{
    const DateCase& c = GetParam();
    const auto got = readStoredDate(c.text, c.regional);
    ASSERT_EQ(got.has_value(), c.expected.has_value());
    if (got) {
        EXPECT_EQ(year_month_day(*got), *c.expected);
    }
}

constexpr year_month_day kMarchFirst = 2012y / March / 1;

INSTANTIATE_TEST_SUITE_P(Cases, ReadStoredDate,
                         testing::Values(DateCase {"GermanWritten", u"01.03.2012", kGerman, kMarchFirst},
                                         DateCase {"GermanShortNumbers", u"1.3.2012", kGerman, kMarchFirst},
                                         DateCase {"LeapDay", u"29.02.2012", kGerman, 2012y / February / 29},
                                         DateCase {"NoLeapDay", u"29.02.2011", kGerman, std::nullopt},
                                         DateCase {"NoSuchDay", u"31.04.2012", kGerman, std::nullopt},
                                         DateCase {"DayZero", u"00.03.2012", kGerman, std::nullopt},
                                         DateCase {"MonthThirteen", u"01.13.2012", kGerman, std::nullopt},
                                         DateCase {"YearZero", u"01.03.0000", kGerman, std::nullopt},
                                         DateCase {"TwoDigitYear", u"01.03.12", kGerman, std::nullopt},
                                         DateCase {"NoYear", u"01.03.", kGerman, std::nullopt},
                                         DateCase {"Empty", u"", kGerman, std::nullopt},
                                         DateCase {"LeadingBlank", u" 01.03.2012", kGerman, std::nullopt},
                                         DateCase {"TrailingBlank", u"01.03.2012 ", kGerman, std::nullopt},
                                         DateCase {"ThreeDigitDay", u"001.03.2012", kGerman, std::nullopt},
                                         DateCase {"OtherSeparator", u"01-03-2012", kGerman, std::nullopt},
                                         DateCase {"MixedSeparators", u"01.03/2012", kSpanish, std::nullopt},
                                         DateCase {"EnglishReadsWritten", u"01.03.2012", kEnglish, kMarchFirst},
                                         DateCase {"EnglishOwn", u"03/01/2012", kEnglish, kMarchFirst},
                                         DateCase {"EnglishOwnShort", u"3/1/2012", kEnglish, kMarchFirst},
                                         DateCase {"EnglishNotDayFirst", u"13/01/2012", kEnglish, std::nullopt},
                                         DateCase {"SpanishReadsWritten", u"01.03.2012", kSpanish, kMarchFirst},
                                         DateCase {"SpanishOwn", u"01/03/2012", kSpanish, kMarchFirst},
                                         DateCase {"IsoReadsWritten", u"01.03.2012", kIso, kMarchFirst},
                                         DateCase {"IsoOwn", u"2012-03-01", kIso, kMarchFirst},
                                         DateCase {"IsoNeedsFourDigitYear", u"12-03-01", kIso, std::nullopt},
                                         DateCase {"WrittenFormWins", u"03.01.2012", kMonthFirstWithPoints,
                                                   2012y / January / 3},
                                         DateCase {"OwnFormWhenWrittenIsNoDate", u"12.31.2012", kMonthFirstWithPoints,
                                                   2012y / December / 31}),
                         [](const auto& info) { return std::string(info.param.name); });

struct TimeCase {
    const char* name;
    std::u16string text;
    Regional regional;
    std::optional<std::int64_t> expected;

    friend void PrintTo(const TimeCase& c, std::ostream* os) { *os << c.name; }
};

class ReadStoredTime : public testing::TestWithParam<TimeCase> {};

// An end time reads what a time of day reads, and 24:00 besides.
TEST_P(ReadStoredTime, ReadsOnlyTheAcceptedForms)
{
    const TimeCase& c = GetParam();
    const bool endOfDay = c.expected == kMsPerDay;
    EXPECT_EQ(readStoredTime(c.text, c.regional), endOfDay ? std::nullopt : c.expected);
    EXPECT_EQ(readStoredEndTime(c.text, c.regional), c.expected);
}

constexpr std::int64_t hm(int h, int m, int s = 0)
{
    return h * kMsPerHour + m * kMsPerMinute + s * kMsPerSecond;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadStoredTime,
    testing::Values(
        TimeCase {"Written", u"07:05", kGerman, hm(7, 5)}, TimeCase {"Midnight", u"00:00", kGerman, 0},
        TimeCase {"LastMinute", u"23:59", kGerman, hm(23, 59)}, TimeCase {"OneDigitHour", u"7:05", kGerman, hm(7, 5)},
        TimeCase {"Seconds", u"07:05:30", kGerman, hm(7, 5, 30)},
        TimeCase {"LastSecond", u"23:59:59", kGerman, hm(23, 59, 59)},
        TimeCase {"Hour24", u"24:00", kGerman, kMsPerDay}, TimeCase {"Hour24Seconds", u"24:00:00", kGerman, kMsPerDay},
        TimeCase {"Hour24OwnSeparator", u"24.00", kMonthFirstWithPoints, kMsPerDay},
        TimeCase {"AfterHour24", u"24:01", kGerman, std::nullopt},
        TimeCase {"AfterHour24Seconds", u"24:00:01", kGerman, std::nullopt},
        TimeCase {"Minute60", u"12:60", kGerman, std::nullopt},
        TimeCase {"Second60", u"12:00:60", kGerman, std::nullopt}, TimeCase {"Empty", u"", kGerman, std::nullopt},
        TimeCase {"BareHour", u"7", kGerman, std::nullopt}, TimeCase {"OneDigitMinute", u"07:5", kGerman, std::nullopt},
        TimeCase {"ThreeDigitHour", u"007:05", kGerman, std::nullopt},
        TimeCase {"NoHour", u":05", kGerman, std::nullopt},
        TimeCase {"TrailingSeparator", u"07:05:", kGerman, std::nullopt},
        TimeCase {"Negative", u"-1:00", kGerman, std::nullopt}, TimeCase {"Blank", u"07:05 ", kGerman, std::nullopt},
        TimeCase {"Afternoon", u"7:05 PM", kEnglish, std::nullopt},
        TimeCase {"PointInGerman", u"07.05", kGerman, std::nullopt},
        TimeCase {"EnglishReadsWritten", u"07:05", kEnglish, hm(7, 5)},
        TimeCase {"SpanishReadsWritten", u"00:45", kSpanish, hm(0, 45)},
        TimeCase {"OwnSeparator", u"07.05", kMonthFirstWithPoints, hm(7, 5)},
        TimeCase {"ColonBesideOwn", u"07:05", kMonthFirstWithPoints, hm(7, 5)},
        TimeCase {"MixedSeparators", u"07.05:30", kMonthFirstWithPoints, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FormatStoredText, WritesZeroPaddedDatesAndTimes)
{
    EXPECT_EQ(formatStoredDate(2012y / March / 1), u"01.03.2012");
    EXPECT_EQ(formatStoredDate(year(5) / December / 31), u"31.12.0005");
    EXPECT_EQ(formatStoredTime(hm(7, 5)), u"07:05");
    EXPECT_EQ(formatStoredTime(hm(0, 45)), u"00:45");
    EXPECT_EQ(formatStoredTime(hm(23, 59, 59) + 999), u"23:59");
    EXPECT_EQ(formatStoredTime(0), u"00:00");
    EXPECT_EQ(formatStoredEndTime(kMsPerDay), u"24:00");
    EXPECT_EQ(formatStoredEndTime(hm(23, 59)), u"23:59");
    static_assert(writtenEndMinutes("24:00", ':') == 24 * 60 && writtenTimeMinutes("24:00", ':') == kNoTimeOfDay
                  && writtenEndMinutes("24:01", ':') == kNoTimeOfDay
                  && writtenEndMinutes("23:59", ':') == 23 * 60 + 59);
}

// What the program writes, every minute and every day of two centuries, reads back the same
// under each regional setting.
TEST(FormatStoredText, WrittenFormsReadBackUnderEveryRegionalSetting)
{
    for (const Regional& r : {kGerman, kEnglish, kSpanish, kIso, kMonthFirstWithPoints}) {
        for (std::int64_t ms = 0; ms < kMsPerDay; ms += kMsPerMinute)
            ASSERT_EQ(readStoredTime(formatStoredTime(ms), r), ms);
        for (sys_days d = sys_days(1950y / 1 / 1); d < sys_days(2150y / 1 / 1); d += days(1))
            ASSERT_EQ(readStoredDate(formatStoredDate(d), r), d);
    }
}

}  // namespace
}  // namespace horavant
