// Adding up the break intervals of the break window.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace horavant {

struct BreakInterval {
    std::int64_t from = 0;  // milliseconds since 00:00
    std::int64_t to = 0;
};

// The value for the break field: the signed sum of (to - from) without any check, as a time of
// day holds it, that is |sum| modulo a day (a total of -1 hour gives 01:00).
std::int64_t breakFieldValue(std::span<const BreakInterval> intervals);

// The text appended to the remarks: message 16 ("Pausen:"), then for each interval whose ends
// differ, in the given order, a blank, HH:MM, "-", HH:MM, intervals separated by ";". Empty
// when no interval has differing ends.
std::u16string breakRemarks(std::span<const BreakInterval> intervals,
                            const std::function<std::u16string(int)>& messageText);

}  // namespace horavant
