// The Windows-1252 codec and its upper-casing.
#include "store/cp1252.h"
#include "store/text.h"

#include <gtest/gtest.h>

namespace horavant {
namespace {

TEST(Cp1252, EveryByteSurvivesDecodeAndEncode)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::u16string text = cp1252::decode(all);
    ASSERT_EQ(text.size(), 256u);
    EXPECT_EQ(cp1252::encode(text), all);
}

TEST(Cp1252, MapsTheWindowsCharactersAndKeepsTheUndefinedBytes)
{
    EXPECT_EQ(cp1252::decodeByte(0x80), u'\u20AC');
    EXPECT_EQ(cp1252::decodeByte(0x8A), u'\u0160');
    EXPECT_EQ(cp1252::decodeByte(0x9F), u'\u0178');
    EXPECT_EQ(cp1252::decodeByte(0xE4), u'\u00E4');
    for (std::uint8_t b : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(cp1252::decodeByte(b), char16_t {b});
    EXPECT_EQ(cp1252::encode(u"\u20AC\u00C4\u00DF"), "\x80\xC4\xDF");
}

// The fast path for texts without 0x80..0x9F widens 4, 8 or 16 bytes at a time with overlapping
// loads: every unit must land in its place for every length, bytes from 0xA0 up must not be
// sign-extended, and a special byte must be found at every position.
TEST(Cp1252, FindsTheWindowsCharactersAtEveryPosition)
{
    for (std::size_t size = 0; size <= 40; ++size) {
        std::string plain(size, '\0');
        std::u16string widened(size, u'\0');
        for (std::size_t i = 0; i < size; ++i) {
            plain[i] = static_cast<char>(i % 2 ? 0xA0 + i : 0x20 + i);
            widened[i] = static_cast<char16_t>(static_cast<std::uint8_t>(plain[i]));
        }
        ASSERT_EQ(cp1252::decode(plain), widened) << "size " << size;
        for (std::size_t at = 0; at < size; ++at) {
            for (std::uint8_t special : {std::uint8_t {0x80}, std::uint8_t {0x9F}}) {
                std::string bytes = plain;
                bytes[at] = static_cast<char>(special);
                std::u16string expected = widened;
                expected[at] = cp1252::decodeByte(special);
                ASSERT_EQ(cp1252::decode(bytes), expected) << "size " << size << " at " << at;
            }
        }
    }
    EXPECT_EQ(cp1252::decode("\x7F\xA0\x7F\xA0\x7F\xA0\x7F\xA0\xFF"),
              u"\u007F\u00A0\u007F\u00A0\u007F\u00A0\u007F\u00A0\u00FF");
}

TEST(Cp1252, UnitsWithoutAByteBecomeQuestionMarks)
{
    EXPECT_EQ(cp1252::encode(u"\u0080\u0101\u4E2D\xD83D\xDE00"), "?????");
    EXPECT_EQ(cp1252::encodeUnit(u'\u0101'), '?');  // ý shifted by four, as the user file scrambles it
}

// Filters and scans compare a stored field with a name this way: exactly what decoding would give.
TEST(Cp1252, StoredBytesAreComparedWithATextAsDecoded)
{
    EXPECT_TRUE(cp1252::decodesTo("Meier", u"Meier"));
    EXPECT_TRUE(cp1252::decodesTo("", u""));
    EXPECT_TRUE(cp1252::decodesTo("\x80 \xE4\x81", u"\u20AC \u00E4\u0081"));
    EXPECT_FALSE(cp1252::decodesTo("meier", u"Meier"));
    EXPECT_FALSE(cp1252::decodesTo("Meier", u"Meier "));
    EXPECT_FALSE(cp1252::decodesTo("Meie", u"Meier"));
    // A name the code page cannot hold matches no stored text, not even its '?' form.
    EXPECT_FALSE(cp1252::decodesTo("M?", u"M\u4E2D"));
    EXPECT_FALSE(cp1252::decodesTo("\x80", u"\u0080"));
}

struct UpperCase {
    char16_t lower;
    char16_t upper;
};

class Cp1252Upper : public testing::TestWithParam<UpperCase> {};

TEST_P(Cp1252Upper, FollowsTheCodePagesLetters)
{
    EXPECT_EQ(cp1252::toUpper(GetParam().lower), GetParam().upper);
}

INSTANTIATE_TEST_SUITE_P(Letters, Cp1252Upper,
                         testing::Values(UpperCase {u'a', u'A'}, UpperCase {u'z', u'Z'}, UpperCase {u'ä', u'Ä'},
                                         UpperCase {u'ö', u'Ö'}, UpperCase {u'ü', u'Ü'}, UpperCase {u'é', u'É'},
                                         UpperCase {u'š', u'Š'}, UpperCase {u'œ', u'Œ'}, UpperCase {u'ž', u'Ž'},
                                         UpperCase {u'ÿ', u'Ÿ'}, UpperCase {u'ß', u'ß'}, UpperCase {u'÷', u'÷'},
                                         UpperCase {u'µ', u'µ'}, UpperCase {u'1', u'1'}, UpperCase {u'Ä', u'Ä'}));

TEST(Utf8, RoundTripsAndReplacesBrokenSequences)
{
    const std::u16string text = u"Tätigkeit € \xD83D\xDE00";
    EXPECT_EQ(fromUtf8(toUtf8(text)), text);
    EXPECT_EQ(fromUtf8("a\xC3"), u"a\uFFFD");
    EXPECT_EQ(fromUtf8("\xFF"
                       "b"),
              u"\uFFFD"
              "b");
}

}  // namespace
}  // namespace horavant
