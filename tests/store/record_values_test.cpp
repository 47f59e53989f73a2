// A number per record in one or two bytes while the numbers allow it, and four bytes once they do
// not: every number reads back as it was set, whichever way it is held.
#include "store/record_values.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace horavant {
namespace {

constexpr std::int32_t kNone = INT32_MIN;
constexpr std::int32_t k2026 = 20454;  // 01.01.2026 in days since 1970
constexpr std::int32_t kMinute = 60000;

struct Case {
    const char* name;
    std::vector<std::int32_t> values;  // set to records 0, 1, ... in this order
    unsigned bytesEach;
    bool minutes = false;  // whole minutes in ms, else days
};

class RecordValuesTest : public testing::TestWithParam<Case> {};

template <std::int32_t Unit>
void setAndReadBack(const Case& c)
{
    const auto records = static_cast<std::uint32_t>(c.values.size());
    RecordValues<Unit> values(records + 1);  // the last record is never set
    for (std::uint32_t r = 0; r < records; ++r)
        values.set(r, c.values[r]);
    for (std::uint32_t r = 0; r < records; ++r)
        EXPECT_EQ(values[r], c.values[r]) << "record " << r;
    EXPECT_EQ(values[records], kNone);
    EXPECT_EQ(values.bytesHeld(), (records + 1) * c.bytesEach);
}

TEST_P(RecordValuesTest, ReadsBackEveryNumberAsNarrowAsTheyFit)
{
    if (GetParam().minutes)
        setAndReadBack<kMinute>(GetParam());
    else
        setAndReadBack<1>(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, RecordValuesTest,
    testing::Values(
        Case {"IndicesOfAFewHundredTexts", {0, 1, kNone, 254, 3}, 1}, Case {"OneTextTooMany", {0, 1, 255}, 2},
        Case {"DaysOfAFewMonths", {k2026, k2026 + 100, kNone, k2026 - 154}, 1},
        Case {"DaysOfAFewYearsAndUnreadableOnes", {k2026, kNone, k2026 + 1, k2026 - 400, kNone, k2026 + 700}, 2},
        // The first window reaches 32,767 days either way; the numbers met so far move it.
        Case {"RisingBeyondTheFirstWindow", {k2026, k2026 + 300, k2026 + 40000, kNone, k2026 + 65534}, 2},
        Case {"FallingBeyondTheFirstWindow", {k2026, k2026 - 40000, k2026 - 65534, k2026 - 1}, 2},
        Case {"BackAndForthWithinOneWindow", {0, 40000, -20000, 45534, -20000}, 2},
        Case {"OneDayTooFarApart", {k2026, kNone, k2026 + 65535, k2026 + 1}, 4},
        Case {"TooFarApartAfterTheWindowMoved", {k2026, k2026 + 300, k2026 + 40000, k2026 - 30000, kNone}, 4},
        Case {"TheExtremes", {INT32_MAX, INT32_MIN + 1, 0}, 4},
        Case {"WholeMinutes", {8 * 60 * kMinute, 0, kNone, -90 * kMinute, 1000 * kMinute}, 2, true},
        Case {"AMinuteAndASecond", {30 * kMinute, kMinute + 1000, 45 * kMinute}, 4, true},
        Case {"MinutesTooFarApart", {-30000 * kMinute, 35535 * kMinute}, 4, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace horavant
