// The translation editor's rules that need no window: the grid's header row, the search, and the
// export and import of Spanish translations through two text files in the working directory.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace horavant {

class TranslationStore;

// Grid row 0 is the header row; grid row r (from 1) is store row r - 1.
struct GridCell {
    int row = 0;
    int column = 0;
    friend bool operator==(const GridCell&, const GridCell&) = default;
};

constexpr int kEnglishColumn = 1;
constexpr int kSpanishColumn = 2;
constexpr const char* kExportFileName = "outtrans_Espannol.txt";
constexpr const char* kImportFileName = "espannol.txt";

// "German", "English", "Espannol", then "language3" ... "language29".
std::u16string editorHeaderText(int column);
// The text of a grid cell: the header for row 0, else the store's cell.
std::u16string editorCellText(const TranslationStore& store, int gridRow, int column);

// Capitals for the ASCII letters a to z only; ä stays ä.
std::u16string asciiUpper(std::u16string_view text);

// The first cell at or after from (row by row, column by column, header row included, up to grid
// row gridRows - 1) whose text contains text, ignoring the case of ASCII letters; none for an
// empty search text.
std::optional<GridCell> findInEditor(const TranslationStore& store, std::u16string_view text, GridCell from,
                                     int gridRows);
// The cell after cell in the search's order.
GridCell nextGridCell(GridCell cell);

// Writes, in Windows-1252 with CR LF, the German text of every row whose Spanish cell is empty and
// whose English cell is not, with each CR and LF replaced by a blank. The file is replaced
// atomically; a failure throws IoError and leaves an older file as it was.
void exportMissingSpanish(const TranslationStore& store, const std::filesystem::path& file);

// The lines of a text file whose encoding is told by its byte-order mark (UTF-8, UTF-16 LE or BE)
// and is Windows-1252 without one. CR LF, LF and CR end a line; a last line needs no ending.
std::vector<std::u16string> splitLines(std::u16string_view text);
std::u16string decodeTextFile(std::string_view bytes);
// Throws IoError when the file is missing or unreadable.
std::vector<std::u16string> readTextLines(const std::filesystem::path& file);

struct ImportedCell {
    int storeRow;
    std::u16string text;
};

// Pairs the exported German lines with the translated ones: walking the store's rows in order,
// a row whose German text equals exported line i gets translated line i (empty beyond the end of
// the translated lines) and i moves on; the walk stops when every exported line is used.
std::vector<ImportedCell> pairImportedLines(const TranslationStore& store, const std::vector<std::u16string>& exported,
                                            const std::vector<std::u16string>& translated);

}  // namespace horavant
