// Reading the journal for the window, the check's words, and the journal as a report.
#include "journal/journal_view.h"

#include "store/error.h"
#include "store/text.h"

#include <algorithm>
#include <charconv>
#include <fcntl.h>

namespace horavant::journal {
namespace {

// A line kept shortened by the backward reader still has its first columns whole in its head.
std::optional<Entry> parseShown(const BackwardLines::Line& line)
{
    if (!line.shortened)
        return parseLine(line.text, false);
    const std::string_view head = std::string_view(line.text).substr(0, BackwardLines::kKeptBytes / 2);
    std::array<std::string_view, kBefore> columns;
    std::size_t at = 0;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const std::size_t tab = head.find('\t', at);
        if (tab == std::string_view::npos)
            return std::nullopt;
        columns[c] = head.substr(at, tab - at);
        at = tab + 1;
    }
    Entry e;
    const auto [end, error] = std::from_chars(columns[kNumber].data(),
                                              columns[kNumber].data() + columns[kNumber].size(), e.number);
    if (error != std::errc() || end != columns[kNumber].data() + columns[kNumber].size())
        return std::nullopt;
    e.time = unescapeField(columns[kTime]);
    e.computer = unescapeField(columns[kComputer]);
    e.who = unescapeField(columns[kWho]);
    e.action = unescapeField(columns[kAction]);
    e.subject = unescapeField(columns[kSubject]);
    e.changes = unescapeField(columns[kChanges]);
    return e;
}

std::u16string fill(const Translate& translate, std::u16string_view pattern, std::initializer_list<std::string> args)
{
    std::vector<std::string> values(args);
    return fromUtf8(formatMessageArgs(toUtf8(translate(pattern)), values));
}

}  // namespace

std::optional<std::chrono::sys_days> entryDay(std::string_view time)
{
    int y = 0;
    unsigned m = 0, d = 0;
    if (time.size() < 10 || time[4] != '-' || time[7] != '-')
        return std::nullopt;
    const auto number = [&](std::size_t at, std::size_t n, auto& out) {
        const auto [end, error] = std::from_chars(time.data() + at, time.data() + at + n, out);
        return error == std::errc() && end == time.data() + at + n;
    };
    if (!number(0, 4, y) || !number(5, 2, m) || !number(8, 2, d))
        return std::nullopt;
    const std::chrono::year_month_day day {std::chrono::year(y), std::chrono::month(m), std::chrono::day(d)};
    if (!day.ok())
        return std::nullopt;
    return std::chrono::sys_days(day);
}

std::optional<std::chrono::sys_days> firstDay(const std::filesystem::path& file)
{
    UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd)
        return std::nullopt;
    // The number and the time open the first line.
    char head[64];
    const long long n = readFullyAt(fd.get(), head, sizeof head, 0);
    if (n <= 0)
        return std::nullopt;
    const std::string_view text(head, static_cast<std::size_t>(n));
    const std::size_t tab = text.find('\t');
    return tab == std::string_view::npos ? std::nullopt : entryDay(text.substr(tab + 1));
}

bool Filter::matches(const Entry& e) const
{
    if (!employee.empty() && e.who != employee && e.subject != employee)
        return false;
    if (from || to) {
        const auto day = entryDay(e.time);
        if (!day || (from && *day < *from) || (to && *day > *to))
            return false;
    }
    return true;
}

Pages::Pages(const std::filesystem::path& file) : m_fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC))
{
    if (m_fd) {
        const long long size = fileSize(m_fd.get());
        if (size > 0)
            m_lines.emplace(m_fd.get(), static_cast<std::uint64_t>(size));
    }
}

std::vector<Entry> Pages::older(std::size_t count, const Filter& filter)
{
    std::vector<Entry> found;
    if (!m_lines)
        return found;
    BackwardLines::Line line;
    while (found.size() < count && m_lines->previous(line)) {
        if (auto entry = parseShown(line); entry && filter.matches(*entry))
            found.push_back(std::move(*entry));
    }
    return found;
}

std::vector<Entry> allEntries(const std::filesystem::path& file, const Filter& filter)
{
    Pages pages(file);
    std::vector<Entry> all;
    for (std::vector<Entry> more; !(more = pages.older(4096, filter)).empty();)
        all.insert(all.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    return all;
}

std::vector<std::u16string> checkMessage(const CheckResult& r, const Translate& translate)
{
    std::vector<std::u16string> lines;
    if (!r.journalFound) {
        lines.push_back(translate(u"Es gibt kein Änderungsprotokoll."));
        return lines;
    }
    if (r.brokenAt)
        lines.push_back(
            fill(translate, u"Das Protokoll wurde verändert, ab Eintrag %s.", {std::to_string(*r.brokenAt)}));
    else
        lines.push_back(translate(u"Das Protokoll ist unverändert."));
    for (const std::uint64_t line : r.damagedLines)
        lines.push_back(fill(translate,
                             u"Zeile %s des Protokolls ist unvollständig (beim Schreiben abgebrochen) und zählt nicht.",
                             {std::to_string(line)}));
    if (r.findings.empty()) {
        lines.push_back(translate(u"Alle Datensätze entsprechen dem Protokoll."));
        return lines;
    }
    for (std::size_t i = 0; i < r.findings.size() && i < kShownFindings; ++i) {
        const Finding& f = r.findings[i];
        const std::string record = std::to_string(f.record);
        switch (f.kind) {
        case Finding::Kind::Changed:
            lines.push_back(fill(translate, u"Datensatz %s wurde außerhalb des Programms geändert.", {record}));
            break;
        case Finding::Kind::Added:
            lines.push_back(fill(translate, u"Datensatz %s wurde außerhalb des Programms hinzugefügt.", {record}));
            break;
        case Finding::Kind::Removed:
            lines.push_back(fill(translate, u"Datensatz %s wurde außerhalb des Programms entfernt.", {record}));
            break;
        case Finding::Kind::NotExecuted:
            lines.push_back(
                fill(translate,
                     u"Eintrag %s (Datensatz %s) wurde nicht ausgeführt: das Programm wurde vor dem Schreiben beendet.",
                     {std::to_string(f.entry), record}));
            break;
        }
    }
    if (r.findings.size() > kShownFindings)
        lines.push_back(
            fill(translate, u"Und %s weitere Datensätze.", {std::to_string(r.findings.size() - kShownFindings)}));
    return lines;
}

std::u16string shownChanges(std::string_view changes, const Translate& translate)
{
    // The labels the journal writes itself; the rest are the table's field names.
    static constexpr std::string_view kLabels[] = {"Mitarbeiter",
                                                   "Benutzername",
                                                   "Passwort",
                                                   "Administratorpasswort",
                                                   "Sicherung",
                                                   "Stand vorher gesichert in",
                                                   "Eintrag vorher",
                                                   "Kette vorher",
                                                   "Datensätze",
                                                   "Mitarbeiter können Ihre Daten nachträglich bearbeiten",
                                                   "Orte fest vorgeben",
                                                   "Vorgegebene Orte",
                                                   "Tätigkeiten fest vorgeben",
                                                   "Vorgegebene Tätigkeiten",
                                                   "Pausenzeit in Auswertung aufführen"};
    static constexpr std::string_view kWords[] = {"geändert", "festgelegt", "entfernt", "\"Ja\"", "\"Nein\""};
    const auto ours = [](std::string_view text, const auto& list) {
        return std::find(std::begin(list), std::end(list), text) != std::end(list);
    };
    const auto shown = [&](std::string_view text) {
        if (!text.empty() && text.front() == '"' && text.size() > 1)
            return u'"' + translate(fromUtf8(text.substr(1, text.size() - 2))) + u'"';
        return translate(fromUtf8(text));
    };
    std::u16string out;
    std::size_t at = 0;
    while (at < changes.size()) {
        // An item runs to the next "; " outside quotes.
        std::size_t end = at;
        for (bool inQuotes = false; end < changes.size(); ++end) {
            if (changes[end] == '"')
                inQuotes = !inQuotes;
            else if (!inQuotes && changes.compare(end, 2, "; ") == 0)
                break;
        }
        const std::string_view item = changes.substr(at, end - at);
        const std::size_t colon = item.find(": ");
        if (colon != std::string_view::npos && ours(item.substr(0, colon), kLabels)) {
            out += translate(fromUtf8(item.substr(0, colon)));
            out += u": ";
            std::string_view value = item.substr(colon + 2);
            // A value the journal words itself, or a change of one from one to another.
            const std::size_t arrow = value.find(" → ");
            if (ours(value, kWords)) {
                out += shown(value);
            } else if (arrow != std::string_view::npos && ours(value.substr(0, arrow), kWords)
                       && ours(value.substr(arrow + 5), kWords)) {
                out += shown(value.substr(0, arrow)) + u" → " + shown(value.substr(arrow + 5));
            } else {
                out += fromUtf8(value);
            }
        } else {
            out += fromUtf8(item);
        }
        if (end < changes.size())
            out += u"; ";
        at = end + 2;
    }
    return out;
}

std::u16string shownTime(std::string_view time, const Regional& regional)
{
    const auto day = entryDay(time);
    if (!day || time.size() < 19 || time[10] != 'T')
        return fromUtf8(time);
    const std::u16string y = fromUtf8(time.substr(0, 4)), m = fromUtf8(time.substr(5, 2)),
                         d = fromUtf8(time.substr(8, 2));
    const char16_t ds = regional.dateSeparator;
    std::u16string out;
    switch (regional.dateOrder) {
    case DateOrder::DayMonthYear: out = d + ds + m + ds + y; break;
    case DateOrder::MonthDayYear: out = m + ds + d + ds + y; break;
    case DateOrder::YearMonthDay: out = y + ds + m + ds + d; break;
    }
    std::u16string clock = fromUtf8(time.substr(11, 8));
    for (char16_t& c : clock) {
        if (c == u':')
            c = regional.timeSeparator;
    }
    out += u' ';
    out += clock;
    if (time.size() > 19) {
        out += u' ';
        out += fromUtf8(time.substr(19));
    }
    return out;
}

std::u16string shownAction(const Entry& entry, const Translate& translate)
{
    static constexpr const char* kActions[] = {kStarted,
                                               kRecorded,
                                               kInserted,
                                               kChanged,
                                               kDeleted,
                                               kRestored,
                                               kUpgraded,
                                               kBackedUp,
                                               kUserAdded,
                                               kUserRemoved,
                                               kUserRenamed,
                                               kPasswordChanged,
                                               kAdminPasswordChanged,
                                               kSettingsChanged};
    const bool ours = std::find_if(std::begin(kActions), std::end(kActions),
                                   [&](const char* a) { return entry.action == a; })
                      != std::end(kActions);
    return ours ? translate(fromUtf8(entry.action)) : fromUtf8(entry.action);
}

std::u16string shownWho(const Entry& entry, const Translate& translate)
{
    const bool ours = entry.who == kAdministrator || entry.who == kProgram;
    return ours ? translate(fromUtf8(entry.who)) : fromUtf8(entry.who);
}

ReportTable journalReport(const std::vector<Entry>& entries, std::vector<std::u16string> heading,
                          const Translate& translate, const Regional& regional)
{
    ReportTable report;
    report.name = translate(u"Änderungsprotokoll");
    report.heading = std::move(heading);
    for (const char16_t* title :
         {u"Nr.", u"Zeit", u"Rechner", u"Wer", u"Aktion", u"Datensatz", u"Mitarbeiter", u"Änderungen"})
        report.columns.push_back({translate(title)});
    report.columns[0].number = true;
    report.columns[5].number = true;
    report.noRowsText = translate(u"Keine Einträge.");
    for (const Entry& e : entries) {
        ReportRow row;
        const std::u16string cells[] = {fromUtf8(std::to_string(e.number)),
                                        shownTime(e.time, regional),
                                        fromUtf8(e.computer),
                                        shownWho(e, translate),
                                        shownAction(e, translate),
                                        e.record ? fromUtf8(std::to_string(*e.record)) : std::u16string(),
                                        fromUtf8(e.subject),
                                        shownChanges(e.changes, translate)};
        for (const auto& cell : cells)
            row.push_back(cell);
        report.rows.push_back(std::move(row));
    }
    for (std::size_t c = 0; c < report.columns.size(); ++c) {
        std::size_t width = report.columns[c].title.size();
        for (const ReportRow& row : report.rows)
            width = std::max(width, row[c].size());
        report.columns[c].width = width;
    }
    return report;
}

std::u16string chainFooter(const std::optional<Tail>& last, const Translate& translate)
{
    if (!last || last->number == 0)
        return {};
    return fill(translate, u"Änderungsprotokoll: Eintrag %s, %s", {std::to_string(last->number), last->chain});
}

}  // namespace horavant::journal
