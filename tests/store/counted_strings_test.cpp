// Counted strings: exact bytes, and damaged counts refused before anything is allocated.
#include "store/counted_strings.h"
#include "store/error.h"

#include <gtest/gtest.h>

namespace horavant {
namespace {

std::string ansi(std::u16string_view text)
{
    ByteWriter out;
    WriteCountedAnsiString(out, text);
    return out.bytes();
}

std::string wide(std::u16string_view text)
{
    ByteWriter out;
    WriteCountedWideString(out, text);
    return out.bytes();
}

TEST(CountedStrings, WriteTheExactBytes)
{
    EXPECT_EQ(ansi(u""), std::string("\0\0\0\0", 4));
    EXPECT_EQ(wide(u""), std::string("\0\0\0\0", 4));
    EXPECT_EQ(wide(u"ab"), std::string("\x02\0\0\0\x61\0\x62\0", 8));
    EXPECT_EQ(ansi(u"Grüße€"), std::string("\x06\0\0\0Gr\xFC\xDF"
                                           "e\x80",
                                           10));
    EXPECT_EQ(wide(u"Ł\xD83D\xDE00"), std::string("\x03\0\0\0\x41\x01\x3D\xD8\x00\xDE", 10));
}

TEST(CountedStrings, ReadBackWhatWasWrittenAndStopAtItsEnd)
{
    const std::u16string longText(700, u'ä');  // longer than the writer's chunk
    ByteWriter out;
    WriteCountedAnsiString(out, u"");
    WriteCountedWideString(out, longText);
    WriteCountedAnsiString(out, u"Müller");
    WriteCountedWideString(out, u"x\r\ny");
    ByteReader in(out.bytes(), "test.dat");
    EXPECT_EQ(ReadCountedAnsiString(in), u"");
    EXPECT_EQ(ReadCountedWideString(in), longText);
    EXPECT_EQ(ReadCountedAnsiString(in), u"Müller");
    EXPECT_EQ(ReadCountedWideString(in), u"x\r\ny");
    EXPECT_TRUE(in.atEnd());
}

struct Damaged {
    const char* name;
    std::string bytes;
    bool wideString;
};

class CountedStringsDamaged : public testing::TestWithParam<Damaged> {};

TEST_P(CountedStringsDamaged, AreInputOutputErrors)
{
    ByteReader in(GetParam().bytes, "benutzer.dat");
    if (GetParam().wideString)
        EXPECT_THROW(ReadCountedWideString(in), IoError);
    else
        EXPECT_THROW(ReadCountedAnsiString(in), IoError);
}

INSTANTIATE_TEST_SUITE_P(Counts, CountedStringsDamaged,
                         testing::Values(Damaged {"ShortCount", std::string("\x01\0\0", 3), false},
                                         Damaged {"NegativeCount",
                                                  std::string("\xFF\xFF\xFF\xFF"
                                                              "abc",
                                                              7),
                                                  false},
                                         Damaged {"MostNegativeWide",
                                                  std::string("\0\0\0\x80"
                                                              "abcd",
                                                              8),
                                                  true},
                                         Damaged {"HugeCount",
                                                  std::string("\xFF\xFF\xFF\x7F"
                                                              "abc",
                                                              7),
                                                  false},
                                         Damaged {"OneByteMissing",
                                                  std::string("\x04\0\0\0"
                                                              "abc",
                                                              7),
                                                  false},
                                         Damaged {"WideCountOfBytes",
                                                  std::string("\x04\0\0\0"
                                                              "a\0b\0",
                                                              8),
                                                  true},
                                         Damaged {"HalfAUnit",
                                                  std::string("\x01\0\0\0"
                                                              "a",
                                                              5),
                                                  true},
                                         Damaged {"WideOverflowingDouble",
                                                  std::string("\xFF\xFF\xFF\x7F"
                                                              "ab",
                                                              6),
                                                  true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace horavant
