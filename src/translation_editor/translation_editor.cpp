// The translation editor's rules: header texts, search, export and import.
#include "translation_editor/translation_editor.h"

#include "i18n/translation_store.h"
#include "store/cp1252.h"
#include "store/error.h"
#include "store/posix_file.h"
#include "store/text.h"

#include <algorithm>

namespace horavant {

std::u16string editorHeaderText(int column)
{
    switch (column) {
    case 0: return u"German";
    case kEnglishColumn: return u"English";
    case kSpanishColumn: return u"Espannol";
    default: break;
    }
    std::u16string text = u"language";
    for (const char c : std::to_string(column))
        text += static_cast<char16_t>(c);
    return text;
}

std::u16string editorCellText(const TranslationStore& store, int gridRow, int column)
{
    return gridRow == 0 ? editorHeaderText(column) : store.cell(gridRow - 1, column);
}

std::u16string asciiUpper(std::u16string_view text)
{
    std::u16string out(text);
    for (char16_t& unit : out) {
        if (unit >= u'a' && unit <= u'z')
            unit = static_cast<char16_t>(unit - u'a' + u'A');
    }
    return out;
}

GridCell nextGridCell(GridCell cell)
{
    if (++cell.column >= kTranslationColumns) {
        cell.column = 0;
        ++cell.row;
    }
    return cell;
}

std::optional<GridCell> findInEditor(const TranslationStore& store, std::u16string_view text, GridCell from,
                                     int gridRows)
{
    if (text.empty())
        return std::nullopt;
    const std::u16string needle = asciiUpper(text);
    const int rows = std::min(gridRows, store.rowCount() + 1);
    for (GridCell c = from; c.row < rows; c = nextGridCell(c)) {
        if (c.row < 0 || c.column < 0)
            continue;
        if (asciiUpper(editorCellText(store, c.row, c.column)).find(needle) != std::u16string::npos)
            return c;
    }
    return std::nullopt;
}

void exportMissingSpanish(const TranslationStore& store, const std::filesystem::path& file)
{
    // The header row is never exported: its Spanish cell is never empty.
    std::string bytes;
    for (int r = 0; r < store.rowCount(); ++r) {
        if (!store.cellView(r, kSpanishColumn).empty() || store.cellView(r, kEnglishColumn).empty())
            continue;
        std::u16string line = store.cell(r, 0);
        for (char16_t& unit : line) {
            if (unit == u'\r' || unit == u'\n')
                unit = u' ';
        }
        bytes += cp1252::encode(line);
        bytes += "\r\n";
    }
    if (!saveFileAtomically(file, bytes))
        throw IoError(formatMessage("Cannot create file \"%s\".", {file.string()}));
}

std::vector<std::u16string> splitLines(std::u16string_view text)
{
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n')
            continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

namespace {

std::u16string decodeUtf16(std::string_view bytes, bool bigEndian)
{
    std::u16string out;
    out.reserve(bytes.size() / 2);
    // An odd last byte is half a unit and is dropped.
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<std::uint8_t>(bytes[i]);
        const auto second = static_cast<std::uint8_t>(bytes[i + 1]);
        out += static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return out;
}

bool startsWith(std::string_view bytes, std::string_view mark)
{
    return bytes.substr(0, mark.size()) == mark;
}

}  // namespace

std::u16string decodeTextFile(std::string_view bytes)
{
    if (startsWith(bytes, "\xEF\xBB\xBF"))
        return fromUtf8(bytes.substr(3));
    if (startsWith(bytes, "\xFF\xFE"))
        return decodeUtf16(bytes.substr(2), false);
    if (startsWith(bytes, "\xFE\xFF"))
        return decodeUtf16(bytes.substr(2), true);
    return cp1252::decode(bytes);
}

std::vector<std::u16string> readTextLines(const std::filesystem::path& file)
{
    const std::optional<std::string> bytes = readWholeFile(file);
    if (!bytes)
        throw IoError(formatMessage("Cannot open file \"%s\".", {file.string()}));
    return splitLines(decodeTextFile(*bytes));
}

std::vector<ImportedCell> pairImportedLines(const TranslationStore& store, const std::vector<std::u16string>& exported,
                                            const std::vector<std::u16string>& translated)
{
    std::vector<ImportedCell> cells;
    std::size_t line = 0;
    for (int r = 0; r < store.rowCount() && line < exported.size(); ++r) {
        if (store.cellView(r, 0) != exported[line])
            continue;
        cells.push_back({r, line < translated.size() ? translated[line] : std::u16string()});
        ++line;
    }
    return cells;
}

}  // namespace horavant
