// The distinct texts of a field of a table, in order of first appearance.
#pragma once

#include <string>
#include <vector>

namespace horavant {

class DbfTable;

// Each distinct text of the field at `position` over the rows the table shows, once, in order
// of first appearance; exact comparison (case-sensitive, no trimming), the empty text included.
// Moves the cursor.
std::vector<std::u16string> collectDistinctTexts(DbfTable& table, int position);

}  // namespace horavant
