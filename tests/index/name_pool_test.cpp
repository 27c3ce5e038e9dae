#include "index/name_pool.h"

#include <gtest/gtest.h>

#include <string>

namespace kx {
namespace {

std::u16string Folded(const char16_t* stored, std::uint16_t length) {
    return std::u16string(stored + length + 1);
}

TEST(NamePool, StoresTheNameAsReportedThenItsFoldedCopyBothTerminated) {
    NamePool pool;
    const std::u16string name = u"README.TXT";
    const char16_t* stored = pool.Append(name.data(), 10);
    EXPECT_EQ(std::u16string(stored, 10), u"README.TXT");
    EXPECT_EQ(stored[10], 0);
    EXPECT_EQ(Folded(stored, 10), u"readme.txt");
    EXPECT_EQ(pool.chunkUsed, 22u);
}

TEST(NamePool, FoldsOnlyAsciiCapitals) {
    NamePool pool;
    const std::u16string name = u"\u00C4BC_Z[@";
    const char16_t* stored = pool.Append(name.data(), static_cast<std::uint16_t>(name.size()));
    EXPECT_EQ(Folded(stored, static_cast<std::uint16_t>(name.size())), u"\u00C4bc_z[@");
}

TEST(NamePool, EmptyNameTakesTwoZeroUnits) {
    NamePool pool;
    const char16_t* stored = pool.Append(u"", 0);
    EXPECT_EQ(stored[0], 0);
    EXPECT_EQ(stored[1], 0);
    EXPECT_EQ(pool.chunkUsed, 2u);
}

TEST(NamePool, FirstNameOpensAChunkAndNamesNeverSpanTwo) {
    NamePool pool;
    EXPECT_EQ(pool.ChunkCount(), 0u);
    pool.chunkCapacity = 64;  // small chunks make the boundary reachable
    pool.chunkUsed = 64;
    const std::u16string name(15, u'x');  // 2 * 15 + 2 = 32 units
    const char16_t* first = pool.Append(name.data(), 15);
    const char16_t* second = pool.Append(name.data(), 15);
    EXPECT_EQ(pool.ChunkCount(), 1u);
    EXPECT_EQ(second, first + 32) << "a name that fits exactly to the end stays in the chunk";
    EXPECT_EQ(pool.chunkUsed, 64u);
    const char16_t* third = pool.Append(u"a", 1);
    EXPECT_EQ(pool.ChunkCount(), 2u);
    EXPECT_EQ(pool.chunkUsed, 4u);
    EXPECT_EQ(std::u16string(first, 15), name) << "earlier names stay where they were";
    EXPECT_EQ(third[0], u'a');
}

TEST(NamePool, ClearFreesChunksSoTheNextNameOpensANewOne) {
    NamePool pool;
    pool.Append(u"abc", 3);
    pool.Clear();
    EXPECT_EQ(pool.ChunkCount(), 0u);
    EXPECT_EQ(pool.chunkUsed, pool.chunkCapacity);
    pool.Append(u"d", 1);
    EXPECT_EQ(pool.ChunkCount(), 1u);
}

}  // namespace
}  // namespace kx
