// The distinct texts of a field of a table, in order of first appearance.
#pragma once

#include "store/posix_file.h"

#include <cstdint>
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
std::vector<std::vector<std::u16string>> collectDistinctTexts(DbfTable& table,
                                                              const std::vector<int>& positions);

// The distinct texts of a field and which of them each record holds, so that a later pass over
// one text's rows visits those records alone instead of reading the whole table again.
struct DistinctTextRows {
    static constexpr std::uint32_t kNotVisited = 0xFFFFFFFF;

    std::vector<std::u16string> texts;
    std::vector<std::uint32_t> textOfRecord;  // per physical record: an index into texts, or kNotVisited
    std::uint32_t records = 0;
    std::optional<FileStamp> file;  // the table's file when the scan began

    // The records holding `text`, in physical order; nothing when the table's file has changed
    // since (written by this or another program): the caller must then read the table again.
    std::optional<std::vector<std::uint32_t>> recordsOf(const DbfTable& table,
                                                        std::u16string_view text) const;
};
DistinctTextRows collectDistinctTextRows(DbfTable& table, int position);

}  // namespace horavant
