// Two copies of the program on one folder each keep translate.dat in memory and save it whole:
// what one copy added and its editor changed, put into the file as the other copy left it.
#pragma once

#include "i18n/translation_store.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace horavant {

using TranslationCells = std::array<std::u16string, kTranslationColumns>;

// What one copy changed since it last read or wrote the file.
struct TranslationChanges {
    struct Row {
        std::int32_t baseRow = -1;  // the row's place in the file then; -1 for a row added since
        TranslationCells cells;  // the row as this copy holds it
        std::vector<std::pair<int, std::u16string>> edited;  // columns the editor changed, with the text before
    };
    std::vector<std::u16string> baseSources;  // the German text of every row of the file then
    std::vector<std::int32_t> deleted;  // rows of the file then that the editor deleted
    std::vector<Row> rows;  // the rows added since, and those with cells the editor changed
};

struct MergedTranslations {
    std::vector<TranslationCells> rows;
    std::vector<TranslationClash> clashes;
};

// The rows of translate.dat in 30 columns; nothing when the file is damaged.
std::optional<std::vector<TranslationCells>> parseTranslationRows(std::string_view bytes);

// The file's rows (theirs) with ours put in: a row of the file then is found again by its German
// text (the n-th row of a text as the n-th); the cells the editor changed replace the file's, and
// where the other copy changed such a cell to another text, ours wins and the clash is noted.
// Rows ours deleted go; rows ours added, or whose row the file no longer has, are appended in
// ours' order, unless the file has a row of that German text already.
MergedTranslations mergeTranslations(std::vector<TranslationCells> theirs, const TranslationChanges& ours);

}  // namespace horavant
