// Feeds arbitrary bytes as an FSCTL_READ_USN_JOURNAL reply to the code the journal monitor runs
// on every successful read, over a small table built beforehand. The first input byte picks the
// table and whether the reply is read twice (as two polls that return the same records); the
// rest is the reply, raw. Afterwards the table is checked against its invariants and against a
// plain model of what the applied records mean: which frn is live under which name and parent.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "fuzz/table_invariants.h"
#include "index/journal_monitor.h"
#include "index/volume_index.h"
#include "platform/usn_layout.h"
#include "platform/usn_record_reader.h"

namespace {

using kx::fuzz::Require;

constexpr std::size_t kJournalReplyBytes = 65536;  // the monitor's reply buffer
constexpr std::size_t kPathChecks = 256;
constexpr std::int64_t kUsnBeforeRead = 0x1234;
constexpr std::uint64_t kCompactAbove = 10000;
constexpr unsigned kChunkShift = 16;
// Dead records that put the crowded table a few deletions short of a compaction.
constexpr std::uint64_t kCrowdDead = 9995;

constexpr std::uint32_t kRemovalReasons =
    kx::USN_REASON_FILE_DELETE | kx::USN_REASON_RENAME_OLD_NAME;
constexpr std::uint32_t kAdditionReasons =
    kx::USN_REASON_FILE_CREATE | kx::USN_REASON_RENAME_NEW_NAME;

struct LiveFile {
    std::u16string name;
    std::uint64_t parentFrn;
    bool isDirectory;
    bool operator==(const LiveFile& other) const {
        return std::tie(name, parentFrn, isDirectory) ==
               std::tie(other.name, other.parentFrn, other.isDirectory);
    }
};
using LiveSet = std::map<std::uint64_t, LiveFile>;

constexpr std::uint64_t Frn(std::uint64_t record) {
    return kx::MakeFileReference(record, 1);
}

void Add(kx::VolumeIndex& volume, std::uint64_t frn, std::uint64_t parentFrn,
         const std::u16string& name, bool isDirectory) {
    std::uint64_t previous = 0;
    volume.table.AppendMapped(frn, parentFrn, name.data(), static_cast<std::uint16_t>(name.size()),
                              isDirectory ? 0x10u : 0x20u, &previous);
}

void Kill(kx::VolumeIndex& volume, std::uint64_t frn) {
    kx::MarkDead(volume, volume.table.IndexOf(frn));
}

// Records 16 to 24 (25 in the crowded table) as the seeds generator knows them: a tree below the
// root, a renamed file whose old record is dead, a name with non-ASCII letters and a directory
// cycle.
void AddSmallTree(kx::VolumeIndex& volume) {
    Add(volume, kx::kRootDirectoryFrn, kx::kRootDirectoryFrn, u".", true);
    Add(volume, Frn(16), kx::kRootDirectoryFrn, u"Users", true);
    Add(volume, Frn(17), Frn(16), u"Docs", true);
    Add(volume, Frn(18), Frn(17), u"a.txt", false);
    Add(volume, Frn(19), kx::kRootDirectoryFrn, u"README.TXT", false);
    Add(volume, Frn(20), Frn(17), u"\u540D\u5B57.doc", false);
    Add(volume, Frn(21), Frn(17), u"old name.txt", false);
    Kill(volume, Frn(21));
    Add(volume, Frn(21), Frn(16), u"new name.txt", false);
    Add(volume, Frn(22), Frn(23), u"loop-a", true);
    Add(volume, Frn(23), Frn(22), u"loop-b", true);
    Add(volume, Frn(24), Frn(17), u"", false);
}

// A file renamed thousands of times: every old name left a dead record under the same frn.
void AddCrowd(kx::VolumeIndex& volume) {
    for (std::uint64_t i = 0; i < kCrowdDead; ++i)
        kx::MarkDead(volume, volume.table.Append(Frn(25), Frn(17), u"old", 3, 0x20u));
    Add(volume, Frn(25), Frn(17), u"renamed often", false);
}

LiveSet LiveFiles(const kx::VolumeIndex& volume) {
    LiveSet live;
    for (const kx::FileRecord& record : volume.table) {
        if (!record.IsDead()) {
            live[record.frn] = {volume.table.NameText(record), record.parentFrn,
                                record.IsDirectory()};
        }
    }
    return live;
}

// What one reply means for the set of live files, told without the table's machinery.
void ApplyToModel(LiveSet& live, const std::uint8_t* reply, std::size_t size) {
    if (size <= kx::kUsnReplyHeaderSize)
        return;
    kx::UsnRecordReader reader(reply, size, kx::kUsnReplyHeaderSize);
    kx::UsnRecordView change;
    while (reader.Next(&change) == kx::UsnReadStatus::kRecord) {
        if ((change.reason & kRemovalReasons) != 0) {
            live.erase(change.frn);
            continue;
        }
        if ((change.reason & kAdditionReasons) == 0)
            continue;
        LiveFile file{std::u16string(change.name, change.nameLength), change.parentFrn,
                      (change.fileAttributes & 0x10u) != 0};
        const auto found = live.find(change.frn);
        if (found != live.end() && found->second.name == file.name)
            continue;  // the same name again: the parent is not compared
        live[change.frn] = std::move(file);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::uint8_t choice = data[0];
    const std::size_t replySize = std::min(size - 1, kJournalReplyBytes);
    // The monitor's buffer: 8-byte aligned, so names in it are 2-byte aligned.
    static std::uint64_t storage[kJournalReplyBytes / 8];
    std::memset(storage, 0, sizeof(storage));
    if (replySize != 0)
        std::memcpy(storage, data + 1, replySize);
    const auto* reply = reinterpret_cast<const std::uint8_t*>(storage);

    kx::VolumeIndex volume;
    volume.rootPath = u"J:";
    volume.nextUsn = kUsnBeforeRead;
    // Small chunks keep each input cheap and let names reach chunk ends; still room for the
    // longest name (32,767 UTF-16 code units) and no more.
    volume.table = kx::FileTable(kChunkShift);
    const int table = choice & 3;
    if (table != 0)
        AddSmallTree(volume);
    if (table == 2)
        AddCrowd(volume);
    const int reads = (choice & 4) != 0 ? 2 : 1;

    LiveSet expected = LiveFiles(volume);
    for (int read = 0; read < reads; ++read) {
        kx::ProcessJournalReply(volume, reply, replySize);
        ApplyToModel(expected, reply, replySize);
        Require(volume.table.DeadRecordsHeld() <= kCompactAbove);
    }

    std::int64_t headerUsn = kUsnBeforeRead;
    if (replySize > kx::kUsnReplyHeaderSize)
        std::memcpy(&headerUsn, reply, sizeof(headerUsn));
    Require(volume.nextUsn == headerUsn);
    Require(LiveFiles(volume) == expected);
    kx::fuzz::CheckTable(volume, kPathChecks);
    return 0;
}
