// A simulated NTFS volume as the USN control codes show it: an MFT of entries with 48-bit
// record numbers and 16-bit sequence numbers, a bounded change journal that wraps, and the
// replies and error codes Windows gives. Used by every test and benchmark of the indexing,
// search and filter subsystems, and by the test build of the Windows program.
//
// Thread safety: every public member may be called from any thread; one internal mutex
// serialises them, so a test can change the volume while a journal monitor reads it.
//
// Behaviour where NTFS is not documented, as chosen here:
// - Records 0..15 are the metafiles ($MFT, $MFTMirr, ..., the root "." at 5, $Extend at 11).
//   Find, FindByPath, PathOf and the attribute query know them, but FSCTL_ENUM_USN_DATA never
//   returns them (nor does LiveEntries): the root's own record is absent from enumeration, so
//   parent chains end at a reference the caller has not seen. User entries start at record 16.
// - New entries take the lowest free record number. A fresh record gets sequence 1; a reused
//   one its previous sequence plus one, skipping 0.
// - Names are not checked for uniqueness within a directory; names above 32767 code units
//   are cut there (FileNameLength counts bytes in 16 bits).
// - Deleting a directory deletes what lies below it first, each with its own record.
// - Deleting the journal resets every entry's USN to 0, as NTFS does while a deletion is in
//   progress; a new journal then starts at USN 0. A journal created over entries that carry
//   USNs (loaded from a file) starts past the largest of them, so that an enumeration bounded
//   by the journal's NextUsn still returns every entry.
// - The journal drops its oldest records one by one once it holds more than MaximumSize bytes
//   (NTFS trims in AllocationDelta steps).
// - READ never waits: Timeout and BytesToWaitFor are ignored. StartUsn 0 reads from the
//   journal's first record. A StartUsn past NextUsn returns the 8-byte header only.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kx::sim {

struct SimVolumeState;  // platform/sim/sim_volume_state.h

struct SimEntry {
    std::uint64_t frn = 0;        // record number | sequence << 48
    std::uint64_t parentFrn = 0;  // the root's parent is the root itself
    std::u16string name;
    std::uint32_t attributes = 0;  // FILE_ATTRIBUTE_* bits; 0x10 for a directory
    std::int64_t size = 0;
    std::uint64_t lastWriteTime = 0;  // FILETIME
    std::uint64_t creationTime = 0;
    std::int64_t usn = 0;  // last USN written for the file; 0 when none
    bool inUse = false;
};

// Faults that the next control codes of the volume run into. Only calls on a volume that is
// not removed count. At most one fault fires per call, the earliest injected first; a fault
// that came due on a call another fault took fires on the next matching call.
struct SimFault {
    std::uint32_t controlCode = 0;  // 0 = any control code
    std::uint32_t callNumber = 1;   // fail the n-th matching call from now (1 = the next one)
    std::uint32_t error = 0;        // Windows error code to fail with; 0 = succeed but damage
    // When error is 0: cut the reply to this many bytes (0 = leave it whole) ...
    std::uint32_t truncateTo = 0;
    // ... and/or overwrite bytes of the reply at this offset with these bytes. A patch that
    // reaches past the reply lengthens it (within the output buffer), so a fault fires the same
    // whether or not the call had records to return. A call that fails by itself stays failed
    // and uses the fault up.
    std::uint32_t patchOffset = 0;
    std::vector<std::uint8_t> patchBytes;
};

// What loading an MFT file did.
struct MftFileLoad {
    std::size_t loaded = 0;
    // Records passed over because their record number is recordNumberLimit or more: an MFT
    // that large could not fit in a file of this size, and the simulator would have to
    // allocate an entry slot for every number below it.
    std::size_t beyondLimit = 0;
    std::uint64_t recordNumberLimit = 0;
    // Set to the byte offset of the first malformed record; the records before it are loaded.
    std::optional<std::size_t> damageOffset;
};

class SimVolume {
  public:
    SimVolume();  // an empty volume: the system files 0..15 and the root directory, no journal
    ~SimVolume();
    SimVolume(const SimVolume&) = delete;
    SimVolume& operator=(const SimVolume&) = delete;

    // ---- Changing the volume. Each appends the journal records Windows appends (reasons
    // accumulate until the close), if the volume has an active journal. Return the frn.
    // An frn that names no entry in use (or a metafile) makes a change do nothing.
    std::uint64_t CreateFile(std::uint64_t parentFrn, const std::u16string& name,
                             std::int64_t size = 0);
    std::uint64_t CreateDirectory(std::uint64_t parentFrn, const std::u16string& name);
    void Rename(std::uint64_t frn, const std::u16string& newName);
    void Move(std::uint64_t frn, std::uint64_t newParentFrn);
    void MoveAndRename(std::uint64_t frn, std::uint64_t newParentFrn,
                       const std::u16string& newName);
    void Delete(std::uint64_t frn);
    // Created and deleted while its creating handle is still open, as temporary files are:
    // one record FILE_CREATE, then FILE_CREATE|FILE_DELETE|CLOSE.
    std::uint64_t CreateTemporaryFile(std::uint64_t parentFrn, const std::u16string& name);
    // Created, then renamed before the creating handle was closed.
    std::uint64_t CreateThenRenameBeforeClose(std::uint64_t parentFrn, const std::u16string& name,
                                              const std::u16string& newName);
    // Both write records outside the program's mask (BASIC_INFO_CHANGE, resp. DATA_EXTEND or
    // DATA_TRUNCATION, then the close), which a reader must step over.
    void SetTimes(std::uint64_t frn, std::uint64_t lastWriteTime, std::uint64_t creationTime);
    void SetSize(std::uint64_t frn, std::int64_t size);  // no journal record under our mask

    // ---- The journal.
    void DeleteJournal();  // the next READ fails with 1179
    // Oldest records are dropped beyond it. Applies to the journal there is; a later
    // FSCTL_CREATE_USN_JOURNAL sets the size again, as on NTFS. Without a journal: nothing.
    void SetJournalMaximumSize(std::uint64_t bytes);
    bool HasJournal() const;
    std::uint64_t JournalId() const;
    std::int64_t NextUsn() const;
    std::int64_t FirstUsn() const;

    // ---- Faults and access.
    void InjectFault(const SimFault& fault);
    void SetRemoved(bool removed);      // control codes then fail with 1167
    void SetAccessDenied(bool denied);  // opening the device fails (no administrator rights)
    // While held, every control code waits before it is served, as on a volume that is slow to
    // answer; changes and queries go on. Releasing serves the waiting calls.
    void SetHeld(bool held);
    bool IsRemoved() const;
    bool IsAccessDenied() const;
    std::uint32_t ControlCallCount() const;  // control codes served so far

    // ---- Loading. The MFT as USN_RECORD_V2 records back to back, exactly as they follow the
    // 8-byte header of an ENUM reply. On damage the records before it are kept.
    // Each record lands at its own record number (replacing what was there) with its own
    // sequence, parent, name, attributes and USN; records for the metafiles 0..15 are skipped,
    // and so are those beyond the record number limit, which are counted.
    MftFileLoad LoadMftRecords(const std::string& bytes);
    // Sidecar: text lines "FRN SIZE LASTWRITE CREATION" (decimal or 0x-hex), # comments.
    // Returns false with *error set on the first bad line.
    // Details: fields are separated by spaces or tabs; '#' starts a comment anywhere; blank
    // lines, CR before LF and a UTF-8 byte-order mark are accepted. FRN, LASTWRITE and CREATION
    // are unsigned 64-bit, SIZE a non-negative signed 64-bit number. A line whose FRN names no
    // entry of the volume is passed over (a damaged MFT file loses entries the sidecar still
    // lists). Nothing is applied unless every line is good.
    bool LoadSidecar(const std::string& text, std::string* error);
    // The MFT as LoadMftRecords reads it (every in-use entry, record number order).
    std::string SaveMftRecords() const;
    // The sidecar as LoadSidecar reads it, one line per in-use entry in record number order.
    std::string SaveSidecar() const;

    // ---- Inspection.
    std::optional<SimEntry> Find(std::uint64_t frn) const;
    // a\b\c, letter case ignored for A-Z; empty = the root.
    std::optional<std::uint64_t> FindByPath(const std::u16string& pathBelowRoot) const;
    std::optional<SimEntry> EntryAtPath(const std::u16string& pathBelowRoot) const;
    std::vector<SimEntry> LiveEntries() const;  // in record number order
    std::size_t LiveEntryCount() const;         // LiveEntries().size(), without the copies
    // Full path below the root ("dir\file"), empty for the root.
    std::u16string PathOf(std::uint64_t frn) const;

    // ---- Control codes, as DeviceIoControl serves them. Returns 0 or a Windows error code.
    std::uint32_t Control(std::uint32_t code, const void* input, std::uint32_t inputSize,
                          void* output, std::uint32_t outputSize, std::uint32_t* bytesReturned);

    // Bulk population without journal records, for generators and loaders. Assigns the
    // next free record number; returns the frn.
    std::uint64_t AddEntryQuietly(std::uint64_t parentFrn, const std::u16string& name,
                                  std::uint32_t attributes, std::int64_t size = 0,
                                  std::uint64_t lastWriteTime = 0, std::uint64_t creationTime = 0);
    // Room for this many more entries (and their names), so that bulk population does not
    // reallocate.
    void ReserveEntries(std::size_t count);

  private:
    using State = SimVolumeState;
    mutable std::mutex mutex_;
    std::condition_variable released_;  // with mutex_: state_->held was cleared
    State* state_;                      // owned
};

}  // namespace kx::sim
