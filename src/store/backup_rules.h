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
constexpr std::array<const char*, 6> kFiles = {"arbeitszeit.dbf", "benutzer.dat", "options.dat",
                                               "translate.dat",   "sollzeit.dbf", "abwesend.dbf"};
constexpr std::string_view kBeforeRestore = "vor-Wiederherstellung";
// A backup being written; renamed to its name only when it is whole.
constexpr std::string_view kTempPrefix = ".neu-";

// A local calendar date and time of day.
struct Moment {
    std::chrono::sys_days day;
    std::chrono::seconds time {0};  // since midnight
};
Moment localNow();

enum class BackupKind {
    Daily,  // the first of the day, made at start; only the date
    Manual,  // made by the user; a second one of the day gets the time
    BeforeRestore,  // the files as they were before a restore
};

// The names to try for a new backup, first choice first: the date, then the date with the time,
// then with a number after the time.
std::vector<std::string> candidateNames(BackupKind kind, Moment now);

// What a backup folder's name says.
struct BackupName {
    std::chrono::sys_days day;
    bool beforeRestore = false;
    std::optional<std::chrono::seconds> time;
};
// Nothing for a name that is not a backup's (other folders in Sicherung are left alone).
std::optional<BackupName> parseBackupName(std::string_view name);

// The retention rule over the backups' dates, oldest first (several of one day in the order they
// were made): every backup of the 14 latest days that have one, the first backup of each of the
// 12 latest months that have one, and always the newest are kept.
std::vector<bool> backupsToKeep(const std::vector<std::chrono::sys_days>& oldestFirst);

constexpr int kKeptDays = 14;
constexpr int kKeptMonths = 12;

}  // namespace horavant::backup
