// Conversions between the core's UTF-16 text and UTF-8 (paths, error texts, Qt boundaries aside).
#pragma once

#include <string>
#include <string_view>

namespace horavant {

std::string toUtf8(std::u16string_view text);
// The code point that starts at text[i], i moved past it; half of a surrogate pair is U+FFFD.
char32_t nextCodePoint(std::u16string_view text, std::size_t& i);
void appendUtf8(std::string& out, char32_t c);
// Invalid UTF-8 sequences become U+FFFD.
std::u16string fromUtf8(std::string_view bytes);

}  // namespace horavant
