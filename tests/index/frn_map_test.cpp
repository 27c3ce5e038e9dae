#include "index/frn_map.h"

#include <gtest/gtest.h>

#include <unordered_map>

#include "platform/usn_layout.h"

namespace kx {
namespace {

TEST(FrnMap, FindsWhatWasStoredAndOverwritesOnRepeat) {
    FrnMap map;
    EXPECT_EQ(map.Find(1), nullptr);
    EXPECT_EQ(map.InsertOrAssign(MakeFileReference(40, 1), 7), FrnMap::kAbsent);
    EXPECT_EQ(map.InsertOrAssign(MakeFileReference(40, 1), 9), 7u);
    ASSERT_NE(map.Find(MakeFileReference(40, 1)), nullptr);
    EXPECT_EQ(*map.Find(MakeFileReference(40, 1)), 9u);
    EXPECT_EQ(map.Find(MakeFileReference(40, 2)), nullptr) << "all 64 bits are the key";
    EXPECT_EQ(map.Size(), 1u);
}

TEST(FrnMap, KeepsEveryEntryAcrossGrowthLikeAStandardMap) {
    FrnMap map;
    std::unordered_map<std::uint64_t, std::uint64_t> reference;
    std::uint64_t state = 12345;
    for (std::uint64_t i = 0; i < 100000; ++i) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        // Dense record numbers with a few sequence numbers, plus random keys.
        const std::uint64_t key = (i % 3 == 0) ? state : MakeFileReference(i / 2, i % 2 + 1);
        map.InsertOrAssign(key, i);
        reference[key] = i;
    }
    EXPECT_EQ(map.Size(), reference.size());
    for (const auto& [key, value] : reference) {
        const std::uint64_t* found = map.Find(key);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(*found, value);
    }
}

TEST(FrnMap, AllOnesKeyIsAnOrdinaryKey) {
    FrnMap map;
    EXPECT_EQ(map.Find(~0ull), nullptr);
    map.InsertOrAssign(~0ull, 3);
    ASSERT_NE(map.Find(~0ull), nullptr);
    EXPECT_EQ(*map.Find(~0ull), 3u);
    EXPECT_EQ(map.InsertOrAssign(~0ull, 4), 3u);
    EXPECT_EQ(map.Size(), 1u);
    map.Clear();
    EXPECT_EQ(map.Find(~0ull), nullptr);
}

TEST(FrnMap, ReserveKeepsTheLoadBelowSevenTenths) {
    FrnMap map;
    map.Reserve(1000);
    const std::size_t slots = map.SlotCount();
    EXPECT_GE(slots * 7 / 10, 1000u);
    for (std::uint64_t i = 0; i < 1000; ++i)
        map.InsertOrAssign(i, i);
    EXPECT_EQ(map.SlotCount(), slots) << "no growth within the reserved size";
}

}  // namespace
}  // namespace kx
