#include <ctime>

#include "platform/local_time.h"

namespace kx {

namespace {

// FILETIME counts 100 ns ticks since 1601-01-01 UTC.
constexpr std::uint64_t kTicksPerSecond = 10000000;
constexpr std::uint64_t kSecondsFrom1601To1970 = 11644473600ull;

}  // namespace

bool FileTimeToLocalTime(std::uint64_t fileTime, LocalTime* local) {
    const std::uint64_t seconds = fileTime / kTicksPerSecond;
    // FileTimeToSystemTime refuses values at or above 2^63.
    if (fileTime >= 0x8000000000000000ull)
        return false;
    const auto unixSeconds = static_cast<std::time_t>(
        static_cast<std::int64_t>(seconds) - static_cast<std::int64_t>(kSecondsFrom1601To1970));
    std::tm parts{};
    if (localtime_r(&unixSeconds, &parts) == nullptr)
        return false;
    local->year = parts.tm_year + 1900;
    local->month = parts.tm_mon + 1;
    local->day = parts.tm_mday;
    local->hour = parts.tm_hour;
    local->minute = parts.tm_min;
    local->second = parts.tm_sec;
    return true;
}

}  // namespace kx
