// Sends the USN control codes to a simulated volume and reads the replies back, for the
// fidelity tests of the simulator.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/sim/simulated_volume.h"
#include "platform/usn_layout.h"
#include "platform/usn_record_reader.h"

namespace kx::testing {

struct Record {
    std::uint64_t frn = 0;
    std::uint64_t parentFrn = 0;
    std::int64_t usn = 0;
    std::uint32_t reason = 0;
    std::uint32_t attributes = 0;
    std::u16string name;
};

struct Reply {
    std::uint32_t error = 0;
    std::uint32_t bytes = 0;
    std::uint64_t header = 0;  // next start reference, resp. next USN
    std::vector<Record> records;
    bool malformed = false;
};

inline Reply ParseReply(std::uint32_t error, const std::vector<std::uint64_t>& buffer,
                        std::uint32_t bytes) {
    Reply reply;
    reply.error = error;
    reply.bytes = bytes;
    if (error != 0 || bytes < kUsnReplyHeaderSize)
        return reply;
    const auto* data = reinterpret_cast<const std::uint8_t*>(buffer.data());
    std::memcpy(&reply.header, data, 8);
    UsnRecordReader reader(data, bytes, kUsnReplyHeaderSize);
    UsnRecordView view;
    UsnReadStatus status;
    while ((status = reader.Next(&view)) == UsnReadStatus::kRecord) {
        reply.records.push_back({view.frn, view.parentFrn, view.usn, view.reason,
                                 view.fileAttributes, std::u16string(view.name, view.nameLength)});
    }
    reply.malformed = status == UsnReadStatus::kMalformed;
    return reply;
}

inline Reply Enum(sim::SimVolume& volume, std::uint64_t start, std::uint32_t bufferBytes = 65536,
                  std::int64_t lowUsn = 0, std::int64_t highUsn = 0x7FFFFFFFFFFFFFFF) {
    MftEnumDataV0 request{start, lowUsn, highUsn};
    std::vector<std::uint64_t> buffer(bufferBytes / 8 + 1);
    std::uint32_t bytes = 0;
    const std::uint32_t error = volume.Control(FSCTL_ENUM_USN_DATA, &request, sizeof(request),
                                               buffer.data(), bufferBytes, &bytes);
    return ParseReply(error, buffer, bytes);
}

// Every record of the MFT, in as many requests as the buffer size needs.
inline std::vector<Record> EnumAll(sim::SimVolume& volume, std::uint32_t bufferBytes = 65536,
                                   int* requests = nullptr) {
    std::vector<Record> all;
    std::uint64_t start = 0;
    int count = 0;
    for (;;) {
        Reply reply = Enum(volume, start, bufferBytes);
        ++count;
        if (reply.error != 0)
            break;
        all.insert(all.end(), reply.records.begin(), reply.records.end());
        start = reply.header;
    }
    if (requests != nullptr)
        *requests = count;
    return all;
}

inline std::uint64_t CreateJournal(sim::SimVolume& volume, std::uint64_t maximumSize = 1 << 28) {
    CreateUsnJournalData request{maximumSize, 1 << 24};
    std::uint32_t bytes = 0;
    volume.Control(FSCTL_CREATE_USN_JOURNAL, &request, sizeof(request), nullptr, 0, &bytes);
    return volume.JournalId();
}

inline Reply ReadJournal(sim::SimVolume& volume, std::int64_t startUsn,
                         std::uint32_t reasonMask = 0xFFFFFFFF, std::uint32_t bufferBytes = 65536,
                         std::uint64_t journalId = 0) {
    ReadUsnJournalDataV0 request{
        startUsn, reasonMask, 0, 0, 0, journalId != 0 ? journalId : volume.JournalId()};
    std::vector<std::uint64_t> buffer(bufferBytes / 8 + 1);
    std::uint32_t bytes = 0;
    const std::uint32_t error = volume.Control(FSCTL_READ_USN_JOURNAL, &request, sizeof(request),
                                               buffer.data(), bufferBytes, &bytes);
    return ParseReply(error, buffer, bytes);
}

// The journal records written since `from`, under every reason.
inline std::vector<Record> JournalSince(sim::SimVolume& volume, std::int64_t from) {
    return ReadJournal(volume, from).records;
}

}  // namespace kx::testing
