// The program's numbered German messages; code asks for them by number through the translation store.
#pragma once

#include <array>
#include <string_view>

namespace horavant {

constexpr int kMessageCount = 48;

// MessageTable[n] is message n (1 ... 48); entry 0 and the unused messages 17, 18, 20, 21 and 22
// are empty.
extern const std::array<std::u16string_view, kMessageCount + 1> MessageTable;

}  // namespace horavant
