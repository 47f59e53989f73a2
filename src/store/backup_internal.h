// What making and restoring a backup share: the writing steps with their failure report, and the
// writing of a backup folder while the caller holds the table's append lock.
#pragma once

#include "store/backup.h"
#include "store/posix_file.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace horavant::backup::detail {

// Runs the writing steps; a step that fails, or that the test hook fails, throws BackupError with
// the pattern, the file, the system's reason and the extra details.
class Steps {
public:
    Steps(const FailStep& fail, std::string pattern, std::vector<std::string> extra = {})
        : m_fail(fail), m_pattern(std::move(pattern)), m_extra(std::move(extra))
    {
    }

    // action returns false with errno set when it fails.
    void run(std::string_view step, const std::filesystem::path& file, const std::function<bool()>& action) const;
    [[noreturn]] void failed(const std::filesystem::path& file, int error) const;

private:
    const FailStep& m_fail;
    std::string m_pattern;
    std::vector<std::string> m_extra;
};

// Counts the bytes copied against all there are to copy and tells the caller's Progress; a copy
// step it answers with false fails with ECANCELED, which the steps turn into Cancelled.
class Meter {
public:
    Meter(const Progress& progress, std::uint64_t total) : m_progress(progress), m_total(total) {}
    bool copied(std::uint64_t bytes)
    {
        m_done += bytes;
        return !m_progress || m_progress(m_done, std::max(m_total, m_done));
    }

private:
    const Progress& m_progress;
    std::uint64_t m_total;
    std::uint64_t m_done = 0;
};

// The bytes of the data files in `folder` that exist.
std::uint64_t dataFileBytes(const std::filesystem::path& folder);

// fsync of a folder, so a new entry or a rename in it lasts; false with errno set.
bool syncFolder(const std::filesystem::path& folder);
// Gives a backup folder the permission bits, owner and group of `model`, the program folder: a
// backup is no more open than the data it holds.
void giveFolderAccessOf(const std::filesystem::path& model, const std::filesystem::path& folder);

// Writes a backup of the data files of `programFolder` (the table read from tableFd, whose append
// lock the caller holds) and renames it to the first free name of `names`. Nothing when every
// name is taken.
std::optional<std::string> writeBackup(const std::filesystem::path& programFolder, int tableFd,
                                       const std::vector<std::string>& names, const FailStep& fail,
                                       Meter* meter = nullptr);

// The marker of a restore under way in the program folder: written and synced before the first
// file is replaced, marked as being written while it lasts, removed once the last file is in
// place. Left behind, it tells the next start that the folder holds a mix of two states.
class RestoreMarker {
public:
    RestoreMarker(const std::filesystem::path& programFolder, const std::string& backup, const std::string& saved,
                  const Steps& steps);
    void remove();

private:
    std::filesystem::path m_path;
    UniqueFd m_file;
};

// The state, record count and size of one backup folder.
BackupInfo describeBackup(const std::filesystem::path& folder, std::string name, BackupName parsed);

}  // namespace horavant::backup::detail
