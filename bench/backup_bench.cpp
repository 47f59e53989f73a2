// A backup and a restore of the million-record table (263 MB) against a plain copy of the same
// file with cp in the same run, and against cp followed by a sync of the copy, which is as durable
// as a backup.
#include "bench_support.h"

#include "store/backup.h"
#include "store/dbf_table.h"

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace horavant::bench {
namespace {

namespace fs = std::filesystem;

// Every iteration writes 263 MB to the disk: a few are enough.
constexpr int kIterations = 4;

// A program folder holding the generated table (linked, not copied).
fs::path programFolder()
{
    const auto dir = dataDir() / "backup-run";
    const auto table = dir / "arbeitszeit.dbf";
    std::error_code ec;
    if (fs::file_size(table, ec) != fs::file_size(workTimeTable(benchRecords()))) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::create_hard_link(workTimeTable(benchRecords()), table);
    }
    return dir;
}

void run(std::vector<std::string> args)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = 0;
    if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0 || ::waitpid(pid, &status, 0) != pid
        || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("cannot run " + args[0]);
}

void copyWithCp(benchmark::State& state, bool sync)
{
    const auto from = programFolder() / "arbeitszeit.dbf";
    const auto to = dataDir() / "cp-copy.dbf";
    for (auto _ : state) {
        run({"/bin/cp", from.string(), to.string()});
        if (sync)
            run({"/bin/sync", to.string()});
        state.PauseTiming();
        fs::remove(to);
        state.ResumeTiming();
    }
}

void BM_CopyWithCp(benchmark::State& state)
{
    copyWithCp(state, false);
}
BENCHMARK(BM_CopyWithCp)->Iterations(kIterations)->Unit(benchmark::kMillisecond);

void BM_CopyWithCpAndSync(benchmark::State& state)
{
    copyWithCp(state, true);
}
BENCHMARK(BM_CopyWithCpAndSync)->Iterations(kIterations)->Unit(benchmark::kMillisecond);

void BM_Backup(benchmark::State& state)
{
    const auto dir = programFolder();
    DbfTable table;
    openTable(table, dir / "arbeitszeit.dbf");
    for (auto _ : state) {
        if (!backup::makeBackup(table, backup::BackupKind::Manual, backup::localNow()))
            state.SkipWithError("no backup made");
        state.PauseTiming();
        fs::remove_all(dir / backup::kFolder);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Backup)->Iterations(kIterations)->Unit(benchmark::kMillisecond);

// A restore of the table: the files as they are saved first, then the backup's copied beside them,
// synced and renamed into place; twice the bytes of a backup.
void BM_Restore(benchmark::State& state)
{
    const auto dir = programFolder();
    DbfTable table;
    openTable(table, dir / "arbeitszeit.dbf");
    const auto made = backup::makeBackup(table, backup::BackupKind::Manual, backup::localNow());
    if (!made)
        return state.SkipWithError("no backup made");
    for (auto _ : state) {
        const std::string saved = backup::restoreBackup(table, *made, backup::localNow());
        state.PauseTiming();
        fs::remove_all(dir / backup::kFolder / saved);
        table.Open();
        state.ResumeTiming();
    }
    fs::remove_all(dir / backup::kFolder);
}
BENCHMARK(BM_Restore)->Iterations(kIterations)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace horavant::bench

int main(int argc, char** argv)
{
    return horavant::bench::runWithRatios(argc, argv,
                                          {{"BM_Backup/iterations:4", "BM_CopyWithCp/iterations:4"},
                                           {"BM_Backup/iterations:4", "BM_CopyWithCpAndSync/iterations:4"},
                                           {"BM_Restore/iterations:4", "BM_CopyWithCpAndSync/iterations:4"}});
}
