// The search scans names in the pool a vector at a time, reading a little past each name's
// end, in either width. These cases hold it to a plain substring search on every name length
// and query length, with chunks so small that many names end exactly at a chunk's end
// (AddressSanitizer builds then catch any read past the chunk and its slack).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/ascii_fold.h"
#include "common/process_state.h"
#include "index/search_engine.h"
#include "platform/usn_layout.h"
#include "search/contains_folded.h"
#include "search/search_run.h"

namespace kx {
namespace {

struct SmallChunkEngine {
    SearchEngine engine;
    VolumeIndex* volume = nullptr;

    explicit SmallChunkEngine(unsigned chunkShift) {
        engine.volumes.push_back(std::make_unique<VolumeIndex>());
        volume = engine.volumes.back().get();
        volume->table = FileTable(chunkShift);
        engine.ready.store(true);
    }

    void Add(const std::u16string& name) {
        volume->table.Append(volume->table.Size() + 100, 5, name.data(),
                             static_cast<std::uint16_t>(name.size()), FILE_ATTRIBUTE_ARCHIVE_BIT);
    }

    std::vector<std::uint64_t> Hits(const std::u16string& query) {
        std::vector<std::uint64_t> hits;
        for (const MatchItem& item : MatchVolumes(engine, {query, SearchGeneration.load()}).items)
            hits.push_back(item.recordIndex);
        return hits;
    }
};

std::vector<std::uint64_t> ExpectedHits(const std::vector<std::u16string>& names,
                                        const std::u16string& query) {
    const std::u16string folded = FoldAscii(query);
    std::vector<std::uint64_t> hits;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (FoldAscii(names[i]).find(folded) != std::u16string::npos)
            hits.push_back(i);
    }
    return hits;
}

// Names from a three-letter alphabet, so that first and last query units match often and the
// middle decides; every third name also holds an accented a, which makes it UTF-16.
std::vector<std::u16string> AlphabetNames(std::uint32_t seed, std::size_t count) {
    std::vector<std::u16string> names;
    std::uint32_t state = seed;
    auto next = [&] { return state = state * 1103515245u + 12345u, (state >> 16) & 0x7FFF; };
    for (std::size_t i = 0; i < count; ++i) {
        std::u16string name(next() % 41, u'a');
        for (char16_t& c : name)
            c = i % 3 == 0 ? u"abA\u00e0"[next() % 4] : u"abA"[next() % 3];
        names.push_back(name);
    }
    return names;
}

TEST(NameScan, AgreesWithPlainSubstringSearchForEveryLengthNearChunkEnds) {
    const std::vector<std::u16string> names = AlphabetNames(7, 3000);
    // Chunks of 128 bytes hold a few of these names, so names often end at or just before a
    // chunk's end.
    SmallChunkEngine scan(7);
    for (const std::u16string& name : names)
        scan.Add(name);
    const std::vector<std::u16string> queries = {
        u"a",       u"A",         u"ab",          u"ba",      u"aab",      u"bab",
        u"abba",    u"aAbAa",     u"bbbbbb",      u"abababa", u"aaaaaaaa", u"babaabab",
        u"abaabaa", u"aabbaabba", u"bbbbbbbbbbb", u"\u00e0",  u"a\u00e0",  u"\u00e0B"};
    for (const std::u16string& query : queries) {
        EXPECT_EQ(scan.Hits(query), ExpectedHits(names, query))
            << "query " << std::string(query.begin(), query.end());
    }
}

TEST(NameScan, FindsTheQueryAtTheFirstAndLastPositionAndAsTheWholeName) {
    SmallChunkEngine scan(NamePool::kDefaultChunkShift);
    scan.Add(u"xyzzzzzzzzzzzzzzzzzz");  // 0: at the start, past one vector of starts
    scan.Add(u"zzzzzzzzzzzzzzzzzzxy");  // 1: at the very end
    scan.Add(u"xy");                    // 2: the whole name
    scan.Add(u"x");                     // 3: shorter than the query
    scan.Add(
        std::u16string(u"zzzzzzzzx\u0000yzzzzzz", 17));  // 4: split by a zero unit inside the name
    scan.Add(u"zzzzzzzzzzzzzzzzzzzx");                   // 5: first unit only, at the end
    EXPECT_EQ(scan.Hits(u"XY"), (std::vector<std::uint64_t>{0, 1, 2}));
}

TEST(NameScan, NeverMatchesAcrossTheEndOfANameIntoWhatFollowsIt) {
    // After a name comes the next name; a query that would only match by running on into it is
    // no hit.
    SmallChunkEngine scan(NamePool::kDefaultChunkShift);
    scan.Add(u"abc");
    scan.Add(u"defgh");
    EXPECT_TRUE(scan.Hits(u"cd").empty());
    EXPECT_TRUE(scan.Hits(u"abcd").empty());
    EXPECT_EQ(scan.Hits(u"abc"), (std::vector<std::uint64_t>{0}));
}

// The vector form against the portable one directly: every text of up to nine units over a
// three-letter alphabet (and a fourth, accented, that makes it UTF-16) against every needle of up
// to four, each text stored in a pool whose chunks end right after it, so that the vector loads
// run into the chunk's slack.
TEST(NameScan, VectorAndPlainFormsAgreeOnEveryShortTextAndNeedle) {
    const std::u16string alphabets[] = {u"abA", u"a\u00e0A"};
    std::size_t disagreements = 0;
    std::size_t found = 0;
    for (const std::u16string& alphabet : alphabets) {
        std::vector<FoldedNeedle> needles;
        for (std::size_t length = 1; length <= 4; ++length) {
            std::size_t total = 1;
            for (std::size_t i = 0; i < length; ++i)
                total *= 3;
            for (std::size_t code = 0; code < total; ++code) {
                std::u16string needle;
                for (std::size_t i = 0, c = code; i < length; ++i, c /= 3)
                    needle += alphabet[c % 3];
                needles.emplace_back(FoldAscii(needle));
            }
        }
        for (std::size_t length = 1; length <= 9; ++length) {
            std::size_t total = 1;
            for (std::size_t i = 0; i < length; ++i)
                total *= 3;
            // Chunks of 32 bytes: each name ends where the next chunk would have to begin.
            NamePool pool(5);
            for (std::size_t code = 0; code < total; ++code) {
                std::u16string text;
                for (std::size_t i = 0, c = code; i < length; ++i, c /= 3)
                    text += alphabet[c % 3];
                const auto stored = pool.Append(text.data(), static_cast<std::uint16_t>(length));
                const NameView name =
                    pool.View(stored.offset, static_cast<std::uint16_t>(length), stored.wide);
                for (const FoldedNeedle& needle : needles) {
                    const bool plain = ContainsFoldedPlain(name, needle);
                    disagreements += plain != ContainsFolded(name, needle) ? 1 : 0;
                    disagreements +=
                        plain != (FoldAscii(text).find(FoldAscii(std::u16string(
                                      needle.Wide(), needle.size()))) != std::u16string::npos);
                    found += plain ? 1 : 0;
                }
                if (pool.ChunkCount() > 64)
                    pool.Clear();
            }
        }
    }
    EXPECT_EQ(disagreements, 0u);
    EXPECT_GT(found, 0u);
}

}  // namespace
}  // namespace kx
