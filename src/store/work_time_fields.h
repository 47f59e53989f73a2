// Positions of the work-time table's ten fields; the program addresses them by position only.
#pragma once

namespace horavant {

namespace workfield {
constexpr int kDate = 0;
constexpr int kEmployee = 1;
constexpr int kPlace = 2;
constexpr int kActivity = 3;
constexpr int kFrom = 4;
constexpr int kTo = 5;
constexpr int kRemarks = 6;
constexpr int kAway = 7;
constexpr int kBreak = 8;
constexpr int kDouble = 9;
constexpr int kCount = 10;
}  // namespace workfield

}  // namespace horavant
