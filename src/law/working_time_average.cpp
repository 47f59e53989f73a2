// Every window of 24 weeks, by running sums over the days.
#include "law/working_time_average.h"

#include <vector>

namespace horavant {

using std::chrono::days;
using std::chrono::sys_days;

std::optional<AverageWindow> highestAverageWindow(sys_days first, std::span<const std::int64_t> netPerDay,
                                                  const DayFilter& leftOut)
{
    const auto window = static_cast<std::size_t>(kAverageWindow.count());
    if (netPerDay.size() < window)
        return std::nullopt;
    // Sums up to each day, so that each window is two subtractions.
    std::vector<std::int64_t> net(netPerDay.size() + 1);
    std::vector<std::uint32_t> working(netPerDay.size() + 1);
    for (std::size_t i = 0; i < netPerDay.size(); ++i) {
        const sys_days day = first + days(static_cast<int>(i));
        const bool counts = std::chrono::weekday(day) != std::chrono::Sunday && !(leftOut && leftOut(day));
        net[i + 1] = net[i] + netPerDay[i];
        working[i + 1] = working[i] + (counts ? 1 : 0);
    }
    std::optional<AverageWindow> best;
    for (std::size_t start = 0; start + window <= netPerDay.size(); ++start) {
        const std::int64_t sum = net[start + window] - net[start];
        const std::uint32_t count = working[start + window] - working[start];
        // sum / count > best.net / best.workingDays, without division.
        if (count == 0 || (best && sum * best->workingDays <= best->net * count))
            continue;
        best = AverageWindow {first + days(static_cast<int>(start)), first + days(static_cast<int>(start + window - 1)),
                              sum, count};
    }
    return best;
}

}  // namespace horavant
