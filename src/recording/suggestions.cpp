// Suggestion lists and distinct field texts.
#include "recording/suggestions.h"

#include "store/cp1252.h"

#include "store/dbf_table.h"
#include "store/work_time_text.h"

#include <deque>
#include <unordered_set>

namespace horavant {

std::vector<std::u16string> collectDistinctTexts(DbfTable& table, int position)
{
    // A hash set instead of a search through the list found so far: the same list in the same
    // order, without the time growing with the number of distinct texts. Texts are told apart by
    // their stored bytes (decoding is one to one), so only the first row of each text is decoded.
    // The bytes live in a deque so the views in the set stay valid while it grows.
    std::deque<std::string> bytesFound;
    std::unordered_set<std::string_view> seen;
    std::vector<std::u16string> found;
    std::string_view last;
    bool any = false;
    for (table.First(); !table.Eof(); table.Next()) {
        const std::string_view bytes = table.fieldBytes(position);
        // Neighbouring rows often repeat a text; that costs one comparison instead of a hash.
        if (any && bytes == last)
            continue;
        auto it = seen.find(bytes);
        if (it == seen.end()) {
            bytesFound.emplace_back(bytes);
            it = seen.insert(bytesFound.back()).first;
            found.push_back(cp1252::decode(bytesFound.back()));
        }
        last = *it;
        any = true;
    }
    return found;
}

std::vector<std::u16string> textLines(std::u16string_view text)
{
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        lines.emplace_back(text.substr(start, end - start));
        if (end < text.size() && text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

SuggestionLists FillSuggestionLists(DbfTable& table, const ProgramSettings& settings)
{
    SuggestionLists lists;
    lists.activities = settings.ActivityTextMode == 0 ? collectDistinctTexts(table, workfield::kActivity)
                                                      : textLines(settings.ActivityTexts);
    lists.places = settings.PlaceTextMode == 0 ? collectDistinctTexts(table, workfield::kPlace)
                                               : textLines(settings.PlaceTexts);
    return lists;
}

}  // namespace horavant
