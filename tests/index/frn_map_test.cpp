// The map from frn to record keeps most entries in a table indexed by record number and hands
// the rest aside. Whatever the numbers, it must answer every lookup exactly as a plain hash map
// of the same inserts, and no number a reply claims may make it large.
#include "index/frn_map.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <random>
#include <unordered_map>
#include <vector>

#include "common/allocation_failure.h"
#include "platform/usn_layout.h"

namespace kx {
namespace {

constexpr std::uint64_t kHighestRecord = (std::uint64_t{1} << 48) - 1;

// Records as the map sees them: the frn of each appended index.
struct Inserts {
    FrnMap map;
    std::vector<std::uint64_t> frns;
    std::unordered_map<std::uint64_t, std::uint64_t> reference;

    // Appends a record carrying frn and maps it; false when the two maps disagree on what was
    // stored before.
    bool Insert(std::uint64_t frn) {
        frns.push_back(frn);
        const auto before = reference.find(frn);
        const std::uint64_t expected = before == reference.end() ? FrnMap::kAbsent : before->second;
        reference[frn] = frns.size() - 1;
        return map.InsertOrAssign(frn, frns.size() - 1, frns.size(), FrnAt()) == expected;
    }
    std::function<std::uint64_t(std::uint64_t)> FrnAt() const {
        return [this](std::uint64_t i) { return frns[i]; };
    }
    std::size_t Disagreements() const {
        std::size_t wrong = map.Size() == reference.size() ? 0 : 1;
        for (const auto& [frn, index] : reference)
            wrong += map.Find(frn, FrnAt()) == index ? 0 : 1;
        return wrong;
    }
};

struct Scenario {
    const char* name;
    std::function<std::uint64_t(std::mt19937_64&, std::size_t)> frn;
};

TEST(FrnMap, AnswersEveryLookupAsAPlainMapOfTheSameInserts) {
    const Scenario scenarios[] = {
        {"dense record numbers, one sequence each",
         [](std::mt19937_64&, std::size_t i) { return MakeFileReference(16 + i, 1); }},
        {"record numbers reused under a new sequence while the old frn is mapped",
         [](std::mt19937_64& random, std::size_t i) {
             return MakeFileReference(16 + random() % 500, 1 + (i / 700) % 3);
         }},
        {"the same frn again and again, and its neighbours",
         [](std::mt19937_64& random, std::size_t) {
             return MakeFileReference(40 + random() % 2, 1 + random() % 2);
         }},
        {"record numbers near 2^48, every sequence",
         [](std::mt19937_64& random, std::size_t) {
             return MakeFileReference(kHighestRecord - random() % 64,
                                      static_cast<std::uint16_t>(random()));
         }},
        {"sparse huge numbers mixed with dense ones",
         [](std::mt19937_64& random, std::size_t i) {
             return i % 2 == 0 ? MakeFileReference(random() & kHighestRecord, 1)
                               : MakeFileReference(16 + i, 1);
         }},
        {"any 64 bits, all ones included",
         [](std::mt19937_64& random, std::size_t i) { return i % 97 == 0 ? ~0ull : random(); }},
    };
    for (const Scenario& scenario : scenarios) {
        std::mt19937_64 random(11);
        Inserts inserts;
        std::size_t wrongPrevious = 0;
        for (std::size_t i = 0; i < 20000; ++i)
            wrongPrevious += inserts.Insert(scenario.frn(random, i)) ? 0 : 1;
        EXPECT_EQ(wrongPrevious, 0u) << scenario.name;
        EXPECT_EQ(inserts.Disagreements(), 0u) << scenario.name;
        // Keys never inserted: other sequence numbers of mapped records, and random ones.
        std::size_t found = 0;
        for (std::size_t i = 0; i < 2000; ++i) {
            const std::uint64_t frn =
                i % 2 == 0 ? inserts.frns[i] ^ (std::uint64_t{1} << 63) : random();
            if (inserts.reference.count(frn) == 0)
                found += inserts.map.Find(frn, inserts.FrnAt()) == FrnMap::kAbsent ? 0 : 1;
        }
        EXPECT_EQ(found, 0u) << scenario.name;
    }
}

TEST(FrnMap, MemoryStaysBoundedByTheRecordCountWhateverNumbersAReplyClaims) {
    std::mt19937_64 random(3);
    Inserts hostile;
    for (std::size_t i = 0; i < 5000; ++i)
        hostile.Insert(MakeFileReference(random() & kHighestRecord, 1));
    // The table reaches four times the record count, and the rest costs a node each.
    EXPECT_LE(hostile.map.BytesUsed(), (4 * 5000 + 65536) * 4 + 5000 * 64);
    EXPECT_EQ(hostile.Disagreements(), 0u);

    Inserts dense;
    dense.map.ReserveRecordNumbers(16 + 100000, 100000);
    for (std::size_t i = 0; i < 100000; ++i)
        dense.Insert(MakeFileReference(16 + i, 1));
    EXPECT_LE(dense.map.BytesUsed(), 100017u * 4) << "4 bytes a record, nothing aside";
    EXPECT_EQ(dense.map.AsideCount(), 0u);
}

TEST(FrnMap, AnInsertThatCannotGrowTheTableChangesNothing) {
    Inserts inserts;
    for (std::size_t i = 0; i < 100; ++i)
        inserts.Insert(MakeFileReference(16 + i, 1));
    FailNthLargeAllocation(1);
    // Far enough to need a larger table, near enough to be within its reach.
    inserts.frns.push_back(MakeFileReference(60000, 1));
    EXPECT_THROW(inserts.map.InsertOrAssign(inserts.frns.back(), 100, 101, inserts.FrnAt()),
                 std::bad_alloc);
    FailNthLargeAllocation(0);
    EXPECT_EQ(inserts.Disagreements(), 0u);
    EXPECT_EQ(inserts.map.Find(inserts.frns.back(), inserts.FrnAt()), FrnMap::kAbsent);
}

}  // namespace
}  // namespace kx
