// Restoring a backup: the current files saved first, then each replaced atomically, all under
// the table's append lock.
#include "store/backup.h"

#include "store/backup_internal.h"
#include "store/dbf_table.h"
#include "store/file_copy.h"
#include "store/posix_file.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace horavant::backup {
namespace {

namespace fs = std::filesystem;

struct Staged {
    std::string temp;
    fs::path target;
};

// Copies each file of the backup to a temporary file beside the one it replaces, synced. A
// failure removes what was staged and leaves every data file as it was.
std::vector<Staged> stageFiles(const fs::path& programFolder, const fs::path& source, const detail::Steps& steps,
                               detail::Meter& meter)
{
    // The table goes last: should a later rename fail, the open table is still the file in place.
    constexpr std::array<const char*, 4> order = {kFiles[1], kFiles[2], kFiles[3], kFiles[0]};
    std::vector<Staged> staged;
    try {
        for (const char* name : order) {
            UniqueFd in(::open((source / name).c_str(), O_RDONLY | O_CLOEXEC));
            if (!in) {
                if (errno == ENOENT)
                    continue;
                steps.failed(source / name, errno);
            }
            const fs::path target = programFolder / name;
            std::string temp = target.string() + ".XXXXXX";
            UniqueFd out;
            steps.run("create", target, [&] {
                out.reset(::mkostemp(temp.data(), O_CLOEXEC));
                return static_cast<bool>(out);
            });
            staged.push_back({temp, target});
            ::fchmod(out.get(), 0666 & ~detail::currentUmask());
            const long long size = fileSize(in.get());
            steps.run("copy", target, [&] {
                const long long copied = copyFileBytes(in.get(), out.get(), std::numeric_limits<std::uint64_t>::max(),
                                                       CopyMethod::Kernel,
                                                       [&meter](std::uint64_t bytes) { return meter.copied(bytes); });
                if (copied >= 0 && copied != size)
                    errno = EIO;
                return copied >= 0 && copied == size;
            });
            steps.run("sync", target, [&] { return ::fsync(out.get()) == 0 && ::close(out.release()) == 0; });
        }
    } catch (...) {
        for (const Staged& s : staged)
            ::unlink(s.temp.c_str());
        throw;
    }
    return staged;
}

void replaceFiles(const fs::path& programFolder, const fs::path& source, const std::string& saved, const FailStep& fail,
                  detail::Meter& meter)
{
    const detail::Steps before(fail, kRestoreFailed);
    const std::vector<Staged> staged = stageFiles(programFolder, source, before, meter);
    // Once a file is replaced, a failure leaves the data half restored: the message names the
    // backup that holds the state before.
    const detail::Steps after(fail, kRestoreHalfDone, {saved});
    std::size_t done = 0;
    try {
        for (; done < staged.size(); ++done) {
            const Staged& s = staged[done];
            (done == 0 ? before : after).run("rename", s.target, [&] {
                return std::rename(s.temp.c_str(), s.target.c_str()) == 0;
            });
        }
        after.run("sync folder", programFolder, [&] { return detail::syncFolder(programFolder); });
    } catch (...) {
        for (std::size_t i = done; i < staged.size(); ++i)
            ::unlink(staged[i].temp.c_str());
        throw;
    }
}

}  // namespace

std::string restoreBackup(DbfTable& table, const std::string& name, Moment now, const FailStep& fail, const Runner& run)
{
    const fs::path programFolder = table.folder();
    const fs::path source = programFolder / kFolder / name;
    const auto parsed = parseBackupName(name);
    std::error_code ec;
    if (!parsed || !fs::is_directory(source, ec)
        || detail::describeBackup(source, name, *parsed).state != BackupState::Complete)
        throw BackupError(kNotRestorable, {name});
    // A row being edited is stored first, so the backup of the files before holds it.
    if (table.state() == TableState::Edit || table.state() == TableState::Insert)
        table.Post();

    std::string saved;
    const bool locked = table.withAppendLock(false, [&](int fd) {
        // The copying, on whatever thread `run` chooses: it uses the descriptor, not the table.
        const auto work = [&](const Progress& progress) {
            detail::Meter meter(progress, detail::dataFileBytes(programFolder) + detail::dataFileBytes(source));
            const auto made = detail::writeBackup(programFolder, fd, candidateNames(BackupKind::BeforeRestore, now),
                                                  fail, &meter);
            if (!made)
                throw BackupError(kCannotWrite, {(programFolder / kFolder).string(), std::strerror(EEXIST)});
            saved = *made;
            try {
                replaceFiles(programFolder, source, saved, fail, meter);
            } catch (const Cancelled&) {
                // Stopped before a file was replaced: the backup of the files before is not needed.
                std::error_code ec;
                fs::remove_all(programFolder / kFolder / saved, ec);
                throw;
            }
        };
        if (run)
            run(work);
        else
            work({});
    });
    if (!locked)
        throw BackupError(kTableBusy, {});
    table.Close();
    return saved;
}

}  // namespace horavant::backup
