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
constexpr std::int32_t kPassedOver = INT32_MIN + 7;  // not set, as a scan passes over a deleted record

struct Case {
    const char* name;
    std::vector<std::int32_t> values;  // set to records 0, 1, ... in this order, or passed over
    unsigned bytesEach;  // 0: in runs, at most half a byte a record
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

TEST_P(RecordValuesTest, ReadsBackEveryNumberHeldAsCompactlyAsTheyAllow)
{
    const Case& c = GetParam();
    const auto records = static_cast<std::uint32_t>(c.values.size());
    RecordValues values(records + 1);  // the last record is never set
    for (std::uint32_t i = 0; i < records; ++i) {
        const std::uint32_t r = c.backwards ? records - 1 - i : i;
        if (c.values[r] != kPassedOver)
            values.set(r, c.values[r]);
    }
    const auto expected = [&](std::uint32_t r) {
        return r < records && c.values[r] != kPassedOver ? c.values[r] : kNone;
    };
    // The last numbers set are read from their block, then from the form they are put into.
    for (const bool finished : {false, true}) {
        if (finished)
            values.finish();
        for (std::uint32_t r = 0; r <= records; ++r)
            ASSERT_EQ(values[r], expected(r)) << "record " << r << (finished ? ", finished" : "");
        for (std::uint32_t r = records + 1; r-- > 0;)
            ASSERT_EQ(values[r], expected(r)) << "record " << r << ", read backwards";
        forEachRecord(
            records + 1, [&](std::uint32_t r, std::int32_t value) { ASSERT_EQ(value, expected(r)) << "record " << r; },
            values);
    }
    if (c.bytesEach == 0)
        EXPECT_LE(values.bytesHeld(), (records + 1) / 2);
    else
        EXPECT_EQ(values.bytesHeld(), (records + 1) * c.bytesEach);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, RecordValuesTest,
    testing::Values(
        // A table's days in date order, an unreadable one and a record passed over now and then,
        // and a stretch of records passed over; after the runs, a number of any size is one more.
        Case {"DaysInRuns",
              numbers(10000,
                      [](std::int32_t r) {
                          return r % 100 == 99 || (r >= 8192 && r < 9000) ? kPassedOver
                                 : r % 250 == 0                           ? kNone
                                                                          : k2026 + r / 400;
                      }),
              0},
        Case {"RunsWithAFarDay", numbers(10000, [](std::int32_t r) { return r < 9999 ? k2026 + r / 400 : INT32_MAX; }),
              0},
        Case {"TooManyRunsOfNearDays", numbers(10000, [](std::int32_t r) { return k2026 + r % 2; }), 1},
        Case {"TooManyRunsThenAFarDay",
              numbers(10000, [](std::int32_t r) { return r < 9999 ? k2026 + r % 2 : k2026 + 70000; }), 4},
        Case {"TooManyRunsOfDaysApart", numbers(10000, [](std::int32_t r) { return k2026 + r % 2 * 300; }), 2},
        Case {"TooManyRunsFarApart", numbers(10000, [](std::int32_t r) { return r % 2 * 70000; }), 4},
        Case {"RunsSetBackwards", numbers(10000, [](std::int32_t r) { return k2026 + r / 400; }), 1, true},
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
        Case {"NearTheSmallest", {INT32_MIN + 1, INT32_MIN + 200, kNone}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace horavant
