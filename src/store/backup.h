// Backups of the data files in Sicherung/ of the program folder: making one (whole or not at
// all), pruning the old ones, listing them, and restoring one.
#pragma once

#include "store/backup_rules.h"
#include "store/error.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace horavant {

class DbfTable;

namespace backup {

// A backup or restore that failed.
class BackupError : public PatternError {
public:
    using PatternError::PatternError;
};

// Told how far a backup or restore has come: the bytes copied so far, of how many in all. Returning
// false asks it to stop; it does so at the next step where stopping is safe, throws Cancelled and
// leaves the data files and the backups as they were.
using Progress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

class Cancelled : public std::exception {
public:
    const char* what() const noexcept override { return "cancelled"; }
};

// Runs the copying of a restore, `work`, and returns when it ended, passing on what it threw. The
// windows run it on a thread beside them, with a progress dialog; without a runner it runs at once.
// The work touches no table object and no window.
using Runner = std::function<void(const std::function<void(const Progress&)>& work)>;

// Asked before every step that writes (a folder or file made, a file copied or synced, a rename);
// true makes that step fail as on a full disk. For tests.
using FailStep = std::function<bool(std::string_view step, const std::filesystem::path& file)>;

// Copies the data files of the table's folder that exist into a new folder of Sicherung/: first
// into a temporary folder beside the others, each file synced with the permission bits, owner and
// group of its original, the table copied while holding its append lock and checked, then renamed
// into place. A failure leaves no partial backup and throws BackupError. A daily or manual backup
// then prunes the old ones, never the one just made. Returns the new folder's name, or nothing
// when a daily backup of the day exists already. The table must be open.
std::optional<std::string> makeBackup(DbfTable& table, BackupKind kind, Moment now, const FailStep& fail = {});

// As makeBackup, for a thread beside the windows: the table file of the program folder is read
// through a descriptor of its own, whose append lock the copy holds, and no table object is used.
std::optional<std::string> makeBackupOfFolder(const std::filesystem::path& programFolder, BackupKind kind, Moment now,
                                              const Progress& progress = {}, const FailStep& fail = {});

// True when the program folder has no complete backup of the day's files yet.
bool dailyBackupDue(const std::filesystem::path& programFolder, Moment now);

// Deletes the backups that the retention rule does not keep on `now`'s day, never `justMade`.
// Backups that cannot be deleted stay.
void pruneBackups(const std::filesystem::path& programFolder, Moment now, const std::string& justMade = {});

// The backups dated after today that were not told before; they are noted as told in Sicherung/,
// so that each is told once. Such a backup blocks no backup of today and is never pruned.
std::vector<std::string> untoldFutureBackups(const std::filesystem::path& programFolder, Moment now);

enum class BackupState {
    Complete,
    Damaged,  // the table copy does not open, or holds fewer records than its header counts
    Incomplete,  // no table copy
};

struct BackupInfo {
    std::string name;  // the folder's name
    BackupName parsed;
    BackupState state = BackupState::Complete;
    std::uint32_t records = 0;  // the table copy's header count, deleted records included
    std::uint64_t bytes = 0;  // all its files together
};

// The backups of the program folder, newest first.
std::vector<BackupInfo> listBackups(const std::filesystem::path& programFolder);

// A restore about to replace the data files: the copies of the backup's files made beside them.
struct StagedRestore {
    std::string backup;  // the backup restored
    std::string saved;  // the backup of the files as they were before
    std::optional<std::filesystem::path> journal;  // the copy of the backup's journal, if it has one
    std::filesystem::path table;  // the copy of the backup's table
};
// Told under the append lock before the first file is replaced; throwing stops the restore with
// every data file as it was.
using BeforeReplace = std::function<void(const StagedRestore&)>;

// Saves the current files as a backup of their own (kind BeforeRestore), then puts the files of
// the backup `name` in place of the current ones, each replaced atomically; a data file the
// backup lacks stays as it is. Runs under the table's append lock and refuses when another copy
// of the program holds it. A pending edit of the table is posted first. The table is closed
// afterwards, for the caller to open again. Returns the name of the backup of the files before.
// The copying goes through `run`; stopped before the first file is replaced, the restore leaves
// everything as it was, the backup of the files before included.
std::string restoreBackup(DbfTable& table, const std::string& name, Moment now, const FailStep& fail = {},
                          const Runner& run = {}, const BeforeReplace& beforeReplace = {});

// What a restore that did not finish (the program ended while it replaced the files) left.
struct InterruptedRestore {
    std::string backup;  // the backup it restored
    std::string saved;  // the backup of the files before
};
// Clears what a crash left in the program folder: the temporary files of a restore or of a save
// of the data files, and the marker of a restore that did not finish, which is returned. A
// restore that another copy of the program is running is left alone.
std::optional<InterruptedRestore> recoverAfterCrash(const std::filesystem::path& programFolder);

// The texts of the failures, German, with %s for the details.
inline constexpr const char* kCannotWrite
    = "Die Datensicherung konnte nicht geschrieben werden: %s (%s). Die bisherigen Sicherungen sind unverändert.";
inline constexpr const char* kCopyDamaged
    = "Die Kopie der Arbeitszeittabelle ist unvollständig (%s). Die "
      "Datensicherung wurde verworfen, die bisherigen Sicherungen sind "
      "unverändert.";
inline constexpr const char* kTableBusy
    = "Eine andere Kopie des Programms schreibt gerade in die Arbeitszeittabelle. "
      "Bitte versuchen Sie die Wiederherstellung gleich noch einmal.";
inline constexpr const char* kNotRestorable
    = "Die Sicherung %s ist beschädigt oder unvollständig und kann nicht wiederhergestellt werden.";
inline constexpr const char* kRestoreFailed
    = "Die Wiederherstellung ist fehlgeschlagen: %s (%s). Die Daten sind "
      "unverändert.";
inline constexpr const char* kFutureBackups
    = "Die Sicherung %s ist auf einen Tag nach dem heutigen datiert. Vielleicht geht die Uhr des Computers falsch, "
      "oder sie ging falsch, als die Sicherung gemacht wurde. Bitte prüfen Sie Datum und Uhrzeit; die täglichen "
      "Sicherungen werden weiter gemacht.";
inline constexpr const char* kBackupGone
    = "Die Sicherung %s ist nicht mehr vorhanden. Es wurde nichts wiederhergestellt.";
inline constexpr const char* kRestoreInterrupted
    = "Die Wiederherstellung der Sicherung %s ist nicht zu Ende geführt worden: Das Programm wurde dabei beendet. "
      "Die Dateien im Programmordner stammen zum Teil aus dieser Sicherung, zum Teil vom Stand davor, der in der "
      "Sicherung %s ist. Bitte stellen Sie eine der beiden wieder her.";
inline constexpr const char* kRestoreHalfDone
    = "Die Wiederherstellung ist beim Austausch der Dateien fehlgeschlagen: %s (%s). Der Stand vor der "
      "Wiederherstellung ist in der Sicherung %s.";

}  // namespace backup
}  // namespace horavant
