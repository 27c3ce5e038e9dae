// Bounded reading of USN_RECORD_V2 records that follow the 8-byte header of an ENUM or READ
// reply. Replies come from the file system (or from a file captured from one) and are
// untrusted: no field is believed before it has been checked against the bytes at hand.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/usn_layout.h"

namespace kx {

// The fields of one record that the program uses, read out of the reply. name points into
// the reply and is valid while the reply is.
struct UsnRecordView {
    std::uint64_t frn = 0;
    std::uint64_t parentFrn = 0;
    std::int64_t usn = 0;
    std::uint32_t reason = 0;
    std::uint32_t fileAttributes = 0;
    const char16_t* name = nullptr;  // 2-byte aligned whenever the buffer is
    std::uint16_t nameLength = 0;    // code units
    std::uint32_t recordLength = 0;
    std::uint64_t offset = 0;  // byte offset of the record in the buffer
};

enum class UsnReadStatus {
    kRecord,     // *record holds the next version-2 record
    kEnd,        // the records ended exactly at the end of the bytes
    kMalformed,  // the record at Offset() cannot be trusted; the rest is dropped
};

// Walks the records of bytes[begin, end). Records of another major version are skipped.
// A record whose RecordLength is below the fixed header, runs past the end, or whose name
// lies outside its own RecordLength stops the walk: nothing after it can be located safely.
class UsnRecordReader {
  public:
    UsnRecordReader(const std::uint8_t* bytes, std::size_t size, std::size_t begin)
        : bytes_(bytes), size_(size), offset_(begin) {}

    UsnReadStatus Next(UsnRecordView* record);
    std::size_t Offset() const { return offset_; }

  private:
    const std::uint8_t* bytes_;
    std::size_t size_;
    std::size_t offset_;
};

}  // namespace kx
