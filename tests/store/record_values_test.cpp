// A number per record in two bytes while the numbers allow it, and four bytes once they do not:
// every number reads back as it was set, whichever way it is held.
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
    bool twoBytes;
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
    EXPECT_EQ(values.bytesHeld(), (records + 1) * (c.twoBytes ? 2u : 4u));
}

TEST_P(RecordValuesTest, ReadsBackEveryNumberInTwoBytesWhereTheyFit)
{
    if (GetParam().minutes)
        setAndReadBack<kMinute>(GetParam());
    else
        setAndReadBack<1>(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, RecordValuesTest,
    testing::Values(
        Case {"DaysOfAFewYearsAndUnreadableOnes", {k2026, kNone, k2026 + 1, k2026 - 400, kNone, k2026 + 700}, true},
        // The first window reaches 32,767 days either way; the numbers met so far move it.
        Case {"RisingBeyondTheFirstWindow", {k2026, k2026 + 40000, kNone, k2026 + 65534}, true},
        Case {"FallingBeyondTheFirstWindow", {k2026, k2026 - 40000, k2026 - 65534, k2026 - 1}, true},
        Case {"BackAndForthWithinOneWindow", {0, 40000, -20000, 45534, -20000}, true},
        Case {"OneDayTooFarApart", {k2026, kNone, k2026 + 65535, k2026 + 1}, false},
        Case {"TooFarApartAfterTheWindowMoved", {k2026, k2026 + 40000, k2026 - 30000, kNone}, false},
        Case {"TheExtremes", {INT32_MAX, INT32_MIN + 1, 0}, false},
        Case {"WholeMinutes", {8 * 60 * kMinute, 0, kNone, -90 * kMinute, 1000 * kMinute}, true, true},
        Case {"AMinuteAndASecond", {30 * kMinute, kMinute + 1000, 45 * kMinute}, false, true},
        Case {"MinutesTooFarApart", {-30000 * kMinute, 35535 * kMinute}, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace horavant
