#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

namespace kx {

// Attributes of one file as the details loader last fetched them.
struct AttributeCacheEntry {
    std::int64_t size = 0;
    std::uint64_t lastWriteTime = 0;  // FILETIME
    std::uint64_t creationTime = 0;   // FILETIME
    std::u16string fullPath;
    bool loaded = false;  // true once filled; size and times stay 0 when the query failed
};

using AttributeCache = std::unordered_map<std::uint64_t, AttributeCacheEntry>;

}  // namespace kx
