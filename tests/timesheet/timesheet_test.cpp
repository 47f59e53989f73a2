// The monthly timesheet from real tables: the texts of its two tables, and a worked month with a
// holiday, a vacation week, a sick day, a Freizeitausgleich day, a change of target row in the
// middle of the month and a brought-in balance.
#include "store/dbf_table.h"
#include "store/text.h"
#include "store/timesheet_tables.h"
#include "support/temp_dir.h"
#include "support/work_time_table.h"
#include "timesheet/timesheet_report.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace horavant {
namespace {

using namespace std::chrono;
using testing::ElementsAre;
using testing::ElementsAreArray;

const Regional kGerman = Regional::german();

TEST(TimesheetTexts, ReadOnlyWhatTheirFieldsMayHold)
{
    struct Case {
        std::u16string_view text;
        std::optional<std::int64_t> target, vacation, carried;
    };
    constexpr std::int64_t h = 3'600'000, m = 60'000;
    const std::vector<Case> cases = {
        {u"", 0, 0, 0},
        {u"8:00", 8 * h, {}, 8 * h},
        {u"07:45", 7 * h + 45 * m, {}, 7 * h + 45 * m},
        {u"24:00", 24 * h, {}, 24 * h},
        {u"24:01", {}, {}, 24 * h + m},
        {u"-03:15", {}, {}, -(3 * h + 15 * m)},
        {u"+120:30", {}, {}, 120 * h + 30 * m},
        {u"30", {}, 3000, {}},
        {u"27,5", {}, 2750, {}},
        {u"27.25", {}, 2725, {}},
        {u"1,234", {}, {}, {}},
        {u"8:60", {}, {}, {}},
        {u"abc", {}, {}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readTargetHours(c.text, kGerman), c.target) << toUtf8(c.text);
        EXPECT_EQ(readVacationDays(c.text, kGerman), c.vacation) << toUtf8(c.text);
        EXPECT_EQ(readCarriedBalance(c.text, kGerman), c.carried) << toUtf8(c.text);
    }
    const std::vector<std::u16string> typed = {u"Anna", u"1.6.2026", u"BY", u"8:00", u"24:00", u"",
                                               u"",     u"",         u"",   u"",     u"27.5",  u"-0:30"};
    EXPECT_EQ(targetFieldProblem(typed, kGerman), std::nullopt);
    EXPECT_THAT(storedTargetTexts(typed, kGerman), ElementsAre(u"Anna", u"01.06.2026", u"BY", u"08:00", u"24:00", u"",
                                                               u"", u"", u"", u"", u"27,5", u"-00:30"));
    std::vector<std::u16string> wrong = typed;
    wrong[targetfield::kState] = u"by";
    EXPECT_EQ(targetFieldProblem(wrong, kGerman), targetfield::kState);
    EXPECT_EQ(formatSignedHours(9'000'000, kGerman), u"+2,50");
    EXPECT_EQ(formatSignedHours(-4'500'000, kGerman), u"-1,25");
    EXPECT_EQ(formatSignedHours(17'999, kGerman), u"0,00");
}

class WorkedMonth : public testing::Test {
protected:
    WorkedMonth()
    {
        const auto target = [&](std::u16string employee, std::u16string from, std::u16string state,
                                std::u16string friday, std::u16string vacation, std::u16string carried) {
            appendTableRow(
                dir.path(), kTargetTable,
                {employee, from, state, u"08:00", u"08:00", u"08:00", u"08:00", friday, u"", u"", vacation, carried});
        };
        target(u"Anna", u"01.06.2026", u"BY", u"08:00", u"30", u"+10:00");
        target(u"Anna", u"15.06.2026", u"BY", u"06:00", u"30", u"");
        target(u"Anna", u"31.02.2026", u"BY", u"06:00", u"30", u"");  // no date: left out, and said so
        target(u"Bernd", u"01.06.2026", u"HB", u"08:00", u"27,5", u"");
        const auto absent = [&](std::u16string from, std::u16string to, std::u16string kind) {
            appendTableRow(dir.path(), kAbsenceTable, {u"Anna", from, to, kind, u""});
        };
        absent(u"04.06.2026", u"12.06.2026", u"Urlaub");  // Fronleichnam and the weekend use no day
        absent(u"17.06.2026", u"17.06.2026", u"Krank");
        absent(u"19.06.2026", u"19.06.2026", u"Freizeitausgleich");
        absent(u"06.07.2026", u"10.07.2026", u"Urlaub");  // after the month

        test::createWorkTimeTable(table, dir.path());
        const auto row = [](std::u16string date, std::u16string from, std::u16string to, std::u16string pause,
                            std::u16string employee = u"Anna") {
            return test::Row {.date = date, .employee = employee, .from = from, .to = to, .pause = pause};
        };
        test::appendRows(
            table,
            {row(u"29.05.2026", u"08:00", u"18:00", u""),  // before the account
             row(u"01.06.2026", u"08:00", u"17:00", u"00:30"), row(u"02.06.2026", u"07:00", u"16:00", u"01:00"),
             row(u"03.06.2026", u"12:30", u"17:00", u""), row(u"03.06.2026", u"08:00", u"12:00", u""),
             row(u"04.06.2026", u"10:00", u"12:00", u""), row(u"15.06.2026", u"08:00", u"16:30", u"00:30"),
             row(u"16.06.2026", u"07:00", u"16:30", u"00:30"), row(u"02.06.2026", u"08:00", u"16:00", u"", u"Bernd")});
    }

    test::TempDir dir;
    DbfTable table;
    const sys_days june1 {2026y / June / 1};
    const sys_days june30 {2026y / June / 30};
    const Translator german = [](std::u16string_view text) { return std::u16string(text); };
};

TEST_F(WorkedMonth, OneEmployeesDaysSumsBalancesAndVacation)
{
    const TimesheetData data = loadTimesheetData(dir.path(), kGerman);
    const TimesheetRows gathered = gatherTimesheetRows(table, kGerman);
    const ReportTable report = BuildTimesheetReport(table, gathered, data, u"Anna", june1, june30, kGerman, german);
    EXPECT_THAT(report.heading,
                ElementsAre(u"Monatsnachweis Anna", u"Zeitraum von: 01.06.2026 bis: 30.06.2026", u"Bundesland: Bayern",
                            u"Zeilen in sollzeit.dbf oder abwesend.dbf, die nicht gelesen werden können, zählen "
                            u"nicht mit."));
    ASSERT_EQ(report.rows.size(), 30u);
    const auto day = [&](int d) {
        std::vector<std::u16string> cells;
        for (std::size_t c = 0; c < report.rows[static_cast<std::size_t>(d - 1)].size(); ++c)
            cells.emplace_back(report.rows[static_cast<std::size_t>(d - 1)][c]);
        return cells;
    };
    EXPECT_THAT(day(1), ElementsAre(u"Mo 01.06.2026", u"08:00–17:00", u"0,50", u"8,50", u"8,00", u"+0,50", u""));
    EXPECT_THAT(day(3),
                ElementsAre(u"Mi 03.06.2026", u"08:00–12:00, 12:30–17:00", u"", u"8,50", u"8,00", u"+0,50", u""));
    EXPECT_THAT(day(4),
                ElementsAre(u"Do 04.06.2026", u"10:00–12:00", u"", u"2,00", u"0,00", u"+2,00", u"Fronleichnam"));
    EXPECT_THAT(day(5), ElementsAre(u"Fr 05.06.2026", u"", u"", u"8,00", u"8,00", u"0,00", u"Urlaub"));
    EXPECT_THAT(day(6), ElementsAre(u"Sa 06.06.2026", u"", u"", u"", u"", u"", u"Urlaub"));
    EXPECT_THAT(day(17), ElementsAre(u"Mi 17.06.2026", u"", u"", u"8,00", u"8,00", u"0,00", u"Krank"));
    EXPECT_THAT(day(19), ElementsAre(u"Fr 19.06.2026", u"", u"", u"0,00", u"6,00", u"-6,00", u"Freizeitausgleich"));
    EXPECT_THAT(day(26), ElementsAre(u"Fr 26.06.2026", u"", u"", u"0,00", u"6,00", u"-6,00", u""));

    // Soll: 20 weekdays of 8 hours less Fronleichnam, and the row from the 15th with 6 on Fridays.
    // Ist: 44 worked, 48 of vacation (five and a day) and 8 of sickness credited.
    std::vector<std::u16string> summary;
    for (const ReportSummary& s : report.summary)
        summary.push_back(s.label + u' ' + s.value);
    EXPECT_THAT(summary, ElementsAre(u"Soll: 164,00", u"Ist: 100,00", u"Differenz: -64,00", u"Übertrag: +10,00",
                                     u"Saldo: -54,00", u"Urlaub genommen: 6", u"Resturlaub: 24"));
    EXPECT_THAT(reportLines(report), testing::Contains(u"Datum, Unterschrift Arbeitgeber"));

    const ReportTable july = BuildTimesheetReport(table, gathered, data, u"Anna", sys_days(2026y / July / 1),
                                                  sys_days(2026y / July / 3), kGerman, german);
    EXPECT_EQ(july.summary[3].value, u"-54,00");
}

TEST_F(WorkedMonth, EveryEmployeeWithTargetsOnOneLine)
{
    const TimesheetData data = loadTimesheetData(dir.path(), kGerman);
    const TimesheetRows gathered = gatherTimesheetRows(table, kGerman);
    const ReportTable report = BuildTimesheetOverview(gathered, data, u"Alle Mitarbeiter", june1, june30, kGerman,
                                                      german);
    const std::vector<std::u16string> lines = reportLines(report);
    EXPECT_EQ(lines[0], u"Monatsnachweis Alle Mitarbeiter");
    // Bremen keeps no Fronleichnam: 22 weekdays of 8 hours.
    EXPECT_THAT(std::vector<std::u16string>(lines.begin() + 4, lines.begin() + 7),
                ElementsAreArray({u"Mitarbeiter     Soll      Ist Differenz    Saldo Resturlaub",
                                  u"Anna          164,00   100,00    -64,00   -54,00         24",
                                  u"Bernd         176,00     8,00   -168,00  -168,00       27,5"}));
}

}  // namespace
}  // namespace horavant
