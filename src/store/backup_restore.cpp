// Restoring a backup: its files opened, the current files saved, then each replaced atomically,
// all under the table's append lock, with a marker in the program folder while files are replaced.
#include "store/backup.h"

#include "store/backup_internal.h"
#include "store/dbf_table.h"
#include "store/dbf_table_internal.h"
#include "store/file_copy.h"
#include "store/posix_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace horavant::backup {
namespace {

namespace fs = std::filesystem;

// The files of the backup, by their place in kFiles; not open where the backup lacks the file.
using Source = std::array<UniqueFd, kFiles.size()>;

// Opens the backup's files before anything is written: a backup that has gone since it was chosen
// fails here, and once they are open, nothing takes them from the restore.
Source openBackup(const fs::path& folder, const std::string& name, const detail::Steps& steps)
{
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        throw BackupError(kBackupGone, {name});
    Source source;
    for (std::size_t i = 0; i < kFiles.size(); ++i) {
        source[i].reset(::open((folder / kFiles[i]).c_str(), O_RDONLY | O_CLOEXEC));
        if (!source[i] && errno != ENOENT)
            steps.failed(folder / kFiles[i], errno);
    }
    bool whole = false;
    try {
        const TableFileSummary summary = source[0] ? DbfTable::inspect(source[0].get()) : TableFileSummary {1, 0, 0};
        whole = summary.storedCount <= summary.wholeRecords;
    } catch (const Error&) {
    }
    if (!whole)
        throw BackupError(kNotRestorable, {name});
    return source;
}

struct Staged {
    std::string temp;
    fs::path target;
    UniqueFd file;  // kept open, and so marked as being written, until it has its name
};

// Copies each file of the backup to a temporary file beside the one it replaces, synced. A
// failure removes what was staged and leaves every data file as it was.
std::vector<Staged> stageFiles(const fs::path& programFolder, const Source& source, const detail::Steps& steps,
                               detail::Meter& meter)
{
    std::vector<Staged> staged;
    try {
        // The table goes last: should a later rename fail, the open table is still the file in place.
        for (std::size_t n = 1; n <= kFiles.size(); ++n) {
            const std::size_t i = n % kFiles.size();
            if (!source[i])
                continue;
            // A data file reached through symbolic links is replaced where it lies; the links stay.
            const fs::path target = followSymlinks(programFolder / kFiles[i]);
            Staged& s = staged.emplace_back(Staged {target.string() + ".XXXXXX", target, {}});
            steps.run("create", target, [&] {
                s.file.reset(::mkostemp(s.temp.data(), O_CLOEXEC));
                return static_cast<bool>(s.file);
            });
            markBeingWritten(s.file.get());
            // The restored file keeps the permission bits, owner and group of the file it
            // replaces, so that the others who share it keep their access.
            auto access = fileAccess(target);
            if (!access)
                access = fileAccess(source[i].get());
            if (access)
                giveFileAccess(s.file.get(), *access);
            const long long size = fileSize(source[i].get());
            steps.run("copy", target, [&] {
                const long long copied = copyFileBytes(source[i].get(), s.file.get(),
                                                       std::numeric_limits<std::uint64_t>::max(), CopyMethod::Kernel,
                                                       [&meter](std::uint64_t bytes) { return meter.copied(bytes); });
                if (copied >= 0 && copied != size)
                    errno = EIO;
                return copied >= 0 && copied == size;
            });
            steps.run("sync", target, [&] { return ::fsync(s.file.get()) == 0; });
        }
    } catch (...) {
        for (const Staged& s : staged)
            ::unlink(s.temp.c_str());
        throw;
    }
    return staged;
}

void replaceFiles(const fs::path& programFolder, const Source& source, StagedRestore& what, const FailStep& fail,
                  const BeforeReplace& beforeReplace, detail::Meter& meter)
{
    const std::string& saved = what.saved;
    const detail::Steps before(fail, kRestoreFailed);
    std::vector<Staged> staged = stageFiles(programFolder, source, before, meter);
    const fs::path tableTarget = followSymlinks(programFolder / kFiles.front());
    const fs::path journalTarget = followSymlinks(programFolder / kJournalFile);
    for (const Staged& s : staged) {
        if (s.target == tableTarget)
            what.table = s.temp;
        else if (s.target == journalTarget)
            what.journal = fs::path(s.temp);
    }
    if (beforeReplace) {
        try {
            beforeReplace(what);
        } catch (...) {
            for (const Staged& s : staged)
                ::unlink(s.temp.c_str());
            throw;
        }
    }
    // Once a file is replaced, a failure leaves the data half restored: the message names the
    // backup that holds the state before, and the marker stays for the next start to tell.
    const detail::Steps after(fail, kRestoreHalfDone, {saved});
    std::size_t done = 0;
    std::optional<detail::RestoreMarker> marker;
    try {
        marker.emplace(programFolder, what.backup, saved, before);
        for (; done < staged.size(); ++done) {
            Staged& s = staged[done];
            (done == 0 ? before : after).run("rename", s.target, [&] {
                return std::rename(s.temp.c_str(), s.target.c_str()) == 0;
            });
            s.file.reset();
        }
        for (const Staged& s : staged) {
            after.run("sync folder", s.target.parent_path(),
                      [&] { return detail::syncFolder(s.target.parent_path()); });
        }
        marker->remove();
    } catch (...) {
        if (marker && done == 0)
            marker->remove();
        for (std::size_t i = done; i < staged.size(); ++i)
            ::unlink(staged[i].temp.c_str());
        throw;
    }
}

struct HeldTable {
    UniqueFd file;
    std::unique_ptr<dbf::AppendLock> lock;  // goes before the file
};

// The other tables among the data files are written through the same table layer: their writes
// are held off as the work-time table's are. False when another copy of the program holds one.
bool lockOtherTables(const fs::path& programFolder, std::vector<HeldTable>& held)
{
    for (std::size_t i = 1; i < kFiles.size(); ++i) {
        if (!std::string_view(kFiles[i]).ends_with(".dbf"))
            continue;
        HeldTable table {UniqueFd(::open((programFolder / kFiles[i]).c_str(), O_RDWR | O_CLOEXEC)), nullptr};
        if (!table.file)
            continue;  // nothing to write to
        table.lock = std::make_unique<dbf::AppendLock>(table.file.get(), dbf::AppendLock::Try);
        if (!table.lock->held())
            return false;
        held.push_back(std::move(table));
    }
    return true;
}

}  // namespace

std::string restoreBackup(DbfTable& table, const std::string& name, Moment now, const FailStep& fail, const Runner& run,
                          const BeforeReplace& beforeReplace)
{
    const fs::path programFolder = table.folder();
    if (!parseBackupName(name))
        throw BackupError(kNotRestorable, {name});
    // A row being edited is stored first, so the backup of the files before holds it.
    if (table.state() == TableState::Edit || table.state() == TableState::Insert)
        table.Post();

    std::string saved;
    bool busy = false;
    // No copy of the program writes to the tables from the first file opened to the last renamed:
    // every write takes the append lock, and finds the file replaced once it has it.
    const bool locked = table.withAppendLock(false, [&](int fd) {
        std::vector<HeldTable> others;
        if (!lockOtherTables(programFolder, others)) {
            busy = true;
            return;
        }
        const Source source = openBackup(programFolder / kFolder / name, name, detail::Steps(fail, kRestoreFailed));
        // The copying, on whatever thread `run` chooses: it uses the descriptors, not the table.
        const auto work = [&](const Progress& progress) {
            std::uint64_t total = detail::dataFileBytes(programFolder);
            for (const UniqueFd& file : source)
                total += file ? static_cast<std::uint64_t>(std::max(0LL, fileSize(file.get()))) : 0;
            detail::Meter meter(progress, total);
            const auto made = detail::writeBackup(programFolder, fd, candidateNames(BackupKind::BeforeRestore, now),
                                                  fail, &meter);
            if (!made)
                throw BackupError(kCannotWrite, {(programFolder / kFolder).string(), std::strerror(EEXIST)});
            saved = *made;
            StagedRestore what {name, saved, std::nullopt, {}};
            try {
                replaceFiles(programFolder, source, what, fail, beforeReplace, meter);
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
    if (!locked || busy)
        throw BackupError(kTableBusy, {});
    table.Close();
    return saved;
}

}  // namespace horavant::backup
