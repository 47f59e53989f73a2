// Exporting a million work-time records to CSV, against a scan of every field of the same file.
#include "bench_support.h"

#include "evaluation/csv.h"
#include "store/dbf_table.h"

namespace horavant::bench {
namespace {

BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScanAllFields)->Unit(benchmark::kMillisecond);

void BM_ExportRecordsCsv(benchmark::State& state)
{
    DbfTable t;
    openTable(t, workTimeTable(benchRecords()));
    const RecordCsvTexts texts {recordCsvTitles(
                                    t, [](int) { return std::u16string(u"Feld"); }, u"Stunden"),
                                u"Ja", u"Nein"};
    const auto target = dataDir() / "export.csv";
    std::uint64_t calls = 0;
    for (auto _ : state) {
        ExportRecordsCsv(t, target, texts, Regional::german(), [&](std::uint64_t, std::uint64_t) {
            ++calls;
            return true;
        });
    }
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(target)) / 1e6;
    state.counters["progress calls"] = static_cast<double>(calls) / static_cast<double>(state.iterations());
    std::filesystem::remove(target);
}
BENCHMARK(BM_ExportRecordsCsv)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace horavant::bench

int main(int argc, char** argv)
{
    return horavant::bench::runWithRatios(
        argc, argv, {{"BM_ExportRecordsCsv", "BM_FullScanAllFields"}, {"BM_ExportRecordsCsv", "BM_RawRead"}});
}
