// The translation store: every German text of the program with up to 29 translations, kept in
// translate.dat, its index of German texts, and the lookup that every shown text passes through.
#pragma once

#include "i18n/shipped_translations.h"
#include "store/dyna_array.h"
#include "store/posix_file.h"

#include <array>
#include <cstdint>
#include <functional>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace horavant {

// The store's texts, addressed by handles that rows and index entries hold (records of a
// TDynaArray own nothing). Handle 0 is the empty text, so a zero-filled row is a row of empty cells.
class TextPool {
public:
    using Handle = std::uint32_t;

    // 0 for the empty text.
    Handle add(std::u16string text);
    std::u16string_view text(Handle handle) const;
    void release(Handle handle) noexcept;
    void clear() noexcept;

private:
    std::vector<std::u16string> m_texts;
    std::vector<Handle> m_free;
};

constexpr int kTranslationColumns = 30;

struct TranslationRow {
    std::array<TextPool::Handle, kTranslationColumns> cells;
};

struct TranslationIndexEntry {
    TextPool::Handle text;  // the entry's own copy of the German text
    std::int32_t row;
};

using TranslationTable = TypedDynaArray<TranslationRow>;
using TranslationBucket = TypedDynaArray<TranslationIndexEntry>;
constexpr int kTranslationBuckets = 256;
using TranslationIndex = std::array<TranslationBucket, kTranslationBuckets>;

// The low 8 bits of the first unit: A (U+0041) and Ł (U+0141) share a bucket. text is not empty.
inline int translationBucket(std::u16string_view text)
{
    return text.front() & 0xFF;
}

// A cell this copy's editor changed that another copy of the program had changed to another text
// meanwhile; this copy's text was saved.
struct TranslationClash {
    std::u16string german;  // the row's German text
    int column = 0;
    bool operator==(const TranslationClash&) const = default;
};

struct TranslationChanges;

// Sorts a bucket by the ordinal order of its texts, with a quicksort around the middle entry
// that swaps whole entries with Change.
void sortTranslationBucket(TranslationBucket& bucket, const TextPool& texts);

class TranslationStore {
public:
    static constexpr std::int32_t kRowGrowthStep = 100000;

    // Nothing is read until InitTranslations. The shipped translations fill the English and
    // Spanish cells that a row would otherwise leave empty: of a row added for a new text, and of
    // the rows loaded from the file (in memory; a cell filled by the user is never replaced).
    // The row array grows by kRowGrowthStep rows; a smaller step is for the fuzzing harness,
    // which loads thousands of stores a second.
    explicit TranslationStore(std::filesystem::path file, ShippedTranslations shipped = shippedTranslations(),
                              std::int32_t rowGrowthStep = kRowGrowthStep);
    TranslationStore(const TranslationStore&) = delete;
    TranslationStore& operator=(const TranslationStore&) = delete;

    // Loads the file and builds the index. A damaged file leaves what was read before the damage
    // in the table, indexed, and then throws Error("The file translation.dat has been corrupted.").
    void InitTranslations();
    // Replaces the table by the file's rows (silently none when the file is missing or
    // unreadable) and rebuilds the index from them; a damaged file throws as above.
    void LoadTranslations();
    // Replaces the file atomically, under the file's save lock, as another copy of the program on
    // the same folder may have left it. Where nobody wrote the file since this copy last read or
    // wrote it, all rows are written in 30 columns; otherwise the file is read again and written
    // with this copy's new rows and the cells (and deletions) of its editor put in, and the store
    // then holds what was written (see mergeTranslations; a damaged or missing file is replaced
    // by this copy's rows). Silent when the file cannot be created; a failed write throws IoError
    // and leaves the old file as it was.
    void SaveTranslations();
    // The clashes of the saves since the last call: cells both copies changed, this copy's kept.
    std::vector<TranslationClash> takeClashes();
    // Counts the saves that put the rows together anew from the file: row numbers may have moved.
    std::uint32_t rowsReplaced() const { return m_rowsReplaced; }

    // The text in the current language, framed by the text's own leading and trailing blanks.
    // A text the store does not know is added as a row (with its shipped translations) and saved
    // at once.
    std::u16string Translate(std::u16string_view text);
    // Translate of message 1 ... 48; the empty text, with nothing stored, for any other number.
    std::u16string GetMessageText(int number);
    // Gives every message its row, so that the editor shows them before they are first needed.
    void RegisterMessages();

    // A language outside 0 ... 29 is kept but looks up column 0, the German text.
    int CurrentLanguage() const { return m_currentLanguage; }
    void setCurrentLanguage(int language) { m_currentLanguage = language; }

    // The editor's access. Rows and columns outside the table are ignored (and read as empty);
    // the index follows every change, so lookups never reach a deleted or moved row.
    int rowCount() const { return static_cast<int>(m_table.recordCount()); }
    std::u16string cell(int row, int column) const;
    // The same without a copy, for comparing; valid until the store next changes.
    std::u16string_view cellView(int row, int column) const;
    void setCell(int row, int column, std::u16string_view text);
    void deleteRow(int row);

    const std::filesystem::path& file() const { return m_file; }

    // While a batch is open, the one save per new row that Translate makes is gathered into one
    // save when the outermost batch ends. Only texts of the program itself are added in a batch,
    // so a crash inside one loses nothing that the next start would not add again.
    class SaveBatch {
    public:
        explicit SaveBatch(TranslationStore& store);
        // Saves what is still pending; an error is then swallowed (finish reports it).
        ~SaveBatch();
        SaveBatch(const SaveBatch&) = delete;
        SaveBatch& operator=(const SaveBatch&) = delete;
        // Ends the batch, saving once when rows were added; throws as SaveTranslations.
        void finish();

    private:
        TranslationStore* m_store;
    };

private:
    bool validCell(int row, int column) const;
    // The cell of the current language, trimmed and framed by lead and trail blanks; the text
    // itself when that cell is empty.
    std::u16string lookedUp(std::u16string_view text, std::size_t lead, std::size_t trail, std::int32_t row) const;
    void fillShippedCells(TranslationRow& row);
    void clearAll() noexcept;
    void parse(std::string_view bytes);
    void buildIndex();
    void addIndexEntry(std::u16string_view text, std::int32_t row);
    // The position of row's entry in the bucket of text, or -1.
    std::int32_t findIndexEntry(std::u16string_view text, std::int32_t row) const;
    void removeIndexEntry(int bucket, std::int32_t position);

    void endBatch();

    // What this copy changed since it last read or wrote the file: for each row its place in the
    // file then (-1 for a row added since) and the cells its editor changed, with their old texts.
    struct RowOrigin {
        std::int32_t baseRow = -1;
        std::int32_t edits = -1;  // into m_edits; -1 when no cell was changed
    };
    // The rows as they are now are the file's.
    void takeAsBase(std::optional<FileStamp> stamp);
    void noteEdit(int row, int column);
    void noteDeletion(int row);
    TranslationChanges changesSinceBase() const;
    bool writeFile(const std::function<std::u16string_view(std::size_t row, int column)>& cellAt, std::size_t rows);

    std::filesystem::path m_file;
    ShippedTranslations m_shipped;
    std::int32_t m_rowGrowthStep;
    int m_currentLanguage = 0;
    int m_openBatches = 0;
    bool m_savePending = false;
    TextPool m_texts;
    TranslationTable m_table;
    TranslationIndex m_index;

    std::vector<RowOrigin> m_origin;  // one per row
    std::vector<std::vector<std::pair<int, std::u16string>>> m_edits;
    std::vector<std::pair<std::int32_t, std::u16string>> m_deletedBase;  // a row of the file, its German text
    std::int32_t m_baseRows = 0;
    std::optional<FileStamp> m_stamp;  // the file as last read or written
    std::vector<TranslationClash> m_clashes;
    std::uint32_t m_rowsReplaced = 0;
};

}  // namespace horavant
