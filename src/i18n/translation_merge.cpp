// Saving translate.dat where another copy of the program may have saved it since: what this copy
// changed, put into the file as it is now, under the file's save lock.
#include "i18n/translation_merge.h"

#include "store/byte_io.h"
#include "store/counted_strings.h"
#include "store/error.h"

#include <new>
#include <unordered_map>

namespace horavant {

std::optional<std::vector<TranslationCells>> parseTranslationRows(std::string_view bytes)
{
    std::vector<TranslationCells> rows;
    try {
        ByteReader in(bytes, "translate.dat");
        const std::int32_t columns = in.readI32();
        const std::int32_t count = in.readI32();
        if (columns < 0 || (columns == 0 && count > 0))
            return std::nullopt;
        // Each row is read before it is kept, so a count the file cannot hold fails on its bytes.
        for (std::int32_t r = 0; r < count; ++r) {
            TranslationCells row;
            for (std::int32_t c = 0; c < columns; ++c) {
                std::u16string text = ReadCountedWideString(in);
                if (c < kTranslationColumns)
                    row[static_cast<std::size_t>(c)] = std::move(text);
            }
            rows.push_back(std::move(row));
        }
    } catch (const IoError&) {
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    return rows;
}

MergedTranslations mergeTranslations(std::vector<TranslationCells> theirs, const TranslationChanges& ours)
{
    std::unordered_map<std::u16string, std::vector<std::size_t>> rowsOfText;
    for (std::size_t i = 0; i < theirs.size(); ++i)
        rowsOfText[theirs[i][0]].push_back(i);
    // A row of the file then is the n-th of its German text then, and is looked for as the n-th now.
    std::unordered_map<std::u16string, std::size_t> seen;
    std::vector<std::size_t> nth(ours.baseSources.size());
    for (std::size_t k = 0; k < ours.baseSources.size(); ++k)
        nth[k] = seen[ours.baseSources[k]]++;
    const auto rowNow = [&](const std::u16string& text, std::size_t n) -> std::optional<std::size_t> {
        const auto found = rowsOfText.find(text);
        if (found == rowsOfText.end() || n >= found->second.size())
            return std::nullopt;
        return found->second[n];
    };
    const auto baseRowNow = [&](std::int32_t k) {
        return k >= 0 && static_cast<std::size_t>(k) < nth.size()
                   ? rowNow(ours.baseSources[static_cast<std::size_t>(k)], nth[static_cast<std::size_t>(k)])
                   : std::nullopt;
    };

    std::vector<bool> kept(theirs.size(), true);
    for (const std::int32_t k : ours.deleted) {
        if (const auto at = baseRowNow(k))
            kept[*at] = false;
    }
    MergedTranslations merged;
    std::vector<TranslationCells> appended;
    for (const TranslationChanges::Row& row : ours.rows) {
        const auto at = row.baseRow >= 0 ? baseRowNow(row.baseRow) : rowNow(row.cells[0], 0);
        if (!at || !kept[*at]) {
            appended.push_back(row.cells);
            continue;
        }
        TranslationCells& now = theirs[*at];
        for (const auto& [column, before] : row.edited) {
            std::u16string& cell = now[static_cast<std::size_t>(column)];
            const std::u16string& mine = row.cells[static_cast<std::size_t>(column)];
            if (cell != before && cell != mine)
                merged.clashes.push_back({row.cells[0], column});
            cell = mine;
        }
    }
    for (std::size_t i = 0; i < theirs.size(); ++i) {
        if (kept[i])
            merged.rows.push_back(std::move(theirs[i]));
    }
    for (TranslationCells& row : appended)
        merged.rows.push_back(std::move(row));
    return merged;
}

// --- the store's save ---------------------------------------------------------------------------

void TranslationStore::takeAsBase(std::optional<FileStamp> stamp)
{
    m_origin.resize(m_table.recordCount());
    for (std::size_t r = 0; r < m_origin.size(); ++r)
        m_origin[r] = {static_cast<std::int32_t>(r), -1};
    m_baseRows = static_cast<std::int32_t>(m_origin.size());
    m_edits.clear();
    m_deletedBase.clear();
    m_stamp = stamp;
}

void TranslationStore::noteEdit(int row, int column)
{
    RowOrigin& origin = m_origin[static_cast<std::size_t>(row)];
    if (origin.edits < 0) {
        origin.edits = static_cast<std::int32_t>(m_edits.size());
        m_edits.emplace_back();
    }
    auto& edits = m_edits[static_cast<std::size_t>(origin.edits)];
    for (const auto& edit : edits) {
        if (edit.first == column)
            return;
    }
    edits.emplace_back(column, cell(row, column));
}

void TranslationStore::noteDeletion(int row)
{
    const auto at = m_origin.begin() + row;
    if (at->baseRow >= 0) {
        std::u16string source = cell(row, 0);
        if (at->edits >= 0) {
            for (const auto& [column, before] : m_edits[static_cast<std::size_t>(at->edits)])
                source = column == 0 ? before : source;
        }
        m_deletedBase.emplace_back(at->baseRow, std::move(source));
    }
    m_origin.erase(at);
}

TranslationChanges TranslationStore::changesSinceBase() const
{
    TranslationChanges changes;
    changes.baseSources.resize(static_cast<std::size_t>(m_baseRows));
    for (const auto& [baseRow, source] : m_deletedBase) {
        changes.baseSources[static_cast<std::size_t>(baseRow)] = source;
        changes.deleted.push_back(baseRow);
    }
    for (int r = 0; r < rowCount(); ++r) {
        const RowOrigin origin = m_origin[static_cast<std::size_t>(r)];
        TranslationChanges::Row row {origin.baseRow, {}, {}};
        if (origin.edits >= 0)
            row.edited = m_edits[static_cast<std::size_t>(origin.edits)];
        for (int c = 0; c < kTranslationColumns; ++c)
            row.cells[static_cast<std::size_t>(c)] = cell(r, c);
        if (origin.baseRow >= 0) {
            std::u16string source = row.cells[0];
            for (const auto& [column, before] : row.edited)
                source = column == 0 ? before : source;
            changes.baseSources[static_cast<std::size_t>(origin.baseRow)] = std::move(source);
            if (row.edited.empty())
                continue;
        }
        changes.rows.push_back(std::move(row));
    }
    return changes;
}

bool TranslationStore::writeFile(const std::function<std::u16string_view(std::size_t row, int column)>& cellAt,
                                 std::size_t rows)
{
    // Every new text saves the whole store, so the buffer is sized once instead of grown.
    std::size_t size = 8;
    for (std::size_t r = 0; r < rows; ++r) {
        for (int c = 0; c < kTranslationColumns; ++c)
            size += 4 + 2 * cellAt(r, c).size();
    }
    ByteWriter out;
    out.reserve(size);
    out.writeI32(kTranslationColumns);
    out.writeI32(static_cast<std::int32_t>(rows));
    for (std::size_t r = 0; r < rows; ++r) {
        for (int c = 0; c < kTranslationColumns; ++c)
            WriteCountedWideString(out, cellAt(r, c));
    }
    return saveFileAtomically(m_file, out.bytes());
}

void TranslationStore::SaveTranslations()
{
    const SaveLock lock(m_file);
    if (fileStamp(m_file) != m_stamp) {
        std::optional<std::string> bytes;
        try {
            bytes = readWholeFile(m_file);
        } catch (const IoError&) {
        }
        // A file gone or damaged since holds nothing to keep: the rows are written as they are.
        if (auto theirs = bytes ? parseTranslationRows(*bytes) : std::nullopt) {
            MergedTranslations merged = mergeTranslations(std::move(*theirs), changesSinceBase());
            // As a load would show them: the file's rows get the shipped translations they lack.
            for (TranslationCells& row : merged.rows) {
                if (const ShippedTranslation* shipped = m_shipped.find(row[0])) {
                    if (row[1].empty())
                        row[1] = shipped->english;
                    if (row[2].empty())
                        row[2] = shipped->spanish;
                }
            }
            const auto cellOf = [&](std::size_t r, int c) -> std::u16string_view {
                return merged.rows[r][static_cast<std::size_t>(c)];
            };
            if (!writeFile(cellOf, merged.rows.size()))
                return;
            clearAll();
            for (const TranslationCells& cells : merged.rows) {
                TranslationRow& row = *m_table.Add();
                row = {};
                for (int c = 0; c < kTranslationColumns; ++c)
                    row.cells[static_cast<std::size_t>(c)] = m_texts.add(cells[static_cast<std::size_t>(c)]);
            }
            buildIndex();
            ++m_rowsReplaced;
            m_clashes.insert(m_clashes.end(), merged.clashes.begin(), merged.clashes.end());
            takeAsBase(fileStamp(m_file));
            return;
        }
    }
    const auto cellOf = [&](std::size_t r, int c) {
        return m_texts.text(m_table.at(static_cast<std::uint32_t>(r)).cells[static_cast<std::size_t>(c)]);
    };
    if (writeFile(cellOf, m_table.recordCount()))
        takeAsBase(fileStamp(m_file));
}

std::vector<TranslationClash> TranslationStore::takeClashes()
{
    return std::exchange(m_clashes, {});
}

}  // namespace horavant
