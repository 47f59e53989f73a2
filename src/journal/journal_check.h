// Checking the journal: its chain from the first line to the last, then the table against the
// digests the journal says each record should have.
#pragma once

#include "journal/journal_file.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace horavant::journal {

struct Finding {
    enum class Kind {
        Changed,  // the record's bytes are not what the journal says, changed outside the program
        Added,  // a record the journal does not know
        Removed,  // a record the journal knows is gone
        NotExecuted,  // an entry whose change never reached the table (a crash between the two)
    };
    Kind kind = Kind::Changed;
    std::uint32_t record = 0;  // from 1
    std::uint64_t entry = 0;  // the entry not executed

    bool operator==(const Finding&) const = default;
};

struct CheckResult {
    bool journalFound = true;
    // The first entry whose chain value does not follow from the lines before it.
    std::optional<std::uint64_t> brokenAt;
    // Lines (from 1) that are no whole entry, such as one a crash cut short.
    std::vector<std::uint64_t> damagedLines;
    // By record, at most one of each kind per record.
    std::vector<Finding> findings;
    Tail last;  // the last whole entry

    bool clean() const { return journalFound && !brokenAt && damagedLines.empty() && findings.empty(); }
    bool operator==(const CheckResult&) const = default;
};

// Checks the journal file against the table file. Neither may change meanwhile: the caller holds
// the table's append lock, or checks copies. A missing journal gives journalFound false.
CheckResult checkJournal(const std::filesystem::path& journalFile, const std::filesystem::path& tableFile);

// The result as lines of text, to keep it for later: what a check of the day's backup found is
// told at the next administrator's login.
std::string serializeResult(const CheckResult& result);
std::optional<CheckResult> parseResult(std::string_view text);

}  // namespace horavant::journal
