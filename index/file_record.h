#pragma once

#include <cstdint>

namespace kx {

// One file or directory name seen on a volume. A record is named by its position in its
// volume's FileTable; positions change only through compaction and rebuilds.
//
// 24 bytes, because a volume of ten million files keeps ten million of these resident all day:
// the name is an offset into the volume's NamePool rather than a pointer, and the flags share a
// byte with the offset's high bits. Only the table writes one.
struct FileRecord {
    static constexpr std::uint8_t kDirectory = 1;
    static constexpr std::uint8_t kDead = 2;
    // The name is stored in UTF-16; without the flag, in one byte per unit (every unit of the
    // name is below 0x80).
    static constexpr std::uint8_t kWide = 4;
    static constexpr unsigned kOffsetHighShift = 3;  // bits 3 to 7: offset bits 32 to 36
    // An extension of this many units or more; the name is read again to find its length.
    static constexpr std::uint8_t kLongExtension = 255;

    std::uint64_t frn;        // all 64 bits as reported, never masked
    std::uint64_t parentFrn;  // likewise
    std::uint32_t nameOffsetLow;
    std::uint16_t nameLength;  // code units
    // Units from the name's last "." to its end, dot included, 0 without a dot: the extension
    // that the filter categories test, found once at the append instead of per hit.
    std::uint8_t extensionLength;
    std::uint8_t flags;

    bool IsDirectory() const { return (flags & kDirectory) != 0; }
    bool IsDead() const { return (flags & kDead) != 0; }
    bool IsWide() const { return (flags & kWide) != 0; }
    std::uint64_t NameOffset() const {
        return nameOffsetLow | (static_cast<std::uint64_t>(flags >> kOffsetHighShift) << 32);
    }
};
static_assert(sizeof(FileRecord) == 24, "a record costs 24 bytes on every build");

}  // namespace kx
