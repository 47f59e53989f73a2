// Counted strings of the program's data files: a 32-bit little-endian count, then the text as
// Windows-1252 bytes (ANSI) or as UTF-16LE units (wide). An empty text is the count 0 alone.
#pragma once

#include "store/byte_io.h"

#include <string>
#include <string_view>

namespace horavant {

// Units without a Windows-1252 byte are written as '?'.
void WriteCountedAnsiString(ByteWriter& out, std::u16string_view text);
// A negative count, or one larger than what remains, throws IoError before anything is allocated.
std::u16string ReadCountedAnsiString(ByteReader& in);

void WriteCountedWideString(ByteWriter& out, std::u16string_view text);
std::u16string ReadCountedWideString(ByteReader& in);

}  // namespace horavant
