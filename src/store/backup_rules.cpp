// Backup names and the retention rule.
#include "store/backup_rules.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <set>

namespace horavant::backup {
namespace {

using namespace std::chrono;

// Further backups of one second get a number; more than this many are not tried.
constexpr int kMaxNumbered = 9;

std::string dateText(sys_days day)
{
    const year_month_day d {day};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(d.year()), static_cast<unsigned>(d.month()),
                  static_cast<unsigned>(d.day()));
    return text;
}

std::string timeText(seconds time)
{
    const long long s = time.count();
    char text[16];
    std::snprintf(text, sizeof text, "%02lld%02lld%02lld", s / 3600 % 24, s / 60 % 60, s % 60);
    return text;
}

// Reads `count` digits at `at`; nothing when they are not all digits.
std::optional<int> digits(std::string_view text, std::size_t at, std::size_t count)
{
    if (at + count > text.size())
        return std::nullopt;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

Moment localNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    const year_month_day date {year {local.tm_year + 1900}, month {static_cast<unsigned>(local.tm_mon + 1)},
                               day {static_cast<unsigned>(local.tm_mday)}};
    return {sys_days {date}, seconds {local.tm_hour * 3600 + local.tm_min * 60 + std::min(local.tm_sec, 59)}};
}

std::vector<std::string> candidateNames(BackupKind kind, Moment now)
{
    std::string base = dateText(now.day);
    if (kind == BackupKind::BeforeRestore)
        base += "-" + std::string(kBeforeRestore);
    std::vector<std::string> names {base};
    const std::string timed = base + "-" + timeText(now.time);
    names.push_back(timed);
    for (int n = 2; n <= kMaxNumbered; ++n)
        names.push_back(timed + "-" + std::to_string(n));
    return names;
}

std::optional<BackupName> parseBackupName(std::string_view name)
{
    const auto y = digits(name, 0, 4);
    const auto m = digits(name, 5, 2);
    const auto d = digits(name, 8, 2);
    if (!y || !m || !d || name[4] != '-' || name[7] != '-')
        return std::nullopt;
    const year_month_day date {year {*y}, month {static_cast<unsigned>(*m)}, day {static_cast<unsigned>(*d)}};
    if (!date.ok())
        return std::nullopt;
    BackupName result;
    result.day = sys_days {date};
    std::string_view rest = name.substr(10);
    if (rest.size() > kBeforeRestore.size() && rest[0] == '-' && rest.substr(1).starts_with(kBeforeRestore)) {
        result.beforeRestore = true;
        rest.remove_prefix(1 + kBeforeRestore.size());
    }
    if (rest.empty())
        return result;
    const auto h = digits(rest, 1, 2);
    const auto min = digits(rest, 3, 2);
    const auto s = digits(rest, 5, 2);
    if (rest[0] != '-' || !h || !min || !s || *h > 23 || *min > 59 || *s > 59)
        return std::nullopt;
    result.time = hours {*h} + minutes {*min} + seconds {*s};
    rest.remove_prefix(7);
    if (rest.empty())
        return result;
    const auto n = digits(rest, 1, 1);
    if (rest.size() != 2 || rest[0] != '-' || !n || *n < 2)
        return std::nullopt;
    return result;
}

std::vector<bool> backupsToKeep(const std::vector<RetainedBackup>& oldestFirst, sys_days today)
{
    std::vector<bool> keep(oldestFirst.size(), false);
    const auto counts = [today](const RetainedBackup& b) { return b.complete && b.day <= today; };
    const auto monthOf = [](sys_days d) {
        const year_month_day ymd {d};
        return ymd.year() / ymd.month();
    };
    std::set<sys_days, std::greater<>> dated;
    std::set<year_month, std::greater<>> monthly;
    std::optional<std::size_t> newest;
    for (std::size_t i = 0; i < oldestFirst.size(); ++i) {
        const RetainedBackup& b = oldestFirst[i];
        if (counts(b)) {
            dated.insert(b.day);
            monthly.insert(monthOf(b.day));
        }
        if (b.complete && (!newest || b.made >= oldestFirst[*newest].made))
            newest = i;
    }
    const auto daysEnd = std::next(dated.begin(), std::min<std::ptrdiff_t>(kKeptDays, std::ssize(dated)));
    const std::set<sys_days> keptDays(dated.begin(), daysEnd);
    const auto monthsEnd = std::next(monthly.begin(), std::min<std::ptrdiff_t>(kKeptMonths, std::ssize(monthly)));
    std::set<year_month> keptMonths(monthly.begin(), monthsEnd);
    const sys_days oldestKeptDay = keptDays.empty() ? today : *keptDays.begin();

    for (std::size_t i = 0; i < oldestFirst.size(); ++i) {
        const RetainedBackup& b = oldestFirst[i];
        if (counts(b)) {
            // The first backup met of a kept month is its first; the month is then done.
            keep[i] = keptDays.contains(b.day) || keptMonths.erase(monthOf(b.day)) > 0;
        } else {
            keep[i] = b.day > today || b.day >= oldestKeptDay;
        }
        if (b.justMade || i == newest || (b.beforeRestore && b.day >= today - days {kKeptBeforeRestoreDays}))
            keep[i] = true;
    }
    return keep;
}

}  // namespace horavant::backup
