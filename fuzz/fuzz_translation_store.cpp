// Fuzzes translate.dat: load, save, load again (the second load must equal the first), then
// checks that after deleting a row every German text still finds a row of its own.
#include "i18n/translation_merge.h"
#include "i18n/translation_store.h"
#include "store/error.h"

#include "work_folder.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>

namespace {

// The program's step of 100,000 rows costs a large allocation per load; under the address
// sanitizer that, not the parsing, would be what the harness spends its time on. With a small
// step the array grows, and moves its rows, several times over in a file of many rows instead.
constexpr std::int32_t kGrowthStep = 64;

bool sameRows(const horavant::TranslationStore& a, const horavant::TranslationStore& b)
{
    if (a.rowCount() != b.rowCount())
        return false;
    for (int r = 0; r < a.rowCount(); ++r) {
        for (int c = 0; c < horavant::kTranslationColumns; ++c) {
            if (a.cellView(r, c) != b.cellView(r, c))
                return false;
        }
    }
    return true;
}

bool framedByBlanks(const std::u16string& text)
{
    return !text.empty() && (text.front() == u' ' || text.back() == u' ');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto file = horavant::fuzz::workFolder() / "translate.dat";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    // The reading of a save that merges: with nothing changed here, the file's rows stay as they are.
    if (auto rows = horavant::parseTranslationRows({reinterpret_cast<const char*>(data), size})) {
        const auto merged = horavant::mergeTranslations(*rows, {});
        if (merged.rows != *rows || !merged.clashes.empty())
            std::abort();
    }
    horavant::TranslationStore first(file, horavant::shippedTranslations(), kGrowthStep);
    try {
        first.InitTranslations();
    } catch (const horavant::Error&) {
        // A damaged file keeps what was read; that much must survive a save.
    }
    first.SaveTranslations();
    horavant::TranslationStore second(file, horavant::shippedTranslations(), kGrowthStep);
    second.InitTranslations();
    if (!sameRows(first, second))
        std::abort();

    // Lookups in every language, also outside the row, and with the index patched by a deletion.
    second.deleteRow(0);
    const int rows = second.rowCount();
    for (int r = 0; r < std::min(rows, 200); ++r) {
        const std::u16string source = second.cell(r, 0);
        if (source.empty() || framedByBlanks(source))
            continue;
        second.setCurrentLanguage(r % (horavant::kTranslationColumns + 2) - 1);
        second.Translate(source);
        if (second.rowCount() != rows)
            std::abort();  // a text of the store was not found: the index lost its row
    }
    return 0;
}
