// Little-endian numbers in byte buffers, and a bounds-checked reader and a writer for the
// program's small data files (read whole into memory, parsed, written whole).
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace horavant {

inline std::uint16_t getU16le(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t getU32le(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8)
           | (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline void putU16le(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void putU32le(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

// Whether two byte strings are equal. Field texts are mostly short: up to sixteen bytes are
// compared with two overlapping loads from each side instead of a library call.
inline bool sameBytes(std::string_view a, std::string_view b)
{
    const std::size_t n = a.size();
    if (n != b.size())
        return false;
    const auto load = [](const char* p, auto word) {
        std::memcpy(&word, p, sizeof word);
        return word;
    };
    if (n >= 8 && n <= 16) {
        return ((load(a.data(), std::uint64_t {}) ^ load(b.data(), std::uint64_t {}))
                | (load(a.data() + n - 8, std::uint64_t {}) ^ load(b.data() + n - 8, std::uint64_t {})))
               == 0;
    }
    if (n >= 4 && n < 8) {
        return ((load(a.data(), std::uint32_t {}) ^ load(b.data(), std::uint32_t {}))
                | (load(a.data() + n - 4, std::uint32_t {}) ^ load(b.data() + n - 4, std::uint32_t {})))
               == 0;
    }
    return a == b;
}

// Reads from a buffer holding a whole file. Asking for more than remains throws IoError
// naming the file, before anything is allocated.
class ByteReader {
public:
    ByteReader(std::string_view data, std::string fileName) : m_data(data), m_fileName(std::move(fileName)) {}

    std::size_t remaining() const { return m_data.size() - m_pos; }
    bool atEnd() const { return m_pos == m_data.size(); }
    std::size_t position() const { return m_pos; }

    std::uint8_t readU8();
    std::int32_t readI32();
    std::string_view readBytes(std::size_t count);

    // The error a short or damaged file raises.
    [[noreturn]] void fail() const;

private:
    std::string_view m_data;
    std::size_t m_pos = 0;
    std::string m_fileName;
};

class ByteWriter {
public:
    void writeU8(std::uint8_t v) { m_bytes += static_cast<char>(v); }
    void writeI32(std::int32_t v);
    void writeBytes(std::string_view bytes) { m_bytes += bytes; }
    void reserve(std::size_t bytes) { m_bytes.reserve(bytes); }
    const std::string& bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

}  // namespace horavant
