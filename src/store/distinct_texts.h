// The distinct texts of a field of a table, in order of first appearance.
#pragma once

#include "store/posix_file.h"
#include "store/record_values.h"
#include "store/work_time_text.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace horavant {

class DbfTable;

// Each distinct text of the field at `position` over the rows the table shows, once, in order
// of first appearance; exact comparison (case-sensitive, no trimming), the empty text included.
// Moves the cursor.
std::vector<std::u16string> collectDistinctTexts(DbfTable& table, int position);
// The same for several fields in one scan, a list for each position in the order given.
// `alsoEach`, when given, is called on every record the scan visits; with it the table is read
// even for no position.
std::vector<std::vector<std::u16string>> collectDistinctTexts(
    DbfTable& table, const std::vector<int>& positions, const std::function<void(const DbfTable&)>& alsoEach = {});

// The distinct texts of a field and which of them each record holds, so that a later pass over
// one text's rows visits those records alone instead of reading the whole table again.
struct DistinctTextRows {
    static constexpr std::int32_t kNotVisited = RecordValues::kNone;

    std::vector<std::u16string> texts;
    // Per physical record an index into texts, or kNotVisited: a byte a record while there are at
    // most 255 texts (ten million records in 10 MB), two bytes up to 65,535 texts, four beyond.
    RecordValues textOfRecord;
    std::uint32_t records = 0;
    bool complete = true;  // every visited record's text is noted in textOfRecord
    std::optional<FileStamp> file;  // the table's file when the scan began

    // Whether the noted texts still stand for the table: every one noted, and the table's file
    // as the scan found it.
    bool stillCurrent(const DbfTable& table) const;
    // Whether reading these records one by one is quicker than a scan of the whole table: up to
    // half of them (on a million records, reading every fourth one by one took 0.7 times a scan,
    // every one 1.3 times).
    bool fewEnough(std::size_t visits) const { return visits <= records / 2; }
};
// `alsoEach`, when given, is called on every record the scan visits, for a caller that gathers
// more of each record in the same scan.
DistinctTextRows collectDistinctTextRows(DbfTable& table, int position,
                                         const std::function<void(const DbfTable&)>& alsoEach = {});

// The same with each record's day beside its text, so that a later pass visits only the records
// of one text within a period.
struct DatedTextRows {
    static constexpr std::int32_t kNoDay = RecordValues::kNone;  // a date that cannot be read
    static_assert(kNoDay == StoredDays::kNoDay);

    DistinctTextRows subjects;
    RecordValues dayOfRecord;  // days since 1970, per physical record

    // The records holding `text` dated from..to (both inclusive), and those whose date cannot be
    // read, in physical order; nothing when the table's file has changed since (written by this
    // or another program), or when they are too many to be worth visiting one by one: the caller
    // must then read the table again.
    std::optional<std::vector<std::uint32_t>> recordsOf(const DbfTable& table, std::u16string_view text,
                                                        std::chrono::sys_days from, std::chrono::sys_days to) const;
};
// Each record's day is read from the work-time table's date field as the regional settings read a
// stored date.
DatedTextRows collectDatedTextRows(DbfTable& table, int position, const Regional& regional);

}  // namespace horavant
