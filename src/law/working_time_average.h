// The long-period average of the working-time law: net working time per Werktag over every
// window of 24 weeks.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace horavant {

inline constexpr std::chrono::days kAverageWindow {24 * 7};

struct AverageWindow {
    std::chrono::sys_days first;
    std::chrono::sys_days last;
    std::int64_t net = 0;
    std::uint32_t workingDays = 0;
};

// Days that are no Werktage of the average besides Sundays (public holidays, absences).
using DayFilter = std::function<bool(std::chrono::sys_days)>;

// Of the windows of kAverageWindow days within the days given (netPerDay[i] is the net working
// time of first + i), the one with the most net working time per Werktag (Monday to Saturday
// less the days `leftOut` names), the earliest of equals; nothing when no window fits or none
// has a Werktag.
std::optional<AverageWindow> highestAverageWindow(std::chrono::sys_days first, std::span<const std::int64_t> netPerDay,
                                                  const DayFilter& leftOut = {});

}  // namespace horavant
