// Shared pieces of the benchmarks: the generated million-record work-time table, the raw-read
// baseline, and a main() that prints every benchmark as a ratio against its baseline.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace horavant {
class DbfTable;
}

namespace horavant::bench {

// Folder for generated inputs (kept between runs): $HORAVANT_BENCH_DATA or /tmp/horavant-bench.
std::filesystem::path dataDir();

// The ten work-time field definitions with their German names.
void defineWorkTimeFields(DbfTable& table);

// A work-time table of `records` rows, generated once and reused: 40 employees, 200 places,
// 50 activities, dates over three years; every 1000th record is deleted.
std::filesystem::path workTimeTable(std::uint32_t records);
constexpr std::uint32_t kMillion = 1'000'000;
// The records of the table the benchmarks run on: $HORAVANT_BENCH_RECORDS, or a million.
std::uint32_t benchRecords();

// The folder of a sollzeit.dbf and an abwesend.dbf, made once per process: 50 employees (those of
// the work-time table and ten more) from 2010 on, each in a state of their own, with a second
// row from mid-2011 and 40 absences of two to five days.
std::filesystem::path timesheetTables();

// Reads the whole file sequentially in 256 KiB blocks into a page-aligned buffer; returns the
// bytes read.
std::uint64_t rawRead(const std::filesystem::path& path);

void openTable(DbfTable& table, const std::filesystem::path& path);

// The two baselines on the million-record table, for every program to register with BENCHMARK:
// a raw sequential read of the file, and a scan that decodes every field of every record.
void BM_RawRead(benchmark::State& state);
void BM_FullScanAllFields(benchmark::State& state);

// Runs the registered benchmarks and prints, for each pair, the first's time as a multiple of
// the second's (its baseline in the same run).
int runWithRatios(int argc, char** argv, const std::vector<std::pair<std::string, std::string>>& ratios);

}  // namespace horavant::bench
