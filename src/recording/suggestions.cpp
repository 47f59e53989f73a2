// Suggestion lists and distinct field texts.
#include "recording/suggestions.h"

#include "store/dbf_table.h"
#include "store/work_time_text.h"

#include <deque>
#include <unordered_set>

namespace horavant {

std::vector<std::u16string> collectDistinctTexts(DbfTable& table, int position)
{
    // A hash set instead of a search through the list found so far: the same list in the same
    // order, without the time growing with the number of distinct texts. The texts live in a
    // deque so the views in the set stay valid while it grows.
    std::deque<std::u16string> found;
    std::unordered_set<std::u16string_view> seen;
    std::u16string text;
    std::u16string_view last;
    bool any = false;
    for (table.First(); !table.Eof(); table.Next()) {
        table.readFieldText(position, text);
        // Neighbouring rows often repeat a text; that costs one comparison instead of a hash.
        if (any && text == last)
            continue;
        auto it = seen.find(text);
        if (it == seen.end()) {
            found.push_back(text);
            it = seen.insert(found.back()).first;
        }
        last = *it;
        any = true;
    }
    return {std::make_move_iterator(found.begin()), std::make_move_iterator(found.end())};
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
