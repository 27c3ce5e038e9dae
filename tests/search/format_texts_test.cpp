#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "search/format_texts.h"

namespace kx {
namespace {

TEST(SizeText, SwitchesUnitAtEachPowerOf1024) {
    EXPECT_EQ(FormatSize(0), u"0 B");
    EXPECT_EQ(FormatSize(1023), u"1023 B");
    EXPECT_EQ(FormatSize(1024), u"1 KB");
    EXPECT_EQ(FormatSize(1048575), u"1023 KB");
    EXPECT_EQ(FormatSize(1048576), u"1.00 MB");
    EXPECT_EQ(FormatSize(1073741823), u"1024.00 MB");
    EXPECT_EQ(FormatSize(1073741824), u"1.00 GB");
    EXPECT_EQ(FormatSize(5905580032), u"5.50 GB");
    EXPECT_EQ(FormatSize(INT64_MAX), u"8589934592.00 GB");
}

// FILETIME of a UTC moment: 100 ns ticks since 1601-01-01.
std::uint64_t FileTimeOf(std::int64_t unixSeconds, std::int64_t extraTicks = 0) {
    return static_cast<std::uint64_t>((unixSeconds + 11644473600LL) * 10000000LL + extraTicks);
}

// The texts are local time, so every case runs in UTC. POSIX takes the zone from TZ at once;
// Windows takes it from the system, which a process cannot change for itself, so there the
// cases run only when the machine is on UTC (scripts/wine-run.sh makes Wine's prefix so).
class TimeText : public ::testing::Test {
  protected:
    void SetUp() override {
#if defined(_WIN32)
        if (FormatFileTime(FileTimeOf(0)) != u"1970-01-01 00:00")
            GTEST_SKIP() << "the system's time zone is not UTC";
#else
        const char* zone = std::getenv("TZ");
        hadZone_ = zone != nullptr;
        if (hadZone_)
            savedZone_ = zone;
        SetZone("UTC");
#endif
    }
    void TearDown() override {
#if !defined(_WIN32)
        if (hadZone_)
            SetZone(savedZone_.c_str());
        else
            unsetenv("TZ");
        tzset();
#endif
    }
    // False where the zone cannot be changed from inside the process.
    static bool SetZone(const char* zone) {
#if defined(_WIN32)
        (void)zone;
        return false;
#else
        setenv("TZ", zone, 1);
        tzset();
        return true;
#endif
    }

  private:
    bool hadZone_ = false;
    std::string savedZone_;
};

TEST_F(TimeText, ZeroIsADash) {
    EXPECT_EQ(FormatFileTime(0), u"-");
}

TEST_F(TimeText, YearFirstWithoutSecondsPaddedToTwoDigits) {
    // 2024-03-05 07:08:59.9999999 UTC: seconds and below are dropped, not rounded.
    EXPECT_EQ(FormatFileTime(FileTimeOf(1709622539, 9999999)), u"2024-03-05 07:08");
    EXPECT_EQ(FormatFileTime(FileTimeOf(1735689599)), u"2024-12-31 23:59");
    EXPECT_EQ(FormatFileTime(1), u"1601-01-01 00:00");
}

TEST_F(TimeText, ShownInTheLocalZone) {
    if (!SetZone("JST-9"))
        GTEST_SKIP() << "the zone cannot be changed from inside the process";
    EXPECT_EQ(FormatFileTime(FileTimeOf(1735689599)), u"2025-01-01 08:59");
}

TEST_F(TimeText, TimeTheSystemCannotConvertIsADash) {
    EXPECT_EQ(FormatFileTime(0x8000000000000000ull), u"-");
    EXPECT_EQ(FormatFileTime(~0ull), u"-");
}

TEST(ProgressText, NamesHandledAndTotal) {
    char16_t text[kProgressTextCapacity];
    FormatSortProgress(5001, 12000, text, kProgressTextCapacity);
    EXPECT_EQ(std::u16string(text), u"正在提取硬盘属性并排序中... (已处理 5001 / 12000)");
}

TEST(ProgressText, CutToItsBuffer) {
    char16_t text[24];
    FormatSortProgress(1, 1, text, sizeof(text) / sizeof(text[0]));
    EXPECT_EQ(std::u16string(text).size(), 23u);
    EXPECT_EQ(std::u16string(text),
              std::u16string(u"正在提取硬盘属性并排序中... (已处理 1 / 1)").substr(0, 23));
}

}  // namespace
}  // namespace kx
