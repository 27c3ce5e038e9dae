// Attributes of a file by full path, for the result details. Served by the simulator in tests
// (the paths name files of simulated volumes) and by GetFileAttributesExW in the product.
#pragma once

#include <cstdint>
#include <string>

namespace kx {

struct FileAttributeData {
    std::int64_t size = 0;
    std::uint64_t lastWriteTime = 0;  // FILETIME as one 64-bit value
    std::uint64_t creationTime = 0;
    bool isDirectory = false;
};

// GetFileAttributesExW(path, GetFileExInfoStandard). False when the file cannot be queried.
bool GetFileAttributeData(const std::u16string& path, FileAttributeData* data);

}  // namespace kx
