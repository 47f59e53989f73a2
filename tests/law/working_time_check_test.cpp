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
        return CheckWorkingTimeLaw(table, employee, from, to, Regional::german(), nullptr, &timesheet);
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
    TimesheetData timesheet;
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
    ASSERT_EQ(report.size(), 3u + 9u + 1u + 4u);
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
    // The gap of ten minutes on the 9th is working time.
    EXPECT_THAT(report[9], testing::EndsWith("0,00 Std. Pause bei 7,00 Std. Arbeitszeit"));
    EXPECT_THAT(report[11], testing::StartsWith("10.03.2026 Anna Doppelte Buchung:"));
    EXPECT_THAT(report[11], testing::EndsWith(" 08:00–16:30 und 09:00–10:00"));
    EXPECT_EQ(report[12], "");
    EXPECT_EQ(report[13], "Geprüfte Tage: 9");
    EXPECT_EQ(report[14], "Tage mit Befund: 7");
    // 6,5 + 9,5 + 10,75 + 7,5 + 6 + 7 + 8 hours and 8 hours over the eight Werktage with rows.
    EXPECT_EQ(report[15], "Durchschnittliche Nettoarbeitszeit je Werktag mit Buchungen in Stunden: 7,91");
    EXPECT_EQ(report[16], "Durchschnitt über 24 Wochen: nicht geprüft, Zeitraum kürzer");
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
                            "Durchschnittliche Nettoarbeitszeit je Werktag mit Buchungen in Stunden: 8,00",
                            "Durchschnitt über 24 Wochen: nicht geprüft, Zeitraum kürzer"));
    EXPECT_EQ(check(u"Anna").checkedDays, 8u);
    EXPECT_EQ(check(u"Anna").daysWithFindings, 7u);
    // Within a day the employees follow their first appearance in the table.
    const WorkingTimeCheck all = check();
    EXPECT_THAT(all.employees, ElementsAre(u"Anna", u"Bernd", u"bernd"));
    EXPECT_EQ(all.findings[2].employee, 2u);
    EXPECT_EQ(all.findings[2].kind, K::OverTenHours);
    EXPECT_EQ(all.checkedDays, 10u);
}

Row noted(Row r, std::u16string remarks)
{
    r.remarks = std::move(remarks);
    return r;
}

// Monday to Saturday of `weeks` weeks from the Monday `first`, each day from..to with the break.
std::vector<Row> workingWeeks(sys_days first, int weeks, const std::u16string& from, const std::u16string& to,
                              const std::u16string& pause, std::vector<Row> before = {})
{
    for (sys_days d = first; d < first + days(7 * weeks); d += days(1)) {
        if (weekday(d) != Sunday)
            before.push_back(row(formatStoredDate(year_month_day(d)), from, to, pause));
    }
    return before;
}

constexpr sys_days kFirstMonday = sys_days(2026y / January / 5);

// A finding: the start of its date ("02.03."), its kind and, where given, its detail.
struct Expect {
    const char* date;
    K kind;
    const char* detail = nullptr;
};

struct LawCase {
    const char* name;
    std::vector<Row> rows;
    std::vector<Expect> expected;
    sys_days from = march(1);
    sys_days to = march(31);
    std::vector<std::string> summary {};  // lines of the summary, where given
    std::vector<TargetRow> targets {};
    std::vector<Absence> absences {};
};

// Eight hours Monday to Friday from the day on.
TargetRow target(sys_days from, State state, std::u16string employee = u"Anna")
{
    constexpr std::int64_t h = 8 * kMsPerHour;
    return {.employee = std::move(employee), .from = from, .state = state, .weekdayMs = {h, h, h, h, h, 0, 0}};
}

std::vector<Row> except(std::vector<Row> rows, const std::vector<std::u16string>& dates)
{
    std::erase_if(rows, [&](const Row& r) { return std::find(dates.begin(), dates.end(), r.date) != dates.end(); });
    return rows;
}

class Cases : public WorkingTimeLaw, public testing::WithParamInterface<LawCase> {};

TEST_P(Cases, GiveTheirFindings)
{
    const LawCase& c = GetParam();
    add(c.rows);
    timesheet.targets = c.targets;
    timesheet.absences = c.absences;
    const WorkingTimeCheck result = check(std::nullopt, c.from, c.to);
    const ReportTable report = BuildWorkingTimeReport(result, u"X", c.from, c.to, Regional::german(), identity);
    std::vector<std::pair<std::string, K>> found, expected;
    for (std::size_t i = 0; i < result.findings.size(); ++i)
        found.emplace_back(toUtf8(report.rows[i][0]).substr(0, 6), result.findings[i].kind);
    for (const Expect& e : c.expected)
        expected.emplace_back(e.date, e.kind);
    ASSERT_THAT(found, ElementsAreArray(expected));
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
        if (c.expected[i].detail) {
            EXPECT_EQ(toUtf8(report.rows[i][3]), c.expected[i].detail);
        }
    }
    if (!c.summary.empty()) {
        const auto all = lines(result, u"X", c.from, c.to);
        EXPECT_THAT(all, testing::IsSupersetOf(c.summary));
    }
}

// 02.03.2026 is a Monday. The limits first, then shifts over midnight, breaks, the average.
INSTANTIATE_TEST_SUITE_P(
    WorkingTimeLaw, Cases,
    testing::Values(
        LawCase {"SixHoursWithoutBreak", {row(u"02.03.2026", u"08:00", u"14:00")}, {}},
        LawCase {"SixHoursAndAMinute",
                 {row(u"02.03.2026", u"08:00", u"14:01")},
                 {{"02.03.", K::BreakTooShort}, {"02.03.", K::NoBreakOverSixHours}}},
        LawCase {"NineHoursWithHalfAnHour", {row(u"02.03.2026", u"08:00", u"17:30", u"00:30")}, {}},
        LawCase {
            "NineHoursAndAMinute", {row(u"02.03.2026", u"08:00", u"17:31", u"00:30")}, {{"02.03.", K::BreakTooShort}}},
        LawCase {"TenHours", {row(u"02.03.2026", u"07:00", u"17:45", u"00:45")}, {}},
        LawCase {
            "TenHoursAndAMinute", {row(u"02.03.2026", u"07:00", u"17:46", u"00:45")}, {{"02.03.", K::OverTenHours}}},
        LawCase {"GapOfFourteenMinutesIsNoBreak",
                 {row(u"02.03.2026", u"08:00", u"12:00", u"00:15"), row(u"02.03.2026", u"12:14", u"16:00")},
                 {{"02.03.", K::BreakTooShort, "0,25 Std. Pause bei 7,75 Std. Arbeitszeit"}}},
        LawCase {"GapOfFifteenMinutesIsABreak",
                 {row(u"02.03.2026", u"08:00", u"12:00", u"00:15"), row(u"02.03.2026", u"12:15", u"16:00")},
                 {}},
        // The gap of 14 minutes is working time: six hours and a minute.
        LawCase {"GapOfFourteenMinutesJoinsTheStretch",
                 {row(u"02.03.2026", u"08:00", u"11:00"), row(u"02.03.2026", u"11:14", u"14:01")},
                 {{"02.03.", K::BreakTooShort}, {"02.03.", K::NoBreakOverSixHours}}},
        LawCase {"GapOfFifteenMinutesEndsTheStretch",
                 {row(u"02.03.2026", u"08:00", u"11:00"), row(u"02.03.2026", u"11:15", u"14:01")},
                 {}},
        LawCase {"ElevenHoursRest",
                 {row(u"02.03.2026", u"13:00", u"20:00", u"00:30"), row(u"03.03.2026", u"07:00", u"12:00")},
                 {}},
        LawCase {"TenHoursAndFiftyNineMinutesRest",
                 {row(u"02.03.2026", u"13:00", u"20:00", u"00:30"), row(u"03.03.2026", u"06:59", u"12:00")},
                 {{"03.03.", K::RestUnderEleven, "10,98 Std. Ruhezeit (Ende am Vortag 20:00, Beginn 06:59)"}}},
        LawCase {"RestAfterTheDayBeforeThePeriod",
                 {row(u"02.03.2026", u"13:00", u"23:00", u"01:00"), row(u"03.03.2026", u"06:00", u"12:00")},
                 {{"03.03.", K::RestUnderEleven}},
                 march(3)},
        LawCase {"NoRestAcrossADayOff",
                 {row(u"02.03.2026", u"13:00", u"23:00", u"01:00"), row(u"04.03.2026", u"06:00", u"12:00")},
                 {}},
        LawCase {"SaturdayIsAWorkingDay", {row(u"07.03.2026", u"08:00", u"10:00")}, {}},
        LawCase {"Sunday", {row(u"01.03.2026", u"08:00", u"10:00")}, {{"01.03.", K::SundayWork}}},
        LawCase {"TouchingPeriodsAreNoDoubleBooking",
                 {row(u"02.03.2026", u"08:00", u"10:00"), row(u"02.03.2026", u"10:00", u"12:00")},
                 {}},
        LawCase {"UnmarkedOverlap",
                 {row(u"02.03.2026", u"08:00", u"10:00"), row(u"02.03.2026", u"09:59", u"12:00")},
                 {{"02.03.", K::DoubleBooking}}},
        // Times in the written form are read in place, others by the general reader. The break
        // lies in the middle of the row, 15:44-16:14, with more than six hours on either side.
        LawCase {"OneDigitHourAndTheLastMinuteOfTheDay",
                 {row(u"02.03.2026", u"8:00", u"23:59", u"0:30")},
                 {{"02.03.", K::BreakTooShort},
                  {"02.03.", K::NoBreakOverSixHours, "7,73 Std. ohne Pause von 08:00 bis 15:44"},
                  {"02.03.", K::NoBreakOverSixHours, "7,75 Std. ohne Pause von 16:14 bis 23:59"},
                  {"02.03.", K::OverTenHours}}},
        LawCase {"MidnightEndsAPeriodButStartsNone",
                 {row(u"02.03.2026", u"18:00", u"24:00"), row(u"04.03.2026", u"24:00", u"24:00")},
                 {{"04.03.", K::Unreadable}}},
        LawCase {"EndNotAfterStart",
                 {row(u"02.03.2026", u"16:00", u"15:00")},
                 {{"02.03.", K::EndNotAfterStart, "Datum „02.03.2026“, von „16:00“ bis „15:00“, Pause „00:00“"}}},

        LawCase {"NightsWithTheMinuteOfOlderCopies",
                 {row(u"02.03.2026", u"22:00", u"23:59"), row(u"03.03.2026", u"00:00", u"06:00", u"00:30"),
                  row(u"03.03.2026", u"22:00", u"23:59"), row(u"04.03.2026", u"00:00", u"06:00", u"00:30"),
                  row(u"04.03.2026", u"22:00", u"23:59"), row(u"05.03.2026", u"00:00", u"06:00", u"00:30"),
                  row(u"05.03.2026", u"22:00", u"23:59"), row(u"06.03.2026", u"00:00", u"06:00", u"00:30")},
                 {},
                 march(1),
                 march(31),
                 {"Geprüfte Tage: 5", "Tage mit Befund: 0",
                  "Durchschnittliche Nettoarbeitszeit je Werktag mit Buchungen in Stunden: 6,00",
                  "Durchschnitt über 24 Wochen: nicht geprüft, Zeitraum kürzer"}},
        LawCase {"EveningToMorningIsOneShiftDatedOnItsFirstDay",
                 {row(u"02.03.2026", u"18:00", u"24:00"), row(u"03.03.2026", u"00:00", u"06:00", u"00:45")},
                 {{"02.03.", K::NoBreakOverSixHours, "8,62 Std. ohne Pause von 18:00 bis 02:37"},
                  {"02.03.", K::OverTenHours, "11,25 Std. Arbeitszeit"}}},
        LawCase {"NightWithoutABreak",
                 {row(u"02.03.2026", u"20:00", u"24:00"), row(u"03.03.2026", u"00:00", u"06:00")},
                 {{"02.03.", K::BreakTooShort, "0,00 Std. Pause bei 10,00 Std. Arbeitszeit"},
                  {"02.03.", K::NoBreakOverSixHours, "10,00 Std. ohne Pause von 20:00 bis 06:00"}}},
        LawCase {"RestAfterANightEndsInTheMorning",
                 {row(u"02.03.2026", u"22:00", u"24:00"), row(u"03.03.2026", u"00:00", u"06:00", u"00:30"),
                  row(u"03.03.2026", u"14:00", u"22:00", u"00:30")},
                 {{"03.03.", K::RestUnderEleven, "8,00 Std. Ruhezeit (Ende 06:00, Beginn 14:00)"}}},
        // After midnight the shift runs on across a break; a gap of two hours or more is rest.
        LawCase {"ABreakAfterMidnightStaysInTheShift",
                 {row(u"02.03.2026", u"22:00", u"24:00"), row(u"03.03.2026", u"00:00", u"03:00"),
                  row(u"03.03.2026", u"03:30", u"06:00"), row(u"04.03.2026", u"22:00", u"24:00"),
                  row(u"05.03.2026", u"00:00", u"03:00"), row(u"05.03.2026", u"05:00", u"06:00")},
                 {{"05.03.", K::RestUnderEleven, "2,00 Std. Ruhezeit (Ende 03:00, Beginn 05:00)"}}},
        LawCase {"RestAfterMidnight",
                 {row(u"02.03.2026", u"18:00", u"24:00"), row(u"03.03.2026", u"05:00", u"10:00")},
                 {{"03.03.", K::RestUnderEleven, "5,00 Std. Ruhezeit (Ende am Vortag 24:00, Beginn 05:00)"}}},
        LawCase {"SundayByTheCalendarDay",
                 {row(u"07.03.2026", u"22:00", u"24:00"), row(u"08.03.2026", u"00:00", u"06:00", u"00:30")},
                 {{"08.03.", K::SundayWork, "5,50 Std. Arbeitszeit; Ausnahmen nach § 10 ArbZG möglich"}}},

        LawCase {"ABreakUnderFifteenMinutesIsWorkingTime",
                 {row(u"02.03.2026", u"08:00", u"14:05", u"00:05")},
                 {{"02.03.", K::BreakTooShort, "0,00 Std. Pause bei 6,08 Std. Arbeitszeit"},
                  {"02.03.", K::NoBreakOverSixHours, "6,08 Std. ohne Pause von 08:00 bis 14:05"}}},
        LawCase {"AGapUnderFifteenMinutesIsWorkingTime",
                 {row(u"02.03.2026", u"06:00", u"12:00", u"00:30"), row(u"02.03.2026", u"12:10", u"16:55", u"00:15")},
                 {{"02.03.", K::OverTenHours, "10,17 Std. Arbeitszeit"}}},
        LawCase {"ABreakLiesInTheMiddleOfItsOwnRow",
                 {row(u"02.03.2026", u"07:00", u"10:00", u"00:30"), row(u"02.03.2026", u"10:00", u"16:30")},
                 {{"02.03.", K::NoBreakOverSixHours, "7,75 Std. ohne Pause von 08:45 bis 16:30"}}},
        // Listed intervals lie where the remarks say; one of ten minutes is working time. A list
        // that does not add up to the break leaves it in the middle.
        LawCase {"ListedBreaksLieWhereTheRemarksSay",
                 {noted(row(u"02.03.2026", u"06:00", u"15:00", u"00:30"), u"Baustelle NordPausen: 06:30-07:00"),
                  noted(row(u"03.03.2026", u"08:00", u"15:00", u"00:30"), u"Pausen: 10:00-10:10; 12:00-12:20"),
                  noted(row(u"04.03.2026", u"06:00", u"15:00", u"00:45"), u"Breaks: 06:30-07:00")},
                 {{"02.03.", K::NoBreakOverSixHours, "8,00 Std. ohne Pause von 07:00 bis 15:00"},
                  {"03.03.", K::BreakTooShort, "0,33 Std. Pause bei 6,67 Std. Arbeitszeit"}}},
        LawCase {"OverlappingRowsCountTheirBreakOnce",
                 {row(u"02.03.2026", u"07:00", u"18:00", u"00:45"), row(u"02.03.2026", u"07:00", u"18:00", u"00:45")},
                 {{"02.03.", K::OverTenHours, "10,25 Std. Arbeitszeit"}, {"02.03.", K::DoubleBooking}}},
        LawCase {"ABreakLongerThanItsRowIsListedAndTakenOffNothing",
                 {row(u"02.03.2026", u"08:00", u"10:00", u"03:00"), row(u"02.03.2026", u"10:00", u"16:30")},
                 {{"02.03.", K::BreakLongerThanRow, "Datum „02.03.2026“, von „08:00“ bis „10:00“, Pause „03:00“"},
                  {"02.03.", K::BreakTooShort},
                  {"02.03.", K::NoBreakOverSixHours}}},

        // Nine hours a day for 24 weeks, then seven: the first window is over, the period as a
        // whole is not. The window ends on a Sunday; its finding is dated the Saturday before.
        LawCase {"TheWorstWindowOfTwentyFourWeeks",
                 workingWeeks(kFirstMonday + days(168), 24, u"08:00", u"15:30", u"00:30",
                              workingWeeks(kFirstMonday, 24, u"07:00", u"16:30", u"00:30")),
                 {{"20.06.", K::AverageOverEight,
                   "9,00 Std. je Werktag im Durchschnitt von 144 Werktagen vom 05.01.2026 bis 21.06.2026"}},
                 kFirstMonday,
                 kFirstMonday + days(335),
                 {"Geprüfte Tage: 288", "Tage mit Befund: 1",
                  "Durchschnittliche Nettoarbeitszeit je Werktag mit Buchungen in Stunden: 8,00"}},
        // Ten hours a day from the first Monday of January: the period is long enough, but not the
        // time since the employee's first day, and the weeks before it do not count.
        LawCase {"WindowsStartAtTheFirstRecordedDay",
                 workingWeeks(kFirstMonday, 23, u"07:00", u"17:45", u"00:45"),
                 {},
                 sys_days(2025y / December / 1),
                 sys_days(2026y / June / 13),
                 {"Durchschnitt über 24 Wochen: nicht geprüft, Zeitraum kürzer"}},

        // Holidays of the state of the row in force: none before the first row, none for an
        // employee without one. They are no Werktage of the summary's time per Werktag.
        LawCase {
            .name = "WorkOnAHolidayOfTheStateInForce",
            .rows = {row(u"03.04.2026", u"08:00", u"12:00"), row(u"06.04.2026", u"08:00", u"10:00"),
                     row(u"06.04.2026", u"08:00", u"10:00", u"00:00", u"Bernd"),
                     row(u"04.06.2026", u"08:00", u"12:00")},
            .expected = {{"06.04.", K::HolidayWork,
                          "Ostermontag (Berlin): 2,00 Std. Arbeitszeit; Ausnahmen nach § 10 ArbZG möglich"},
                         {"04.06.", K::HolidayWork}},
            .from = sys_days(2026y / April / 1),
            .to = sys_days(2026y / June / 30),
            .summary = {"Geprüfte Tage: 4", "Tage mit Befund: 2",
                        "Durchschnittliche Nettoarbeitszeit je Werktag mit Buchungen in Stunden: 3,00"},
            .targets = {target(sys_days(2026y / April / 4), State::BE), target(sys_days(2026y / June / 1), State::BY)}},
        LawCase {.name = "TwoHolidaysOnOneDay",
                 .rows = {row(u"01.05.2008", u"08:00", u"10:00")},
                 .expected = {{"01.05.", K::HolidayWork,
                               "Tag der Arbeit, Christi Himmelfahrt (Bayern): 2,00 Std. Arbeitszeit; Ausnahmen nach § "
                               "10 ArbZG möglich"}},
                 .from = sys_days(2008y / May / 1),
                 .to = sys_days(2008y / May / 31),
                 .targets = {target(sys_days(2008y / January / 1), State::BY)}},
        // 8,5 hours on 130 days over 132 Werktage: the seven holidays of Bayern and the
        // vacation's Monday to Friday are left out; its Saturday, without target hours, and a
        // day off in lieu are not, nor is the day of an absence that a day off in lieu listed
        // before it takes in. Had they counted, the average would be 7,67 hours.
        LawCase {.name = "HolidaysAndCreditedAbsencesAreNoWerktageOfTheAverage",
                 .rows = except(workingWeeks(kFirstMonday, 24, u"07:00", u"16:00", u"00:30"),
                                {u"06.01.2026", u"03.04.2026", u"06.04.2026", u"01.05.2026", u"14.05.2026",
                                 u"25.05.2026", u"04.06.2026", u"09.02.2026", u"10.02.2026", u"11.02.2026",
                                 u"12.02.2026", u"13.02.2026", u"14.02.2026", u"20.02.2026"}),
                 .expected = {{"20.06.", K::AverageOverEight,
                               "8,37 Std. je Werktag im Durchschnitt von 132 Werktagen vom 05.01.2026 bis 21.06.2026"}},
                 .from = kFirstMonday,
                 .to = kFirstMonday + days(167),
                 .targets = {target(sys_days(2026y / January / 1), State::BY)},
                 .absences
                 = {{u"Anna", sys_days(2026y / February / 9), sys_days(2026y / February / 15), AbsenceKind::Urlaub},
                    {u"Anna", sys_days(2026y / February / 20), sys_days(2026y / February / 20),
                     AbsenceKind::Freizeitausgleich},
                    {u"Anna", sys_days(2026y / February / 20), sys_days(2026y / February / 20), AbsenceKind::Krank}}}),
    [](const testing::TestParamInfo<LawCase>& info) { return std::string(info.param.name); });

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
                            std::pair(2u, K::Unreadable), std::pair(2u, K::EndNotAfterStart)));
    EXPECT_EQ(anna.checkedDays, 1u);
    EXPECT_EQ(anna.daysWithFindings, 1u);
    const auto report = lines(anna, u"Anna");
    EXPECT_THAT(report[3], testing::StartsWith("32.03.2026 Anna Zeiten nicht lesbar:"));
    EXPECT_THAT(report[3], testing::EndsWith("Datum „32.03.2026“, von „08:00“ bis „12:00“, Pause „00:00“"));
    EXPECT_THAT(report[5], testing::EndsWith("Datum „02.03.2026“, von „14:00“ bis „“, Pause „00:00“"));
    // An empty date is listed too, whatever the period.
    const WorkingTimeCheck all = check(std::nullopt, march(20), march(21));
    ASSERT_EQ(all.findings.size(), 2u);
    EXPECT_EQ(all.listedRows.at(static_cast<std::size_t>(all.findings[1].figures[0])).date, u"");
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
    ASSERT_EQ(full.findings.size(), 1u);
    EXPECT_EQ(full.findings[0].kind, K::AverageOverEight);
    EXPECT_EQ(full.findings[0].day, last - days(1));  // the Saturday before the window's last day
    EXPECT_EQ(full.daysWithFindings, 1u);
    const auto report = lines(full, u"Anna", first, last);
    EXPECT_THAT(report[3], testing::EndsWith("8,00 Std. je Werktag im Durchschnitt von 144 Werktagen vom 05.01.2026 "
                                             "bis 21.06.2026"));

    // A day shorter, the period is under 24 weeks; a Sunday more before the first day changes
    // nothing; a Monday more adds a window of less, and the first is still over.
    EXPECT_TRUE(CheckWorkingTimeLaw(table, u"Anna", first, last - days(1), Regional::german()).findings.empty());
    EXPECT_EQ(CheckWorkingTimeLaw(table, u"Anna", first - days(1), last, Regional::german()).findings.size(), 1u);
    EXPECT_EQ(CheckWorkingTimeLaw(table, u"Anna", first, last + days(1), Regional::german()).findings.size(), 1u);
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
    EXPECT_THAT(gathered.subjects.texts, ElementsAre(u"Bernd", u"Anna"));
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
                            "[Durchschnittliche Nettoarbeitszeit je Werktag mit Buchungen in Stunden:] 0,00",
                            "[Durchschnitt über 24 Wochen:] [nicht geprüft, Zeitraum kürzer]"));
}

}  // namespace
}  // namespace horavant
