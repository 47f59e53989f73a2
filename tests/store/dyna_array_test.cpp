// The record array: cursor idiom, growth and shrinking in steps, zero slots, allocation failures.
#include "store/dyna_array.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace horavant {
namespace {

struct Rec {
    std::uint32_t value;
    char tag[4];
};

// Fails the allocations whose numbers (counted from 1) are listed; counts what is still held.
class ScriptedAllocator : public BlockAllocator {
public:
    explicit ScriptedAllocator(std::vector<int> failing = {}) : m_failing(std::move(failing)) {}
    void* allocateZeroed(std::size_t bytes) noexcept override
    {
        ++calls;
        for (int n : m_failing) {
            if (n == calls)
                return nullptr;
        }
        ++held;
        return std::calloc(1, bytes);
    }
    void release(void* block) noexcept override
    {
        --held;
        std::free(block);
    }
    int calls = 0;
    int held = 0;

private:
    std::vector<int> m_failing;
};

std::vector<std::uint32_t> values(TypedDynaArray<Rec>& a)
{
    std::vector<std::uint32_t> out;
    for (std::uint32_t i = 0; i < a.recordCount(); ++i)
        out.push_back(a.at(i).value);
    return out;
}

void fill(TypedDynaArray<Rec>& a, std::uint32_t n)
{
    for (std::uint32_t i = 0; i < n; ++i)
        a.Add()->value = i + 1;
}

bool allZero(const void* p, std::size_t n)
{
    const auto* b = static_cast<const unsigned char*>(p);
    for (std::size_t i = 0; i < n; ++i) {
        if (b[i] != 0)
            return false;
    }
    return true;
}

TEST(DynaArray, FreshArrayHasNothingToVisit)
{
    void* mirror = reinterpret_cast<void*>(1);
    TDynaArray a(8, &mirror);
    EXPECT_EQ(mirror, nullptr);
    a.First();
    EXPECT_EQ(a.currentIndex(), -1);
    EXPECT_FALSE(a.WhileNext());
    EXPECT_FALSE(a.Next());
    EXPECT_EQ(a.allocatedBytes(), 0);
    EXPECT_EQ(a.growthStep(), 100);
}

TEST(DynaArray, FirstAndWhileNextDeliverEveryRecordInOrderThroughTheMirror)
{
    Rec* cur = nullptr;
    TypedDynaArray<Rec> a(&cur);
    fill(a, 3);
    std::vector<std::uint32_t> seen;
    for (a.First(); a.WhileNext();) {
        seen.push_back(cur->value);
        EXPECT_EQ(&a.at(static_cast<std::uint32_t>(a.currentIndex() - 1)), cur);
    }
    EXPECT_THAT(seen, testing::ElementsAre(1u, 2u, 3u));
    EXPECT_EQ(a.currentIndex(), 3);
}

TEST(DynaArray, NextWalksFromNoCurrentRecordToTheLastAndStops)
{
    TypedDynaArray<Rec> a;
    fill(a, 3);
    a.Delete(5);  // out of range: nothing changes, the cursor stays on the last record
    EXPECT_EQ(a.currentIndex(), 2);
    EXPECT_FALSE(a.Next());
    a.Delete(2);  // clears the cursor
    std::vector<std::uint32_t> seen;
    while (a.Next())
        seen.push_back(a.current()->value);
    EXPECT_THAT(seen, testing::ElementsAre(1u, 2u));
}

TEST(DynaArray, GrowsByOneStepAtTheHundredAndFirstRecordAndShrinksBack)
{
    Rec* cur = nullptr;
    TypedDynaArray<Rec> a(&cur);
    fill(a, 100);
    EXPECT_EQ(a.untyped().allocatedBytes(), 100 * 8);
    a.GetObject(50);
    a.Add();
    EXPECT_EQ(a.untyped().allocatedBytes(), 200 * 8);
    for (std::uint32_t i = 0; i < 100; ++i)
        ASSERT_EQ(a.at(i).value, i + 1);
    EXPECT_TRUE(allZero(&a.at(100), sizeof(Rec)));
    EXPECT_EQ(cur, &a.at(100));

    a.Delete(100);
    EXPECT_EQ(a.untyped().allocatedBytes(), 100 * 8);
    EXPECT_EQ(cur, nullptr);
    EXPECT_EQ(a.at(99).value, 100u);
}

TEST(DynaArray, DeletingTheOnlyRecordLeavesNoBlockAndClearsTheMirror)
{
    Rec* cur = nullptr;
    TypedDynaArray<Rec> a(&cur);
    a.Add()->value = 7;
    ASSERT_NE(cur, nullptr);
    a.Delete(0);
    EXPECT_EQ(a.recordCount(), 0u);
    EXPECT_EQ(a.untyped().allocatedBytes(), 0);
    EXPECT_EQ(a.untyped().recordAt(0), nullptr);
    EXPECT_EQ(a.currentIndex(), -1);
    EXPECT_EQ(cur, nullptr);
}

TEST(DynaArray, ASlotReusedWithoutReallocationReadsZero)
{
    TypedDynaArray<Rec> a;
    fill(a, 5);
    std::memcpy(a.at(4).tag, "abc", 4);
    a.Delete(4);
    Rec* again = a.Add();
    EXPECT_EQ(again, &a.at(4));
    EXPECT_TRUE(allZero(again, sizeof(Rec)));
    a.Delete(0);  // moves the records down over the old last slot
    EXPECT_TRUE(allZero(static_cast<char*>(a.untyped().recordAt(3)) + sizeof(Rec), sizeof(Rec)));
}

struct ChangeCase {
    std::int32_t nr1;
    std::int32_t nr2;
    std::vector<std::uint32_t> after;
};

class DynaArrayChange : public testing::TestWithParam<ChangeCase> {};

TEST_P(DynaArrayChange, SwapsOnlyRecordsInRange)
{
    TypedDynaArray<Rec> a;
    fill(a, 4);
    a.Change(GetParam().nr1, GetParam().nr2);
    EXPECT_EQ(values(a), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Cases, DynaArrayChange,
                         testing::Values(ChangeCase {2, 5, {1, 2, 3, 4}}, ChangeCase {-1, 0, {1, 2, 3, 4}},
                                         ChangeCase {4, 0, {1, 2, 3, 4}}, ChangeCase {0, 3, {4, 2, 3, 1}},
                                         ChangeCase {2, 2, {1, 2, 3, 4}}));

TEST(DynaArray, ChangeMakesTheSecondRecordCurrent)
{
    Rec* cur = nullptr;
    TypedDynaArray<Rec> a(&cur);
    fill(a, 4);
    a.Change(0, 2);
    EXPECT_EQ(a.currentIndex(), 2);
    EXPECT_EQ(cur->value, 1u);
}

TEST(DynaArray, InsertShiftsUpZeroFillsAndIgnoresPositionsOutOfRange)
{
    Rec* cur = nullptr;
    TypedDynaArray<Rec> a(&cur);
    fill(a, 3);
    EXPECT_EQ(a.Insert(-1), nullptr);
    EXPECT_EQ(a.Insert(4), nullptr);
    EXPECT_EQ(values(a), (std::vector<std::uint32_t> {1, 2, 3}));
    a.Insert(1)->value = 10;
    a.Insert(4)->value = 20;
    a.Insert(0)->value = 30;
    EXPECT_EQ(values(a), (std::vector<std::uint32_t> {30, 1, 10, 2, 3, 20}));
    EXPECT_EQ(cur, &a.at(0));
}

TEST(DynaArray, InsertAtTheHundredAndFirstRecordKeepsEveryRecord)
{
    TypedDynaArray<Rec> a;
    fill(a, 100);
    a.Insert(0)->value = 0;
    ASSERT_EQ(a.recordCount(), 101u);
    for (std::uint32_t i = 0; i <= 100; ++i)
        ASSERT_EQ(a.at(i).value, i);
}

TEST(DynaArray, AGrowthStepOfTheOwnerSetsTheCapacity)
{
    TDynaArray a(120);
    a.setGrowthStep(100000);
    a.Add();
    EXPECT_EQ(a.allocatedBytes(), 12000000);
    EXPECT_THROW(a.setGrowthStep(10), std::logic_error);
}

struct FailureCase {
    const char* name;
    std::uint32_t before;  // records added first, with no failure
    int failingCall;  // the allocation that fails, counted from the start
    bool deleteInstead;  // the failing operation deletes the last record instead of adding one
    std::string message;
    std::uint32_t countAfter;
};

class DynaArrayFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(DynaArrayFailure, ReportsTheErrorAndKeepsTheRecords)
{
    const FailureCase& c = GetParam();
    ScriptedAllocator alloc({c.failingCall});
    {
        Rec* cur = nullptr;
        TypedDynaArray<Rec> a(&cur, &alloc);
        fill(a, c.before);
        const std::int32_t amem = a.untyped().allocatedBytes();
        try {
            if (c.deleteInstead)
                a.Delete(static_cast<std::int32_t>(c.before) - 1);
            else
                a.Add();
            ADD_FAILURE() << "no error";
        } catch (const AllocationError& e) {
            EXPECT_EQ(e.what(), c.message);
        }
        EXPECT_EQ(a.recordCount(), c.countAfter);
        EXPECT_EQ(a.untyped().allocatedBytes(), amem);
        for (std::uint32_t i = 0; i < a.recordCount(); ++i)
            ASSERT_EQ(a.at(i).value, i + 1);
        if (!c.deleteInstead && c.before > 0) {
            EXPECT_EQ(cur, &a.at(c.before - 1));
        }
        // The array works on once memory is there again.
        a.Add()->value = 99;
        EXPECT_EQ(a.at(a.recordCount() - 1).value, 99u);
    }
    EXPECT_EQ(alloc.held, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, DynaArrayFailure,
    testing::Values(FailureCase {"FreshBlock", 0, 1, false,
                                 "Error 1 while trying to allocate 800 bytes of RAM. Not enough memory.", 0},
                    FailureCase {"GrownBlock", 100, 2, false,
                                 "Error 2 while trying to allocate 1600 bytes of RAM. Not enough memory.", 100},
                    FailureCase {"ShrunkBlock", 101, 3, true,
                                 "Error 3 while trying to allocate 800 bytes of RAM. Not enough memory.", 100}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DynaArray, AnInsertThatCannotGrowChangesNothing)
{
    ScriptedAllocator alloc({2});
    TypedDynaArray<Rec> a(nullptr, &alloc);
    fill(a, 100);
    EXPECT_THROW(a.Insert(0), AllocationError);
    EXPECT_EQ(a.recordCount(), 100u);
    EXPECT_EQ(a.at(0).value, 1u);
    EXPECT_EQ(a.at(99).value, 100u);
}

TEST(DynaArray, AStepTooLargeForTheBlockIsAnAllocationError)
{
    TDynaArray a(1000);
    a.setGrowthStep(3000000);
    EXPECT_THROW(a.Add(), AllocationError);
    EXPECT_EQ(a.recordCount(), 0u);
}

}  // namespace
}  // namespace horavant
