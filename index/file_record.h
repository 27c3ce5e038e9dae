#pragma once

#include <cstdint>

namespace kx {

// One file or directory name seen on a volume. A record is named by its position in its
// volume's records; positions change only through compaction and rebuilds.
struct FileRecord {
    std::uint64_t frn;         // all 64 bits as reported, never masked
    std::uint64_t parentFrn;   // likewise
    const char16_t* name;      // inside the volume's NamePool; folded copy at name + nameLength + 1
    std::uint16_t nameLength;  // code units
    // Code units from the name's last "." to its end, 0 without a dot: the extension that the
    // filter categories test, found once when the record is appended instead of per hit. It
    // lives in what was padding, so a record is no larger for it.
    std::uint16_t extensionLength;
    std::uint32_t isDirectory;  // 0 or 1
    std::uint32_t isDead;       // 0 or 1; set once, never cleared

    const char16_t* FoldedName() const { return name + nameLength + 1; }
    // The folded extension, dot included; extensionLength units long.
    const char16_t* FoldedExtension() const {
        return FoldedName() + (nameLength - extensionLength);
    }
};

}  // namespace kx
