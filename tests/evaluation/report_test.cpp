// The evaluation reports built from real tables: the worked example, columns, selection, totals.
#include "evaluation/report.h"

#include "store/dbf_table.h"
#include "store/text.h"
#include "support/temp_dir.h"
#include "support/work_time_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <thread>

namespace horavant {
namespace {

using namespace std::chrono;
using test::Row;
using testing::ElementsAre;
using Lines = std::vector<std::u16string>;

const std::map<int, std::u16string> kGermanMessages = {
    {23, u"Auswertung Mitarbeiter"},
    {24, u"Zeitraum von:"},
    {25, u"bis:"},
    {26, u"Auswärts"},
    {27, u"Auswärtsübernachtungen:"},
    {28, u"Abgezogene Pausenzeit in Stunden:"},
    {29, u"Gesamtstunden:"},
    {31, u"Auswertung Ort/Baustelle/Kunde"},
    {34, u"Auswertung Tätigkeit"},
    {35, u"Pause"},
    {36, u"Datum"},
    {37, u"Ort"},
    {38, u"Tätigkeit"},
    {39, u"Von"},
    {40, u"Bis"},
    {41, u"Übernachtung"},
    {42, u"Bemerkungen"},
    {43, u"Mitarbeiter"},
};

std::u16string german(int number)
{
    const auto it = kGermanMessages.find(number);
    return it == kGermanMessages.end() ? u"?" : it->second;
}

const Regional kEnglish {DateOrder::MonthDayYear, u'/', u':', u'.'};

constexpr sys_days day(int d, int m, int y = 2012)
{
    return sys_days(year(y) / month(static_cast<unsigned>(m)) / static_cast<unsigned>(d));
}

class Evaluation : public testing::Test {
protected:
    Evaluation() { test::createWorkTimeTable(table, dir.path()); }

    Lines build(EvaluationLayout layout, std::u16string_view subject, sys_days from = day(1, 3),
                sys_days to = day(31, 3), bool showBreaks = true, const Regional& regional = Regional::german(),
                const std::function<std::u16string(int)>& messages = german)
    {
        return BuildEvaluation(table, layout, subject, from, to, showBreaks, regional, messages);
    }

    // The last three lines: away count, break total, work total.
    Lines summary(const Lines& lines) { return Lines(lines.end() - 3, lines.end()); }

    void addWorkedExample()
    {
        test::appendRows(table, {Row {.date = u"05.03.2012",
                                      .place = u"Baustelle Nord",
                                      .from = u"07:30",
                                      .to = u"16:15",
                                      .remarks = u"Gerüst aufgebaut",
                                      .away = u"True",
                                      .pause = u"00:45"},
                                 Row {.date = u"05.03.2012", .employee = u"Müller", .away = u"True"},
                                 Row {.date = u"31.03.2012",
                                      .place = u"Lager",
                                      .activity = u"Aufräumen",
                                      .from = u"08:00",
                                      .to = u"12:00",
                                      .pause = u""},
                                 Row {.date = u"01.04.2012", .away = u"True"}});
    }

    test::TempDir dir;
    DbfTable table;
};

TEST_F(Evaluation, WorkedExampleLineForLine)
{
    addWorkedExample();
    EXPECT_THAT(build(EvaluationLayout::Employee, u"Meier"),
                ElementsAre(u"Auswertung Mitarbeiter Meier", u"Zeitraum von: 01.03.2012 bis: 31.03.2012", u"",
                            u"Datum      Ort                       Tätigkeit                           Von   Bis   "
                            u"Übernachtung Pause Bemerkungen",
                            u"05.03.2012 Baustelle Nord            Maurern                             07:30 16:15 "
                            u"Auswärts     00:45 Gerüst aufgebaut",
                            u"31.03.2012 Lager                     Aufräumen                           08:00 12:00 "
                            u"                   ",
                            u"", u"Auswärtsübernachtungen: 1", u"Abgezogene Pausenzeit in Stunden: 0,75",
                            u"Gesamtstunden: 12,00"));
}

TEST_F(Evaluation, StoredFormsAreReadUnderEnglishSettings)
{
    addWorkedExample();
    EXPECT_THAT(
        summary(build(EvaluationLayout::Employee, u"Meier", day(1, 3), day(31, 3), true, kEnglish)),
        ElementsAre(u"Auswärtsübernachtungen: 1", u"Abgezogene Pausenzeit in Stunden: 0.75", u"Gesamtstunden: 12.00"));
}

TEST_F(Evaluation, BreakColumnOffStillDeductsTheBreaks)
{
    addWorkedExample();
    const Lines lines = build(EvaluationLayout::Employee, u"Meier", day(1, 3), day(31, 3), false);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[3],
              u"Datum      Ort                       Tätigkeit                           Von   Bis   "
              u"Übernachtung Bemerkungen");
    EXPECT_EQ(lines[4],
              u"05.03.2012 Baustelle Nord            Maurern                             07:30 16:15 "
              u"Auswärts     Gerüst aufgebaut");
    EXPECT_THAT(summary(lines), ElementsAre(u"Auswärtsübernachtungen: 1", u"Abgezogene Pausenzeit in Stunden: 0,75",
                                            u"Gesamtstunden: 12,00"));
}

TEST_F(Evaluation, FromAfterToGivesTitlesAndZeroTotals)
{
    addWorkedExample();
    EXPECT_THAT(build(EvaluationLayout::Employee, u"Meier", day(31, 3), day(1, 3), false),
                ElementsAre(u"Auswertung Mitarbeiter Meier", u"Zeitraum von: 31.03.2012 bis: 01.03.2012", u"",
                            u"Datum      Ort                       Tätigkeit                           Von   Bis   "
                            u"Übernachtung Bemerkungen",
                            u"", u"Auswärtsübernachtungen: 0", u"Abgezogene Pausenzeit in Stunden: 0,00",
                            u"Gesamtstunden: 0,00"));
}

TEST_F(Evaluation, PeriodEndsAreInclusiveWholeDays)
{
    test::appendRows(
        table, {Row {.date = u"29.02.2012", .remarks = u"before"}, Row {.date = u"01.03.2012", .remarks = u"first"},
                Row {.date = u"31.03.2012", .remarks = u"last"}, Row {.date = u"01.04.2012", .remarks = u"after"},
                Row {.date = u"15.03.2011", .remarks = u"year before"}});
    const Lines lines = build(EvaluationLayout::Employee, u"Meier");
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_TRUE(lines[4].ends_with(u" first"));
    EXPECT_TRUE(lines[5].ends_with(u" last"));
    EXPECT_EQ(lines.back(), u"Gesamtstunden: 8,00");
}

TEST_F(Evaluation, SubjectsDifferingInCaseAreSeparate)
{
    test::appendRows(table, {Row {.employee = u"Meier"}, Row {.employee = u"meier", .to = u"09:00"},
                             Row {.employee = u"Meier "}, Row {.employee = u""}, Row {.employee = u"meier"}});
    EXPECT_THAT(CollectSubjects(table, subjectPosition(EvaluationLayout::Employee)),
                ElementsAre(u"Meier", u"meier", u""));
    EXPECT_EQ(build(EvaluationLayout::Employee, u"Meier").back(), u"Gesamtstunden: 8,00");
    EXPECT_EQ(build(EvaluationLayout::Employee, u"meier").back(), u"Gesamtstunden: 5,00");
    EXPECT_EQ(build(EvaluationLayout::Employee, u"").back(), u"Gesamtstunden: 4,00");
}

// Subjects are matched on the stored bytes: a text outside the code page is stored with '?' and
// must not match a row that holds a real '?'; the code page's special characters match themselves.
TEST_F(Evaluation, SubjectsAreMatchedExactlyThroughTheCodePage)
{
    test::appendRows(table, {Row {.employee = u"M?ller"}, Row {.employee = u"Mü\u0160ller", .to = u"09:00"},
                             Row {.employee = u"\u0081"}});
    EXPECT_THAT(CollectSubjects(table, subjectPosition(EvaluationLayout::Employee)),
                ElementsAre(u"M?ller", u"Mü\u0160ller", u"\u0081"));
    EXPECT_EQ(build(EvaluationLayout::Employee, u"M\u0101ller").back(), u"Gesamtstunden: 0,00");
    EXPECT_EQ(build(EvaluationLayout::Employee, u"M?ller").back(), u"Gesamtstunden: 4,00");
    EXPECT_EQ(build(EvaluationLayout::Employee, u"Mü\u0160ller").back(), u"Gesamtstunden: 1,00");
    EXPECT_EQ(build(EvaluationLayout::Employee, u"\u0081").back(), u"Gesamtstunden: 4,00");
}

// The report visits only the records the gathering scan found with the subject, unless the file
// changed since: then it reads the whole table again, as another copy's edit may have made a row
// the subject's.
TEST_F(Evaluation, GatheredSubjectsGiveTheSameReportAndAChangedFileIsReadAgain)
{
    addWorkedExample();
    test::appendRows(table, {Row {.employee = u"Schulz", .remarks = u"Schulz"}, Row {.date = u"06.03.2012"}});
    // Meier's rows are few enough among the others' to be read one by one; Schulz's lie on both
    // sides of the period's ends.
    test::appendRows(table, std::vector<Row>(4, Row {.date = u"01.02.2012", .employee = u"Schulz"}));
    for (const char16_t* date : {u"29.02.2012", u"31.03.2012", u"01.04.2012", u"1.3.12"})
        test::appendRows(table, {Row {.date = date, .employee = u"Schulz", .to = u"09:00"}});
    const auto layout = EvaluationLayout::Employee;
    const Lines whole = build(layout, u"Meier");
    const DatedTextRows gathered = GatherSubjects(table, subjectPosition(layout), Regional::german());
    EXPECT_THAT(gathered.subjects.texts, ElementsAre(u"Meier", u"Müller", u"Schulz"));
    const auto fromGathered = [&](std::u16string_view subject) {
        return BuildEvaluation(table, layout, subject, day(1, 3), day(31, 3), true, Regional::german(), german,
                               &gathered);
    };
    EXPECT_EQ(fromGathered(u"Meier"), whole);
    EXPECT_EQ(fromGathered(u"Schulz"), build(layout, u"Schulz"));
    EXPECT_EQ(fromGathered(u"Niemand"), build(layout, u"Niemand"));

    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // past a coarse file clock's tick
    DbfTable other;
    other.setFolder(dir.path());
    other.setTableName("arbeitszeit.dbf");
    other.Open();
    ASSERT_TRUE(other.gotoRecord(4));
    other.Edit();
    other.setFieldText(1, u"Meier");
    other.Post();
    const Lines edited = fromGathered(u"Meier");
    EXPECT_EQ(edited.size(), whole.size() + 1);
    EXPECT_EQ(edited, build(layout, u"Meier"));
}

TEST_F(Evaluation, UnreadableFieldsAndTheirEffectOnTotals)
{
    test::appendRows(table, {
                                Row {.remarks = u"empty break", .pause = u""},
                                Row {.remarks = u"invalid break", .pause = u"0:7"},
                                Row {.to = u"", .remarks = u"empty end", .away = u"True", .pause = u"01:00"},
                                Row {.to = u"25:00", .remarks = u"invalid end", .away = u"True", .pause = u"01:00"},
                                Row {.from = u"8.00", .remarks = u"invalid start", .pause = u"01:00"},
                                Row {.date = u"2012-03-01", .remarks = u"iso date", .away = u"True"},
                                Row {.date = u"1.3.12", .remarks = u"short year", .away = u"True"},
                                Row {.date = u"", .remarks = u"no date", .away = u"True"},
                                Row {.from = u"12:00", .to = u"11:00", .remarks = u"reversed", .pause = u"00:30"},
                                Row {.from = u"24:00", .to = u"24:00", .remarks = u"midnight start"},
                                Row {.from = u"22:00", .to = u"24:00", .remarks = u"until midnight"},
                            });
    const Lines lines = build(EvaluationLayout::Employee, u"Meier");
    ASSERT_EQ(lines.size(), 3u + 1u + 8u + 1u + 3u);
    const std::vector<std::u16string> listed = {u"empty break",    u"invalid break", u"empty end",
                                                u"invalid end",    u"invalid start", u"reversed",
                                                u"midnight start", u"until midnight"};
    for (std::size_t i = 0; i < listed.size(); ++i)
        EXPECT_TRUE(lines[4 + i].ends_with(u" " + listed[i])) << toUtf8(listed[i]);
    // 4 + 4 hours from the two rows with unreadable breaks, 2 until midnight; the reversed row,
    // written by another program, counts no time and no break; 24:00 ends a period but starts none.
    EXPECT_THAT(summary(lines), ElementsAre(u"Auswärtsübernachtungen: 2", u"Abgezogene Pausenzeit in Stunden: 0,00",
                                            u"Gesamtstunden: 10,00"));
}

TEST_F(Evaluation, TwoAwayRowsOnOneDateCountTwice)
{
    test::appendRows(table, {Row {.away = u"True"}, Row {.from = u"13:00", .to = u"17:00", .away = u"True"}});
    EXPECT_EQ(summary(build(EvaluationLayout::Employee, u"Meier"))[0], u"Auswärtsübernachtungen: 2");
}

TEST_F(Evaluation, AwayRowsCountInThePlaceAndActivityReportsWithoutAMark)
{
    test::appendRows(table, {Row {.away = u"True"}});
    for (EvaluationLayout layout : {EvaluationLayout::Place, EvaluationLayout::Activity}) {
        const Lines lines = build(layout, layout == EvaluationLayout::Place ? u"Bau" : u"Maurern");
        EXPECT_EQ(lines[4].find(u"Auswärts"), std::u16string::npos);
        EXPECT_EQ(summary(lines)[0], u"Auswärtsübernachtungen: 1");
    }
}

TEST_F(Evaluation, EmptyPlaceIsASubjectListingItsRows)
{
    test::appendRows(table, {Row {.place = u""}, Row {.employee = u"Müller", .place = u""}});
    EXPECT_THAT(CollectSubjects(table, subjectPosition(EvaluationLayout::Place)), ElementsAre(u""));
    const Lines lines = build(EvaluationLayout::Place, u"");
    EXPECT_EQ(lines[0], u"Auswertung Ort/Baustelle/Kunde ");
    EXPECT_EQ(lines.size(), 4u + 2u + 4u);
}

// Each sum is exact: two rows of 1 h 47 min 11 s and 6 h 27 min 31 s make exactly 8.245 h, which
// a sum of fractions of a day in floating point puts a little below and prints 8,24. The time
// fields of the program's table hold HH:MM only, so this table has wider ones.
TEST_F(Evaluation, TotalsAreExactToTheMillisecond)
{
    DbfTable wide;
    wide.setFolder(dir.path());
    wide.setTableName("wide.dbf");
    test::defineWorkTimeFields(wide, 8);
    wide.CreateTable();
    wide.Open();
    test::appendRows(wide,
                     {Row {.from = u"08:35:14", .to = u"10:22:25"}, Row {.from = u"06:43:14", .to = u"13:10:45"}});
    EXPECT_EQ(BuildEvaluation(wide, EvaluationLayout::Employee, u"Meier", day(1, 3), day(31, 3), false,
                              Regional::german(), german)
                  .back(),
              u"Gesamtstunden: 8,25");
}

TEST_F(Evaluation, LongValuePushesOnlyItsOwnLine)
{
    const std::u16string longPlace(30, u'P');
    test::appendRows(table, {Row {.place = longPlace}, Row {}});
    const Lines lines = build(EvaluationLayout::Employee, u"Meier");
    EXPECT_EQ(lines[3].find(u"Tätigkeit"), 37u);
    EXPECT_EQ(lines[4].find(u"Maurern"), 42u);
    EXPECT_EQ(lines[5].find(u"Maurern"), 37u);
}

TEST_F(Evaluation, TranslatedTitleWidensItsColumnForTheWholeReport)
{
    test::appendRows(table, {Row {}, Row {.place = u"Lager"}});
    const auto english = [](int n) {
        switch (n) {
        case 37: return std::u16string(u"Place/site/customer of the work");  // 31 characters
        case 41: return std::u16string(u"Away overnight stay");  // 19 characters
        default: return german(n);
        }
    };
    const Lines lines = build(EvaluationLayout::Employee, u"Meier", day(1, 3), day(31, 3), true, Regional::german(),
                              english);
    for (std::size_t i : {3u, 4u, 5u}) {
        EXPECT_EQ(lines[i].find(i == 3 ? u"Tätigkeit" : u"Maurern"), 11u + 31u + 1u) << i;
        EXPECT_EQ(lines[i].find(i == 3 ? u"Pause" : u"00:00"), 79u + 6u + 6u + 19u + 1u) << i;
    }
}

struct ColumnCase {
    const char* name;
    EvaluationLayout layout;
    std::u16string subject;
    bool showBreaks;
    // Text and its first column counted from 1, on the column title line and on the row line.
    std::vector<std::pair<std::u16string, std::size_t>> titles;
    std::vector<std::pair<std::u16string, std::size_t>> values;
    std::vector<std::u16string> absent;

    friend void PrintTo(const ColumnCase& c, std::ostream* os) { *os << c.name; }
};

class ColumnPositions : public Evaluation, public testing::WithParamInterface<ColumnCase> {};

TEST_P(ColumnPositions, WithGermanTitles)
{
    const ColumnCase& c = GetParam();
    test::appendRows(table, {Row {.date = u"05.03.2012",
                                  .place = u"Baustelle Nord",
                                  .from = u"07:30",
                                  .to = u"16:15",
                                  .remarks = u"Gerüst",
                                  .away = u"True",
                                  .pause = u"00:45"}});
    const Lines lines = build(c.layout, c.subject, day(1, 3), day(31, 3), c.showBreaks);
    ASSERT_EQ(lines.size(), 9u);
    for (const auto& [text, column] : c.titles)
        EXPECT_EQ(lines[3].find(text) + 1, column) << toUtf8(text);
    for (const auto& [text, column] : c.values)
        EXPECT_EQ(lines[4].find(text) + 1, column) << toUtf8(text);
    EXPECT_EQ(lines[3].size(), c.titles.back().second + 10);
    EXPECT_EQ(lines[4].size(), c.values.back().second + 5);
    for (const std::u16string& text : c.absent) {
        EXPECT_EQ(lines[3].find(text), std::u16string::npos) << toUtf8(text);
        EXPECT_EQ(lines[4].find(text), std::u16string::npos) << toUtf8(text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ColumnPositions,
    testing::Values(
        ColumnCase {"EmployeeWithBreaks",
                    EvaluationLayout::Employee,
                    u"Meier",
                    true,
                    {{u"Datum", 1},
                     {u"Ort", 12},
                     {u"Tätigkeit", 38},
                     {u"Von", 74},
                     {u"Bis", 80},
                     {u"Übernachtung", 86},
                     {u"Pause", 99},
                     {u"Bemerkungen", 105}},
                    {{u"05.03.2012", 1},
                     {u"Baustelle Nord", 12},
                     {u"Maurern", 38},
                     {u"07:30", 74},
                     {u"16:15", 80},
                     {u"Auswärts", 86},
                     {u"00:45", 99},
                     {u"Gerüst", 105}},
                    {u"Meier"}},
        ColumnCase {"EmployeeWithoutBreaks",
                    EvaluationLayout::Employee,
                    u"Meier",
                    false,
                    {{u"Datum", 1},
                     {u"Ort", 12},
                     {u"Tätigkeit", 38},
                     {u"Von", 74},
                     {u"Bis", 80},
                     {u"Übernachtung", 86},
                     {u"Bemerkungen", 99}},
                    {{u"05.03.2012", 1},
                     {u"Baustelle Nord", 12},
                     {u"Maurern", 38},
                     {u"07:30", 74},
                     {u"16:15", 80},
                     {u"Auswärts", 86},
                     {u"Gerüst", 99}},
                    {u"Pause", u"00:45"}},
        ColumnCase {"PlaceWithBreaks",
                    EvaluationLayout::Place,
                    u"Baustelle Nord",
                    true,
                    {{u"Datum", 1},
                     {u"Mitarbeiter", 12},
                     {u"Tätigkeit", 38},
                     {u"Von", 74},
                     {u"Bis", 80},
                     {u"Pause", 86},
                     {u"Bemerkungen", 92}},
                    {{u"05.03.2012", 1},
                     {u"Meier", 12},
                     {u"Maurern", 38},
                     {u"07:30", 74},
                     {u"16:15", 80},
                     {u"00:45", 86},
                     {u"Gerüst", 92}},
                    {u"Übernachtung", u"Auswärts", u"Baustelle"}},
        ColumnCase {
            "PlaceWithoutBreaks",
            EvaluationLayout::Place,
            u"Baustelle Nord",
            false,
            {{u"Datum", 1}, {u"Mitarbeiter", 12}, {u"Tätigkeit", 38}, {u"Von", 74}, {u"Bis", 80}, {u"Bemerkungen", 86}},
            {{u"05.03.2012", 1}, {u"Meier", 12}, {u"Maurern", 38}, {u"07:30", 74}, {u"16:15", 80}, {u"Gerüst", 86}},
            {u"Übernachtung", u"Auswärts", u"Pause", u"00:45"}},
        ColumnCase {"ActivityWithBreaks",
                    EvaluationLayout::Activity,
                    u"Maurern",
                    true,
                    {{u"Datum", 1},
                     {u"Mitarbeiter", 12},
                     {u"Ort", 43},
                     {u"Von", 74},
                     {u"Bis", 80},
                     {u"Pause", 86},
                     {u"Bemerkungen", 92}},
                    {{u"05.03.2012", 1},
                     {u"Meier", 12},
                     {u"Baustelle Nord", 43},
                     {u"07:30", 74},
                     {u"16:15", 80},
                     {u"00:45", 86},
                     {u"Gerüst", 92}},
                    {u"Übernachtung", u"Auswärts", u"Maurern"}},
        ColumnCase {
            "ActivityWithoutBreaks",
            EvaluationLayout::Activity,
            u"Maurern",
            false,
            {{u"Datum", 1}, {u"Mitarbeiter", 12}, {u"Ort", 43}, {u"Von", 74}, {u"Bis", 80}, {u"Bemerkungen", 86}},
            {{u"05.03.2012", 1},
             {u"Meier", 12},
             {u"Baustelle Nord", 43},
             {u"07:30", 74},
             {u"16:15", 80},
             {u"Gerüst", 86}},
            {u"Übernachtung", u"Auswärts", u"Pause", u"00:45"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EvaluationHeadings, NameTheSubjectAndThePeriod)
{
    EXPECT_EQ(FormatPeriodDate(2012y / March / 5), u"05.03.2012");
    EXPECT_EQ(PadRight(u"abc", 5), u"abc  ");
    EXPECT_EQ(PadRight(u"abcdef", 5), u"abcdef");
    EXPECT_EQ(PadZeros(u"7", 2), u"07");
    EXPECT_EQ(PadZeros(u"2012", 2), u"2012");
}

// A row keeps its cells in one string, each after its length: empty cells, a cell longer than one
// unit can count, and a cell it does not have.
TEST(ReportRowCells, KeepTheirTextsWhateverTheirLength)
{
    const std::u16string longCell(70'000, u'x');
    ReportRow row {u"", longCell, u"Müller"};
    row.push_back(u"");
    ASSERT_EQ(row.size(), 4u);
    EXPECT_EQ(row[0], u"");
    EXPECT_EQ(row[1], longCell);
    EXPECT_EQ(row[2], u"Müller");
    EXPECT_EQ(row[3], u"");
    EXPECT_EQ(row[4], u"");
}

struct HoursCase {
    const char* name;
    std::int64_t ms;
    std::u16string german;

    friend void PrintTo(const HoursCase& c, std::ostream* os) { *os << c.name; }
};

class FormatHoursCases : public testing::TestWithParam<HoursCase> {};

TEST_P(FormatHoursCases, RoundHalfAwayFromZero)
{
    EXPECT_EQ(FormatHours(GetParam().ms, Regional::german()), GetParam().german);
}

constexpr std::int64_t kHour = 3'600'000;

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatHoursCases,
    testing::Values(HoursCase {"Zero", 0, u"0,00"}, HoursCase {"AlmostEight", 8 * kHour - 1, u"8,00"},
                    HoursCase {"EightAndAQuarter", 8 * kHour + kHour / 4, u"8,25"},
                    HoursCase {"ExactHalfHundredth", 29'682'000, u"8,25"}, HoursCase {"HalfUp", 18'000, u"0,01"},
                    HoursCase {"BelowHalf", 17'999, u"0,00"}, HoursCase {"NegativeHalf", -18'000, u"-0,01"},
                    HoursCase {"NegativeBelowHalfHasNoSign", -17'999, u"0,00"},
                    HoursCase {"NegativeHours", -90 * 60'000, u"-1,50"},
                    HoursCase {"NoGrouping", 12'345 * kHour, u"12345,00"},
                    HoursCase {"ThreeQuarters", 45 * 60'000, u"0,75"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FormatHoursSeparator, IsTheRegionalOne)
{
    EXPECT_EQ(FormatHours(12 * kHour, kEnglish), u"12.00");
}

}  // namespace
}  // namespace horavant
