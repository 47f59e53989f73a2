// The monthly timesheet on a million work-time records with 50 employees' target rows and 2,000
// absences, against a scan of every field and a raw read of the same file: one employee's month
// and everybody's year as the main window makes them (the gathering scan, then the report), and
// what the balance adds to an employee's login.
#include "bench_support.h"

#include "recording/suggestions.h"
#include "store/dbf_table.h"
#include "timesheet/balance.h"
#include "timesheet/timesheet_report.h"

namespace horavant::bench {
namespace {

using namespace std::chrono;

BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScanAllFields)->Unit(benchmark::kMillisecond);

const Translator kGerman = [](std::u16string_view text) { return std::u16string(text); };

void BM_MonatsnachweisOneEmployee(benchmark::State& state)
{
    DbfTable t;
    openTable(t, workTimeTable(benchRecords()));
    const auto folder = timesheetTables();
    std::size_t rows = 0;
    for (auto _ : state) {
        const TimesheetData data = loadTimesheetData(folder, Regional::german());
        const TimesheetRows gathered = gatherTimesheetRows(t, Regional::german());
        const ReportTable report = BuildTimesheetReport(t, gathered, data, u"Mitarbeiter 7",
                                                        sys_days(2011y / March / 1), sys_days(2011y / March / 31),
                                                        Regional::german(), kGerman);
        rows = report.rows.size();
        benchmark::DoNotOptimize(report.summary.data());
    }
    state.counters["days"] = static_cast<double>(rows);
}
BENCHMARK(BM_MonatsnachweisOneEmployee)->Unit(benchmark::kMillisecond);

void BM_MonatsnachweisEverybodyYear(benchmark::State& state)
{
    DbfTable t;
    openTable(t, workTimeTable(benchRecords()));
    const auto folder = timesheetTables();
    std::size_t rows = 0;
    for (auto _ : state) {
        const TimesheetData data = loadTimesheetData(folder, Regional::german());
        const TimesheetRows gathered = gatherTimesheetRows(t, Regional::german());
        const ReportTable report = BuildTimesheetOverview(gathered, data, u"Alle Mitarbeiter",
                                                          sys_days(2012y / January / 1),
                                                          sys_days(2012y / December / 31), Regional::german(), kGerman);
        rows = report.rows.size();
        benchmark::DoNotOptimize(report.rows.data());
    }
    state.counters["employees"] = static_cast<double>(rows);
}
BENCHMARK(BM_MonatsnachweisEverybodyYear)->Unit(benchmark::kMillisecond);

// The login's scan: both suggestion lists from the stored rows, without and with the balance.
void BM_LoginLists(benchmark::State& state)
{
    DbfTable t;
    openTable(t, workTimeTable(benchRecords()));
    for (auto _ : state) {
        const SuggestionLists lists = FillSuggestionLists(t, ProgramSettings {});
        benchmark::DoNotOptimize(lists.places.data());
    }
}
BENCHMARK(BM_LoginLists)->Unit(benchmark::kMillisecond);

void BM_LoginListsAndBalance(benchmark::State& state)
{
    DbfTable t;
    openTable(t, workTimeTable(benchRecords()));
    const auto folder = timesheetTables();
    std::int64_t balance = 0;
    for (auto _ : state) {
        AccountBalance account(folder, u"Mitarbeiter 7", sys_days(2013y / June / 30), Regional::german());
        const SuggestionLists lists = FillSuggestionLists(t, ProgramSettings {},
                                                          [&](const DbfTable& table) { account.take(table); });
        balance = account.balance();
        benchmark::DoNotOptimize(lists.places.data());
    }
    state.counters["balance_h"] = static_cast<double>(balance) / 3'600'000.0;
}
BENCHMARK(BM_LoginListsAndBalance)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace horavant::bench

int main(int argc, char** argv)
{
    return horavant::bench::runWithRatios(argc, argv,
                                          {{"BM_MonatsnachweisOneEmployee", "BM_FullScanAllFields"},
                                           {"BM_MonatsnachweisOneEmployee", "BM_RawRead"},
                                           {"BM_MonatsnachweisEverybodyYear", "BM_FullScanAllFields"},
                                           {"BM_MonatsnachweisEverybodyYear", "BM_RawRead"},
                                           {"BM_LoginListsAndBalance", "BM_LoginLists"}});
}
