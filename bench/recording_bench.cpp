// One recording on a million work-time records: the double-booking scan of the whole table and
// the durable append of the new row, against a raw read and a scan of every field of the file.
#include "bench_support.h"

#include "recording/recording.h"
#include "store/dbf_table.h"
#include "store/work_time_text.h"

namespace horavant::bench {
namespace {

using namespace std::chrono;

BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScanAllFields)->Unit(benchmark::kMillisecond);

// 17.04.2010 holds about 900 rows, 22 or 23 of them by this employee, none at night: the scan
// meets rows to compare and still has to read to the end of the table.
constexpr sys_days kDay = sys_days(2010y / April / 17);
constexpr char16_t kEmployee[] = u"Mitarbeiter 7";

void BM_OverlapScan(benchmark::State& state)
{
    DbfTable t;
    openTable(t, workTimeTable(benchRecords()));
    for (auto _ : state) {
        const auto hit = findOverlap(t, kEmployee, kDay, 3 * kMsPerHour, 4 * kMsPerHour, Regional::german());
        if (hit)
            state.SkipWithError("unexpected overlap");
        benchmark::DoNotOptimize(hit);
    }
}
BENCHMARK(BM_OverlapScan)->Unit(benchmark::kMillisecond);

// The appended rows go to a small table of their own, so the shared million-record file stays
// as generated.
void BM_Recording(benchmark::State& state)
{
    DbfTable t;
    openTable(t, workTimeTable(benchRecords()));
    DbfTable target;
    target.setFolder(dataDir());
    target.setTableName("recording-bench.dbf");
    defineWorkTimeFields(target);
    target.CreateTable();
    target.Open();
    const WorkPeriod period {.date = 2010y / April / 17,
                             .employee = kEmployee,
                             .place = u"Baustelle 1",
                             .activity = u"Tätigkeit 1",
                             .from = 3 * kMsPerHour,
                             .to = 4 * kMsPerHour,
                             .remarks = u"",
                             .away = false,
                             .breakTime = 0,
                             .doubleBooking = false};
    for (auto _ : state) {
        if (findOverlap(t, period.employee, sys_days(period.date), period.from, period.to, Regional::german()))
            state.SkipWithError("unexpected overlap");
        appendWorkPeriod(target, period);
    }
    target.Close();
    std::filesystem::remove(dataDir() / "recording-bench.dbf");
}
BENCHMARK(BM_Recording)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace horavant::bench

int main(int argc, char** argv)
{
    return horavant::bench::runWithRatios(argc, argv,
                                          {{"BM_OverlapScan", "BM_FullScanAllFields"},
                                           {"BM_OverlapScan", "BM_RawRead"},
                                           {"BM_Recording", "BM_FullScanAllFields"},
                                           {"BM_Recording", "BM_RawRead"}});
}
