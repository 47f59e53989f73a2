// The text of a report table: columns a blank apart, each padded to its width.
#include "evaluation/report_table.h"

#include <algorithm>
#include <cstdint>

namespace horavant {

ReportRow::ReportRow(std::initializer_list<std::u16string_view> cells)
{
    std::size_t units = 0;
    for (const std::u16string_view cell : cells)
        units += cell.size();
    reserve(cells.size(), units);
    for (const std::u16string_view cell : cells)
        push_back(cell);
}

void ReportRow::push_back(std::u16string_view cell)
{
    const auto length = static_cast<std::uint32_t>(cell.size());
    m_text += static_cast<char16_t>(length >> 16);
    m_text += static_cast<char16_t>(length & 0xFFFF);
    m_text += cell;
    ++m_count;
}

namespace {

void appendPadded(std::u16string& line, std::u16string_view text, std::size_t width)
{
    line += text;
    if (text.size() < width)
        line.append(width - text.size(), u' ');
}

// The titles are padded in every column; a row's last cell is not, so no line ends in blanks
// that nobody typed.
std::u16string textLine(const ReportTable& report, const ReportRow* cells)
{
    std::size_t last = report.columns.size();
    for (std::size_t c = 0; c < report.columns.size(); ++c)
        if (report.columns[c].inText)
            last = c;
    // The line's length is known before it is written: one allocation for it.
    std::size_t length = 0;
    for (std::size_t c = 0; c < report.columns.size(); ++c) {
        const ReportColumn& column = report.columns[c];
        if (column.inText) {
            const std::size_t cell = !cells              ? column.title.size()
                                     : c < cells->size() ? (*cells)[c].size() + column.textSuffix.size()
                                                         : column.textSuffix.size();
            length += 1 + std::max(cell, column.width);
        }
    }
    std::u16string line;
    line.reserve(length);
    bool first = true;
    for (std::size_t c = 0; c < report.columns.size(); ++c) {
        const ReportColumn& column = report.columns[c];
        if (!column.inText)
            continue;
        if (!first)
            line += u' ';
        first = false;
        if (column.alignRight) {
            const std::u16string_view text = !cells              ? std::u16string_view(column.title)
                                             : c < cells->size() ? (*cells)[c]
                                                                 : std::u16string_view();
            const std::size_t length = text.size() + (cells ? column.textSuffix.size() : 0);
            if (length < column.width)
                line.append(column.width - length, u' ');
            line += text;
            if (cells)
                line += column.textSuffix;
            continue;
        }
        if (!cells) {
            appendPadded(line, column.title, column.width);
            continue;
        }
        const std::size_t start = line.size();
        if (c < cells->size())
            line += (*cells)[c];
        line += column.textSuffix;
        const std::size_t length = line.size() - start;
        if (c != last && length < column.width)
            line.append(column.width - length, u' ');
    }
    return line;
}

}  // namespace

std::vector<std::u16string> reportLines(const ReportTable& report)
{
    std::vector<std::u16string> lines;
    lines.reserve(report.heading.size() + report.rows.size() + report.summary.size() + 3);
    lines.insert(lines.end(), report.heading.begin(), report.heading.end());
    if (!report.heading.empty())
        lines.emplace_back();
    if (report.titleLine)
        lines.push_back(textLine(report, nullptr));
    for (const auto& row : report.rows)
        lines.push_back(textLine(report, &row));
    if (report.rows.empty() && !report.noRowsText.empty())
        lines.push_back(report.noRowsText);
    lines.emplace_back();
    for (const auto& s : report.summary)
        lines.push_back(s.label + u' ' + s.value);
    lines.insert(lines.end(), report.footer.begin(), report.footer.end());
    return lines;
}

}  // namespace horavant
