// The backups of the data files: which files, how their folders are named, and which of them are
// kept.
#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace horavant::backup {

// The backups live in this folder of the program folder, one folder each.
constexpr const char* kFolder = "Sicherung";
// The data files a backup holds, those of them that exist; the work-time table first.
constexpr std::array<const char*, 7> kFiles = {"arbeitszeit.dbf", "benutzer.dat", "options.dat",  "translate.dat",
                                               "sollzeit.dbf",    "abwesend.dbf", "protokoll.txt"};
// The change journal; restored before the table, which goes last.
constexpr const char* kJournalFile = kFiles[6];
constexpr std::string_view kBeforeRestore = "vor-Wiederherstellung";
// A backup being written; renamed to its name only when it is whole.
constexpr std::string_view kTempPrefix = ".neu-";
// In Sicherung/: the backups dated after today that were told to the user.
constexpr const char* kToldFuture = ".nach-heute";
// In the program folder while a restore replaces the files.
constexpr const char* kRestoreMarker = ".wiederherstellung";

// A local calendar date and time of day.
struct Moment {
    std::chrono::sys_days day;
    std::chrono::seconds time {0};  // since midnight
};
Moment localNow();

enum class BackupKind {
    Daily,  // the first of the day, made at start and at the first login of a day
    Manual,  // made by the user
    BeforeRestore,  // the files as they were before a restore
};

// The names to try for a new backup, first choice first: the date, then the date with the time,
// then with a number after the time (a second backup of a day, or the date's name taken by
// something that is no backup).
std::vector<std::string> candidateNames(BackupKind kind, Moment now);

// What a backup folder's name says.
struct BackupName {
    std::chrono::sys_days day;
    bool beforeRestore = false;
    std::optional<std::chrono::seconds> time;
};
// Nothing for a name that is not a backup's (other folders in Sicherung are left alone).
std::optional<BackupName> parseBackupName(std::string_view name);

// One backup folder as the retention rule sees it.
struct RetainedBackup {
    std::chrono::sys_days day;  // the date of its name
    bool complete = true;  // a whole backup that can be restored
    bool beforeRestore = false;
    bool justMade = false;
    long long made = 0;  // when it was made (its folder's time), in any unit
};

// Which backups the retention rule keeps, given oldest first (several of one day in the order
// they were made), on `today`. Only complete backups dated up to today count as days: every
// backup of the 14 latest such days and the first of each of the 12 latest such months are
// kept. Always kept as well: the backup just made, the newest complete one by the time it was
// made, every backup dated after today (the clock may be wrong, now or when it was made), and a
// backup of the files before a restore dated in the last 30 days. A folder that is no complete
// backup stays while it is not older than the oldest kept day.
std::vector<bool> backupsToKeep(const std::vector<RetainedBackup>& oldestFirst, std::chrono::sys_days today);

constexpr int kKeptDays = 14;
constexpr int kKeptMonths = 12;
constexpr int kKeptBeforeRestoreDays = 30;

}  // namespace horavant::backup
