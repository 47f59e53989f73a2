// Benchmark inputs and ratio reporting.
#include "bench_support.h"

#include "store/byte_io.h"
#include "store/cp1252.h"
#include "store/dbf_table.h"
#include "store/posix_file.h"
#include "store/timesheet_tables.h"
#include "timesheet/timesheet_texts.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <unistd.h>

namespace horavant::bench {

std::filesystem::path dataDir()
{
    const char* env = std::getenv("HORAVANT_BENCH_DATA");
    std::filesystem::path dir = env && *env ? env : "/tmp/horavant-bench";
    std::filesystem::create_directories(dir);
    return dir;
}

std::uint32_t benchRecords()
{
    const char* env = std::getenv("HORAVANT_BENCH_RECORDS");
    const unsigned long records = env && *env ? std::strtoul(env, nullptr, 10) : 0;
    return records > 0 && records <= 100'000'000 ? static_cast<std::uint32_t>(records) : kMillion;
}

void defineWorkTimeFields(DbfTable& t)
{
    t.clearFieldDefs();
    t.addFieldDef(u"Datum", FieldType::Character, 10);
    t.addFieldDef(u"Arbeiter", FieldType::Character, 45);
    t.addFieldDef(u"Ort", FieldType::Character, 45);
    t.addFieldDef(u"Tätigkeit", FieldType::Character, 45);
    t.addFieldDef(u"Zeit von", FieldType::Character, 5);
    t.addFieldDef(u"Zeit bis", FieldType::Character, 5);
    t.addFieldDef(u"Bemerkungen", FieldType::Character, 100);
    t.addFieldDef(u"Auswaerts", FieldType::Logical, 0);
    t.addFieldDef(u"Pause", FieldType::Character, 5);
    t.addFieldDef(u"Doppelt", FieldType::Logical, 0);
}

namespace {

void put(std::string& rec, std::size_t offset, std::size_t width, const std::string& text)
{
    for (std::size_t i = 0; i < width; ++i)
        rec[offset + i] = i < text.size() ? text[i] : ' ';
}

std::string two(int v)
{
    char b[8];
    std::snprintf(b, sizeof b, "%02d", v);
    return b;
}

}  // namespace

std::filesystem::path workTimeTable(std::uint32_t records)
{
    const auto path = dataDir() / ("arbeitszeit-" + std::to_string(records) + ".dbf");
    constexpr std::uint64_t kHeader = 353, kRecord = 263;
    std::error_code ec;
    if (std::filesystem::file_size(path, ec) == kHeader + records * kRecord + 1)
        return path;

    DbfTable t;
    t.setFolder(path.parent_path());
    t.setTableName(path.filename().string());
    defineWorkTimeFields(t);
    t.CreateTable();

    UniqueFd fd(::open(path.c_str(), O_RDWR));
    std::string block;
    std::string rec(kRecord, ' ');
    std::uint64_t offset = kHeader;
    for (std::uint32_t i = 0; i < records; ++i) {
        const int day = static_cast<int>(i / 900);  // about 900 bookings a day
        rec[0] = (i % 1000 == 999) ? '*' : ' ';
        put(rec, 1, 10, two(day % 28 + 1) + "." + two(day / 28 % 12 + 1) + "." + std::to_string(2010 + day / 336));
        put(rec, 11, 45, "Mitarbeiter " + std::to_string(i % 40));
        put(rec, 56, 45, "Baustelle " + std::to_string(i * 7 % 200));
        put(rec, 101, 45, cp1252::encode(u"Tätigkeit ") + std::to_string(i * 3 % 50));
        const int start = 6 + static_cast<int>(i % 5);
        put(rec, 146, 5, two(start) + ":" + two(static_cast<int>(i % 4) * 15));
        put(rec, 151, 5, two(start + 8) + ":00");
        put(rec, 156, 100, i % 3 == 0 ? "Material geholt, Kunde war nicht da" : "");
        rec[256] = (i % 10 == 0) ? 'T' : 'F';
        put(rec, 257, 5, "00:30");
        rec[262] = 'F';
        block += rec;
        if (block.size() >= (1 << 20) || i + 1 == records) {
            writeFullyAt(fd.get(), block.data(), block.size(), offset);
            offset += block.size();
            block.clear();
        }
    }
    const std::uint8_t eof = 0x1A;
    writeFullyAt(fd.get(), &eof, 1, offset);
    std::uint8_t count[4];
    putU32le(count, records);
    writeFullyAt(fd.get(), count, 4, 4);
    ::fsync(fd.get());
    return path;
}

namespace {

constexpr int kTimesheetEmployees = 50;
constexpr int kAbsences = 2000;

}  // namespace

std::filesystem::path timesheetTables()
{
    using namespace std::chrono;
    static const std::filesystem::path folder = [] {
        const auto dir = dataDir() / "timesheet-tables";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        const std::u16string kinds[] = {u"Urlaub", u"Krank", u"Freizeitausgleich", u"Sonstiges"};
        for (int e = 0; e < kTimesheetEmployees; ++e) {
            const std::string n = std::to_string(e);
            const std::u16string name = u"Mitarbeiter " + std::u16string(n.begin(), n.end());
            const std::u16string state(kStates[static_cast<std::size_t>(e % 16)].code);
            appendTableRow(dir, kTargetTable,
                           {name, u"01.01.2010", state, u"08:00", u"08:00", u"08:00", u"08:00", u"08:00", u"", u"",
                            u"30", u"+10:00"});
            appendTableRow(
                dir, kTargetTable,
                {name, u"01.07.2011", state, u"08:00", u"08:00", u"08:00", u"08:00", u"06:00", u"", u"", u"30", u""});
            for (int a = 0; a < kAbsences / kTimesheetEmployees; ++a) {
                const sys_days from = sys_days(2010y / January / 4) + days(a * 36 + e % 7);
                const sys_days to = from + days(1 + a % 4);
                appendTableRow(dir, kAbsenceTable,
                               absenceTexts(name, from, to, absenceKindOf(kinds[a % 4]).value(), u""));
            }
        }
        return dir;
    }();
    return folder;
}

std::uint64_t rawRead(const std::filesystem::path& path)
{
    UniqueFd fd(::open(path.c_str(), O_RDONLY));
    // A page-aligned buffer: the kernel's copy out of the page cache is at its fastest there, and
    // several times slower into a buffer a few bytes past a page boundary, which is where a
    // plain allocation of this size may land. The baseline is the best a raw read can do.
    constexpr std::size_t kBlock = 256 * 1024, kPage = 4096;
    std::vector<char> storage(kBlock + kPage);
    char* buf = storage.data() + (kPage - reinterpret_cast<std::uintptr_t>(storage.data()) % kPage) % kPage;
    std::uint64_t total = 0;
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, kBlock);
        if (n <= 0)
            break;
        total += static_cast<std::uint64_t>(n);
        benchmark::DoNotOptimize(buf);
    }
    return total;
}

void openTable(DbfTable& t, const std::filesystem::path& path)
{
    t.setFolder(path.parent_path());
    t.setTableName(path.filename().string());
    t.Open();
}

void BM_RawRead(benchmark::State& state)
{
    const auto path = workTimeTable(benchRecords());
    for (auto _ : state)
        benchmark::DoNotOptimize(rawRead(path));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(path)));
}

void BM_FullScanAllFields(benchmark::State& state)
{
    const auto path = workTimeTable(benchRecords());
    DbfTable t;
    openTable(t, path);
    const int fieldCount = t.fieldCount();
    std::vector<std::u16string> fields(static_cast<std::size_t>(fieldCount));
    std::size_t rows = 0;
    for (auto _ : state) {
        rows = 0;
        for (t.First(); !t.Eof(); t.Next()) {
            for (int i = 0; i < fieldCount; ++i)
                t.readFieldText(i, fields[static_cast<std::size_t>(i)]);
            ++rows;
        }
        benchmark::DoNotOptimize(fields.data());
    }
    state.counters["rows"] = static_cast<double>(rows);
}

namespace {

// Keeps each benchmark's times: the medians of its repetitions when there are several, so that a
// drifting machine moves a ratio less, or else its one run. Both the wall-clock time and the
// processor time are kept: on a machine that other work keeps busy, the processor time of a
// program that only computes and reads memory is the steadier measure.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    struct Times {
        double real = 0;
        double cpu = 0;
    };

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.error_occurred)
                continue;
            const Times t {r.GetAdjustedRealTime(), r.GetAdjustedCPUTime()};
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
                medians[r.run_name.str()] = t;
            else if (r.run_type == Run::RT_Iteration)
                singles[r.run_name.str()] = t;
        }
    }
    Times time(const std::string& name) const
    {
        if (auto m = medians.find(name); m != medians.end())
            return m->second;
        auto s = singles.find(name);
        return s == singles.end() ? Times {} : s->second;
    }
    std::map<std::string, Times> medians, singles;
};

}  // namespace

int runWithRatios(int argc, char** argv, const std::vector<std::pair<std::string, std::string>>& ratios)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf(
        "\nRatios against the baseline measured in this run%s\n(wall clock; in brackets processor "
        "time, where the benchmark is timed by the clock), and the time measured:\n",
        reporter.medians.empty() ? "" : ", medians of the repetitions");
    for (const auto& [name, base] : ratios) {
        const auto a = reporter.time(name), b = reporter.time(base);
        if (a.real <= 0 || b.real <= 0)
            continue;
        // A benchmark that reports its own time measures only part of its iteration; its
        // processor time covers the whole iteration and says nothing.
        const bool manual = name.ends_with("/manual_time") || base.ends_with("/manual_time");
        char cpu[32] = "";
        if (!manual && a.cpu > 0 && b.cpu > 0)
            std::snprintf(cpu, sizeof cpu, "(%.2f x)", a.cpu / b.cpu);
        std::printf("  %-40s %7.2f x %-10s %9.1f ms  %s\n", name.c_str(), a.real / b.real, cpu, a.real, base.c_str());
    }
    benchmark::Shutdown();
    return 0;
}

}  // namespace horavant::bench
