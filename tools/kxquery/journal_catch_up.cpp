#include "tools/kxquery/journal_catch_up.h"

#include <cstdint>
#include <shared_mutex>
#include <thread>

#include "common/utf.h"

namespace kx::query {

namespace {

using Clock = std::chrono::steady_clock;

// Where a table stands; all three change under its lock, with the table.
struct TablePosition {
    std::uint64_t journalId = 0;
    std::int64_t nextUsn = 0;
    std::uint64_t generation = 0;

    bool operator!=(const TablePosition& other) const {
        return journalId != other.journalId || nextUsn != other.nextUsn ||
               generation != other.generation;
    }
};

TablePosition PositionOf(const VolumeIndex& table) {
    std::shared_lock<SrwLock> guard(table.lock);
    return {table.journalId, table.nextUsn, table.renumberGeneration};
}

struct Watch {
    MonitoredDrive drive;
    // The drive's journal when the wait began; id 0 when it had none.
    std::uint64_t journalId = 0;
    std::int64_t target = 0;
    TablePosition last;
    Clock::time_point lastMove;

    // A change and a read of the journal are served under the drive's one mutex, so a journal
    // position read now lies past every change made before. Journal ids are never reused: a
    // table on the drive's present journal, when there was none at the start, comes from a
    // rebuild that created that journal, and so enumerated the MFT, after the start.
    bool CaughtUp(const TablePosition& now) const {
        if (journalId != 0)
            return now.journalId == journalId && now.nextUsn >= target;
        const std::uint64_t present = drive.drive->JournalId();
        return present != 0 && now.journalId == present;
    }
};

std::string Stalled(const Watch& watch, std::chrono::milliseconds patience) {
    std::string text = "the journal monitor of " + Utf16ToUtf8(watch.drive.table->rootPath) +
                       " made no headway for " + std::to_string(patience.count()) + " ms";
    if (watch.journalId != 0 && watch.last.journalId == watch.journalId) {
        text += " (" + std::to_string(watch.target - watch.last.nextUsn) +
                " bytes of journal not applied)";
    }
    return text + "; the index is behind the volume";
}

}  // namespace

// The monitor is a thread of the engine with no hook to wait on; the position its table has
// reached is the hook. It reads the journal in batches with a pause between them, so a large
// backlog takes a while: any move of the position restarts the patience.
bool WaitForJournalMonitors(const std::vector<MonitoredDrive>& drives,
                            std::chrono::milliseconds patience, std::string* problem) {
    std::vector<Watch> watches;
    const Clock::time_point begin = Clock::now();
    for (const MonitoredDrive& drive : drives) {
        if (!drive.drive || drive.table == nullptr || drive.drive->IsRemoved())
            continue;
        Watch watch;
        watch.drive = drive;
        // The id first: a journal is created only where there is none, so a position read
        // after a non-zero id belongs to that journal.
        watch.journalId = drive.drive->JournalId();
        watch.target = drive.drive->NextUsn();
        watch.last = PositionOf(*drive.table);
        watch.lastMove = begin;
        watches.push_back(watch);
    }
    for (;;) {
        const Clock::time_point now = Clock::now();
        bool allDone = true;
        for (Watch& watch : watches) {
            if (watch.drive.drive->IsRemoved())
                continue;
            const TablePosition position = PositionOf(*watch.drive.table);
            if (position != watch.last) {
                watch.last = position;
                watch.lastMove = now;
            }
            if (watch.CaughtUp(position))
                continue;
            allDone = false;
            if (now - watch.lastMove > patience) {
                *problem = Stalled(watch, patience);
                return false;
            }
        }
        if (allDone)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace kx::query
