// The evaluations on a million work-time records, against a scan of every field of the same file:
// gathering the employees and building the report of one of them over a month, and the
// working-time law check of every employee over the whole table.
#include "bench_support.h"

#include "evaluation/report.h"
#include "law/working_time_check.h"
#include "law/working_time_report.h"
#include "store/dbf_table.h"

#include <map>

namespace horavant::bench {
namespace {

using namespace std::chrono;

BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScanAllFields)->Unit(benchmark::kMillisecond);

std::u16string germanMessage(int number)
{
    static const std::map<int, std::u16string> texts = {{23, u"Auswertung Mitarbeiter"},
                                                        {24, u"Zeitraum von:"},
                                                        {25, u"bis:"},
                                                        {26, u"Auswärts"},
                                                        {27, u"Auswärtsübernachtungen:"},
                                                        {28, u"Abgezogene Pausenzeit in Stunden:"},
                                                        {29, u"Gesamtstunden:"},
                                                        {35, u"Pause"},
                                                        {36, u"Datum"},
                                                        {37, u"Ort"},
                                                        {38, u"Tätigkeit"},
                                                        {39, u"Von"},
                                                        {40, u"Bis"},
                                                        {41, u"Übernachtung"},
                                                        {42, u"Bemerkungen"}};
    const auto it = texts.find(number);
    return it == texts.end() ? std::u16string() : it->second;
}

// As the main window does it: the gathering scan remembers each record's employee and day, and the
// report reads only the chosen employee's records of the month.
void BM_Evaluation(benchmark::State& state)
{
    DbfTable t;
    openTable(t, workTimeTable(benchRecords()));
    std::size_t lines = 0;
    for (auto _ : state) {
        const auto gathered = GatherSubjects(t, subjectPosition(EvaluationLayout::Employee), Regional::german());
        const auto report = BuildEvaluation(t, EvaluationLayout::Employee, gathered.subjects.texts.at(7),
                                            sys_days(2011y / March / 1), sys_days(2011y / March / 31), true,
                                            Regional::german(), germanMessage, &gathered);
        lines = report.size();
        benchmark::DoNotOptimize(report.data());
    }
    state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_Evaluation)->Unit(benchmark::kMillisecond);

// "Alle Mitarbeiter" over every day of the table, up to the lines of the output window, with the
// states and absences of the timesheet's tables read as the main window reads them. The generated
// rows lie over each other (about 22 per employee and day), so every day has a double booking,
// and every Sunday and public holiday its finding.
void BM_WorkingTimeLawAll(benchmark::State& state)
{
    DbfTable t;
    openTable(t, workTimeTable(benchRecords()));
    const auto folder = timesheetTables();
    const sys_days from(2010y / January / 1);
    const sys_days to(2013y / December / 31);
    const auto translate = [](std::u16string_view text) { return std::u16string(text); };
    std::size_t lines = 0;
    std::size_t days = 0;
    for (auto _ : state) {
        const TimesheetData timesheet = loadUsableTimesheetData(folder, Regional::german());
        const WorkingTimeCheck check = CheckWorkingTimeLaw(t, std::nullopt, from, to, Regional::german(), nullptr,
                                                           &timesheet);
        const auto report = reportLines(
            BuildWorkingTimeReport(check, u"Alle Mitarbeiter", from, to, Regional::german(), translate));
        lines = report.size();
        days = check.checkedDays;
        benchmark::DoNotOptimize(report.data());
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.counters["days"] = static_cast<double>(days);
}
BENCHMARK(BM_WorkingTimeLawAll)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace horavant::bench

int main(int argc, char** argv)
{
    return horavant::bench::runWithRatios(argc, argv,
                                          {{"BM_Evaluation", "BM_FullScanAllFields"},
                                           {"BM_Evaluation", "BM_RawRead"},
                                           {"BM_WorkingTimeLawAll", "BM_FullScanAllFields"},
                                           {"BM_WorkingTimeLawAll", "BM_RawRead"}});
}
