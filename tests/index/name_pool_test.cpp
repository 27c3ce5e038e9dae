#include "index/name_pool.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kx {
namespace {

// Names of every width in chunks of 64 bytes, so that many end at or just before a chunk's end:
// each comes back as stored, in the width its units need, never across two chunks, and never
// moved by the names stored after it.
TEST(NamePool, KeepsEveryNameWholeInTheNarrowestWidthAndNeverAcrossAChunk) {
    const std::vector<std::u16string> names = {
        u"README.TXT", u"",  std::u16string(64, u'x'),      u"\u00c4BC",    u"a",
        u"\u6587",     u"z", std::u16string(32, u'\u00e9'), u"b\U0001F600", u"tail"};
    NamePool pool(6);
    EXPECT_EQ(pool.ChunkCount(), 0u);
    std::vector<NamePool::Stored> stored;
    for (int round = 0; round < 20; ++round) {
        for (const std::u16string& name : names)
            stored.push_back(pool.Append(name.data(), static_cast<std::uint16_t>(name.size())));
    }
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const std::u16string& name = names[i % names.size()];
        bool wide = false;
        for (char16_t unit : name)
            wide = wide || unit >= 0x80;
        EXPECT_EQ(stored[i].wide, wide) << i;
        const std::uint64_t bytes = (wide ? 2 : 1) * name.size();
        EXPECT_LE(stored[i].offset % 64 + bytes, 64u) << "name " << i << " spans two chunks";
        EXPECT_EQ(pool.View(stored[i].offset, static_cast<std::uint16_t>(name.size()), wide).Text(),
                  name)
            << i;
    }
    EXPECT_LE(pool.BytesUsed(), pool.ChunkCount() * 64);
    EXPECT_THROW(pool.Append(std::u16string(33, u'\u00e9').data(), 33), std::bad_alloc)
        << "a name larger than a chunk is refused, not split";
    pool.Clear();
    EXPECT_EQ(pool.ChunkCount(), 0u);
    EXPECT_EQ(pool.BytesUsed(), 0u);
}

}  // namespace
}  // namespace kx
