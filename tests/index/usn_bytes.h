// Builds USN replies byte by byte, for tests that need records the simulator would never
// produce.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/usn_layout.h"

namespace kx {

class UsnBytes {
  public:
    explicit UsnBytes(std::uint64_t header = 0) { AppendValue(header); }

    void AppendRecord(std::uint64_t frn, std::uint64_t parentFrn, const std::u16string& name,
                      std::uint32_t attributes, std::uint32_t reason = 0, std::int64_t usn = 0) {
        const auto nameBytes = static_cast<std::uint16_t>(name.size() * 2);
        const std::uint32_t length = UsnRecordLengthFor(nameBytes);
        const std::size_t start = bytes_.size();
        bytes_.resize(start + length, 0);
        UsnRecordV2 header{};
        header.RecordLength = length;
        header.MajorVersion = 2;
        header.FileReferenceNumber = frn;
        header.ParentFileReferenceNumber = parentFrn;
        header.Usn = usn;
        header.Reason = reason;
        header.FileAttributes = attributes;
        header.FileNameLength = nameBytes;
        header.FileNameOffset = kUsnRecordV2HeaderSize;
        std::memcpy(bytes_.data() + start, &header, kUsnRecordV2HeaderSize);
        std::memcpy(bytes_.data() + start + kUsnRecordV2HeaderSize, name.data(), nameBytes);
    }
    void AppendRaw(std::initializer_list<std::uint8_t> raw) { bytes_.insert(bytes_.end(), raw); }
    void SetU16(std::size_t at, std::uint16_t value) { std::memcpy(&bytes_[at], &value, 2); }
    void SetU32(std::size_t at, std::uint32_t value) { std::memcpy(&bytes_[at], &value, 4); }

    const std::uint8_t* data() const { return bytes_.data(); }
    std::size_t size() const { return bytes_.size(); }

  private:
    template <typename T>
    void AppendValue(T value) {
        const std::size_t at = bytes_.size();
        bytes_.resize(at + sizeof(T));
        std::memcpy(&bytes_[at], &value, sizeof(T));
    }
    std::vector<std::uint8_t> bytes_;
};

}  // namespace kx
