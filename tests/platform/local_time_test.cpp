// FileTimeToLocalTime against the system's own view of the time zone. The zone of the machine
// running the tests is unknown, so the checks hold in every zone.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/local_time.h"

namespace kx {
namespace {

constexpr std::uint64_t kTicksPerSecond = 10000000;
// 2001-02-03 04:05:06 UTC.
constexpr std::uint64_t kSampleUtc = 126256467060000000ull;

SYSTEMTIME ToSystemTime(const LocalTime& local) {
    SYSTEMTIME parts{};
    parts.wYear = static_cast<WORD>(local.year);
    parts.wMonth = static_cast<WORD>(local.month);
    parts.wDay = static_cast<WORD>(local.day);
    parts.wHour = static_cast<WORD>(local.hour);
    parts.wMinute = static_cast<WORD>(local.minute);
    parts.wSecond = static_cast<WORD>(local.second);
    return parts;
}

std::uint64_t ToTicks(const SYSTEMTIME& parts) {
    FILETIME time{};
    EXPECT_TRUE(::SystemTimeToFileTime(&parts, &time));
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

TEST(LocalTimeConversion, OffsetFromUtcIsAWholeQuarterHourWithinFourteenHours) {
    LocalTime local;
    ASSERT_TRUE(FileTimeToLocalTime(kSampleUtc, &local));
    const auto localTicks = static_cast<std::int64_t>(ToTicks(ToSystemTime(local)));
    const std::int64_t offsetSeconds = (localTicks - static_cast<std::int64_t>(kSampleUtc)) /
                                       static_cast<std::int64_t>(kTicksPerSecond);
    EXPECT_EQ(offsetSeconds % (15 * 60), 0);
    EXPECT_LE(offsetSeconds, 14 * 3600);
    EXPECT_GE(offsetSeconds, -14 * 3600);
    EXPECT_EQ(local.second, 6);
}

TEST(LocalTimeConversion, ConvertingBackGivesTheSameInstant) {
    LocalTime local;
    ASSERT_TRUE(FileTimeToLocalTime(kSampleUtc, &local));
    SYSTEMTIME localParts = ToSystemTime(local);
    SYSTEMTIME utc{};
    ASSERT_TRUE(::TzSpecificLocalTimeToSystemTime(nullptr, &localParts, &utc));
    EXPECT_EQ(ToTicks(utc), kSampleUtc);
}

TEST(LocalTimeConversion, FractionsOfASecondAreDropped) {
    LocalTime whole, almostNext;
    ASSERT_TRUE(FileTimeToLocalTime(kSampleUtc, &whole));
    ASSERT_TRUE(FileTimeToLocalTime(kSampleUtc + kTicksPerSecond - 1, &almostNext));
    EXPECT_EQ(almostNext.second, whole.second);
    EXPECT_EQ(almostNext.minute, whole.minute);
}

TEST(LocalTimeConversion, FieldsAreInTheirRanges) {
    // 1601-01-01 may fall on the previous day in a zone west of UTC, which Windows refuses.
    for (std::uint64_t ticks : {kSampleUtc, 0x01D9000000000000ull, 0x0300000000000000ull}) {
        LocalTime local;
        ASSERT_TRUE(FileTimeToLocalTime(ticks, &local)) << ticks;
        EXPECT_GE(local.month, 1);
        EXPECT_LE(local.month, 12);
        EXPECT_GE(local.day, 1);
        EXPECT_LE(local.day, 31);
        EXPECT_LE(local.hour, 23);
        EXPECT_LE(local.minute, 59);
        EXPECT_LE(local.second, 59);
    }
}

TEST(LocalTimeConversion, ValuesAtOrAbove2To63AreRefused) {
    LocalTime local;
    local.year = 1234;
    EXPECT_FALSE(FileTimeToLocalTime(0x8000000000000000ull, &local));
    EXPECT_FALSE(FileTimeToLocalTime(~0ull, &local));
    EXPECT_EQ(local.year, 1234);
}

}  // namespace
}  // namespace kx
