// Backup names and the retention rule over dates: within a month, over month ends, over a year's end.
#include "store/backup_rules.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace horavant::backup {
namespace {

using namespace std::chrono;

sys_days dayOf(const std::string& iso)
{
    return parseBackupName(iso).value().day;
}

std::string isoOf(sys_days day)
{
    return candidateNames(BackupKind::Daily, {day}).front();
}

// `count` days from `first`, every `step` days.
std::vector<std::string> days(const std::string& first, int count, int step = 1)
{
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i)
        out.push_back(isoOf(dayOf(first) + std::chrono::days {i * step}));
    return out;
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct RetentionCase {
    const char* name;
    // Oldest first, in the order they were made: a backup folder's name, followed by "+" for the
    // backup just made or "~" for a folder that is no complete backup.
    std::vector<std::string> backups;
    std::vector<std::string> deleted;
    const char* today = nullptr;  // the last backup's day unless given
};

class Retention : public testing::TestWithParam<RetentionCase> {};

TEST_P(Retention, DeletesExactlyWhatTheRuleDoesNotKeep)
{
    const RetentionCase& c = GetParam();
    std::vector<RetainedBackup> backups;
    for (std::string name : c.backups) {
        const char flag = name.back();
        if (flag == '+' || flag == '~')
            name.pop_back();
        const BackupName parsed = parseBackupName(name).value();
        backups.push_back({parsed.day, flag != '~', parsed.beforeRestore, flag == '+', std::ssize(backups)});
    }
    const sys_days today = c.today ? dayOf(c.today) : backups.empty() ? sys_days {} : backups.back().day;
    const std::vector<bool> keep = backupsToKeep(backups, today);
    ASSERT_EQ(keep.size(), backups.size());
    std::vector<std::string> deleted;
    for (std::size_t i = 0; i < keep.size(); ++i)
        if (!keep[i])
            deleted.push_back(c.backups[i]);
    EXPECT_EQ(deleted, c.deleted);
}

std::vector<std::string> marked(std::vector<std::string> names, char mark)
{
    for (std::string& name : names)
        name += mark;
    return names;
}

// Backups on the 1st and the 15th of every month.
std::vector<std::string> twiceMonthly(int fromYear, int fromMonth, int months)
{
    std::vector<std::string> out;
    year_month ym = year {fromYear} / month {static_cast<unsigned>(fromMonth)};
    for (int i = 0; i < months; ++i, ym += std::chrono::months {1}) {
        out.push_back(isoOf(sys_days {ym / 1}));
        out.push_back(isoOf(sys_days {ym / 15}));
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Dates, Retention,
    testing::Values(
        RetentionCase {"Nothing", {}, {}}, RetentionCase {"FourteenDaysKeepAll", days("2024-03-01", 14), {}},
        // Twenty days of March: the last fourteen and the month's first.
        RetentionCase {"WithinAMonth", days("2024-03-01", 20), days("2024-03-02", 5)},
        // Over the end of January: the last fourteen days are in February; January keeps its first.
        RetentionCase {"OverAMonthEnd", days("2024-01-25", 22), days("2024-01-26", 6)},
        // Over a leap day and into March.
        RetentionCase {"OverALeapDay", days("2024-02-20", 24), days("2024-02-21", 9)},
        // Days without a backup do not count: the fourteen latest days with one span six weeks.
        RetentionCase {"GapsBetweenDays", days("2024-01-02", 17, 3), {"2024-01-05", "2024-01-08"}},
        // Several backups on one old day: only the first of them is the month's first.
        RetentionCase {"SeveralOnTheMonthsFirstDay",
                       std::vector<std::string> {"2024-04-02", "2024-04-02", "2024-04-02"} + days("2024-05-01", 14),
                       {"2024-04-02", "2024-04-02"}},
        // Fifteen months over the end of 2023: the twelve latest months keep their first,
        // the fourteen latest days are kept whole, the first three months go.
        RetentionCase {"OverAYearEnd", twiceMonthly(2023, 1, 15),
                       std::vector<std::string> {"2023-01-01", "2023-01-15", "2023-02-01", "2023-02-15", "2023-03-01",
                                                 "2023-03-15", "2023-04-15", "2023-05-15", "2023-06-15", "2023-07-15",
                                                 "2023-08-15"}},
        // A program unused for years: of twenty monthly backups before the pause, the thirteen
        // latest are among the fourteen latest days; the rest go.
        RetentionCase {"LongPause", days("2019-06-01", 20, 31) + std::vector<std::string> {"2024-06-01"},
                       days("2019-06-01", 7, 31)},
        // A clock a year ahead for two weeks, then set right: the backups dated in the
        // future stay and take no day from today's, which stays too.
        RetentionCase {"DatedAfterToday",
                       days("2024-05-20", 27) + std::vector<std::string> {"2024-06-16+"} + days("2025-06-01", 14),
                       days("2024-05-21", 11) + days("2024-06-02", 1), "2024-06-16"},
        // The files before a restore stay thirty days, whatever the rule says of their day.
        RetentionCase {"BeforeRestoreThirtyDays",
                       std::vector<std::string> {"2024-05-01", "2024-05-20-vor-Wiederherstellung",
                                                 "2024-06-01-vor-Wiederherstellung", "2024-06-02-vor-Wiederherstellung"}
                           + days("2024-06-07", 14),
                       {"2024-05-20-vor-Wiederherstellung"}},
        // Folders that are no complete backup take no day; old ones go, recent ones stay.
        RetentionCase {
            "IncompleteFoldersAreNoDays",
            marked(days("2024-02-20", 3), '~') + days("2024-03-01", 14) + marked(days("2024-03-15", 14), '~'),
            marked(days("2024-02-20", 3), '~')}),
    [](const testing::TestParamInfo<RetentionCase>& info) { return std::string(info.param.name); });

TEST(BackupNames, FirstTheDateThenTheTimeThenANumber)
{
    const Moment now {dayOf("2024-05-03"), hours {14} + minutes {30} + seconds {12}};
    EXPECT_EQ(candidateNames(BackupKind::Daily, now), candidateNames(BackupKind::Manual, now));
    const auto manual = candidateNames(BackupKind::Manual, now);
    EXPECT_EQ(manual.at(0), "2024-05-03");
    EXPECT_EQ(manual.at(1), "2024-05-03-143012");
    EXPECT_EQ(manual.at(2), "2024-05-03-143012-2");
    const auto before = candidateNames(BackupKind::BeforeRestore, now);
    EXPECT_EQ(before.at(0), "2024-05-03-vor-Wiederherstellung");
    EXPECT_EQ(before.at(1), "2024-05-03-vor-Wiederherstellung-143012");

    for (const auto& names : {manual, before}) {
        for (const std::string& name : names) {
            const auto parsed = parseBackupName(name);
            ASSERT_TRUE(parsed) << name;
            EXPECT_EQ(parsed->day, now.day);
            EXPECT_EQ(parsed->beforeRestore, name.find("vor-") != std::string::npos);
            EXPECT_EQ(parsed->time.has_value(), name.size() > 10 && name.find("143012") != std::string::npos);
        }
    }
    for (const char* other : {"2024-02-30", "2024-5-03", "2024-05-03-", "2024-05-03-kopie", "2024-05-03-246000",
                              "2024-05-03-143012-1", "2024-05-03-vor-Wiederherstellungen", ".neu-12-abc", "Sicherung"})
        EXPECT_FALSE(parseBackupName(other)) << other;
}

}  // namespace
}  // namespace horavant::backup
