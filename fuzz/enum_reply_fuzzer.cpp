// Feeds arbitrary bytes as an FSCTL_ENUM_USN_DATA reply (the 8-byte next start, then
// USN_RECORD_V2 records) through the two steps a build runs on its replies: appending their
// records to a fresh table, then mapping every frn once all are in. The table is checked against
// the records the reply holds and against the invariants every table keeps.
//
// The device, the request loop and the parsing thread around these steps are left out; the
// tests of Build cover those.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/table_invariants.h"
#include "index/mft_enumeration.h"
#include "index/volume_index.h"
#include "platform/usn_layout.h"
#include "platform/usn_record_reader.h"

namespace {

using kx::fuzz::Require;

constexpr std::size_t kEnumReplyBytes = 1048576;  // the reply buffer of a build
constexpr std::size_t kPathChecks = 256;
// Small chunks keep each input cheap and let names reach chunk ends; still room for the
// longest name (32,767 UTF-16 code units) and no more.
constexpr unsigned kChunkShift = 16;

bool SameRecord(const kx::FileTable& table, const kx::FileRecord& record,
                const kx::UsnRecordView& view) {
    return record.frn == view.frn && record.parentFrn == view.parentFrn &&
           record.IsDirectory() == ((view.fileAttributes & 0x10u) != 0) &&
           table.NameEquals(record, view.name, view.nameLength);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::size_t replySize = std::min(size, kEnumReplyBytes);
    // The reply as a build receives it: 8-byte aligned, as its buffers are.
    std::vector<std::uint64_t> storage((replySize + 7) / 8, 0);
    if (replySize != 0)
        std::memcpy(storage.data(), data, replySize);
    const auto* reply = reinterpret_cast<const std::uint8_t*>(storage.data());

    kx::VolumeIndex volume;
    volume.rootPath = u"K:";
    volume.table = kx::FileTable(kChunkShift);
    kx::AppendEnumRecords(reply, replySize, volume.table);
    volume.table.MapAll();

    // The records the reply holds, in order, up to the first that cannot be trusted; each lies
    // inside the reply with its name inside its own record.
    std::size_t parsed = 0;
    kx::UsnRecordReader reader(reply, replySize, kx::kUsnReplyHeaderSize);
    kx::UsnRecordView view;
    std::uint64_t end = kx::kUsnReplyHeaderSize;
    while (reader.Next(&view) == kx::UsnReadStatus::kRecord) {
        Require(view.offset >= end && view.offset + view.recordLength <= replySize);
        const auto* name = reinterpret_cast<const std::uint8_t*>(view.name);
        Require(name >= reply + view.offset + kx::kUsnRecordV2HeaderSize);
        Require(name + view.nameLength * 2u <= reply + view.offset + view.recordLength);
        end = view.offset + view.recordLength;
        Require(parsed < volume.table.Size() &&
                SameRecord(volume.table, volume.table.Record(parsed), view));
        ++parsed;
    }
    Require(volume.table.Size() == parsed);

    kx::fuzz::CheckTable(volume, kPathChecks);
    return 0;
}
