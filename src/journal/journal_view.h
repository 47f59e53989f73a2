// The journal as the administrator reads it: its entries newest first, a page at a time from the
// end of the file, filtered by employee and period; the check's result in words; and the
// entries as a report, to save as CSV or PDF.
#pragma once

#include "evaluation/report_table.h"
#include "journal/journal_check.h"
#include "journal/journal_file.h"
#include "store/regional.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace horavant::journal {

// The calendar day of an entry's time, as it was where the entry was written.
std::optional<std::chrono::sys_days> entryDay(std::string_view time);

// The day of the journal's first entry; nothing without one.
std::optional<std::chrono::sys_days> firstDay(const std::filesystem::path& file);

struct Filter {
    std::string employee;  // the entries by or about this employee; empty: everybody's
    std::optional<std::chrono::sys_days> from;
    std::optional<std::chrono::sys_days> to;

    bool matches(const Entry& entry) const;
};

// The entries of one journal file, newest first. Only the lines read are held; the first page
// reads the end of the file, however large the file is.
class Pages {
public:
    explicit Pages(const std::filesystem::path& file);
    // Up to `count` more entries that pass the filter, each older than those read before.
    std::vector<Entry> older(std::size_t count, const Filter& filter);
    bool atStart() const { return !m_lines || m_lines->position() == 0; }

private:
    UniqueFd m_fd;
    std::optional<BackwardLines> m_lines;
};

// Every entry of the file that passes the filter, newest first.
std::vector<Entry> allEntries(const std::filesystem::path& file, const Filter& filter);

// A German text in the current language.
using Translate = std::function<std::u16string(std::u16string_view)>;

// The check's result: the chain's state, lines cut short, and either that every record is as
// the journal says or one line per record found (at most kShownFindings, then the count of the
// rest).
constexpr std::size_t kShownFindings = 20;
std::vector<std::u16string> checkMessage(const CheckResult& result, const Translate& translate);

// The changes of an entry with the journal's own words in the current language; field names
// and values stay as stored.
std::u16string shownChanges(std::string_view changes, const Translate& translate);
// An entry's time as the user reads dates and times, with its UTC offset: 03.05.2024 10:00:00
// +02:00. A time that is not in the journal's form stays as it is.
std::u16string shownTime(std::string_view time, const Regional& regional);
// The action in the current language; an action the program does not write stays as it is.
std::u16string shownAction(const Entry& entry, const Translate& translate);
// Who did it, in the current language where it was the administrator or the program.
std::u16string shownWho(const Entry& entry, const Translate& translate);

// The entries as a report: number, time, computer, who, action (in the current language),
// record, employee and changes. `heading` comes first.
ReportTable journalReport(const std::vector<Entry>& entries, std::vector<std::u16string> heading,
                          const Translate& translate, const Regional& regional);

// "Änderungsprotokoll: Eintrag %s, %s": the last entry's number and chain value, as the foot of a
// printed report carries them; empty without a journal.
std::u16string chainFooter(const std::optional<Tail>& last, const Translate& translate);

}  // namespace horavant::journal
