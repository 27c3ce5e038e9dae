// NTFS file reference numbers, apart from the USN layouts (whose control codes clash with the
// macros of windows.h), so that the table's map, which window code sees, can split one.
#pragma once

#include <cstdint>

namespace kx {

// A file reference number: 48-bit MFT record number, 16-bit sequence number on top.
constexpr std::uint64_t kRecordNumberMask = (std::uint64_t{1} << 48) - 1;
constexpr std::uint64_t MakeFileReference(std::uint64_t recordNumber, std::uint16_t sequence) {
    return (static_cast<std::uint64_t>(sequence) << 48) | (recordNumber & kRecordNumberMask);
}
constexpr std::uint64_t RecordNumberOf(std::uint64_t frn) {
    return frn & kRecordNumberMask;
}
constexpr std::uint16_t SequenceOf(std::uint64_t frn) {
    return static_cast<std::uint16_t>(frn >> 48);
}

}  // namespace kx
