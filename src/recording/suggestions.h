// The suggestion lists of the place and activity boxes.
#pragma once

#include "store/user_model.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace horavant {

class DbfTable;

// The lines of a fixed text, split at CR LF, LF or CR. Blank lines are kept as empty entries,
// as the administrator typed them; a line break at the very end ends the last line and adds no
// entry, so an empty text gives no lines.
std::vector<std::u16string> textLines(std::u16string_view text);

struct SuggestionLists {
    std::vector<std::u16string> activities;  // for TatEd
    std::vector<std::u16string> places;  // for Orted
};

// Builds the activity list, then the place list, each from its own mode: 0 the distinct texts of
// the table's field, any other value the lines of the stored texts. `alsoEach`, when given, sees
// every record in the same scan, which then runs whatever the modes.
SuggestionLists FillSuggestionLists(DbfTable& table, const ProgramSettings& settings,
                                    const std::function<void(const DbfTable&)>& alsoEach = {});

}  // namespace horavant
