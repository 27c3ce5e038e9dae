// A simulated NTFS volume as the USN control codes show it: an MFT of entries with 48-bit
// record numbers and 16-bit sequence numbers, a bounded change journal that wraps, and the
// replies and error codes Windows gives. Used by every test and benchmark of the indexing,
// search and filter subsystems, and by the test build of the Windows program.
//
// Thread safety: every public member may be called from any thread; one internal mutex
// serialises them, so a test can change the volume while a journal monitor reads it.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kx::sim {

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

// Faults that the next control codes of the volume run into.
struct SimFault {
    std::uint32_t controlCode = 0;  // 0 = any control code
    std::uint32_t callNumber = 1;   // fail the n-th matching call from now (1 = the next one)
    std::uint32_t error = 0;        // Windows error code to fail with; 0 = succeed but damage
    // When error is 0: cut the reply to this many bytes (0 = leave it whole) ...
    std::uint32_t truncateTo = 0;
    // ... and/or overwrite bytes of the reply at this offset with these bytes.
    std::uint32_t patchOffset = 0;
    std::vector<std::uint8_t> patchBytes;
};

class SimVolume {
public:
    SimVolume();  // an empty volume: the system files 0..15 and the root directory, no journal
    ~SimVolume();
    SimVolume(const SimVolume&) = delete;
    SimVolume& operator=(const SimVolume&) = delete;

    // ---- Changing the volume. Each appends the journal records Windows appends (reasons
    // accumulate until the close), if the volume has an active journal. Return the frn.
    std::uint64_t CreateFile(std::uint64_t parentFrn, const std::u16string& name,
                             std::int64_t size = 0);
    std::uint64_t CreateDirectory(std::uint64_t parentFrn, const std::u16string& name);
    void Rename(std::uint64_t frn, const std::u16string& newName);
    void Move(std::uint64_t frn, std::uint64_t newParentFrn);
    void MoveAndRename(std::uint64_t frn, std::uint64_t newParentFrn, const std::u16string& newName);
    void Delete(std::uint64_t frn);
    // Created and deleted while its creating handle is still open, as temporary files are:
    // one record FILE_CREATE, then FILE_CREATE|FILE_DELETE|CLOSE.
    std::uint64_t CreateTemporaryFile(std::uint64_t parentFrn, const std::u16string& name);
    // Created, then renamed before the creating handle was closed.
    std::uint64_t CreateThenRenameBeforeClose(std::uint64_t parentFrn, const std::u16string& name,
                                              const std::u16string& newName);
    void SetTimes(std::uint64_t frn, std::uint64_t lastWriteTime, std::uint64_t creationTime);
    void SetSize(std::uint64_t frn, std::int64_t size);  // no journal record under our mask

    // ---- The journal.
    void DeleteJournal();                  // the next READ fails with 1179
    void SetJournalMaximumSize(std::uint64_t bytes);  // oldest records are dropped beyond it
    bool HasJournal() const;
    std::uint64_t JournalId() const;
    std::int64_t NextUsn() const;
    std::int64_t FirstUsn() const;

    // ---- Faults and access.
    void InjectFault(const SimFault& fault);
    void SetRemoved(bool removed);          // control codes then fail with 1167
    void SetAccessDenied(bool denied);      // opening the device fails (no administrator rights)
    std::uint32_t ControlCallCount() const;  // control codes served so far

    // ---- Loading. The MFT as USN_RECORD_V2 records back to back, exactly as they follow the
    // 8-byte header of an ENUM reply. Returns the records loaded; on damage the records
    // before it are kept and *damageOffset is set to the byte offset of the bad record.
    std::size_t LoadMftRecords(const std::string& bytes, std::optional<std::size_t>* damageOffset);
    // Sidecar: text lines "FRN SIZE LASTWRITE CREATION" (decimal or 0x-hex), # comments.
    // Returns false with *error set on the first bad line.
    bool LoadSidecar(const std::string& text, std::string* error);
    // The MFT as LoadMftRecords reads it (every in-use entry, record number order).
    std::string SaveMftRecords() const;

    // ---- Inspection.
    std::optional<SimEntry> Find(std::uint64_t frn) const;
    std::optional<std::uint64_t> FindByPath(const std::u16string& pathBelowRoot) const;  // a\b\c
    std::vector<SimEntry> LiveEntries() const;  // in record number order
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
    void ReserveEntries(std::size_t count);

private:
    struct State;
    mutable std::mutex mutex_;
    State* state_;  // owned
};

}  // namespace kx::sim
