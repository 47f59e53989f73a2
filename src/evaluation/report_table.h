// A finished report as data: heading lines, columns, rows of cells and summary values. The output
// window shows its text lines and saves it as CSV, so every report the window can show is one.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
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
    // The title and the cells stand at the right end of the column in the text (figures).
    bool alignRight = false;
};

// One row's cells, kept in one string, each after its length: a report of many thousand rows
// allocates once per row, not once per cell.
class ReportRow {
public:
    ReportRow() = default;
    ReportRow(std::initializer_list<std::u16string_view> cells);

    // Room for this many cells of this many units in all.
    void reserve(std::size_t cells, std::size_t units) { m_text.reserve(units + cells * kLengthUnits); }
    void push_back(std::u16string_view cell);
    std::size_t size() const { return m_count; }
    // Valid until the row changes.
    std::u16string_view operator[](std::size_t cell) const
    {
        if (cell >= m_count)
            return {};
        // Rows have a few cells: walking them is quicker than keeping where each starts.
        std::size_t at = 0;
        for (std::size_t c = 0;; ++c) {
            const std::size_t length = std::size_t {m_text[at]} << 16 | m_text[at + 1];
            at += kLengthUnits;
            if (c == cell)
                return std::u16string_view(m_text).substr(at, length);
            at += length;
        }
    }

private:
    // A cell's length in two units before its text.
    static constexpr std::size_t kLengthUnits = 2;
    std::u16string m_text;
    std::size_t m_count = 0;
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
    std::vector<ReportRow> rows;
    // The text's line in place of the rows when there are none; nothing when empty.
    std::u16string noRowsText;
    std::vector<ReportSummary> summary;
    // Lines of the text after the summary, not in the CSV (the lines to sign on paper).
    std::vector<std::u16string> footer;
};

// The report as text, one line per paragraph: the heading lines and an empty line (when there is
// a heading), the column titles (with titleLine), one line per row (or noRowsText), an empty line,
// "label value" per summary value and the footer.
std::vector<std::u16string> reportLines(const ReportTable& report);

}  // namespace horavant
