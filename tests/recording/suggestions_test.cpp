// Suggestion lists from the stored rows or from the fixed texts.
#include "recording/suggestions.h"
#include "store/distinct_texts.h"

#include "store/dbf_table.h"
#include "store/work_time_text.h"
#include "support/temp_dir.h"
#include "support/work_time_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace horavant {
namespace {

using test::Row;
using testing::ElementsAre;
using testing::IsEmpty;
using Lines = std::vector<std::u16string>;

struct LinesCase {
    const char* name;
    std::u16string text;
    Lines expected;

    friend void PrintTo(const LinesCase& c, std::ostream* os) { *os << c.name; }
};

class TextLines : public testing::TestWithParam<LinesCase> {};

TEST_P(TextLines, SplitAtEveryKindOfLineBreak)
{
    EXPECT_EQ(textLines(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, TextLines,
                         testing::Values(LinesCase {"Empty", u"", {}}, LinesCase {"OneLine", u"Bau", {u"Bau"}},
                                         LinesCase {"CrLf", u"Bau\r\nLager", {u"Bau", u"Lager"}},
                                         LinesCase {"LfAndCr", u"A\nB\rC", {u"A", u"B", u"C"}},
                                         LinesCase {"FinalBreakAddsNothing", u"A\r\nB\r\n", {u"A", u"B"}},
                                         LinesCase {"BlankLineKept", u"A\r\n\r\nB", {u"A", u"", u"B"}},
                                         LinesCase {"OnlyABreak", u"\r\n", {u""}},
                                         LinesCase {"CrBeforeCrLf", u"A\r\r\nB", {u"A", u"", u"B"}},
                                         LinesCase {"LfCrIsTwoBreaks", u"A\n\rB", {u"A", u"", u"B"}},
                                         LinesCase {"BlanksKept", u" A \r\n B", {u" A ", u" B"}}),
                         [](const auto& info) { return std::string(info.param.name); });

class Suggestions : public testing::Test {
protected:
    Suggestions() { test::createWorkTimeTable(table, dir.path()); }

    test::TempDir dir;
    DbfTable table;
};

TEST_F(Suggestions, EmptyTableAndEmptyTextsGiveEmptyLists)
{
    ProgramSettings settings;
    SuggestionLists lists = FillSuggestionLists(table, settings);
    EXPECT_THAT(lists.places, IsEmpty());
    EXPECT_THAT(lists.activities, IsEmpty());
    settings.PlaceTextMode = 1;
    settings.ActivityTextMode = 1;
    test::appendRows(table, {Row {}});
    lists = FillSuggestionLists(table, settings);
    EXPECT_THAT(lists.places, IsEmpty());
    EXPECT_THAT(lists.activities, IsEmpty());
}

TEST_F(Suggestions, DistinctTextsOfAllEmployeesInOrderOfFirstAppearance)
{
    test::appendRows(table,
                     {Row {.place = u"Bau", .activity = u"Maurern"},
                      Row {.employee = u"Müller", .place = u"bau", .activity = u"Maurern"},
                      Row {.place = u"Bau", .activity = u"Putzen"}, Row {.place = u"Lager", .activity = u"maurern"},
                      Row {.place = u"Bau ", .activity = u"Putzen"}, Row {.place = u"bau", .activity = u"Maurern"},
                      Row {.place = u"", .activity = u" Putzen"}});
    const SuggestionLists lists = FillSuggestionLists(table, {});
    EXPECT_THAT(lists.places, ElementsAre(u"Bau", u"bau", u"Lager", u""));
    EXPECT_THAT(lists.activities, ElementsAre(u"Maurern", u"Putzen", u"maurern", u" Putzen"));
}

TEST_F(Suggestions, ModesWorkIndependently)
{
    test::appendRows(table, {Row {.place = u"Bau", .activity = u"Maurern"}});
    ProgramSettings settings;
    settings.PlaceTextMode = 1;
    settings.PlaceTexts = u"Nord\r\nSüd";
    settings.ActivityTexts = u"Fest";
    SuggestionLists lists = FillSuggestionLists(table, settings);
    EXPECT_THAT(lists.places, ElementsAre(u"Nord", u"Süd"));
    EXPECT_THAT(lists.activities, ElementsAre(u"Maurern"));

    settings.PlaceTextMode = 0;
    settings.ActivityTextMode = 7;  // any value but 0 is the fixed list
    lists = FillSuggestionLists(table, settings);
    EXPECT_THAT(lists.places, ElementsAre(u"Bau"));
    EXPECT_THAT(lists.activities, ElementsAre(u"Fest"));
}

// Many distinct texts interleaved with repeats keep their first-appearance order, short ones and
// long ones that share their first bytes or differ only in length alike.
TEST_F(Suggestions, CollectsManyDistinctTextsOnce)
{
    std::vector<Row> rows;
    Lines expected;
    for (int i = 0; i < 300; ++i) {
        const std::string n = std::to_string(i * 7919 % 1000);
        const std::string s = i % 3 == 0 ? n : i % 3 == 1 ? "Baustelle " + n : "Baustelle Nord " + n;
        const std::u16string text(s.begin(), s.end());
        rows.push_back(Row {.place = text});
        rows.push_back(Row {.place = text});
        rows.push_back(Row {.place = expected.empty() ? text : expected.front()});
        expected.push_back(text);
    }
    test::appendRows(table, rows);
    EXPECT_EQ(collectDistinctTexts(table, workfield::kPlace), expected);
}

}  // namespace
}  // namespace horavant
