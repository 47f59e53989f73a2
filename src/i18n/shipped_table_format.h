// The shipped translations table as text (German, English and Spanish per line), read and checked
// before the build turns it into the program's data.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace horavant {

struct ShippedTableRow {
    int line;  // from 1
    std::u16string german;
    std::u16string english;
    std::u16string spanish;
};

// Every fault of the table, one per line as "file:line: what", so that one run names them all.
class ShippedTableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The rows in file order. Lines starting with '#' and blank lines are skipped; the three cells are
// separated by tabs and may hold the escapes \n, \r, \t and \\. Throws ShippedTableError when a
// line is not three well-formed, non-empty cells, or a German text comes twice.
std::vector<ShippedTableRow> parseShippedTable(std::string_view text, std::string_view fileName);

}  // namespace horavant
