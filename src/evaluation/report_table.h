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
    // One cell per column; a missing cell is empty.
    std::vector<std::vector<std::u16string>> rows;
    std::vector<ReportSummary> summary;
};

// The report as text, one line per paragraph: the heading lines and an empty line (when there is
// a heading), the column titles, one line per row, an empty line and "label value" per summary.
std::vector<std::u16string> reportLines(const ReportTable& report);

}  // namespace horavant
