// The pool that spares each keystroke fresh pages, and the warm-up that fills it before the
// first one.
#include <gtest/gtest.h>

#include "common/allocation_failure.h"
#include "common/process_state.h"
#include "search/hit_buffer_pool.h"
#include "search/hit_pool_warmup.h"
#include "search/match_item.h"

namespace kx {
namespace {

class HitPool : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearHitPool();
        ExitRequested.store(false);
    }
    void TearDown() override {
        FailNthLargeAllocation(0);
        ExitRequested.store(false);
        ClearHitPool();
    }

    static HitVector Written(std::size_t items) {
        HitVector hits(items);
        return hits;
    }
};

// A scan whose block finds no kept array large enough must not take one and grow it: growing
// frees the pages it had mapped, which another block could have written without a fault.
TEST_F(HitPool, GivesTheSmallestArrayLargeEnoughAndKeepsEveryArrayWhenNoneIs) {
    ReturnHitVector(Written(100));
    ReturnHitVector(Written(5000));
    ReturnHitVector(Written(1000));
    EXPECT_EQ(HitPoolBytes(), 6100 * sizeof(MatchItem));

    HitVector medium = TakeHitVector(900);
    EXPECT_GE(medium.capacity(), 1000u);
    EXPECT_LT(medium.capacity(), 5000u);
    EXPECT_TRUE(medium.empty());
    EXPECT_EQ(TakeHitVector(1000000).capacity(), 0u);
    EXPECT_EQ(HitPoolBytes(), 5100 * sizeof(MatchItem));
    HitVector largest = TakeHitVector(5000);
    EXPECT_GE(largest.capacity(), 5000u);
    HitVector small = TakeHitVector(1);
    EXPECT_GE(small.capacity(), 100u);
    EXPECT_EQ(TakeHitVector(1).capacity(), 0u) << "the pool is empty";
}

// Whole-scan arrays share one capacity; the one a broad letter filled must go to the next
// scan, and a narrow list written into it must not make the pool forget its mapped pages.
TEST_F(HitPool, PrefersTheArrayWithTheMostPagesMappedAndRemembersItsHighWater) {
    HitVector filled = Written(4000);
    HitVector barely;
    barely.reserve(filled.capacity());
    barely.resize(10);
    const MatchItem* filledData = filled.data();
    ReturnHitVector(std::move(barely));
    ReturnHitVector(std::move(filled));

    HitVector narrow = TakeHitVector(4000);
    ASSERT_EQ(narrow.data(), filledData);
    narrow.resize(3);
    ReturnHitVector(std::move(narrow));
    EXPECT_EQ(HitPoolBytes(), (4000 + 10) * sizeof(MatchItem));
    EXPECT_EQ(TakeHitVector(4000).data(), filledData);
}

// A scan that begins before the warm-up has given its arrays back reserves fresh whole-scan
// room and writes only its own hits into it; those arrays come back a little smaller than the
// warm-up's. The next broad letter must still take the arrays written through, block by block,
// and not the smallest large enough, whose pages it would fault in.
TEST_F(HitPool, TakesTheArrayNeedingFewestFreshPagesBeforeTheSmallestLargeEnough) {
    HitVector warmWhole = Written(1100);
    HitVector warmBlock = Written(560);
    HitVector scanWhole;
    scanWhole.reserve(1000);
    scanWhole.resize(10);
    HitVector scanBlock;
    scanBlock.reserve(500);
    scanBlock.resize(10);
    const MatchItem* warmWholeData = warmWhole.data();
    const MatchItem* warmBlockData = warmBlock.data();
    const MatchItem* scanBlockData = scanBlock.data();
    for (HitVector* hits : {&scanWhole, &warmWhole, &scanBlock, &warmBlock})
        ReturnHitVector(std::move(*hits));

    HitVector whole = TakeHitVector(1000);
    EXPECT_EQ(whole.data(), warmWholeData);
    HitVector block = TakeHitVector(500);
    EXPECT_EQ(block.data(), warmBlockData);
    // Among arrays that would need the same fresh pages, the smallest still goes first.
    EXPECT_EQ(TakeHitVector(5).data(), scanBlockData);
}

// A narrow list moving out of a whole-scan array asks for an array near its size, and takes
// none much larger: that would keep the large room from the next broad letter again.
TEST_F(HitPool, TakesNoArrayAboveTheSizeAskedAtMost) {
    HitVector large = Written(1000);
    const MatchItem* largeData = large.data();
    ReturnHitVector(std::move(large));
    EXPECT_EQ(TakeHitVector(10, 20).capacity(), 0u);
    HitVector near = Written(15);
    const MatchItem* nearData = near.data();
    ReturnHitVector(std::move(near));
    EXPECT_EQ(TakeHitVector(10, 20).data(), nearData);
    EXPECT_EQ(TakeHitVector(10).data(), largeData) << "the large array stayed in the pool";
}

TEST_F(HitPool, KeepsNoMoreWrittenBytesThanItsBound) {
    const std::size_t most = HitPoolKeepsBytes() / sizeof(MatchItem);
    ReturnHitVector(Written(most / 2));
    ReturnHitVector(Written(most / 2 + 1));  // would pass the bound: freed
    EXPECT_EQ(HitPoolBytes(), most / 2 * sizeof(MatchItem));
}

// The arrays of small lists come back too; a pool whose every slot holds one must still take
// back the large array that spares a broad letter its page faults.
TEST_F(HitPool, AFullPoolLetsItsSmallestArrayGoForALargerOne) {
    std::vector<const MatchItem*> small;
    for (std::size_t k = 0; k < 40; ++k) {
        HitVector hits = Written(10 + k);
        small.push_back(hits.data());
        ReturnHitVector(std::move(hits));
    }
    const std::size_t smallBytes = HitPoolBytes();
    HitVector large = Written(100000);
    const MatchItem* largeData = large.data();
    ReturnHitVector(std::move(large));
    EXPECT_EQ(HitPoolBytes(), smallBytes - 38 * sizeof(MatchItem) + 100000 * sizeof(MatchItem))
        << "the array of 38 items, the smallest kept, made way";
    EXPECT_EQ(TakeHitVector(50000).data(), largeData);

    // A smaller array than every kept one is not kept in their place.
    ReturnHitVector(Written(100000));
    const std::size_t before = HitPoolBytes();
    ReturnHitVector(Written(5));
    EXPECT_EQ(HitPoolBytes(), before);
}

TEST_F(HitPool, WarmUpPoolsTheArraysOfAWholeScanForTheFirstKeystroke) {
    const std::size_t records = 100000;
    EXPECT_GT(WarmHitPool(records, 2), (records + records / 2) * sizeof(MatchItem));
    // What the first scan's blocks ask for: room for every record, then one block's share,
    // even after the journal added a few hundred files.
    EXPECT_GE(TakeHitVector(records + 500).capacity(), records + 500);
    EXPECT_GE(TakeHitVector(records / 2 + 250).capacity(), records / 2 + 250);
    EXPECT_EQ(HitPoolBytes(), 0u);
}

TEST_F(HitPool, WarmUpStopsForAClosingProgramAFullPoolOrAFailedAllocation) {
    ExitRequested.store(true);
    EXPECT_EQ(WarmHitPool(1000000, 2), 0u);
    ExitRequested.store(false);

    const std::size_t tooMany = HitPoolKeepsBytes() / sizeof(MatchItem) + 1;
    EXPECT_EQ(WarmHitPool(tooMany, 1), 0u);
    EXPECT_EQ(HitPoolBytes(), 0u);

    FailNthLargeAllocation(1);
    EXPECT_EQ(WarmHitPool(1000000, 2), 0u);
    EXPECT_FALSE(LargeAllocationFailureArmed());
    EXPECT_EQ(HitPoolBytes(), 0u);
}

}  // namespace
}  // namespace kx
