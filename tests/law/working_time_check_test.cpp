// The working-time law check on real tables: the worked example, the limits, unreadable rows,
// the long-period average, double bookings, and one employee against all.
#include "law/working_time_check.h"
#include "law/working_time_report.h"

#include "store/dbf_table.h"
#include "store/text.h"
#include "store/work_time_text.h"
#include "support/temp_dir.h"
#include "support/work_time_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

namespace horavant {
namespace {

using namespace std::chrono;
using test::Row;
using testing::ElementsAre;
using testing::ElementsAreArray;
using K = LawFinding;

constexpr sys_days march(unsigned d)
{
    return sys_days(2026y / March / d);
}

std::u16string identity(std::u16string_view text)
{
    return std::u16string(text);
}

Row row(std::u16string date, std::u16string from, std::u16string to, std::u16string pause = u"00:00",
        std::u16string employee = u"Anna", std::u16string doubleBooking = u"False")
{
    return Row {.date = std::move(date),
                .employee = std::move(employee),
                .from = std::move(from),
                .to = std::move(to),
                .pause = std::move(pause),
                .doubleBooking = std::move(doubleBooking)};
}

class WorkingTimeLaw : public testing::Test {
protected:
    WorkingTimeLaw() { test::createWorkTimeTable(table, dir.path()); }

    void add(const std::vector<Row>& rows)
    {
        table.beginBulk();
        test::appendRows(table, rows);
        table.endBulk();
    }

    WorkingTimeCheck check(std::optional<std::u16string_view> employee = std::nullopt, sys_days from = march(1),
                           sys_days to = march(31))
    {
        return CheckWorkingTimeLaw(table, employee, from, to, Regional::german());
    }

    // In UTF-8, which the matchers and messages of the test framework read.
    static std::vector<std::string> utf8(const std::vector<std::u16string>& lines)
    {
        std::vector<std::string> out;
        for (const auto& line : lines)
            out.push_back(toUtf8(line));
        return out;
    }

    std::vector<std::string> lines(const WorkingTimeCheck& c, std::u16string_view subject, sys_days from = march(1),
                                   sys_days to = march(31), const TranslateFunction& translate = identity)
    {
        return utf8(reportLines(BuildWorkingTimeReport(c, subject, from, to, Regional::german(), translate)));
    }

    static std::vector<std::pair<unsigned, K>> daysAndKinds(const WorkingTimeCheck& c)
    {
        std::vector<std::pair<unsigned, K>> out;
        for (const auto& f : c.findings)
            out.emplace_back(f.day ? static_cast<unsigned>(year_month_day(*f.day).day()) : 0u, f.kind);
        return out;
    }

    void addWorkedExample()
    {
        add({row(u"02.03.2026", u"07:00", u"13:30"), row(u"03.03.2026", u"07:00", u"12:00"),
             row(u"03.03.2026", u"12:30", u"17:00"), row(u"04.03.2026", u"06:00", u"17:30", u"00:45"),
             row(u"05.03.2026", u"04:00", u"12:00", u"00:30"), row(u"07.03.2026", u"08:00", u"14:00"),
             row(u"08.03.2026", u"09:00", u"11:00"), row(u"09.03.2026", u"08:00", u"12:00"),
             row(u"09.03.2026", u"12:10", u"15:00"), row(u"10.03.2026", u"08:00", u"16:30", u"00:30"),
             row(u"10.03.2026", u"09:00", u"10:00", u"00:00", u"Anna", u"True"),
             row(u"02.03.2026", u"08:00", u"16:30", u"00:30", u"Bernd")});
    }

    test::TempDir dir;
    DbfTable table;
};

TEST_F(WorkingTimeLaw, TheWorkedExample)
{
    addWorkedExample();
    const WorkingTimeCheck all = check();
    EXPECT_THAT(daysAndKinds(all), ElementsAre(std::pair(2u, K::BreakTooShort), std::pair(2u, K::NoBreakOverSixHours),
                                               std::pair(3u, K::BreakTooShort), std::pair(4u, K::OverTenHours),
                                               std::pair(5u, K::RestUnderEleven), std::pair(8u, K::SundayWork),
                                               std::pair(9u, K::BreakTooShort), std::pair(9u, K::NoBreakOverSixHours),
                                               std::pair(10u, K::DoubleBooking)));
    EXPECT_EQ(all.checkedDays, 9u);
    EXPECT_EQ(all.daysWithFindings, 7u);

    const auto report = lines(all, u"Alle Mitarbeiter");
    ASSERT_EQ(report.size(), 3u + 9u + 1u + 3u);
    EXPECT_EQ(report[0], "Prüfung Arbeitszeitgesetz Alle Mitarbeiter");
    EXPECT_EQ(report[1], "Zeitraum von: 01.03.2026 bis: 31.03.2026");
    EXPECT_EQ(report[2], "");
    // The finding column is as wide as its longest text and colon (the 6-hour finding, 42).
    const std::string pad(42 - 26, ' ');
    EXPECT_EQ(report[3],
              "02.03.2026 Anna Pause zu kurz (§ 4 ArbZG):" + pad + " 0,00 Std. Pause bei 6,50 Std. Arbeitszeit");
    EXPECT_EQ(report[4],
              "02.03.2026 Anna Mehr als 6 Stunden ohne Pause (§ 4 ArbZG): 6,50 Std. ohne Pause von 07:00 bis "
              "13:30");
    EXPECT_THAT(report[5], testing::EndsWith("0,50 Std. Pause bei 9,50 Std. Arbeitszeit"));
    EXPECT_THAT(report[6], testing::EndsWith("10,75 Std. Arbeitszeit"));
    EXPECT_THAT(report[7], testing::EndsWith("10,50 Std. Ruhezeit (Ende am Vortag 17:30, Beginn 04:00)"));
    EXPECT_THAT(report[8], testing::EndsWith("2,00 Std. Arbeitszeit; Ausnahmen nach § 10 ArbZG möglich"));
    EXPECT_THAT(report[9], testing::EndsWith("0,00 Std. Pause bei 6,83 Std. Arbeitszeit"));
    EXPECT_THAT(report[11], testing::StartsWith("10.03.2026 Anna Doppelte Buchung:"));
    EXPECT_THAT(report[11], testing::EndsWith(" 08:00–16:30 und 09:00–10:00"));
    EXPECT_EQ(report[12], "");
    EXPECT_EQ(report[13], "Geprüfte Tage: 9");
    EXPECT_EQ(report[14], "Tage mit Befund: 7");
    // 6,5 + 9,5 + 10,75 + 7,5 + 6 + 2 + 6,83 + 8 + 8 hours over 26 working days and two employees.
    EXPECT_EQ(report[15], "Durchschnittliche Arbeitszeit je Werktag in Stunden: 1,25");
}

TEST_F(WorkingTimeLaw, OneEmployeeIsChosenByTheExactTextOfTheField)
{
    addWorkedExample();
    add({row(u"02.03.2026", u"06:00", u"18:00", u"00:45", u"bernd")});
    const WorkingTimeCheck bernd = check(u"Bernd");
    EXPECT_TRUE(bernd.findings.empty());
    EXPECT_EQ(bernd.checkedDays, 1u);
    EXPECT_THAT(lines(bernd, u"Bernd"),
                ElementsAre("Prüfung Arbeitszeitgesetz Bernd", "Zeitraum von: 01.03.2026 bis: 31.03.2026", "",
                            "Keine Befunde.", "", "Geprüfte Tage: 1", "Tage mit Befund: 0",
                            "Durchschnittliche Arbeitszeit je Werktag in Stunden: 0,31"));
    EXPECT_EQ(check(u"Anna").checkedDays, 8u);
    EXPECT_EQ(check(u"Anna").daysWithFindings, 7u);
    // Within a day the employees follow their first appearance in the table.
    const WorkingTimeCheck all = check();
    EXPECT_THAT(all.employees, ElementsAre(u"Anna", u"Bernd", u"bernd"));
    EXPECT_EQ(all.findings[2].employee, 2u);
    EXPECT_EQ(all.findings[2].kind, K::OverTenHours);
    EXPECT_EQ(all.checkedDays, 10u);
}

struct LimitCase {
    const char* name;
    std::vector<Row> rows;
    std::vector<K> expected;
    sys_days from = march(1);
};

class Limits : public WorkingTimeLaw, public testing::WithParamInterface<LimitCase> {};

TEST_P(Limits, AreStrict)
{
    add(GetParam().rows);
    std::vector<K> kinds;
    for (const auto& f : check(std::nullopt, GetParam().from).findings)
        kinds.push_back(f.kind);
    EXPECT_THAT(kinds, ElementsAreArray(GetParam().expected));
}

// 02.03.2026 is a Monday.
INSTANTIATE_TEST_SUITE_P(
    WorkingTimeLaw, Limits,
    testing::Values(
        LimitCase {"SixHoursWithoutBreak", {row(u"02.03.2026", u"08:00", u"14:00")}, {}},
        LimitCase {
            "SixHoursAndAMinute", {row(u"02.03.2026", u"08:00", u"14:01")}, {K::BreakTooShort, K::NoBreakOverSixHours}},
        LimitCase {"NineHoursWithHalfAnHour", {row(u"02.03.2026", u"08:00", u"17:30", u"00:30")}, {}},
        LimitCase {"NineHoursAndAMinute", {row(u"02.03.2026", u"08:00", u"17:31", u"00:30")}, {K::BreakTooShort}},
        LimitCase {"TenHours", {row(u"02.03.2026", u"07:00", u"17:45", u"00:45")}, {}},
        LimitCase {"TenHoursAndAMinute", {row(u"02.03.2026", u"07:00", u"17:46", u"00:45")}, {K::OverTenHours}},
        LimitCase {"GapOfFourteenMinutesIsNoBreak",
                   {row(u"02.03.2026", u"08:00", u"12:00", u"00:15"), row(u"02.03.2026", u"12:14", u"16:00")},
                   {K::BreakTooShort}},
        LimitCase {"GapOfFifteenMinutesIsABreak",
                   {row(u"02.03.2026", u"08:00", u"12:00", u"00:15"), row(u"02.03.2026", u"12:15", u"16:00")},
                   {}},
        LimitCase {"GapOfFourteenMinutesJoinsTheStretch",
                   {row(u"02.03.2026", u"08:00", u"11:00"), row(u"02.03.2026", u"11:14", u"14:01")},
                   {K::NoBreakOverSixHours}},
        LimitCase {"GapOfFifteenMinutesEndsTheStretch",
                   {row(u"02.03.2026", u"08:00", u"11:00"), row(u"02.03.2026", u"11:15", u"14:01")},
                   {}},
        LimitCase {"ElevenHoursRest",
                   {row(u"02.03.2026", u"13:00", u"20:00", u"00:30"), row(u"03.03.2026", u"07:00", u"12:00")},
                   {}},
        LimitCase {"TenHoursAndFiftyNineMinutesRest",
                   {row(u"02.03.2026", u"13:00", u"20:00", u"00:30"), row(u"03.03.2026", u"06:59", u"12:00")},
                   {K::RestUnderEleven}},
        LimitCase {"RestAfterTheDayBeforeThePeriod",
                   {row(u"02.03.2026", u"13:00", u"23:00", u"01:00"), row(u"03.03.2026", u"06:00", u"12:00")},
                   {K::RestUnderEleven},
                   march(3)},
        LimitCase {"NoRestAcrossADayOff",
                   {row(u"02.03.2026", u"13:00", u"23:00", u"01:00"), row(u"04.03.2026", u"06:00", u"12:00")},
                   {}},
        LimitCase {"SaturdayIsAWorkingDay", {row(u"07.03.2026", u"08:00", u"10:00")}, {}},
        LimitCase {"Sunday", {row(u"01.03.2026", u"08:00", u"10:00")}, {K::SundayWork}},
        LimitCase {"TouchingPeriodsAreNoDoubleBooking",
                   {row(u"02.03.2026", u"08:00", u"10:00"), row(u"02.03.2026", u"10:00", u"12:00")},
                   {}},
        LimitCase {"UnmarkedOverlap",
                   {row(u"02.03.2026", u"08:00", u"10:00"), row(u"02.03.2026", u"09:59", u"12:00")},
                   {K::DoubleBooking}},
        // Times in the written form are read in place, others by the general reader.
        LimitCase {"OneDigitHourAndTheLastMinuteOfTheDay",
                   {row(u"02.03.2026", u"8:00", u"23:59", u"0:30")},
                   {K::BreakTooShort, K::OverTenHours}},
        LimitCase {"MidnightIsNoTimeOfDay", {row(u"02.03.2026", u"18:00", u"24:00")}, {K::Unreadable}}),
    [](const testing::TestParamInfo<LimitCase>& info) { return std::string(info.param.name); });

TEST_F(WorkingTimeLaw, UnreadableRowsAreListedAndLeftOutOfTheSums)
{
    add({row(u"32.03.2026", u"08:00", u"12:00"), row(u"02.03.2026", u"08:00", u"13:00"),
         row(u"02.03.2026", u"13:00", u"25:00"), row(u"02.03.2026", u"14:00", u""),
         row(u"02.03.2026", u"14:00", u"16:00", u"xx"), row(u"02.03.2026", u"16:00", u"15:00"),
         row(u"02.03.2026", u"15:00", u"20:00", u"00:00", u"Bernd"), row(u"", u"08:00", u"12:00", u"00:00", u"Bernd")});
    const WorkingTimeCheck anna = check(u"Anna");
    // Had any of them counted, Anna's day would pass six hours.
    EXPECT_THAT(daysAndKinds(anna),
                ElementsAre(std::pair(0u, K::Unreadable), std::pair(2u, K::Unreadable), std::pair(2u, K::Unreadable),
                            std::pair(2u, K::Unreadable), std::pair(2u, K::Unreadable)));
    EXPECT_EQ(anna.checkedDays, 1u);
    EXPECT_EQ(anna.daysWithFindings, 1u);
    const auto report = lines(anna, u"Anna");
    EXPECT_THAT(report[3], testing::StartsWith("32.03.2026 Anna Zeiten nicht lesbar:"));
    EXPECT_THAT(report[3], testing::EndsWith("Datum „32.03.2026“, von „08:00“ bis „12:00“, Pause „00:00“"));
    EXPECT_THAT(report[5], testing::EndsWith("Datum „02.03.2026“, von „14:00“ bis „“, Pause „00:00“"));
    // An empty date is listed too, whatever the period.
    const WorkingTimeCheck all = check(std::nullopt, march(20), march(21));
    ASSERT_EQ(all.findings.size(), 2u);
    EXPECT_EQ(all.unreadableRows.at(static_cast<std::size_t>(all.findings[1].figures[0])).date, u"");
}

TEST_F(WorkingTimeLaw, TheAverageOverTwentyFourWeeks)
{
    // Monday to Saturday for 24 weeks from Monday 05.01.2026, eight hours a day; one day a
    // minute longer.
    std::vector<Row> rows;
    const sys_days first = sys_days(2026y / January / 5);
    for (sys_days d = first; d < first + days(168); d += days(1)) {
        if (weekday(d) == Sunday)
            continue;
        const year_month_day ymd(d);
        const std::u16string date = formatStoredDate(ymd);
        rows.push_back(row(date, u"07:00", d == first ? u"15:31" : u"15:30", u"00:30"));
    }
    add(rows);
    const sys_days last = first + days(167);
    const WorkingTimeCheck full = CheckWorkingTimeLaw(table, u"Anna", first, last, Regional::german());
    EXPECT_EQ(full.workingDays, 144u);
    ASSERT_EQ(full.findings.size(), 1u);
    EXPECT_EQ(full.findings[0].kind, K::AverageOverEight);
    EXPECT_EQ(full.findings[0].day, last);
    EXPECT_EQ(full.daysWithFindings, 0u);
    const auto report = lines(full, u"Anna", first, last);
    EXPECT_THAT(report[3], testing::EndsWith("8,00 Std. je Werktag im Durchschnitt von 144 Werktagen"));

    // A day shorter, the period is under 24 weeks; a Sunday more changes nothing; a Monday more
    // spreads the minute over one working day more.
    EXPECT_TRUE(CheckWorkingTimeLaw(table, u"Anna", first, last - days(1), Regional::german()).findings.empty());
    const auto longer = CheckWorkingTimeLaw(table, u"Anna", first - days(1), last, Regional::german());
    EXPECT_EQ(longer.findings.size(), 1u);
    EXPECT_TRUE(CheckWorkingTimeLaw(table, u"Anna", first, last + days(1), Regional::german()).findings.empty());
}

TEST_F(WorkingTimeLaw, DoubleBookingsAreOneFindingPerDayWithTheEarliestPair)
{
    // A marked row before its partner, a row only marked (its partner edited away), three
    // periods over each other.
    add({row(u"02.03.2026", u"09:00", u"10:00", u"00:00", u"Anna", u"True"), row(u"02.03.2026", u"08:00", u"12:00"),
         row(u"03.03.2026", u"13:00", u"14:00", u"00:00", u"Anna", u"True"), row(u"04.03.2026", u"10:00", u"11:00"),
         row(u"04.03.2026", u"08:00", u"12:00"), row(u"04.03.2026", u"07:00", u"09:00", u"00:00", u"Anna", u"True")});
    const WorkingTimeCheck c = check();
    ASSERT_EQ(c.findings.size(), 3u);
    EXPECT_EQ(c.findings[0].figures,
              (std::array<std::int64_t, 5> {8 * 3600000, 12 * 3600000, 9 * 3600000, 10 * 3600000, 1}));
    const auto report = lines(c, u"Anna");
    EXPECT_THAT(report[3], testing::EndsWith(": 08:00–12:00 und 09:00–10:00"));
    EXPECT_THAT(report[4], testing::EndsWith(": 13:00–14:00 als doppelte Buchung markiert"));
    EXPECT_THAT(report[5], testing::EndsWith(": 07:00–09:00 und 08:00–12:00 (2 doppelte Buchungen an diesem Tag)"));
}

// The check of a period reads only the records the gathering scan dated in it (and those without
// a readable date); the findings, their order and the employees' numbers are those of a check of
// every row, also when an employee's first row lies before the period. A file written since the
// gathering is read whole again.
TEST_F(WorkingTimeLaw, GatheredRowsGiveTheSameCheckAndAChangedFileIsReadAgain)
{
    add({row(u"15.02.2026", u"08:00", u"12:00", u"00:00", u"Bernd"), row(u"28.02.2026", u"14:00", u"23:30"),
         row(u"01.03.2026", u"06:00", u"12:00"), row(u"", u"08:00", u"09:00", u"00:00", u"Bernd"),
         row(u"02.03.2026", u"08:00", u"19:30", u"00:30", u"Bernd"), row(u"02.03.2026", u"08:00", u"15:00"),
         row(u"02.03.2026", u"14:00", u"15:00", u"00:00", u"Anna", u"True"), row(u"01.04.2026", u"08:00", u"20:00")});
    // Records outside the period, so that the period's are few enough to be read one by one.
    add(std::vector<Row>(10, row(u"05.01.2026", u"08:00", u"09:00", u"00:00", u"Bernd")));
    const LawCheckRows gathered = GatherLawCheckRows(table, Regional::german());
    EXPECT_THAT(gathered.employees.texts, ElementsAre(u"Bernd", u"Anna"));
    const auto fromGathered = [&](std::optional<std::u16string_view> who, sys_days from, sys_days to) {
        return CheckWorkingTimeLaw(table, who, from, to, Regional::german(), &gathered);
    };
    for (const auto who : {std::optional<std::u16string_view>(), std::optional<std::u16string_view>(u"Anna")}) {
        for (const auto& [from, to] : {std::pair(march(1), march(31)), std::pair(march(2), march(2))}) {
            const WorkingTimeCheck whole = check(who, from, to);
            const WorkingTimeCheck part = fromGathered(who, from, to);
            EXPECT_EQ(part.employees, whole.employees);
            EXPECT_EQ(lines(part, u"X", from, to), lines(whole, u"X", from, to));
        }
    }
    const auto before = lines(check(), u"X");

    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // past a coarse file clock's tick
    DbfTable other;
    other.setFolder(dir.path());
    other.setTableName("arbeitszeit.dbf");
    other.Open();
    ASSERT_TRUE(other.gotoRecord(7));
    other.Edit();
    other.setFieldText(0, u"03.03.2026");  // from April into the period
    other.Post();
    const auto edited = lines(fromGathered(std::nullopt, march(1), march(31)), u"X");
    EXPECT_NE(edited, before);
    EXPECT_EQ(edited, lines(check(), u"X"));
}

TEST_F(WorkingTimeLaw, EveryTextGoesThroughTheTranslation)
{
    add({row(u"01.03.2026", u"08:00", u"10:00")});
    const auto marked = [](std::u16string_view text) { return u"[" + std::u16string(text) + u"]"; };
    EXPECT_THAT(lines(check(), u"[Alle Mitarbeiter]", march(1), march(31), marked),
                ElementsAre("[Prüfung Arbeitszeitgesetz] [Alle Mitarbeiter]",
                            "[Zeitraum von:] 01.03.2026 [bis:] 31.03.2026", "",
                            "01.03.2026 Anna [Sonntagsarbeit (§ 9 ArbZG)]: [2,00 Std. Arbeitszeit; "
                            "Ausnahmen nach § 10 ArbZG möglich]",
                            "", "[Geprüfte Tage:] 1", "[Tage mit Befund:] 1",
                            "[Durchschnittliche Arbeitszeit je Werktag in Stunden:] 0,08"));
}

}  // namespace
}  // namespace horavant
