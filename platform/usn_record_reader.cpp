#include "platform/usn_record_reader.h"

#include <cstring>

namespace kx {

namespace {

template <typename T>
T ReadField(const std::uint8_t* record, std::size_t fieldOffset) {
    T value;
    std::memcpy(&value, record + fieldOffset, sizeof(T));
    return value;
}

}  // namespace

UsnReadStatus UsnRecordReader::Next(UsnRecordView* record) {
    for (;;) {
        if (offset_ >= size_)
            return UsnReadStatus::kEnd;
        const std::size_t left = size_ - offset_;
        // RecordLength itself must be readable before anything else is believed.
        if (left < sizeof(std::uint32_t))
            return UsnReadStatus::kMalformed;
        const std::uint8_t* at = bytes_ + offset_;
        const auto length = ReadField<std::uint32_t>(at, offsetof(UsnRecordV2, RecordLength));
        if (length < kUsnRecordV2HeaderSize || length > left)
            return UsnReadStatus::kMalformed;

        const auto major = ReadField<std::uint16_t>(at, offsetof(UsnRecordV2, MajorVersion));
        if (major != 2) {
            // Another layout: its length is trustworthy enough to step over, its fields are not.
            offset_ += length;
            continue;
        }
        const auto nameBytes = ReadField<std::uint16_t>(at, offsetof(UsnRecordV2, FileNameLength));
        const auto nameOffset = ReadField<std::uint16_t>(at, offsetof(UsnRecordV2, FileNameOffset));
        // An odd name position cannot hold UTF-16 code units; Windows always writes 60.
        if (nameOffset < kUsnRecordV2HeaderSize ||
            static_cast<std::uint32_t>(nameOffset) + nameBytes > length ||
            (offset_ + nameOffset) % 2 != 0) {
            return UsnReadStatus::kMalformed;
        }
        record->frn = ReadField<std::uint64_t>(at, offsetof(UsnRecordV2, FileReferenceNumber));
        record->parentFrn =
            ReadField<std::uint64_t>(at, offsetof(UsnRecordV2, ParentFileReferenceNumber));
        record->usn = ReadField<std::int64_t>(at, offsetof(UsnRecordV2, Usn));
        record->reason = ReadField<std::uint32_t>(at, offsetof(UsnRecordV2, Reason));
        record->fileAttributes =
            ReadField<std::uint32_t>(at, offsetof(UsnRecordV2, FileAttributes));
        record->name = reinterpret_cast<const char16_t*>(at + nameOffset);
        record->nameLength = static_cast<std::uint16_t>(nameBytes / 2);
        record->recordLength = length;
        record->offset = offset_;
        offset_ += length;
        return UsnReadStatus::kRecord;
    }
}

}  // namespace kx
