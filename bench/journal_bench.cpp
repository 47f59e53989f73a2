// The change journal on a million work-time records: recording a period with its journal entry
// against recording it without (both durable), and the check of the journal and the table against
// a scan of every field and against SHA-256 of the table file as one stream, in the same run.
#include "bench_support.h"

#include "journal/change_journal.h"
#include "journal/journal_check.h"
#include "journal/table_digests.h"
#include "recording/recording.h"
#include "store/dbf_table.h"
#include "store/posix_file.h"
#include "store/work_time_text.h"

#include <fcntl.h>
#include <openssl/evp.h>

namespace horavant::bench {
namespace {

using namespace std::chrono;

BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScanAllFields)->Unit(benchmark::kMillisecond);

constexpr int kJournalEntries = 10'000;

// The million-record table's journal: its starting state and ten thousand changes after it.
std::filesystem::path millionJournal()
{
    static const std::filesystem::path file = [] {
        const auto folder = dataDir() / "journal-million";
        const auto path = folder / journal::kFileName;
        if (std::filesystem::exists(path))
            return path;
        std::filesystem::create_directories(folder);
        DbfTable table;
        openTable(table, workTimeTable(kMillion));
        ChangeJournal start(folder);
        start.start(table);
        // The digests of the records the entries change: every 97th.
        std::vector<journal::Digest> digests;
        {
            UniqueFd fd(::open(table.path().c_str(), O_RDONLY | O_CLOEXEC));
            journal::RecordHasher hasher(fd.get(), journal::readLayout(fd.get()));
            for (auto chunk = hasher.next(); !chunk.empty(); chunk = hasher.next()) {
                for (std::uint32_t k = (hasher.first() + 96) / 97 * 97; k < hasher.first() + chunk.size(); k += 97)
                    digests.push_back(chunk[k - hasher.first()]);
            }
        }
        journal::JournalWriter writer(path);
        std::vector<journal::Entry> entries;
        for (int i = 0; i < kJournalEntries; ++i) {
            const std::uint32_t record = static_cast<std::uint32_t>(i) * 97;
            const auto& digest = digests[static_cast<std::size_t>(i)];
            journal::Entry e {0,
                              "2024-05-03T10:00:00+02:00",
                              "PC1",
                              "Administrator",
                              journal::kChanged,
                              record + 1,
                              "Mitarbeiter 7",
                              R"(BEMERKUNGE: "" → "nachgetragen")",
                              journal::toHex(digest),
                              journal::toHex(digest),
                              "",
                              {}};
            entries.push_back(std::move(e));
        }
        writer.append(entries);
        return path;
    }();
    return file;
}

// The least any check of every record's bytes costs: the whole file through SHA-256 as one
// stream, read in blocks of a megabyte, on one processor.
void BM_Sha256OfTable(benchmark::State& state)
{
    const auto path = workTimeTable(kMillion);
    std::vector<std::uint8_t> block(1 << 20);
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    for (auto _ : state) {
        UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        EVP_DigestInit_ex2(ctx, EVP_sha256(), nullptr);
        for (std::uint64_t at = 0;;) {
            const long long n = readFullyAt(fd.get(), block.data(), block.size(), at);
            if (n <= 0)
                break;
            EVP_DigestUpdate(ctx, block.data(), static_cast<std::size_t>(n));
            at += static_cast<std::uint64_t>(n);
        }
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        EVP_DigestFinal_ex(ctx, digest, &length);
        benchmark::DoNotOptimize(digest);
    }
    EVP_MD_CTX_free(ctx);
}
BENCHMARK(BM_Sha256OfTable)->Unit(benchmark::kMillisecond);

void BM_Check(benchmark::State& state)
{
    const auto journalFile = millionJournal();
    const auto table = workTimeTable(kMillion);
    for (auto _ : state) {
        const journal::CheckResult result = journal::checkJournal(journalFile, table);
        if (!result.clean())
            state.SkipWithError(journal::serializeResult(result).c_str());
    }
    state.counters["journal_MB"] = static_cast<double>(std::filesystem::file_size(journalFile)) / 1e6;
}
BENCHMARK(BM_Check)->Unit(benchmark::kMillisecond);

// As the recording window does it: the overlap scan of the million records, then the durable
// append. The rows go to a small table of their own, so the shared file stays as generated.
void recording(benchmark::State& state, bool withJournal)
{
    DbfTable t;
    openTable(t, workTimeTable(kMillion));
    const auto folder = dataDir() / (withJournal ? "recording-journal" : "recording-plain");
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    DbfTable target;
    target.setFolder(folder);
    target.setTableName("arbeitszeit.dbf");
    defineWorkTimeFields(target);
    target.CreateTable();
    target.Open();
    ChangeJournal journal(folder);
    if (withJournal) {
        journal.attach(target);
        journal.start(target);
    }
    const WorkPeriod period {.date = 2010y / April / 17,
                             .employee = u"Mitarbeiter 7",
                             .place = u"Baustelle 1",
                             .activity = u"Tätigkeit 1",
                             .from = 3 * kMsPerHour,
                             .to = 4 * kMsPerHour};
    for (auto _ : state) {
        if (findOverlap(t, period.employee, sys_days(period.date), period.from, period.to, Regional::german()))
            state.SkipWithError("unexpected overlap");
        const ChangeJournal::RecordingScope scope(journal);
        appendWorkPeriod(target, period);
    }
    target.Close();
    std::filesystem::remove_all(folder);
}

void BM_RecordingWithoutJournal(benchmark::State& state)
{
    recording(state, false);
}
BENCHMARK(BM_RecordingWithoutJournal)->Unit(benchmark::kMillisecond);

void BM_RecordingWithJournal(benchmark::State& state)
{
    recording(state, true);
}
BENCHMARK(BM_RecordingWithJournal)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace horavant::bench

int main(int argc, char** argv)
{
    return horavant::bench::runWithRatios(argc, argv,
                                          {{"BM_Check", "BM_FullScanAllFields"},
                                           {"BM_Check", "BM_Sha256OfTable"},
                                           {"BM_Check", "BM_RawRead"},
                                           {"BM_RecordingWithJournal", "BM_RecordingWithoutJournal"}});
}
