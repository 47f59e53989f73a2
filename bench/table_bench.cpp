// The table layer on a million work-time records: full scan and open-to-last-record against a
// raw sequential read of the same file, and durable appends against a raw durable write.
#include "bench_support.h"

#include "store/dbf_table.h"
#include "store/posix_file.h"

#include <fcntl.h>
#include <unistd.h>

namespace horavant::bench {
namespace {

BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScanAllFields)->Unit(benchmark::kMillisecond);

void BM_OpenAndReachLastRecord(benchmark::State& state)
{
    const auto path = workTimeTable(benchRecords());
    for (auto _ : state) {
        DbfTable t;
        openTable(t, path);
        const std::size_t n = t.visibleCount();
        benchmark::DoNotOptimize(t.fieldTextOf(t.peekRecord(t.visibleRecord(n - 1)), 1));
    }
}
BENCHMARK(BM_OpenAndReachLastRecord)->Unit(benchmark::kMillisecond);

void BM_RawDurableWrite(benchmark::State& state)
{
    const auto path = dataDir() / "raw-append.bin";
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644));
    std::vector<char> rec(263, ' ');
    std::uint64_t offset = 0;
    for (auto _ : state) {
        writeFullyAt(fd.get(), rec.data(), rec.size(), offset);
        offset += rec.size();
        ::fdatasync(fd.get());
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_RawDurableWrite)->Iterations(10000)->Unit(benchmark::kMicrosecond);

void BM_DurableAppend(benchmark::State& state)
{
    const auto dir = dataDir();
    DbfTable t;
    t.setFolder(dir);
    t.setTableName("append-bench.dbf");
    defineWorkTimeFields(t);
    t.CreateTable();
    t.Open();
    const std::vector<std::u16string> values = {
        u"01.03.2012", u"Mitarbeiter 1", u"Baustelle 1", u"Tätigkeit 1", u"08:00", u"16:00",
        u"",           u"False",         u"00:30",       u"False"};
    for (auto _ : state)
        t.AppendRecord(values);
    t.Close();
    std::filesystem::remove(dir / "append-bench.dbf");
}
BENCHMARK(BM_DurableAppend)->Iterations(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace horavant::bench

int main(int argc, char** argv)
{
    return horavant::bench::runWithRatios(
        argc, argv,
        {{"BM_FullScanAllFields", "BM_RawRead"},
         {"BM_OpenAndReachLastRecord", "BM_RawRead"},
         {"BM_DurableAppend/iterations:10000", "BM_RawDurableWrite/iterations:10000"}});
}
