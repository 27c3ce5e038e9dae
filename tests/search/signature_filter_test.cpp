// The scan's first pass must pick exactly the records whose signature allows the query, in
// order, whatever the range's alignment: a record left out is a hit lost.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "search/signature_filter.h"

namespace kx {
namespace {

std::vector<std::uint32_t> Reference(const std::vector<NameSignature>& signatures,
                                     NameSignature needed, std::size_t from, std::size_t to,
                                     std::uint32_t base) {
    std::vector<std::uint32_t> picked;
    for (std::size_t k = from; k < to; ++k)
        if ((signatures[k] & needed) == needed)
            picked.push_back(base + static_cast<std::uint32_t>(k));
    return picked;
}

TEST(SignatureFilter, BothFormsPickWhatTheReferencePicksOverEveryAlignment) {
    std::mt19937 random(11);
    std::vector<NameSignature> signatures(300);
    for (NameSignature& signature : signatures)
        signature = static_cast<NameSignature>(random()) & static_cast<NameSignature>(random());
    const std::atomic<bool> go{false};
    std::vector<std::uint32_t> picked(signatures.size());
    for (int round = 0; round < 3000; ++round) {
        const std::size_t from = random() % signatures.size();
        const std::size_t to = from + random() % (signatures.size() - from + 1);
        const std::uint32_t base = random() % 2 == 0 ? 0 : 65536 * (1 + random() % 100);
        const NameSignature needed = round % 7 == 0 ? 0
                                                    : (NameSignature{1} << (random() % 32)) |
                                                          (NameSignature{1} << (random() % 32));
        const auto expected = Reference(signatures, needed, from, to, base);
        std::size_t count = 99;
        ASSERT_TRUE(PickBySignaturePlain(signatures.data(), needed, from, to, base, picked.data(),
                                         count, go));
        ASSERT_EQ(std::vector<std::uint32_t>(picked.begin(), picked.begin() + count), expected);
#if defined(__SSE2__)
        count = 99;
        ASSERT_TRUE(PickBySignatureVector(signatures.data(), needed, from, to, base, picked.data(),
                                          count, go));
        ASSERT_EQ(std::vector<std::uint32_t>(picked.begin(), picked.begin() + count), expected)
            << "from " << from << " to " << to;
#endif
    }
}

TEST(SignatureFilter, StopsWhenAskedTo) {
    const std::vector<NameSignature> signatures(64, ~NameSignature{0});
    std::vector<std::uint32_t> picked(64);
    const std::atomic<bool> stop{true};
    std::size_t count = 0;
    EXPECT_FALSE(PickBySignature(signatures.data(), 1, 0, 64, 0, picked.data(), count, stop));
    EXPECT_FALSE(PickBySignaturePlain(signatures.data(), 1, 0, 64, 0, picked.data(), count, stop));
}

}  // namespace
}  // namespace kx
