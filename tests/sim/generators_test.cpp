// Synthetic volumes and mirrored directory trees.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "platform/sim/mirror_tree.h"
#include "platform/sim/synthetic_volume.h"
#include "tests/sim/sim_replies.h"

namespace kx::testing {
namespace {

namespace fs = std::filesystem;

TEST(SyntheticVolume, ASeedAlwaysGivesTheSameVolume) {
    sim::SimVolume first;
    sim::SimVolume second;
    sim::SimVolume other;
    sim::GenerateSyntheticVolume(first, 200000, 42);
    sim::GenerateSyntheticVolume(second, 200000, 42);
    sim::GenerateSyntheticVolume(other, 200000, 43);
    const std::string bytes = first.SaveMftRecords();
    EXPECT_EQ(bytes, second.SaveMftRecords());
    EXPECT_EQ(first.SaveSidecar(), second.SaveSidecar());
    EXPECT_NE(bytes, other.SaveMftRecords());
    EXPECT_EQ(first.LiveEntryCount(), 200000u);
}

TEST(SyntheticVolume, LooksLikeARealDisk) {
    sim::SimVolume volume;
    sim::GenerateSyntheticVolume(volume, 50000, 7);
    const auto entries = volume.LiveEntries();
    std::map<std::uint64_t, const sim::SimEntry*> byFrn;
    for (const auto& entry : entries)
        byFrn[entry.frn] = &entry;
    std::size_t directories = 0, nonAscii = 0, upper = 0;
    std::map<std::u16string, int> extensions;
    int deepest = 0;
    for (const auto& entry : entries) {
        directories += (entry.attributes & FILE_ATTRIBUTE_DIRECTORY_BIT) ? 1 : 0;
        bool ascii = true, hasUpper = false;
        for (const char16_t c : entry.name) {
            ascii = ascii && c < 0x80;
            hasUpper = hasUpper || (c >= u'A' && c <= u'Z');
        }
        nonAscii += ascii ? 0 : 1;
        upper += hasUpper ? 1 : 0;
        const auto dot = entry.name.rfind(u'.');
        if (dot != std::u16string::npos && !(entry.attributes & FILE_ATTRIBUTE_DIRECTORY_BIT))
            ++extensions[entry.name.substr(dot)];
        int depth = 1;
        for (std::uint64_t at = entry.parentFrn; at != kRootDirectoryFrn; ++depth) {
            ASSERT_TRUE(byFrn.count(at)) << "every parent is a generated directory";
            ASSERT_NE(byFrn[at]->attributes & FILE_ATTRIBUTE_DIRECTORY_BIT, 0u);
            at = byFrn[at]->parentFrn;
        }
        deepest = std::max(deepest, depth);
    }
    EXPECT_NEAR(static_cast<double>(directories) / entries.size(), 0.10, 0.02);
    EXPECT_GT(nonAscii, entries.size() / 50);
    EXPECT_GT(upper, entries.size() / 4);
    EXPECT_GE(deepest, 10);
    EXPECT_LE(deepest, 12);
    for (const char16_t* extension : {u".txt", u".dll", u".exe", u".jpg", u".json", u".cpp"})
        EXPECT_GT(extensions[extension], 100) << std::string(extension, extension + 4).c_str();
}

class MirrorTree : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("kx-mirror-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "docs" / "deep");
        std::ofstream(root / "docs" / "a.txt") << "hello";
        std::ofstream(root / "docs" / "deep" / "b.bin") << std::string(1000, 'x');
        std::ofstream(root / "top.txt");
        // Wine cannot make symbolic links: there the tree simply has none.
        std::error_code error;
        fs::create_directory_symlink(root / "docs", root / "link", error);
        hasLink = !error;
    }
    void TearDown() override { fs::remove_all(root); }
    fs::path root;
    bool hasLink = false;
};

TEST_F(MirrorTree, CopiesNamesSizesAndTimesWithoutFollowingLinks) {
    sim::SimVolume volume;
    const auto summary = sim::MirrorDirectoryTree(volume, root, 100);
    EXPECT_EQ(summary.added, hasLink ? 6u : 5u);
    EXPECT_FALSE(summary.truncated);
    const auto b = volume.EntryAtPath(u"docs\\deep\\b.bin");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->size, 1000);
    // Written moments ago: within a day of now, as a FILETIME.
    const std::uint64_t now =
        (static_cast<std::uint64_t>(std::time(nullptr)) + 11644473600ull) * 10000000ull;
    EXPECT_NEAR(static_cast<double>(b->lastWriteTime), static_cast<double>(now), 864e9);
    EXPECT_EQ(volume.EntryAtPath(u"docs")->attributes, FILE_ATTRIBUTE_DIRECTORY_BIT);
    if (!hasLink)
        return;
    const auto link = volume.EntryAtPath(u"link");
    ASSERT_TRUE(link);
    EXPECT_EQ(link->attributes & FILE_ATTRIBUTE_DIRECTORY_BIT, 0u) << "a link is not descended";
    EXPECT_FALSE(volume.FindByPath(u"link\\a.txt"));
}

TEST_F(MirrorTree, StopsAtTheEntryLimit) {
    sim::SimVolume volume;
    const auto summary = sim::MirrorDirectoryTree(volume, root, 3);
    EXPECT_EQ(summary.added, 3u);
    EXPECT_TRUE(summary.truncated);
    EXPECT_EQ(volume.LiveEntryCount(), 3u);
}

TEST_F(MirrorTree, AnUnreadableRootAddsNothing) {
    sim::SimVolume volume;
    const auto summary = sim::MirrorDirectoryTree(volume, root / "missing", 100);
    EXPECT_EQ(summary.added, 0u);
    EXPECT_EQ(summary.skipped, 1u);
}

}  // namespace
}  // namespace kx::testing
