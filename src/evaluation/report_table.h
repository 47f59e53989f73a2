// A finished report as data: heading lines, columns, rows of cells and summary values. The output
// window shows its text lines and saves it as CSV, so every report the window can show is one.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace horavant {

struct ReportColumn {
    std::u16string title;
    // The column's width in the text: at least the title's length. Cells are padded to it, except
    // in the last column of the text.
    std::size_t width = 0;
    // A column only for spreadsheets (a value computed from the row), not in the text.
    bool inText = true;
    // A number in the CSV: never guarded as a formula.
    bool number = false;
    // Follows every cell of the column in the text, not in the CSV (a colon after a label).
    std::u16string textSuffix {};
};

struct ReportSummary {
    std::u16string label;
    std::u16string value;
    bool number = true;
};

struct ReportTable {
    // The document's name, the default for a file saved from it (without folder and extension).
    std::u16string name;
    std::vector<std::u16string> heading;
    std::vector<ReportColumn> columns;
    // Whether the text has a line of the column titles; the CSV always has.
    bool titleLine = true;
    // One cell per column; a missing cell is empty.
    std::vector<std::vector<std::u16string>> rows;
    // The text's line in place of the rows when there are none; nothing when empty.
    std::u16string noRowsText;
    std::vector<ReportSummary> summary;
};

// The report as text, one line per paragraph: the heading lines and an empty line (when there is
// a heading), the column titles (with titleLine), one line per row (or noRowsText), an empty line
// and "label value" per summary value.
std::vector<std::u16string> reportLines(const ReportTable& report);

}  // namespace horavant
