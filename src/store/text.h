// Conversions between the core's UTF-16 text and UTF-8 (paths, error texts, Qt boundaries aside).
#pragma once

#include <string>
#include <string_view>

namespace horavant {

std::string toUtf8(std::u16string_view text);
// Invalid UTF-8 sequences become U+FFFD.
std::u16string fromUtf8(std::string_view bytes);

}  // namespace horavant
