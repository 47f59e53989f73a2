// The message table: numbering from 1, the unused entries, umlauts as single UTF-16 units.
#include "i18n/message_table.h"

#include <gtest/gtest.h>

namespace horavant {
namespace {

TEST(MessageTable, HoldsTheGermanTextsByNumber)
{
    EXPECT_EQ(MessageTable[1], u"Bitte schlie\u00DFen Sie das Programm und starten Sie es erneut.");
    EXPECT_EQ(MessageTable[2], u"\u00DCbersetzen");
    EXPECT_EQ(MessageTable[12], u"Die Bis-Zeit muss gr\u00F6\u00DFer als die Von-Zeit sein!");
    EXPECT_EQ(MessageTable[13], u"Die Pauszeit kann nicht l\u00E4nger als der Arbeitszeitraum sein!");
    EXPECT_EQ(MessageTable[27], u"Ausw\u00E4rts\u00FCbernachtungen:");
    EXPECT_EQ(MessageTable[36], u"Datum");
    EXPECT_EQ(MessageTable[48], u"Doppelt");
    for (int unused : {0, 17, 18, 20, 21, 22})
        EXPECT_TRUE(MessageTable[static_cast<std::size_t>(unused)].empty()) << unused;
    int used = 0;
    for (const auto text : MessageTable)
        used += text.empty() ? 0 : 1;
    EXPECT_EQ(used, 43);
}

}  // namespace
}  // namespace horavant
