// The translation store: translate.dat, the index of German texts and the lookup.
#include "i18n/translation_store.h"

#include "i18n/message_table.h"
#include "store/byte_io.h"
#include "store/counted_strings.h"
#include "store/error.h"
#include "store/options_file.h"
#include "store/posix_file.h"

#include <exception>
#include <new>
#include <optional>
#include <utility>

namespace horavant {

static_assert(kTranslationColumns == kLanguageCount, "a language is a column of the store");

namespace {

// The program's wording, file name included, as it has always been shown.
constexpr const char* kCorrupted = "The file translation.dat has been corrupted.";

constexpr char16_t kBlank = u' ';

bool isTrimmed(char16_t unit)
{
    return unit <= u' ';
}

void quickSort(TranslationBucket& bucket, const TextPool& texts, std::int32_t lo, std::int32_t hi)
{
    const auto textAt = [&](std::int32_t i) { return texts.text(bucket.at(static_cast<std::uint32_t>(i)).text); };
    // Recursing into the smaller part and looping on the larger keeps the stack shallow.
    while (lo < hi) {
        // Swaps move entries, not texts, so the pivot's text stays where it is.
        const std::u16string_view pivot = textAt((lo + hi) / 2);
        std::int32_t i = lo;
        std::int32_t j = hi;
        do {
            while (textAt(i) < pivot)
                ++i;
            while (textAt(j) > pivot)
                --j;
            if (i <= j) {
                bucket.Change(i, j);
                ++i;
                --j;
            }
        } while (i <= j);
        if (j - lo < hi - i) {
            quickSort(bucket, texts, lo, j);
            lo = i;
        } else {
            quickSort(bucket, texts, i, hi);
            hi = j;
        }
    }
}

}  // namespace

TextPool::Handle TextPool::add(std::u16string text)
{
    if (text.empty())
        return 0;
    if (!m_free.empty()) {
        const Handle handle = m_free.back();
        m_texts[handle - 1] = std::move(text);
        m_free.pop_back();
        return handle;
    }
    m_texts.push_back(std::move(text));
    return static_cast<Handle>(m_texts.size());
}

std::u16string_view TextPool::text(Handle handle) const
{
    return handle == 0 ? std::u16string_view() : std::u16string_view(m_texts[handle - 1]);
}

void TextPool::release(Handle handle) noexcept
{
    if (handle == 0)
        return;
    m_texts[handle - 1] = std::u16string();
    try {
        m_free.push_back(handle);
    } catch (const std::bad_alloc&) {
        // The slot is then not reused; nothing else is lost.
    }
}

void TextPool::clear() noexcept
{
    m_texts = {};
    m_free = {};
}

void sortTranslationBucket(TranslationBucket& bucket, const TextPool& texts)
{
    if (bucket.recordCount() > 1)
        quickSort(bucket, texts, 0, static_cast<std::int32_t>(bucket.recordCount()) - 1);
}

TranslationStore::TranslationStore(std::filesystem::path file, ShippedTranslations shipped, std::int32_t rowGrowthStep)
    : m_file(std::move(file)), m_shipped(shipped), m_rowGrowthStep(rowGrowthStep)
{
    m_table.setGrowthStep(m_rowGrowthStep);
}

void TranslationStore::InitTranslations()
{
    // Only an empty array takes a growth step; the load empties everything else.
    m_table.Clear();
    m_table.setGrowthStep(m_rowGrowthStep);
    LoadTranslations();
}

void TranslationStore::LoadTranslations()
{
    clearAll();
    // Taken before the file is read: a save by another copy in between then counts as unseen.
    const std::optional<FileStamp> stamp = fileStamp(m_file);
    std::optional<std::string> bytes;
    try {
        bytes = readWholeFile(m_file);
    } catch (const IoError&) {
        // Unreadable counts as missing: an empty store that the first new text writes anew.
    }
    bool damaged = false;
    if (bytes) {
        try {
            parse(*bytes);
        } catch (const IoError&) {
            damaged = true;
        } catch (const AllocationError&) {
            damaged = true;
        } catch (const std::bad_alloc&) {
            damaged = true;
        }
        // Known texts get the shipped translations their file lacks, the rows read before a
        // damage too, so they read as they will after the next save and start; the file itself
        // is rewritten only by the next save, in its old format.
        try {
            for (std::uint32_t r = 0; r < m_table.recordCount(); ++r)
                fillShippedCells(m_table.at(r));
        } catch (const std::bad_alloc&) {
            damaged = true;
        }
    }
    // What was read before the damage is used like a whole file, so it is indexed too.
    buildIndex();
    takeAsBase(stamp);
    if (damaged)
        throw Error(kCorrupted);
}

void TranslationStore::parse(std::string_view bytes)
{
    ByteReader in(bytes, m_file.string());
    const std::int32_t columns = in.readI32();
    const std::int32_t rows = in.readI32();
    // Rows without columns would cost nothing in the file, so their count could not be checked.
    if (columns < 0 || (columns == 0 && rows > 0))
        in.fail();
    for (std::int32_t r = 0; r < rows; ++r) {
        m_table.Add();
        const std::uint32_t row = m_table.recordCount() - 1;
        for (std::int32_t c = 0; c < columns; ++c) {
            std::u16string text = ReadCountedWideString(in);
            // Columns beyond the store's are read and dropped; a later save writes 30.
            if (c < kTranslationColumns)
                m_table.at(row).cells[static_cast<std::size_t>(c)] = m_texts.add(std::move(text));
        }
    }
}

std::u16string TranslationStore::Translate(std::u16string_view text)
{
    if (text.empty())
        return {};
    const std::size_t lead = text.find_first_not_of(kBlank);
    if (lead == std::u16string_view::npos)
        return std::u16string(text);
    const std::size_t trail = text.size() - 1 - text.find_last_not_of(kBlank);
    const std::u16string_view key = text.substr(lead, text.size() - lead - trail);

    const TranslationBucket& bucket = m_index[static_cast<std::size_t>(translationBucket(key))];
    for (std::uint32_t i = 0; i < bucket.recordCount(); ++i) {
        const TranslationIndexEntry& entry = bucket.at(i);
        if (m_texts.text(entry.text) != key)
            continue;
        if (entry.row < 0 || entry.row >= rowCount())
            break;
        return lookedUp(text, lead, trail, entry.row);
    }

    const auto rowNumber = static_cast<std::int32_t>(m_table.recordCount());
    TranslationRow added {};
    try {
        added.cells[0] = m_texts.add(std::u16string(key));
        fillShippedCells(added);
        *m_table.Add() = added;
    } catch (...) {
        for (const TextPool::Handle cell : added.cells)
            m_texts.release(cell);
        throw;
    }
    try {
        addIndexEntry(key, rowNumber);
    } catch (...) {
        for (const TextPool::Handle cell : added.cells)
            m_texts.release(cell);
        try {
            m_table.Delete(rowNumber);
        } catch (const AllocationError&) {
            // The row is gone all the same; the first error is the one to report.
        }
        throw;
    }
    m_origin.push_back({});
    if (m_openBatches > 0)
        m_savePending = true;
    else
        SaveTranslations();
    return lookedUp(text, lead, trail, rowNumber);
}

std::u16string TranslationStore::lookedUp(std::u16string_view text, std::size_t lead, std::size_t trail,
                                          std::int32_t row) const
{
    const bool valid = m_currentLanguage >= 0 && m_currentLanguage < kTranslationColumns;
    const auto column = static_cast<std::size_t>(valid ? m_currentLanguage : 0);
    std::u16string_view cell = m_texts.text(m_table.at(static_cast<std::uint32_t>(row)).cells[column]);
    if (cell.empty())
        return std::u16string(text);
    while (!cell.empty() && isTrimmed(cell.front()))
        cell.remove_prefix(1);
    while (!cell.empty() && isTrimmed(cell.back()))
        cell.remove_suffix(1);
    std::u16string out(lead, kBlank);
    out += cell;
    out.append(trail, kBlank);
    return out;
}

void TranslationStore::fillShippedCells(TranslationRow& row)
{
    const ShippedTranslation* shipped = m_shipped.find(m_texts.text(row.cells[0]));
    if (!shipped)
        return;
    // Adding to the pool may move its texts: the German view above is not used past this point.
    if (!row.cells[1])
        row.cells[1] = m_texts.add(std::u16string(shipped->english));
    if (!row.cells[2])
        row.cells[2] = m_texts.add(std::u16string(shipped->spanish));
}

std::u16string TranslationStore::GetMessageText(int number)
{
    if (number < 1 || number > kMessageCount)
        return {};
    return Translate(MessageTable[static_cast<std::size_t>(number)]);
}

void TranslationStore::RegisterMessages()
{
    for (int number = 1; number <= kMessageCount; ++number)
        GetMessageText(number);
}

TranslationStore::SaveBatch::SaveBatch(TranslationStore& store) : m_store(&store)
{
    ++store.m_openBatches;
}

TranslationStore::SaveBatch::~SaveBatch()
{
    if (!m_store)
        return;
    try {
        m_store->endBatch();
    } catch (const std::exception&) {
        // Reported by finish on the ordinary way out; here an error is already on its way.
    }
}

void TranslationStore::SaveBatch::finish()
{
    TranslationStore* store = std::exchange(m_store, nullptr);
    if (store)
        store->endBatch();
}

void TranslationStore::endBatch()
{
    if (--m_openBatches > 0 || !m_savePending)
        return;
    m_savePending = false;
    SaveTranslations();
}

bool TranslationStore::validCell(int row, int column) const
{
    return row >= 0 && row < rowCount() && column >= 0 && column < kTranslationColumns;
}

std::u16string TranslationStore::cell(int row, int column) const
{
    return std::u16string(cellView(row, column));
}

std::u16string_view TranslationStore::cellView(int row, int column) const
{
    if (!validCell(row, column))
        return {};
    return m_texts.text(m_table.at(static_cast<std::uint32_t>(row)).cells[static_cast<std::size_t>(column)]);
}

void TranslationStore::setCell(int row, int column, std::u16string_view text)
{
    if (!validCell(row, column))
        return;
    const auto r = static_cast<std::uint32_t>(row);
    const auto c = static_cast<std::size_t>(column);
    const TextPool::Handle old = m_table.at(r).cells[c];
    if (m_texts.text(old) == text)
        return;
    noteEdit(row, column);
    if (column != 0) {
        const TextPool::Handle replacement = m_texts.add(std::u16string(text));
        m_table.at(r).cells[c] = replacement;
        m_texts.release(old);
        return;
    }

    // A new German text moves the row's index entry to the new text's bucket at once, so the
    // old text is no longer found there and the new one is.
    const std::u16string oldText(m_texts.text(old));
    const std::int32_t oldEntry = old ? findIndexEntry(oldText, row) : -1;
    const TextPool::Handle replacement = m_texts.add(std::u16string(text));
    if (replacement) {
        try {
            addIndexEntry(text, row);
        } catch (...) {
            m_texts.release(replacement);
            throw;
        }
    }
    m_table.at(r).cells[0] = replacement;
    m_texts.release(old);
    // The new entry went to the end of its bucket, so the old entry's position still holds.
    if (oldEntry >= 0)
        removeIndexEntry(translationBucket(oldText), oldEntry);
}

void TranslationStore::deleteRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    noteDeletion(row);
    const TranslationRow gone = m_table.at(static_cast<std::uint32_t>(row));
    int bucket = 0;
    std::int32_t entry = -1;
    if (gone.cells[0]) {
        const std::u16string_view source = m_texts.text(gone.cells[0]);
        bucket = translationBucket(source);
        entry = findIndexEntry(source, row);
    }

    // A failed shrink still deletes; the bookkeeping is finished before the error is reported.
    std::exception_ptr failure;
    try {
        m_table.Delete(row);
    } catch (const AllocationError&) {
        failure = std::current_exception();
    }
    for (const TextPool::Handle cell : gone.cells)
        m_texts.release(cell);
    if (entry >= 0) {
        try {
            removeIndexEntry(bucket, entry);
        } catch (const AllocationError&) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    // The rows behind the deleted one moved up by one.
    for (TranslationBucket& b : m_index) {
        for (std::uint32_t i = 0; i < b.recordCount(); ++i) {
            if (b.at(i).row > row)
                --b.at(i).row;
        }
    }
    if (failure)
        std::rethrow_exception(failure);
}

void TranslationStore::clearAll() noexcept
{
    for (TranslationBucket& bucket : m_index)
        bucket.Clear();
    m_table.Clear();
    m_texts.clear();
    m_origin.clear();
}

void TranslationStore::buildIndex()
{
    for (std::uint32_t r = 0; r < m_table.recordCount(); ++r) {
        const TextPool::Handle source = m_table.at(r).cells[0];
        if (source)
            addIndexEntry(m_texts.text(source), static_cast<std::int32_t>(r));
    }
    for (TranslationBucket& bucket : m_index)
        sortTranslationBucket(bucket, m_texts);
}

void TranslationStore::addIndexEntry(std::u16string_view text, std::int32_t row)
{
    // The view may point into the pool, which adding can move: take what is needed of it first.
    TranslationBucket& bucket = m_index[static_cast<std::size_t>(translationBucket(text))];
    const TextPool::Handle copy = m_texts.add(std::u16string(text));
    try {
        TranslationIndexEntry* entry = bucket.Add();
        entry->text = copy;
        entry->row = row;
    } catch (...) {
        m_texts.release(copy);
        throw;
    }
}

std::int32_t TranslationStore::findIndexEntry(std::u16string_view text, std::int32_t row) const
{
    const TranslationBucket& bucket = m_index[static_cast<std::size_t>(translationBucket(text))];
    for (std::uint32_t i = 0; i < bucket.recordCount(); ++i) {
        if (bucket.at(i).row == row)
            return static_cast<std::int32_t>(i);
    }
    return -1;
}

void TranslationStore::removeIndexEntry(int bucket, std::int32_t position)
{
    TranslationBucket& b = m_index[static_cast<std::size_t>(bucket)];
    m_texts.release(b.at(static_cast<std::uint32_t>(position)).text);
    b.Delete(position);
}

}  // namespace horavant
