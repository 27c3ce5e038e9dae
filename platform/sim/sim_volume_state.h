// What a SimVolume holds behind its mutex, shared by the simulator's source files. Every
// function here expects the volume's mutex to be held by its caller.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/sim/simulated_volume.h"

namespace kx::sim {

// Reason bits the program does not ask for but that NTFS writes for the changes we model.
constexpr std::uint32_t kReasonDataTruncation = 0x00000004;
constexpr std::uint32_t kReasonBasicInfoChange = 0x00008000;

constexpr std::uint64_t kFirstUserRecord = 16;
constexpr std::size_t kMaxNameUnits = 32767;

// One MFT record, kept small: a 10-million-entry volume is about 56 bytes an entry plus its
// name in the shared pool.
struct EntrySlot {
    std::uint64_t parentFrn = 0;
    std::int64_t size = 0;
    std::uint64_t lastWriteTime = 0;
    std::uint64_t creationTime = 0;
    std::int64_t usn = 0;
    std::uint32_t nameOffset = 0;  // into SimVolumeState::names
    std::uint32_t attributes = 0;
    std::uint16_t sequence = 0;  // 0 = never used
    std::uint16_t nameLength = 0;
    bool inUse = false;
};

struct JournalRecord {
    std::int64_t usn = 0;
    std::uint64_t frn = 0;
    std::uint64_t parentFrn = 0;
    std::int64_t timeStamp = 0;
    std::uint32_t reason = 0;
    std::uint32_t attributes = 0;
    std::u16string name;
};

struct Journal {
    std::uint64_t id = 0;
    std::int64_t firstUsn = 0;
    std::int64_t nextUsn = 0;
    std::int64_t lowestValidUsn = 0;
    std::uint64_t maximumSize = 0;
    std::uint64_t allocationDelta = 0;
    std::uint64_t bytesHeld = 0;        // sum of the lengths of records
    std::deque<JournalRecord> records;  // in USN order
};

struct PendingFault {
    SimFault fault;
    std::uint32_t callsLeft = 1;
};

struct SimVolumeState {
    std::vector<EntrySlot> entries;                     // indexed by record number
    std::vector<char16_t> names;                        // every name ever stored, back to back
    std::map<std::uint64_t, std::uint64_t> freeRanges;  // record numbers [first, second)
    std::optional<Journal> journal;
    std::vector<PendingFault> faults;
    std::uint32_t controlCalls = 0;
    bool removed = false;
    bool accessDenied = false;
    bool held = false;
    // Children by (parent record, folded name), built by the first path lookup and kept
    // up to date by every change after it.
    std::unique_ptr<std::unordered_multimap<std::uint64_t, std::uint64_t>> childIndex;
};

// ---- Entries (simulated_volume.cpp)
std::u16string_view NameOf(const SimVolumeState& state, const EntrySlot& slot);
std::uint64_t FrnOf(const SimVolumeState& state, std::uint64_t record);
// The slot of an in-use entry with exactly this frn, else null.
EntrySlot* LiveSlot(SimVolumeState& state, std::uint64_t frn);
const EntrySlot* LiveSlot(const SimVolumeState& state, std::uint64_t frn);
void StoreName(SimVolumeState& state, EntrySlot& slot, std::u16string_view name);
void FreeRecord(SimVolumeState& state, std::uint64_t record);
// Takes the lowest free record number (or a new one) and fills it in; returns its frn.
std::uint64_t AllocateEntry(SimVolumeState& state, std::uint64_t parentFrn,
                            std::u16string_view name, std::uint32_t attributes);
void PlaceEntryAt(SimVolumeState& state, std::uint64_t frn, std::uint64_t parentFrn,
                  std::u16string_view name, std::uint32_t attributes, std::int64_t usn);
SimEntry ToSimEntry(const SimVolumeState& state, std::uint64_t record);
std::uint64_t NowAsFileTime();

// ---- The change journal (sim_journal.cpp)
std::uint64_t NewJournalId();
// Creates the journal, or only sets its sizes when there is one.
void CreateJournal(SimVolumeState& state, std::uint64_t maximumSize, std::uint64_t allocation);
void RemoveJournal(SimVolumeState& state);
void TrimJournal(Journal& journal);
// Appends one record for the entry as it is now and makes it the entry's last USN.
void AppendJournalRecord(SimVolumeState& state, std::uint64_t record, std::uint32_t reason);
// Keeps the journal's next USN past usn, for entries that arrived with USNs of their own.
void KeepNextUsnPast(SimVolumeState& state, std::int64_t usn);
std::uint32_t ReadJournal(SimVolumeState& state, const void* input, std::uint32_t inputSize,
                          void* output, std::uint32_t outputSize, std::uint32_t* bytesReturned);

// ---- Enumeration (sim_enumeration.cpp)
// Writes the ENUM form of one entry at out, which has room for UsnRecordLengthFor(name bytes).
void WriteEnumRecord(const SimVolumeState& state, std::uint64_t record, std::uint8_t* out);
std::uint32_t EnumerateMft(const SimVolumeState& state, const void* input, std::uint32_t inputSize,
                           void* output, std::uint32_t outputSize, std::uint32_t* bytesReturned);

// ---- Paths (sim_path_index.cpp)
std::optional<std::uint64_t> RecordAtPath(SimVolumeState& state, std::u16string_view path);
void IndexChild(SimVolumeState& state, std::uint64_t record);
void UnindexChild(SimVolumeState& state, std::uint64_t record);
std::u16string PathBelowRoot(const SimVolumeState& state, std::uint64_t record);

}  // namespace kx::sim
