// The checks of a recording, the double-booking scan over a real table and the stored row.
#include "recording/recording.h"

#include "store/dbf_table.h"
#include "store/error.h"
#include "store/work_time_text.h"
#include "support/temp_dir.h"
#include "support/work_time_table.h"

#include <gtest/gtest.h>

namespace horavant {
namespace {

using namespace std::chrono;
using test::Row;

constexpr std::int64_t hm(int h, int m, int s = 0)
{
    return h * kMsPerHour + m * kMsPerMinute + s * kMsPerSecond;
}

struct CheckCase {
    const char* name;
    std::u16string place;
    std::u16string activity;
    std::int64_t from, to, pause;
    std::optional<RecordingRefusal> expected;

    friend void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }
};

class CheckWorkPeriod : public testing::TestWithParam<CheckCase> {};

TEST_P(CheckWorkPeriod, RefusesWithTheFirstFailingCheck)
{
    const CheckCase& c = GetParam();
    EXPECT_EQ(checkWorkPeriod(c.place, c.activity, c.from, c.to, c.pause), c.expected);
}

const RecordingRefusal kNoPlace {9, RecordingFocus::Orted};
const RecordingRefusal kNoActivity {10, RecordingFocus::TatEd};
const RecordingRefusal kEqualTimes {11, RecordingFocus::DateTimePicker1};
const RecordingRefusal kBreakTooLong {13, RecordingFocus::DateTimePicker4};

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckWorkPeriod,
    testing::Values(
        CheckCase {"PlaceBeforeEverything", u"", u"", hm(17, 0), hm(8, 0), hm(9, 0), kNoPlace},
        CheckCase {"ActivityBeforeTimes", u"Bau", u"", hm(8, 0), hm(8, 0), 0, kNoActivity},
        CheckCase {"BlanksCountAsFilled", u" ", u" ", hm(8, 0), hm(12, 0), 0, std::nullopt},
        CheckCase {"EqualTimes", u"Bau", u"Maurern", hm(8, 0), hm(8, 0), 0, kEqualTimes},
        CheckCase {"EqualTimesBeforeBreak", u"Bau", u"Maurern", hm(8, 0), hm(8, 0), hm(1, 0), kEqualTimes},
        // An end before the start is a night shift, whose break must fit its longer part.
        CheckCase {"NightShift", u"Bau", u"Maurern", hm(17, 0), hm(8, 0), hm(8, 0), std::nullopt},
        CheckCase {"NightShiftBreakOverItsLongerPart", u"Bau", u"Maurern", hm(17, 0), hm(8, 0), hm(8, 1),
                   kBreakTooLong},
        CheckCase {"EndAtMidnight", u"Bau", u"Maurern", hm(22, 0), 0, hm(2, 0), std::nullopt},
        CheckCase {"EndAtMidnightBreakOver", u"Bau", u"Maurern", hm(22, 0), 0, hm(2, 1), kBreakTooLong},
        CheckCase {"OneMillisecondApart", u"Bau", u"Maurern", hm(8, 0), hm(8, 0) + 1, 0, std::nullopt},
        CheckCase {"BreakAsLongAsPeriod", u"Bau", u"Maurern", hm(8, 0), hm(12, 0), hm(4, 0), std::nullopt},
        CheckCase {"BreakOneMinuteLonger", u"Bau", u"Maurern", hm(8, 0), hm(12, 0), hm(4, 1), kBreakTooLong},
        CheckCase {"BreakOneSecondLonger", u"Bau", u"Maurern", hm(8, 0), hm(12, 0), hm(4, 0, 1), kBreakTooLong}),
    [](const auto& info) { return std::string(info.param.name); });

// A row typed into the grid or the data list passes the same checks, after its texts are read.
struct RowCase {
    const char* name;
    Row row;
    std::optional<RowRefusal> expected;

    friend void PrintTo(const RowCase& c, std::ostream* os) { *os << c.name; }
};

class CheckWorkTimeRow : public testing::TestWithParam<RowCase> {};

TEST_P(CheckWorkTimeRow, RefusesWithTheFirstFailingCheckAndItsField)
{
    EXPECT_EQ(checkWorkTimeRow(GetParam().row.texts(), Regional::german()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckWorkTimeRow,
    testing::Values(
        RowCase {"AWholeRow", {}, std::nullopt}, RowCase {"EmptyBreakIsNone", {.pause = u""}, std::nullopt},
        RowCase {"NoDate", {.date = u""}, RowRefusal {RowRefusal::UnreadableDate, 0, 0}},
        RowCase {"NoSuchDay", {.date = u"30.02.2024"}, RowRefusal {RowRefusal::UnreadableDate, 0, 0}},
        RowCase {"UnreadableStart", {.from = u"8 Uhr"}, RowRefusal {RowRefusal::UnreadableTime, 0, 4}},
        RowCase {"UnreadableEnd", {.to = u"25:00"}, RowRefusal {RowRefusal::UnreadableTime, 0, 5}},
        RowCase {"UnreadableBreak", {.pause = u"0:7"}, RowRefusal {RowRefusal::UnreadableTime, 0, 8}},
        RowCase {"NoPlace", {.place = u""}, RowRefusal {RowRefusal::Message, 9, 2}},
        RowCase {"NoActivity", {.activity = u""}, RowRefusal {RowRefusal::Message, 10, 3}},
        RowCase {"EqualTimes", {.from = u"08:00", .to = u"08:00"}, RowRefusal {RowRefusal::Message, 11, 5}},
        RowCase {"EndBeforeStart", {.from = u"17:00", .to = u"16:00"}, RowRefusal {RowRefusal::Message, 12, 5}},
        RowCase {"OverMidnight", {.from = u"17:00", .to = u"03:00"}, RowRefusal {RowRefusal::Message, 12, 5}},
        RowCase {"UntilMidnight", {.from = u"22:00", .to = u"24:00"}, std::nullopt},
        RowCase {"BreakLongerThanThePeriod", {.pause = u"04:01"}, RowRefusal {RowRefusal::Message, 13, 8}}),
    [](const auto& info) { return std::string(info.param.name); });

constexpr sys_days kDay = sys_days(2012y / March / 1);

class OverlapScan : public testing::Test {
protected:
    OverlapScan() { test::createWorkTimeTable(table, dir.path()); }

    std::optional<std::uint32_t> scan(std::u16string_view employee, std::int64_t from, std::int64_t to,
                                      sys_days day = kDay, const Regional& regional = Regional::german())
    {
        return findOverlap(table, employee, day, from, to, regional);
    }

    test::TempDir dir;
    DbfTable table;
};

struct OverlapCase {
    const char* name;
    std::int64_t from, to;
    bool overlaps;

    friend void PrintTo(const OverlapCase& c, std::ostream* os) { *os << c.name; }
};

class OverlapWithOneRow : public OverlapScan, public testing::WithParamInterface<OverlapCase> {};

TEST_P(OverlapWithOneRow, ComparesStrictly)
{
    test::appendRows(table, {Row {.from = u"08:00", .to = u"10:00"}});
    EXPECT_EQ(scan(u"Meier", GetParam().from, GetParam().to).has_value(), GetParam().overlaps);
}

INSTANTIATE_TEST_SUITE_P(Cases, OverlapWithOneRow,
                         testing::Values(OverlapCase {"TouchingAfter", hm(10, 0), hm(12, 0), false},
                                         OverlapCase {"TouchingBefore", hm(6, 0), hm(8, 0), false},
                                         OverlapCase {"StartsInside", hm(9, 59), hm(12, 0), true},
                                         OverlapCase {"EndsInside", hm(7, 0), hm(8, 1), true},
                                         OverlapCase {"Equal", hm(8, 0), hm(10, 0), true},
                                         OverlapCase {"Spanning", hm(7, 0), hm(11, 0), true},
                                         OverlapCase {"Inside", hm(8, 30), hm(9, 30), true},
                                         OverlapCase {"SameStartLonger", hm(8, 0), hm(11, 0), true},
                                         OverlapCase {"SameEndShorter", hm(9, 0), hm(10, 0), true},
                                         OverlapCase {"SecondsAfterEnd", hm(10, 0, 1), hm(12, 0), false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OverlapScan, OnlyTheSameEmployeeOnTheSameDayCounts)
{
    test::appendRows(table, {Row {.employee = u"Müller"}, Row {.employee = u"meier"}, Row {.date = u"02.03.2012"},
                             Row {.date = u"01.03.2013"}});
    EXPECT_EQ(scan(u"Meier", hm(8, 0), hm(12, 0)), std::nullopt);
    EXPECT_EQ(scan(u"Müller", hm(8, 0), hm(12, 0)), 0u);
    EXPECT_EQ(scan(u"Meier", hm(8, 0), hm(12, 0), sys_days(2012y / March / 2)), 2u);
}

TEST_F(OverlapScan, SkipsUnreadableRowsAndFindsTheFirstOverlap)
{
    test::appendRows(table, {Row {.date = u"1.3.12"}, Row {.date = u""}, Row {.from = u""}, Row {.to = u"8 Uhr"},
                             Row {.from = u"24:00"}, Row {.from = u"09:00", .to = u"11:00"}, Row {}});
    EXPECT_EQ(scan(u"Meier", hm(8, 0), hm(12, 0)), 5u);
}

// A night shift's two parts are looked for in one pass, each on its own day; 24:00 ends a row.
TEST_F(OverlapScan, EachPartOfANightShiftFindsItsOwnOverlap)
{
    test::appendRows(table, {Row {.from = u"23:00", .to = u"24:00"}, Row {.date = u"02.03.2012", .to = u"09:00"}});
    const auto found = findOverlaps(table, u"Meier",
                                    {{kDay, hm(22, 0), kMsPerDay},
                                     {kDay + days(1), 0, hm(6, 0)},
                                     {kDay + days(1), 0, hm(8, 0)},
                                     {kDay + days(1), 0, hm(8, 1)}},
                                    Regional::german());
    EXPECT_EQ(found, (std::vector<std::optional<std::uint32_t>> {0u, std::nullopt, std::nullopt, 1u}));
}

// Rows as date, from-to and break; the other fields go into both.
TEST(SplitAtMidnight, ANightShiftIsTwoRowsWithTheBreakOnTheLongerOne)
{
    struct Case {
        year_month_day day;
        std::int64_t from, to, pause;
        std::u16string rows;
    };
    const Case cases[] = {
        {2012y / March / 1, hm(8, 0), hm(12, 0), hm(0, 30), u"01.03.2012 08:00-12:00 00:30;"},
        {2012y / March / 1, hm(22, 0), 0, hm(0, 30), u"01.03.2012 22:00-24:00 00:30;"},
        {2012y / March / 1, hm(22, 0), hm(6, 0), hm(0, 30),
         u"01.03.2012 22:00-24:00 00:00;02.03.2012 00:00-06:00 00:30;"},
        {2012y / March / 1, hm(20, 0), hm(4, 0), hm(0, 30),
         u"01.03.2012 20:00-24:00 00:30;02.03.2012 00:00-04:00 00:00;"},
        {2012y / February / 29, hm(22, 0), hm(6, 0), 0, u"29.02.2012 22:00-24:00 00:00;01.03.2012 00:00-06:00 00:00;"},
    };
    for (const Case& c : cases) {
        std::u16string rows;
        for (const WorkPeriod& p :
             splitAtMidnight({c.day, u"Meier", u"Bau", u"Maurern", c.from, c.to, u"Nacht", true, c.pause})) {
            const auto t = workPeriodRow(p);
            EXPECT_EQ(t[6] + t[7], u"NachtTrue");
            rows += t[0] + u' ' + t[4] + u'-' + t[5] + u' ' + t[8] + u';';
        }
        EXPECT_EQ(rows, c.rows);
    }
}

// When the disk fills up after a night shift's first row, that row goes again: none is stored.
TEST_F(OverlapScan, ANightShiftIsStoredWholeOrNotAtAll)
{
    test::appendRows(table, {Row {}});
    const auto parts = splitAtMidnight({2012y / March / 1, u"Meier", u"Bau", u"Maurern", hm(22, 0), hm(6, 0)});
    const auto size = std::filesystem::file_size(dir / "arbeitszeit.dbf");
    {
        test::FileSizeLimit limit(size + table.recordLength());
        EXPECT_THROW(appendWorkPeriods(table, parts), Error);
    }
    std::vector<std::u16string> visible;
    for (table.First(); !table.Eof(); table.Next())
        visible.push_back(table.fieldText(4));
    EXPECT_EQ(visible, std::vector<std::u16string> {u"08:00"});
}

TEST_F(OverlapScan, NamesTheTableCannotHoldFindNoRows)
{
    const std::u16string longName(50, u'X');
    for (const std::u16string& name : {std::u16string(u"Meier "), longName}) {
        appendWorkPeriod(table, {.date = 2012y / March / 1,
                                 .employee = name,
                                 .place = u"Bau",
                                 .activity = u"Maurern",
                                 .from = hm(8, 0),
                                 .to = hm(12, 0)});
        EXPECT_EQ(scan(name, hm(8, 0), hm(12, 0)), std::nullopt);
    }
    EXPECT_EQ(scan(u"Meier", hm(8, 0), hm(12, 0)), 0u);
    EXPECT_EQ(scan(longName.substr(0, 45), hm(8, 0), hm(12, 0)), 1u);
}

TEST_F(OverlapScan, StoredRowsCountUnderEnglishAndSpanishSettings)
{
    test::appendRows(table, {Row {}});
    EXPECT_EQ(scan(u"Meier", hm(9, 0), hm(10, 0), kDay, Regional {DateOrder::MonthDayYear, u'/', u':', u'.'}), 0u);
    EXPECT_EQ(scan(u"Meier", hm(9, 0), hm(10, 0), kDay, Regional {DateOrder::DayMonthYear, u'/', u':', u','}), 0u);
}

TEST_F(OverlapScan, RowIsStoredAsTenTextsInOneAppend)
{
    appendWorkPeriod(table, {.date = 2012y / March / 1,
                             .employee = u"Meier",
                             .place = u"Baustelle Nord",
                             .activity = u"Maurern",
                             .from = hm(7, 5, 42) + 250,
                             .to = hm(16, 15),
                             .remarks = u"Gerüst",
                             .away = true,
                             .breakTime = hm(0, 45),
                             .doubleBooking = false});
    appendWorkPeriod(table, {.date = 2012y / December / 24,
                             .employee = u"Meier",
                             .place = std::u16string(50, u'P'),
                             .activity = u"A",
                             .from = hm(0, 0),
                             .to = hm(23, 59, 59),
                             .doubleBooking = true});
    ASSERT_EQ(table.physicalCount(), 2u);
    std::vector<std::vector<std::u16string>> stored;
    for (table.First(); !table.Eof(); table.Next()) {
        stored.emplace_back();
        for (int i = 0; i < table.fieldCount(); ++i)
            stored.back().push_back(table.fieldText(i));
    }
    const std::vector<std::vector<std::u16string>> expected = {
        {u"01.03.2012", u"Meier", u"Baustelle Nord", u"Maurern", u"07:05", u"16:15", u"Gerüst", u"True", u"00:45",
         u"False"},
        {u"24.12.2012", u"Meier", std::u16string(45, u'P'), u"A", u"00:00", u"23:59", u"", u"False", u"00:00",
         u"True"}};
    EXPECT_EQ(stored, expected);
    // The row just written takes part in the next scan.
    EXPECT_EQ(scan(u"Meier", hm(16, 0), hm(17, 0)), 0u);
}

}  // namespace
}  // namespace horavant
