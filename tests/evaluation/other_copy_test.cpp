// Two copies of the program on one folder: every action that reads the table sees the rows the
// other copy appended since, also where this copy gathered the rows before.
#include "evaluation/csv.h"
#include "evaluation/report.h"
#include "law/working_time_check.h"
#include "recording/recording.h"
#include "recording/suggestions.h"
#include "store/dbf_table.h"
#include "support/temp_dir.h"
#include "support/work_time_table.h"
#include "timesheet/timesheet_scan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace horavant {
namespace {

using namespace std::chrono;
using test::Row;

constexpr sys_days kDay = sys_days(year(2012) / March / 1);

bool has(const std::vector<std::u16string>& texts, std::u16string_view text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// This copy, with what it gathered before the other copy recorded.
struct Here {
    DbfTable table;
    DatedTextRows employees;
    LawCheckRows law;
    std::filesystem::path folder;
};

struct ReadingAction {
    const char* name;
    std::function<bool(Here&)> seesNewRow;  // the row of "Neu" at "Neubau", 08:00 to 20:00
};

class OtherCopysRows : public testing::TestWithParam<ReadingAction> {};

TEST_P(OtherCopysRows, AreTakenInByEveryActionThatReadsTheTable)
{
    test::TempDir dir;
    Here here;
    here.folder = dir.path();
    test::createWorkTimeTable(here.table, dir.path());
    test::appendRows(here.table, {Row {}});
    here.employees = GatherSubjects(here.table, 1, Regional::german());
    here.law = GatherLawCheckRows(here.table, Regional::german());
    here.table.First();

    DbfTable there;
    there.setFolder(dir.path());
    there.setTableName("arbeitszeit.dbf");
    there.Open();
    test::appendRows(there, {Row {.employee = u"Neu", .place = u"Neubau", .to = u"20:00"}});
    EXPECT_TRUE(GetParam().seesNewRow(here));
}

INSTANTIATE_TEST_SUITE_P(
    Actions, OtherCopysRows,
    testing::Values(
        ReadingAction {"OverlapCheck",
                       [](Here& h) {
                           return findOverlaps(h.table, u"Neu", {{kDay, 13 * 3600000, 14 * 3600000}},
                                               Regional::german())[0]
                               .has_value();
                       }},
        ReadingAction {"LoginSuggestions",
                       [](Here& h) { return has(FillSuggestionLists(h.table, ProgramSettings {}).places, u"Neubau"); }},
        ReadingAction {"EvaluationWithTheSubjectsGatheredBefore",
                       [](Here& h) {
                           return BuildEvaluation(
                                      h.table, EvaluationLayout::Employee, u"Neu", kDay, kDay, true, Regional::german(),
                                      [](int) { return u"-"; }, &h.employees)
                               .back()
                               .ends_with(u"12,00");
                       }},
        ReadingAction {
            "EvaluationSubjects",
            [](Here& h) { return has(GatherSubjects(h.table, 1, Regional::german()).subjects.texts, u"Neu"); }},
        ReadingAction {
            "LawCheckWithTheRowsGatheredBefore",
            [](Here& h) {
                return CheckWorkingTimeLaw(h.table, u"Neu", kDay, kDay, Regional::german(), &h.law).checkedDays == 1;
            }},
        ReadingAction {
            "Timesheet",
            [](Here& h) { return has(gatherTimesheetRows(h.table, Regional::german()).employees.texts, u"Neu"); }},
        ReadingAction {"Export",
                       [](Here& h) {
                           ExportRecordsCsv(h.table, h.folder / "out.csv", {{}, u"Ja", u"Nein"}, Regional::german());
                           return test::readFile(h.folder / "out.csv").find("Neubau") != std::string::npos;
                       }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace horavant
