// Making, pruning and listing the backups of the data files.
#include "store/backup.h"

#include "store/backup_internal.h"
#include "store/dbf_table.h"
#include "store/dbf_table_internal.h"
#include "store/file_copy.h"
#include "store/posix_file.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <tuple>
#include <sys/stat.h>
#include <unistd.h>

namespace horavant::backup {

namespace fs = std::filesystem;

namespace detail {

void Steps::run(std::string_view step, const fs::path& file, const std::function<bool()>& action) const
{
    if (m_fail && m_fail(step, file))
        failed(file, ENOSPC);
    if (!action()) {
        if (errno == ECANCELED)
            throw Cancelled();
        failed(file, errno);
    }
}

void Steps::failed(const fs::path& file, int error) const
{
    std::vector<std::string> details {file.string(), std::strerror(error)};
    details.insert(details.end(), m_extra.begin(), m_extra.end());
    throw BackupError(m_pattern, std::move(details));
}

bool syncFolder(const fs::path& folder)
{
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd && ::fsync(fd.get()) == 0;
}

std::uint64_t dataFileBytes(const fs::path& folder)
{
    std::uint64_t bytes = 0;
    for (const char* name : kFiles) {
        std::error_code ec;
        const std::uintmax_t size = fs::file_size(folder / name, ec);
        if (!ec)
            bytes += size;
    }
    return bytes;
}

void giveFolderAccessOf(const fs::path& model, const fs::path& folder)
{
    const auto access = fileAccess(model);
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (access && fd)
        giveFileAccess(fd.get(), *access);
}

}  // namespace detail

namespace {

constexpr std::uint64_t kWholeFile = std::numeric_limits<std::uint64_t>::max();

struct Entry {
    std::string name;
    BackupName parsed;
    fs::file_time_type made;
};

// The backup folders, oldest first: by date, and within a day in the order they were made.
std::vector<Entry> scanBackups(const fs::path& programFolder)
{
    std::vector<Entry> entries;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(programFolder / kFolder, ec)) {
        std::error_code kind;
        if (!entry.is_directory(kind))
            continue;
        const std::string name = entry.path().filename().string();
        if (const auto parsed = parseBackupName(name))
            entries.push_back({name, *parsed, fs::last_write_time(entry.path(), kind)});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return std::tie(a.parsed.day, a.made, a.name) < std::tie(b.parsed.day, b.made, b.name);
    });
    return entries;
}

bool complete(const fs::path& programFolder, const Entry& e)
{
    return detail::describeBackup(programFolder / kFolder / e.name, e.name, e.parsed).state == BackupState::Complete;
}

// A backup folder of a copy of the program that no longer runs is left over from a crash.
void removeStaleTemps(const fs::path& backups)
{
    std::vector<fs::path> stale;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(backups, ec)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(kTempPrefix))
            continue;
        const long pid = std::strtol(name.c_str() + kTempPrefix.size(), nullptr, 10);
        if (pid > 0 && pid != ::getpid() && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            stale.push_back(entry.path());
    }
    for (const fs::path& path : stale)
        fs::remove_all(path, ec);
}

// Copies up to `limit` bytes of source into a new file and syncs it; the bytes copied. The copy
// has the source's permission bits, owner and group: a user file readable by its owner only is
// not readable by everybody in the backup.
long long copyInto(const detail::Steps& steps, int source, std::uint64_t limit, const fs::path& target,
                   detail::Meter* meter)
{
    UniqueFd out;
    steps.run("create", target, [&] {
        out.reset(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        return static_cast<bool>(out);
    });
    if (const auto access = fileAccess(source))
        giveFileAccess(out.get(), *access);
    long long copied = 0;
    steps.run("copy", target, [&] {
        copied = copyFileBytes(source, out.get(), limit, CopyMethod::Kernel,
                               [meter](std::uint64_t bytes) { return !meter || meter->copied(bytes); });
        return copied >= 0;
    });
    steps.run("sync", target, [&] { return ::fsync(out.get()) == 0 && ::close(out.release()) == 0; });
    return copied;
}

// The table's copy counts only when it is as long as the table was and holds every record its
// header counts.
void checkTableCopy(const fs::path& copy, const fs::path& table, long long size, const FailStep& fail)
{
    bool whole = !(fail && fail("check", copy));
    try {
        const TableFileSummary summary = DbfTable::inspect(copy);
        struct stat st {};
        whole = whole && summary.storedCount <= summary.wholeRecords && ::stat(copy.c_str(), &st) == 0
                && st.st_size == size;
    } catch (const Error&) {
        whole = false;
    }
    if (!whole)
        throw BackupError(kCopyDamaged, {table.string()});
}

}  // namespace

namespace detail {

std::optional<std::string> writeBackup(const fs::path& programFolder, int tableFd,
                                       const std::vector<std::string>& names, const FailStep& fail, Meter* meter)
{
    const Steps steps(fail, kCannotWrite);
    const fs::path backups = programFolder / kFolder;
    bool madeFolder = false;
    steps.run("create folder", backups, [&] {
        madeFolder = ::mkdir(backups.c_str(), 0700) == 0;
        return madeFolder || errno == EEXIST;
    });
    if (madeFolder) {
        giveFolderAccessOf(programFolder, backups);
        steps.run("sync folder", programFolder, [&] { return syncFolder(programFolder); });
    }
    removeStaleTemps(backups);

    std::string tempName = (backups / (std::string(kTempPrefix) + std::to_string(::getpid()) + "-XXXXXX")).string();
    steps.run("create folder", backups, [&] { return ::mkdtemp(tempName.data()) != nullptr; });
    const fs::path temp = tempName;
    std::error_code ec;
    try {
        giveFolderAccessOf(programFolder, temp);
        for (const char* name : kFiles) {
            const fs::path original = programFolder / name;
            if (name == kFiles.front()) {
                // The table as this copy of the program holds it open, its append lock held.
                const long long size = fileSize(tableFd);
                if (size < 0)
                    steps.failed(original, errno);
                if (copyInto(steps, tableFd, static_cast<std::uint64_t>(size), temp / name, meter) != size)
                    steps.failed(original, EIO);
                checkTableCopy(temp / name, original, size, fail);
                continue;
            }
            UniqueFd source(::open(original.c_str(), O_RDONLY | O_CLOEXEC));
            if (!source) {
                if (errno == ENOENT)
                    continue;
                steps.failed(original, errno);
            }
            copyInto(steps, source.get(), kWholeFile, temp / name, meter);
        }
        steps.run("sync folder", temp, [&] { return syncFolder(temp); });

        std::optional<std::string> chosen;
        steps.run("rename", temp, [&] {
            for (const std::string& name : names) {
                if (renameNoReplace(temp, backups / name)) {
                    chosen = name;
                    return true;
                }
                const int error = errno;
                if (!fs::exists(backups / name, ec)) {
                    errno = error;
                    return false;
                }
            }
            return true;
        });
        if (!chosen) {
            fs::remove_all(temp, ec);
            return std::nullopt;
        }
        try {
            steps.run("sync folder", backups, [&] { return syncFolder(backups); });
        } catch (...) {
            // Not known to be on disk: not a backup that counts.
            fs::remove_all(backups / *chosen, ec);
            throw;
        }
        return chosen;
    } catch (...) {
        fs::remove_all(temp, ec);
        throw;
    }
}

BackupInfo describeBackup(const fs::path& folder, std::string name, BackupName parsed)
{
    BackupInfo info {std::move(name), parsed};
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        std::error_code kind;
        if (entry.is_regular_file(kind)) {
            const std::uintmax_t size = entry.file_size(kind);
            if (!kind)
                info.bytes += size;
        }
    }
    try {
        const TableFileSummary summary = DbfTable::inspect(folder / kFiles.front());
        info.records = summary.storedCount;
        if (summary.storedCount > summary.wholeRecords)
            info.state = BackupState::Damaged;
    } catch (const Error&) {
        info.state = fs::exists(folder / kFiles.front(), ec) ? BackupState::Damaged : BackupState::Incomplete;
    }
    return info;
}

}  // namespace detail

namespace {

// A backup with the table read from `tableFd`, whose append lock the caller holds.
std::optional<std::string> backupUnderLock(const fs::path& programFolder, int tableFd, BackupKind kind, Moment now,
                                           const FailStep& fail, detail::Meter* meter)
{
    // Asked under the lock: two copies of the program starting on one day make one backup.
    if (kind == BackupKind::Daily && !dailyBackupDue(programFolder, now))
        return std::nullopt;
    return detail::writeBackup(programFolder, tableFd, candidateNames(kind, now), fail, meter);
}

}  // namespace

std::optional<std::string> makeBackup(DbfTable& table, BackupKind kind, Moment now, const FailStep& fail)
{
    std::optional<std::string> name;
    table.withAppendLock(true, [&](int fd) { name = backupUnderLock(table.folder(), fd, kind, now, fail, nullptr); });
    if (name && kind != BackupKind::BeforeRestore)
        pruneBackups(table.folder(), now, *name);
    return name;
}

std::optional<std::string> makeBackupOfFolder(const fs::path& programFolder, BackupKind kind, Moment now,
                                              const Progress& progress, const FailStep& fail)
{
    const fs::path table = programFolder / kFiles.front();
    UniqueFd fd(::open(table.c_str(), O_RDWR | O_CLOEXEC));
    if (!fd)
        throw BackupError(kCannotWrite, {table.string(), std::strerror(errno)});
    std::optional<std::string> name;
    {
        const dbf::AppendLock lock(fd.get());
        detail::Meter meter(progress, detail::dataFileBytes(programFolder));
        name = backupUnderLock(programFolder, fd.get(), kind, now, fail, &meter);
    }
    if (name && kind != BackupKind::BeforeRestore)
        pruneBackups(programFolder, now, *name);
    return name;
}

bool dailyBackupDue(const fs::path& programFolder, Moment now)
{
    // Only a whole backup of the day's files counts: not a file or an empty folder of its name,
    // nor the files as they were before a restore.
    for (const Entry& e : scanBackups(programFolder)) {
        if (e.parsed.day == now.day && !e.parsed.beforeRestore && complete(programFolder, e))
            return false;
    }
    return true;
}

std::vector<std::string> untoldFutureBackups(const fs::path& programFolder, Moment now)
{
    const fs::path told = programFolder / kFolder / kToldFuture;
    std::string before;
    try {
        before = "\n" + readWholeFile(told).value_or(std::string());
    } catch (const IoError&) {
    }
    std::vector<std::string> future;
    std::vector<std::string> untold;
    for (const Entry& e : scanBackups(programFolder)) {
        if (e.parsed.day <= now.day)
            continue;
        future.push_back(e.name);
        if (before.find("\n" + e.name + "\n") == std::string::npos)
            untold.push_back(e.name);
    }
    if (!untold.empty()) {
        std::string text;
        for (const std::string& name : future)
            text += name + "\n";
        try {
            saveFileAtomically(told, text);
        } catch (const IoError&) {
            // Not noted: told again the next time.
        }
    }
    return untold;
}

void pruneBackups(const fs::path& programFolder, Moment now, const std::string& justMade)
{
    const std::vector<Entry> entries = scanBackups(programFolder);
    std::vector<RetainedBackup> retained;
    for (const Entry& e : entries)
        retained.push_back({e.parsed.day, complete(programFolder, e), e.parsed.beforeRestore, e.name == justMade,
                            static_cast<long long>(e.made.time_since_epoch().count())});
    const std::vector<bool> keep = backupsToKeep(retained, now.day);
    const fs::path backups = programFolder / kFolder;
    bool removed = false;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::error_code ec;
        if (!keep[i])
            removed = fs::remove_all(backups / entries[i].name, ec) > 0 || removed;
    }
    if (removed)
        detail::syncFolder(backups);
}

std::vector<BackupInfo> listBackups(const fs::path& programFolder)
{
    std::vector<BackupInfo> list;
    const std::vector<Entry> entries = scanBackups(programFolder);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        list.push_back(detail::describeBackup(programFolder / kFolder / it->name, it->name, it->parsed));
    return list;
}

}  // namespace horavant::backup
