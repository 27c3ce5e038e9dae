// SimVolume: a fresh volume's metafiles, the changes tests make to it with the journal
// records NTFS writes for them, and inspection.
#include "platform/sim/simulated_volume.h"

#include "platform/sim/sim_volume_state.h"
#include "platform/usn_layout.h"

namespace kx::sim {

namespace {

constexpr std::uint32_t kHiddenSystem = 0x06;

// Records 12..15 are in use but nameless on NTFS: reserved for metafiles to come.
constexpr const char16_t* kMetafileNames[kFirstUserRecord] = {
    u"$MFT",     u"$MFTMirr", u"$LogFile", u"$Volume", u"$AttrDef", u".", u"$Bitmap", u"$Boot",
    u"$BadClus", u"$Secure",  u"$UpCase",  u"$Extend", u"",         u"",  u"",        u""};

// The reasons NTFS gathers for one open handle of a file: a record each time a new bit joins,
// and one more with everything and CLOSE when the handle closes.
struct OpenFile {
    SimVolumeState& state;
    std::uint64_t record;
    std::uint32_t reasons = 0;

    void Add(std::uint32_t bits) {
        if ((reasons | bits) == reasons)
            return;
        reasons |= bits;
        AppendJournalRecord(state, record, reasons);
    }
    void Close() { AppendJournalRecord(state, record, reasons | USN_REASON_CLOSE); }
    // A deletion takes effect when the last handle closes, so it is reported only with the close.
    void DeleteOnClose() {
        AppendJournalRecord(state, record, reasons | USN_REASON_FILE_DELETE | USN_REASON_CLOSE);
        UnindexChild(state, record);
        FreeRecord(state, record);
    }
};

bool IsUserEntry(const SimVolumeState& state, std::uint64_t frn) {
    return RecordNumberOf(frn) >= kFirstUserRecord && LiveSlot(state, frn) != nullptr;
}

bool IsLiveDirectory(const SimVolumeState& state, std::uint64_t frn) {
    const EntrySlot* slot = LiveSlot(state, frn);
    return slot != nullptr && (slot->attributes & FILE_ATTRIBUTE_DIRECTORY_BIT) != 0;
}

// NTFS refuses to move a directory below itself.
bool WouldLoop(const SimVolumeState& state, std::uint64_t frn, std::uint64_t newParentFrn) {
    std::uint64_t at = newParentFrn;
    for (int depth = 0; depth < 4096 && at != kRootDirectoryFrn; ++depth) {
        if (at == frn)
            return true;
        const EntrySlot* slot = LiveSlot(state, at);
        if (slot == nullptr)
            return false;
        at = slot->parentFrn;
    }
    return false;
}

// Creates the entry and reports the creation on the handle that created it.
std::uint64_t CreateEntry(OpenFile& open, std::uint64_t parentFrn, const std::u16string& name,
                          std::uint32_t attributes) {
    const std::uint64_t frn = AllocateEntry(open.state, parentFrn, name, attributes);
    EntrySlot& slot = open.state.entries[RecordNumberOf(frn)];
    slot.creationTime = slot.lastWriteTime = NowAsFileTime();
    open.record = RecordNumberOf(frn);
    open.Add(USN_REASON_FILE_CREATE);
    return frn;
}

void RenameOpen(OpenFile& open, std::uint64_t newParentFrn, const std::u16string& newName) {
    UnindexChild(open.state, open.record);
    EntrySlot& slot = open.state.entries[open.record];
    slot.parentFrn = newParentFrn;
    StoreName(open.state, slot, newName);
    IndexChild(open.state, open.record);
}

void DeleteTree(SimVolumeState& state, std::uint64_t record) {
    if (state.entries[record].attributes & FILE_ATTRIBUTE_DIRECTORY_BIT) {
        const std::uint64_t frn = FrnOf(state, record);
        for (std::uint64_t child = kFirstUserRecord; child < state.entries.size(); ++child) {
            if (state.entries[child].inUse && state.entries[child].parentFrn == frn)
                DeleteTree(state, child);
        }
    }
    OpenFile open{state, record};
    open.DeleteOnClose();
}

}  // namespace

SimVolume::SimVolume() : state_(new State) {
    const std::uint64_t formatted = NowAsFileTime();
    state_->entries.resize(kFirstUserRecord);
    for (std::uint64_t record = 0; record < kFirstUserRecord; ++record) {
        EntrySlot& slot = state_->entries[record];
        slot.sequence = static_cast<std::uint16_t>(record == 0 ? 1 : record);
        slot.parentFrn = kRootDirectoryFrn;
        const bool directory = record == 5 || record == 11;
        slot.attributes = kHiddenSystem | (directory ? FILE_ATTRIBUTE_DIRECTORY_BIT : 0);
        slot.creationTime = slot.lastWriteTime = formatted;
        slot.inUse = true;
        StoreName(*state_, slot, kMetafileNames[record]);
    }
}

SimVolume::~SimVolume() {
    delete state_;
}

std::uint64_t SimVolume::CreateFile(std::uint64_t parentFrn, const std::u16string& name,
                                    std::int64_t size) {
    std::lock_guard<std::mutex> guard(mutex_);
    OpenFile open{*state_, 0};
    const std::uint64_t frn = CreateEntry(open, parentFrn, name, FILE_ATTRIBUTE_ARCHIVE_BIT);
    if (size > 0) {
        state_->entries[open.record].size = size;
        open.Add(USN_REASON_DATA_EXTEND);
    }
    open.Close();
    return frn;
}

std::uint64_t SimVolume::CreateDirectory(std::uint64_t parentFrn, const std::u16string& name) {
    std::lock_guard<std::mutex> guard(mutex_);
    OpenFile open{*state_, 0};
    const std::uint64_t frn = CreateEntry(open, parentFrn, name, FILE_ATTRIBUTE_DIRECTORY_BIT);
    open.Close();
    return frn;
}

void SimVolume::Rename(std::uint64_t frn, const std::u16string& newName) {
    std::uint64_t parent = 0;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        const EntrySlot* slot = LiveSlot(*state_, frn);
        if (slot == nullptr)
            return;
        parent = slot->parentFrn;
    }
    MoveAndRename(frn, parent, newName);
}

void SimVolume::Move(std::uint64_t frn, std::uint64_t newParentFrn) {
    std::u16string name;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        const EntrySlot* slot = LiveSlot(*state_, frn);
        if (slot == nullptr)
            return;
        name = std::u16string(NameOf(*state_, *slot));
    }
    MoveAndRename(frn, newParentFrn, name);
}

void SimVolume::MoveAndRename(std::uint64_t frn, std::uint64_t newParentFrn,
                              const std::u16string& newName) {
    std::lock_guard<std::mutex> guard(mutex_);
    State& state = *state_;
    if (!IsUserEntry(state, frn) || !IsLiveDirectory(state, newParentFrn) ||
        WouldLoop(state, frn, newParentFrn)) {
        return;
    }
    OpenFile open{state, RecordNumberOf(frn)};
    open.Add(USN_REASON_RENAME_OLD_NAME);
    // The old name is reported once; what the handle reports after it is the new name only.
    open.reasons &= ~USN_REASON_RENAME_OLD_NAME;
    RenameOpen(open, newParentFrn, newName);
    open.Add(USN_REASON_RENAME_NEW_NAME);
    open.Close();
}

void SimVolume::Delete(std::uint64_t frn) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (IsUserEntry(*state_, frn))
        DeleteTree(*state_, RecordNumberOf(frn));
}

std::uint64_t SimVolume::CreateTemporaryFile(std::uint64_t parentFrn, const std::u16string& name) {
    std::lock_guard<std::mutex> guard(mutex_);
    OpenFile open{*state_, 0};
    const std::uint64_t frn = CreateEntry(open, parentFrn, name, FILE_ATTRIBUTE_ARCHIVE_BIT);
    open.DeleteOnClose();
    return frn;
}

std::uint64_t SimVolume::CreateThenRenameBeforeClose(std::uint64_t parentFrn,
                                                     const std::u16string& name,
                                                     const std::u16string& newName) {
    std::lock_guard<std::mutex> guard(mutex_);
    OpenFile open{*state_, 0};
    const std::uint64_t frn = CreateEntry(open, parentFrn, name, FILE_ATTRIBUTE_ARCHIVE_BIT);
    // Still under the creating handle the creation bit stays gathered until the close; the old
    // name is reported once, as in any rename, and is not carried into the new name's records.
    open.Add(USN_REASON_RENAME_OLD_NAME);
    open.reasons &= ~USN_REASON_RENAME_OLD_NAME;
    RenameOpen(open, parentFrn, newName);
    open.Add(USN_REASON_RENAME_NEW_NAME);
    open.Close();
    return frn;
}

void SimVolume::SetTimes(std::uint64_t frn, std::uint64_t lastWriteTime,
                         std::uint64_t creationTime) {
    std::lock_guard<std::mutex> guard(mutex_);
    EntrySlot* slot = LiveSlot(*state_, frn);
    if (slot == nullptr)
        return;
    slot->lastWriteTime = lastWriteTime;
    slot->creationTime = creationTime;
    OpenFile open{*state_, RecordNumberOf(frn)};
    open.Add(kReasonBasicInfoChange);
    open.Close();
}

void SimVolume::SetSize(std::uint64_t frn, std::int64_t size) {
    std::lock_guard<std::mutex> guard(mutex_);
    EntrySlot* slot = LiveSlot(*state_, frn);
    if (slot == nullptr || slot->size == size)
        return;
    const bool grows = size > slot->size;
    slot->size = size;
    OpenFile open{*state_, RecordNumberOf(frn)};
    open.Add(grows ? USN_REASON_DATA_EXTEND : kReasonDataTruncation);
    open.Close();
}

std::uint64_t SimVolume::AddEntryQuietly(std::uint64_t parentFrn, const std::u16string& name,
                                         std::uint32_t attributes, std::int64_t size,
                                         std::uint64_t lastWriteTime, std::uint64_t creationTime) {
    std::lock_guard<std::mutex> guard(mutex_);
    const std::uint64_t frn = AllocateEntry(*state_, parentFrn, name, attributes);
    EntrySlot& slot = state_->entries[RecordNumberOf(frn)];
    slot.size = size;
    slot.lastWriteTime = lastWriteTime;
    slot.creationTime = creationTime;
    return frn;
}

void SimVolume::ReserveEntries(std::size_t count) {
    std::lock_guard<std::mutex> guard(mutex_);
    state_->entries.reserve(state_->entries.size() + count);
    // Names average well under 16 code units on real volumes.
    state_->names.reserve(state_->names.size() + count * 16);
}

}  // namespace kx::sim
