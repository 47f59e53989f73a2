// A number per record in runs, in one or two bytes while the numbers allow it, and four bytes once
// they do not: every number reads back as it was set, whichever way it is held.
#include "store/record_values.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <vector>

namespace horavant {
namespace {

constexpr std::int32_t kNone = INT32_MIN;
constexpr std::int32_t k2026 = 20454;  // 01.01.2026 in days since 1970
constexpr std::int32_t kMinute = 60000;
constexpr std::int32_t kPassedOver = INT32_MIN + 7;  // not set, as a scan passes over a deleted record

struct Case {
    const char* name;
    std::vector<std::int32_t> values;  // set to records 0, 1, ... in this order, or passed over
    unsigned bytesEach;  // 0: in runs, at most half a byte a record
    bool minutes = false;  // whole minutes in ms, else days
    bool backwards = false;  // set from the last record to the first
};

// `records` numbers, the record's number given by `of`.
std::vector<std::int32_t> numbers(std::int32_t records, const std::function<std::int32_t(std::int32_t)>& of)
{
    std::vector<std::int32_t> out;
    for (std::int32_t r = 0; r < records; ++r)
        out.push_back(of(r));
    return out;
}

class RecordValuesTest : public testing::TestWithParam<Case> {};

template <std::int32_t Unit>
void setAndReadBack(const Case& c)
{
    const auto records = static_cast<std::uint32_t>(c.values.size());
    RecordValues<Unit> values(records + 1);  // the last record is never set
    for (std::uint32_t i = 0; i < records; ++i) {
        const std::uint32_t r = c.backwards ? records - 1 - i : i;
        if (c.values[r] != kPassedOver)
            values.set(r, c.values[r]);
    }
    const auto expected = [&](std::uint32_t r) {
        return r < records && c.values[r] != kPassedOver ? c.values[r] : kNone;
    };
    for (std::uint32_t r = 0; r <= records; ++r)
        EXPECT_EQ(values[r], expected(r)) << "record " << r;
    for (std::uint32_t r = records + 1; r-- > 0;)
        ASSERT_EQ(values[r], expected(r)) << "record " << r << ", read backwards";
    if (c.bytesEach == 0)
        EXPECT_LE(values.bytesHeld(), (records + 1) / 2);
    else
        EXPECT_EQ(values.bytesHeld(), (records + 1) * c.bytesEach);
}

TEST_P(RecordValuesTest, ReadsBackEveryNumberHeldAsCompactlyAsTheyAllow)
{
    if (GetParam().minutes)
        setAndReadBack<kMinute>(GetParam());
    else
        setAndReadBack<1>(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, RecordValuesTest,
    testing::Values(
        // A table's days in date order, an unreadable one and a record passed over now and then;
        // after the runs, a number of any size is one more run.
        Case {"DaysInRuns",
              numbers(4000,
                      [](std::int32_t r) {
                          return r % 100 == 99 ? kPassedOver : r % 250 == 0 ? kNone : k2026 + r / 400;
                      }),
              0},
        Case {"RunsWithAFarDay", numbers(4000, [](std::int32_t r) { return r < 3999 ? k2026 + r / 400 : INT32_MAX; }),
              0},
        Case {"TooManyRunsOfNearDays", numbers(4000, [](std::int32_t r) { return k2026 + r % 2; }), 1},
        Case {"TooManyRunsOfDaysApart", numbers(4000, [](std::int32_t r) { return k2026 + r % 2 * 300; }), 2},
        Case {"TooManyRunsOfUnevenTimes", numbers(4000, [](std::int32_t r) { return r % 2 * kMinute + 1; }), 4, true},
        Case {"RunsSetBackwards", numbers(4000, [](std::int32_t r) { return k2026 + r / 400; }), 1, false, true},
        // Fewer records than one run takes: the numbers are held per record at once.
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
