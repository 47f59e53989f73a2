// Bounds-checked byte reading.
#include "store/byte_io.h"

#include "store/error.h"

namespace horavant {

void ByteReader::fail() const
{
    throw IoError(formatMessage("Read error in file \"%s\": the file is damaged or ends too early.", {m_fileName}));
}

std::uint8_t ByteReader::readU8()
{
    if (remaining() < 1)
        fail();
    return static_cast<std::uint8_t>(m_data[m_pos++]);
}

std::int32_t ByteReader::readI32()
{
    if (remaining() < 4)
        fail();
    const auto v = getU32le(reinterpret_cast<const std::uint8_t*>(m_data.data() + m_pos));
    m_pos += 4;
    return static_cast<std::int32_t>(v);
}

std::string_view ByteReader::readBytes(std::size_t count)
{
    if (remaining() < count)
        fail();
    const auto out = m_data.substr(m_pos, count);
    m_pos += count;
    return out;
}

void ByteWriter::writeI32(std::int32_t v)
{
    std::uint8_t b[4];
    putU32le(b, static_cast<std::uint32_t>(v));
    m_bytes.append(reinterpret_cast<const char*>(b), 4);
}

}  // namespace horavant
