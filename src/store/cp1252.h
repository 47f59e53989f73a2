// The Windows-1252 ("ANSI") codec of the program's files, and its upper-casing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace horavant::cp1252 {

// Decoding is lossless: the five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) map to the control characters of the same number, so text read and written back gives
// the same bytes.
char16_t decodeByte(std::uint8_t byte);
std::u16string decode(std::string_view bytes);
// Decodes into out (replacing its contents) without a new allocation when out has the room.
void decodeInto(const std::uint8_t* bytes, std::size_t size, std::u16string& out);

// Whether the bytes decode to exactly the text, without decoding them into a string: a row's
// stored field can be compared with a name as often as a scan needs.
bool decodesTo(std::string_view bytes, std::u16string_view text);

// A UTF-16 unit without a Windows-1252 byte becomes '?'.
std::uint8_t encodeUnit(char16_t unit);
std::string encode(std::u16string_view text);

// Upper case by the letters of Windows-1252: ä -> Ä, š -> Š, ÿ -> Ÿ and so on; ß stays ß.
char16_t toUpper(char16_t unit);
std::u16string toUpper(std::u16string_view text);

}  // namespace horavant::cp1252
