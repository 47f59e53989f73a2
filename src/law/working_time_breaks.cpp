// Placing a row's recorded break for the working-time check.
#include "law/working_time_breaks.h"

#include "store/work_time_text.h"

#include <algorithm>

namespace horavant {
namespace {

// HH:MM at p (five bytes available): its milliseconds, or -1.
std::int32_t timeAt(const char* p)
{
    const int minutes = writtenTimeMinutes(std::string_view(p, 5), ':');
    return minutes < 0 ? -1 : static_cast<std::int32_t>(minutes * kMsPerMinute);
}

// " HH:MM-HH:MM" at `at`; the interval read, or false.
bool intervalAt(std::string_view text, std::size_t at, TimeSpan& out)
{
    constexpr std::size_t kLength = 12;
    if (at + kLength > text.size() || text[at] != ' ' || text[at + 6] != '-')
        return false;
    out.from = timeAt(text.data() + at + 1);
    out.to = timeAt(text.data() + at + 7);
    return out.from >= 0 && out.to >= 0;
}

}  // namespace

bool listedBreaks(std::string_view remarks, RowBreaks& out)
{
    // The break window appends its list, so the last one is the latest; a list starts at a colon.
    for (std::size_t colon = remarks.rfind(':'); colon != std::string_view::npos;
         colon = colon == 0 ? std::string_view::npos : remarks.rfind(':', colon - 1)) {
        RowBreaks found;
        std::size_t at = colon + 1;
        TimeSpan span;
        while (intervalAt(remarks, at, span)) {
            if (found.count == RowBreaks::kMost)
                return false;
            found.spans[found.count++] = span;
            at += 12;
            if (at >= remarks.size() || remarks[at] != ';')
                break;
            ++at;
        }
        if (found.count > 0) {
            out = found;
            return true;
        }
    }
    return false;
}

bool listedBreaksFit(TimeSpan row, std::int32_t recordedBreak, std::string_view remarks, RowBreaks& out)
{
    RowBreaks listed;
    if (!listedBreaks(remarks, listed))
        return false;
    const auto spans = listed.spans.begin();
    const auto end = spans + static_cast<std::ptrdiff_t>(listed.count);
    std::sort(spans, end, [](TimeSpan a, TimeSpan b) { return a.from < b.from; });
    std::int64_t total = 0;
    std::int32_t covered = row.from;
    for (auto s = spans; s != end; ++s) {
        if (s->from >= s->to || s->from < covered || s->to > row.to)
            return false;
        covered = s->to;
        total += s->to - s->from;
    }
    if (total != recordedBreak)
        return false;
    out = listed;
    return true;
}

}  // namespace horavant
