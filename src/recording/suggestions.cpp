// Suggestion lists of the place and activity boxes.
#include "recording/suggestions.h"

#include "store/distinct_texts.h"
#include "store/work_time_text.h"

namespace horavant {

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

SuggestionLists FillSuggestionLists(DbfTable& table, const ProgramSettings& settings,
                                    const std::function<void(const DbfTable&)>& alsoEach)
{
    SuggestionLists lists;
    const bool autoActivities = settings.ActivityTextMode == 0;
    const bool autoPlaces = settings.PlaceTextMode == 0;
    // Both lists built from the rows come from one scan of the table.
    std::vector<int> fields;
    if (autoActivities)
        fields.push_back(workfield::kActivity);
    if (autoPlaces)
        fields.push_back(workfield::kPlace);
    std::vector<std::vector<std::u16string>> gathered = collectDistinctTexts(table, fields, alsoEach);
    lists.activities = autoActivities ? std::move(gathered.front()) : textLines(settings.ActivityTexts);
    lists.places = autoPlaces ? std::move(gathered.back()) : textLines(settings.PlaceTexts);
    return lists;
}

}  // namespace horavant
