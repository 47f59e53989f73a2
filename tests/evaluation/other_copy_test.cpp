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

// What this copy gathered before the other copy recorded.
struct Gathered {
    DistinctTextRows employees;
    LawCheckRows law;
};

struct ReadingAction {
    const char* name;
    // True when the action saw the row of "Neu" at "Neubau", 08:00 to 20:00.
    std::function<bool(DbfTable&, const Gathered&, const std::filesystem::path& folder)> seesNewRow;
};

class OtherCopysRows : public testing::TestWithParam<ReadingAction> {};

TEST_P(OtherCopysRows, AreTakenInByEveryActionThatReadsTheTable)
{
    test::TempDir dir;
    DbfTable here, there;
    test::createWorkTimeTable(here, dir.path());
    test::appendRows(here, {Row {}});
    there.setFolder(dir.path());
    there.setTableName("arbeitszeit.dbf");
    there.Open();
    const Gathered gathered {GatherSubjects(here, 1), GatherLawCheckRows(here, Regional::german())};
    here.First();

    test::appendRows(there, {Row {.employee = u"Neu", .place = u"Neubau", .to = u"20:00"}});
    EXPECT_TRUE(GetParam().seesNewRow(here, gathered, dir.path()));
}

const auto german = [](int) { return std::u16string(u"-"); };

INSTANTIATE_TEST_SUITE_P(
    Actions, OtherCopysRows,
    testing::Values(
        ReadingAction {"OverlapCheck",
                       [](DbfTable& t, const Gathered&, const auto&) {
                           const std::vector<DayPeriod> periods {{kDay, 13 * 3600000, 14 * 3600000}};
                           return findOverlaps(t, u"Neu", periods, Regional::german())[0].has_value();
                       }},
        ReadingAction {"LoginSuggestions",
                       [](DbfTable& t, const Gathered&, const auto&) {
                           return has(FillSuggestionLists(t, ProgramSettings {}).places, u"Neubau");
                       }},
        ReadingAction {"EvaluationWithTheSubjectsGatheredBefore",
                       [](DbfTable& t, const Gathered& g, const auto&) {
                           const auto lines = BuildEvaluation(t, EvaluationLayout::Employee, u"Neu", kDay, kDay, true,
                                                              Regional::german(), german, &g.employees);
                           return lines.back().ends_with(u"12,00");
                       }},
        ReadingAction {"EvaluationSubjects", [](DbfTable& t, const Gathered&,
                                                const auto&) { return has(GatherSubjects(t, 1).texts, u"Neu"); }},
        ReadingAction {"LawCheckWithTheRowsGatheredBefore",
                       [](DbfTable& t, const Gathered& g, const auto&) {
                           return CheckWorkingTimeLaw(t, u"Neu", kDay, kDay, Regional::german(), &g.law).checkedDays
                                  == 1;
                       }},
        ReadingAction {"Timesheet",
                       [](DbfTable& t, const Gathered&, const auto&) {
                           return has(gatherTimesheetRows(t, Regional::german()).employees.texts, u"Neu");
                       }},
        ReadingAction {"Export",
                       [](DbfTable& t, const Gathered&, const std::filesystem::path& folder) {
                           ExportRecordsCsv(t, folder / "out.csv", {{}, u"Ja", u"Nein"}, Regional::german());
                           return test::readFile(folder / "out.csv").find("Neubau") != std::string::npos;
                       }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace horavant
