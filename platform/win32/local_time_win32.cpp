#include <windows.h>

#include "platform/local_time.h"

namespace kx {

bool FileTimeToLocalTime(std::uint64_t fileTime, LocalTime* local) {
    FILETIME utcFileTime{};
    utcFileTime.dwLowDateTime = static_cast<DWORD>(fileTime & 0xFFFFFFFFu);
    utcFileTime.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
    SYSTEMTIME utc{};
    SYSTEMTIME localParts{};
    // nullptr: the time zone rules in force on that date, daylight saving included.
    if (!::FileTimeToSystemTime(&utcFileTime, &utc) ||
        !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &localParts))
        return false;
    local->year = localParts.wYear;
    local->month = localParts.wMonth;
    local->day = localParts.wDay;
    local->hour = localParts.wHour;
    local->minute = localParts.wMinute;
    local->second = localParts.wSecond;
    return true;
}

}  // namespace kx
