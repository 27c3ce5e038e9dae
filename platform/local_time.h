#pragma once

#include <cstdint>

namespace kx {

struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// FileTimeToSystemTime, then SystemTimeToTzSpecificLocalTime for the current time zone.
bool FileTimeToLocalTime(std::uint64_t fileTime, LocalTime* local);

}  // namespace kx
