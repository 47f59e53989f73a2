// Break totals and the break text of the remarks.
#include "recording/breaks.h"

#include "store/work_time_text.h"

namespace horavant {

std::int64_t breakFieldValue(std::span<const BreakInterval> intervals)
{
    std::int64_t total = 0;
    for (const BreakInterval& b : intervals)
        total += b.to - b.from;
    if (total < 0)
        total = -total;
    return total % kMsPerDay;
}

std::u16string breakRemarks(std::span<const BreakInterval> intervals,
                            const std::function<std::u16string(int)>& messageText)
{
    std::u16string text;
    for (const BreakInterval& b : intervals) {
        if (b.from == b.to)
            continue;
        if (text.empty())
            text = messageText(16);
        else
            text += u';';
        text += u' ';
        text += formatStoredTime(b.from);
        text += u'-';
        text += formatStoredTime(b.to);
    }
    return text;
}

}  // namespace horavant
