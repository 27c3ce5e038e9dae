// VolumeIndex::Build: open the volume, make sure of its journal, read the MFT. The calling
// thread issues the enumeration requests while a second thread parses the replies, so
// parsing one reply overlaps the file system's work on the next.
#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <shared_mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "common/process_state.h"
#include "index/journal_monitor.h"
#include "index/mft_enumeration.h"
#include "index/volume_index.h"
#include "index/zeroed_block.h"
#include "platform/usn_layout.h"
#include "platform/usn_record_reader.h"

namespace kx {

namespace {

constexpr std::uint32_t kEnumBufferBytes = 1048576;
// Replies in flight between reader and parser. The reader waits when the parser falls this far
// behind, so a volume of millions of files never holds more than this many replies at once;
// the buffers are recycled, which also spares a fresh zeroed megabyte per request.
constexpr std::size_t kBuffersInFlight = 16;

struct EnumBuffer {
    // Pages from the system, which go back to it when the build ends rather than staying with
    // the C library's heap; page-aligned, as records in a reply are 8-byte aligned from its start.
    ZeroedBlock storage{kEnumBufferBytes};
    std::uint32_t bytesReturned = 0;
    std::uint8_t* data() { return static_cast<std::uint8_t*>(storage.get()); }
};

struct EnumHandOff {
    std::mutex mutex;
    std::condition_variable wake;        // parser: a buffer was queued, or the end
    std::condition_variable bufferFree;  // reader: a buffer came back
    std::deque<std::unique_ptr<EnumBuffer>> queue;
    std::vector<std::unique_ptr<EnumBuffer>> spare;
    std::size_t created = 0;
    std::atomic<bool> done{false};
    // Set by either side when memory ran out: the other stops too, and the build fails.
    std::atomic<bool> outOfMemory{false};
};

void ParseOneReply(EnumBuffer& buffer, FileTable& table) {
    const std::size_t size = std::min<std::size_t>(buffer.bytesReturned, kEnumBufferBytes);
    AppendEnumRecords(buffer.data(), size, table);
}

void ParseEnumBuffers(EnumHandOff& handOff, FileTable& table) {
    for (;;) {
        std::unique_ptr<EnumBuffer> buffer;
        {
            std::unique_lock<std::mutex> guard(handOff.mutex);
            handOff.wake.wait(guard, [&] {
                return !handOff.queue.empty() || handOff.done.load() || ExitRequested.load() ||
                       handOff.outOfMemory.load();
            });
            if (ExitRequested.load() || handOff.outOfMemory.load() ||
                (handOff.queue.empty() && handOff.done.load())) {
                return;
            }
            buffer = std::move(handOff.queue.front());
            handOff.queue.pop_front();
        }
        try {
            ParseOneReply(*buffer, table);
        } catch (const std::bad_alloc&) {
            // Nothing on this thread may throw: an exception leaving it ends the process. The
            // reader sees the flag, stops asking for replies and fails the build.
            {
                std::lock_guard<std::mutex> guard(handOff.mutex);
                handOff.outOfMemory.store(true);
            }
            handOff.bufferFree.notify_one();
            return;
        }
        {
            std::lock_guard<std::mutex> guard(handOff.mutex);
            handOff.spare.push_back(std::move(buffer));
        }
        handOff.bufferFree.notify_one();
    }
}

std::unique_ptr<EnumBuffer> TakeBuffer(EnumHandOff& handOff) {
    std::unique_lock<std::mutex> guard(handOff.mutex);
    if (handOff.spare.empty() && handOff.created < kBuffersInFlight) {
        ++handOff.created;
        return std::make_unique<EnumBuffer>();
    }
    handOff.bufferFree.wait(guard, [&] {
        return !handOff.spare.empty() || ExitRequested.load() || handOff.outOfMemory.load();
    });
    if (handOff.spare.empty() || handOff.outOfMemory.load())
        return nullptr;
    std::unique_ptr<EnumBuffer> buffer = std::move(handOff.spare.back());
    handOff.spare.pop_back();
    return buffer;
}

// Asks for replies until the end of the table and queues them for the parser.
void ReadReplies(VolumeHandle volume, std::int64_t highUsn, EnumHandOff& handOff) {
    MftEnumDataV0 request{0, 0, highUsn};
    while (!ExitRequested.load() && !handOff.outOfMemory.load()) {
        std::unique_ptr<EnumBuffer> buffer = TakeBuffer(handOff);
        if (!buffer)
            break;
        std::uint32_t got = 0;
        const std::uint32_t error =
            SendVolumeControl(volume, FSCTL_ENUM_USN_DATA, &request, sizeof(request),
                              buffer->data(), kEnumBufferBytes, &got);
        // The end of the table is ERROR_HANDLE_EOF; any other failure ends it the same way.
        // A reply too short to say where to go on ends it too.
        if (error != 0 || got < kUsnReplyHeaderSize)
            break;
        std::uint64_t nextStart = 0;
        std::memcpy(&nextStart, buffer->data(), sizeof(nextStart));
        buffer->bytesReturned = got;
        {
            std::lock_guard<std::mutex> guard(handOff.mutex);
            handOff.queue.push_back(std::move(buffer));
        }
        handOff.wake.notify_one();
        // A reply that does not move the start on would be asked for again forever.
        if (nextStart == request.StartFileReferenceNumber)
            break;
        request.StartFileReferenceNumber = nextStart;
    }
}

// False when memory ran out on either thread; the table then holds a part of the volume only.
bool EnumerateMft(VolumeHandle volume, std::int64_t highUsn, FileTable& table) {
    EnumHandOff handOff;
    std::thread parser(ParseEnumBuffers, std::ref(handOff), std::ref(table));
    try {
        ReadReplies(volume, highUsn, handOff);
    } catch (const std::bad_alloc&) {
        // The parser must still be joined: a joinable thread destroyed ends the process.
        handOff.outOfMemory.store(true);
    }
    handOff.done.store(true);
    {
        std::lock_guard<std::mutex> guard(handOff.mutex);  // no lost wake-up
    }
    handOff.wake.notify_one();
    parser.join();
    return !handOff.outOfMemory.load();
}

}  // namespace

void AppendEnumRecords(const std::uint8_t* reply, std::size_t size, FileTable& table) {
    UsnRecordReader reader(reply, size, kUsnReplyHeaderSize);
    UsnRecordView record;
    // A malformed record ends this reply only: the next reply starts afresh.
    while (!ExitRequested.load(std::memory_order_relaxed) &&
           reader.Next(&record) == UsnReadStatus::kRecord) {
        table.Append(record.frn, record.parentFrn, record.name, record.nameLength,
                     record.fileAttributes);
    }
}

bool VolumeIndex::Build(const std::u16string& drive) {
    return BuildTable(drive, true);
}

bool VolumeIndex::BuildTable(const std::u16string& drive, bool startMonitor) {
    if (&drive != &rootPath)
        rootPath = drive;
    // Closed before the device is opened anew: a rebuild never holds the volume twice.
    volumeHandle.reset();
    volumeHandle.reset(OpenVolume(u"\\\\.\\" + rootPath));
    if (!volumeHandle)
        return false;

    // Gives a volume without a journal one; the query below decides whether it is usable.
    const CreateUsnJournalData create{0x10000000, 0x01000000};
    std::uint32_t got = 0;
    SendVolumeControl(volumeHandle, FSCTL_CREATE_USN_JOURNAL, &create, sizeof(create), nullptr, 0,
                      &got);
    UsnJournalDataV0 journal{};
    got = 0;
    if (SendVolumeControl(volumeHandle, FSCTL_QUERY_USN_JOURNAL, nullptr, 0, &journal,
                          sizeof(journal), &got) != 0 ||
        got < sizeof(journal)) {
        return false;
    }

    // Built aside and swapped in, so that readers of a published volume see either the old
    // table or the new one, never one half emptied or half refilled.
    // Out of memory the build fails like one whose volume cannot be read: a fresh volume is
    // dropped, a rebuild keeps the table it had. Whatever was filled is freed on return.
    // With the chunk size of the table it replaces (tests choose small chunks).
    FileTable fresh(table.Names().ChunkShift());
    bool exiting = false;
    try {
        if (!EnumerateMft(volumeHandle.get(), journal.NextUsn, fresh))
            throw std::bad_alloc();
        exiting = ExitRequested.load();
        if (!exiting)
            fresh.MapAll();
    } catch (const std::bad_alloc&) {
        OutOfMemoryFailures.fetch_add(1);
        return false;
    } catch (const std::system_error&) {
        return false;  // no thread for the parser
    }
    {
        std::unique_lock<SrwLock> guard(lock);
        std::swap(table, fresh);
        // Under the lock with the table they describe, so that whoever reads the journal
        // position under it knows which changes the table holds.
        journalId = journal.UsnJournalID;
        nextUsn = journal.NextUsn;
        ++renumberGeneration;
        ForgetAllAttributes();
    }
    // The old table is freed here, outside the lock.
    if (!exiting && startMonitor && !monitorActive.exchange(true)) {
        try {
            monitorThread = std::thread(MonitorJournal, std::ref(*this));
        } catch (const std::system_error&) {
            // No thread to be had: the table stays searchable as built, without following
            // the journal, rather than the failure ending the drive's task.
            monitorActive.store(false);
        }
    }
    return true;
}

}  // namespace kx
