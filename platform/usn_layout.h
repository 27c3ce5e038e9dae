// The program's own copies of the published NTFS USN structures and control codes. MinGW's
// winioctl.h only has the older, unversioned names (and a Windows 8 SDK's MFT_ENUM_DATA is the
// 32-byte V1 that older NTFS rejects), so every platform uses these layouts. The layouts are the
// same on x86 and x86-64; the static_asserts below hold on every target we build.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/file_reference.h"

namespace kx {

constexpr std::uint32_t FSCTL_ENUM_USN_DATA = 0x000900B3;
constexpr std::uint32_t FSCTL_READ_USN_JOURNAL = 0x000900BB;
constexpr std::uint32_t FSCTL_CREATE_USN_JOURNAL = 0x000900E7;
constexpr std::uint32_t FSCTL_QUERY_USN_JOURNAL = 0x000900F4;

constexpr std::uint32_t USN_REASON_DATA_EXTEND = 0x00000002;
constexpr std::uint32_t USN_REASON_FILE_CREATE = 0x00000100;
constexpr std::uint32_t USN_REASON_FILE_DELETE = 0x00000200;
constexpr std::uint32_t USN_REASON_RENAME_OLD_NAME = 0x00001000;
constexpr std::uint32_t USN_REASON_RENAME_NEW_NAME = 0x00002000;
constexpr std::uint32_t USN_REASON_CLOSE = 0x80000000;

constexpr std::uint32_t FILE_ATTRIBUTE_DIRECTORY_BIT = 0x10;
constexpr std::uint32_t FILE_ATTRIBUTE_ARCHIVE_BIT = 0x20;

#pragma pack(push, 8)

struct UsnRecordV2 {
    std::uint32_t RecordLength;
    std::uint16_t MajorVersion;
    std::uint16_t MinorVersion;
    std::uint64_t FileReferenceNumber;
    std::uint64_t ParentFileReferenceNumber;
    std::int64_t Usn;
    std::int64_t TimeStamp;
    std::uint32_t Reason;
    std::uint32_t SourceInfo;
    std::uint32_t SecurityId;
    std::uint32_t FileAttributes;
    std::uint16_t FileNameLength;  // bytes, not code units
    std::uint16_t FileNameOffset;
    char16_t FileName[1];  // not 0-terminated
};

struct MftEnumDataV0 {
    std::uint64_t StartFileReferenceNumber;
    std::int64_t LowUsn;
    std::int64_t HighUsn;
};

struct ReadUsnJournalDataV0 {
    std::int64_t StartUsn;
    std::uint32_t ReasonMask;
    std::uint32_t ReturnOnlyOnClose;
    std::uint64_t Timeout;
    std::uint64_t BytesToWaitFor;
    std::uint64_t UsnJournalID;
};

struct UsnJournalDataV0 {
    std::uint64_t UsnJournalID;
    std::int64_t FirstUsn;
    std::int64_t NextUsn;
    std::int64_t LowestValidUsn;
    std::int64_t MaxUsn;
    std::uint64_t MaximumSize;
    std::uint64_t AllocationDelta;
};

struct CreateUsnJournalData {
    std::uint64_t MaximumSize;
    std::uint64_t AllocationDelta;
};

#pragma pack(pop)

// Size of the fixed part of a USN_RECORD_V2; the name starts right after it.
constexpr std::uint32_t kUsnRecordV2HeaderSize = 60;
// ENUM and READ replies both start with 8 bytes (next start reference, resp. next USN).
constexpr std::uint32_t kUsnReplyHeaderSize = 8;

// Records in a reply start on 8-byte boundaries.
constexpr std::uint32_t UsnRecordLengthFor(std::uint32_t nameBytes) {
    return (kUsnRecordV2HeaderSize + nameBytes + 7u) & ~7u;
}

static_assert(sizeof(UsnRecordV2) == 64);
static_assert(offsetof(UsnRecordV2, MajorVersion) == 4);
static_assert(offsetof(UsnRecordV2, MinorVersion) == 6);
static_assert(offsetof(UsnRecordV2, FileReferenceNumber) == 8);
static_assert(offsetof(UsnRecordV2, ParentFileReferenceNumber) == 16);
static_assert(offsetof(UsnRecordV2, Usn) == 24);
static_assert(offsetof(UsnRecordV2, TimeStamp) == 32);
static_assert(offsetof(UsnRecordV2, Reason) == 40);
static_assert(offsetof(UsnRecordV2, SourceInfo) == 44);
static_assert(offsetof(UsnRecordV2, SecurityId) == 48);
static_assert(offsetof(UsnRecordV2, FileAttributes) == 52);
static_assert(offsetof(UsnRecordV2, FileNameLength) == 56);
static_assert(offsetof(UsnRecordV2, FileNameOffset) == 58);
static_assert(offsetof(UsnRecordV2, FileName) == kUsnRecordV2HeaderSize);
static_assert(sizeof(MftEnumDataV0) == 24);
static_assert(sizeof(ReadUsnJournalDataV0) == 40);
static_assert(offsetof(ReadUsnJournalDataV0, ReasonMask) == 8);
static_assert(offsetof(ReadUsnJournalDataV0, ReturnOnlyOnClose) == 12);
static_assert(offsetof(ReadUsnJournalDataV0, Timeout) == 16);
static_assert(offsetof(ReadUsnJournalDataV0, BytesToWaitFor) == 24);
static_assert(offsetof(ReadUsnJournalDataV0, UsnJournalID) == 32);
static_assert(sizeof(UsnJournalDataV0) == 56);
static_assert(sizeof(CreateUsnJournalData) == 16);

constexpr std::uint64_t kRootDirectoryFrn = MakeFileReference(5, 5);

}  // namespace kx
