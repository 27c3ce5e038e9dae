// The process-wide owner of every volume table, and the start-up that fills it: one task per
// drive letter, all in parallel, announced to the main window by one WM_INDEX_READY.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "index/volume_index.h"
#include "platform/window_post.h"

namespace kx {

class HitArena;

struct SearchEngine {
    // In the order their builds finished. Complete and unchanging once `ready` is true, so a
    // search that has seen ready == true walks it without volumesMutex.
    std::vector<std::unique_ptr<VolumeIndex>> volumes;
    std::mutex volumesMutex;
    // False until the start-up finished; then true when at least one volume was built.
    // Atomic so that a search started before the end may look at it safely.
    std::atomic<bool> ready{false};
    // Given to every volume before its build starts its journal monitor.
    MonitorTimings monitorTimings;
    // The arrays searches over these volumes write their hits into (search/hit_arena.h), made
    // by the first search. Lists holding an array of it hold it too.
    mutable std::shared_ptr<HitArena> hitArena;

    // Records of every volume, each counted under its lock; 0 before the start-up finished.
    std::size_t RecordCount() const;

    // Starts the detached discovery thread and returns at once.
    void InitBackground(WindowHandle window);
};

// The program's one engine, alive until the process ends.
SearchEngine& TheSearchEngine();

// The discovery thread's body: a task per drive letter present, then WM_INDEX_READY
// (wParam 1 when nothing was indexed), unless the program is exiting by then.
void DiscoverVolumes(SearchEngine& engine, WindowHandle window);

// One drive's task: query its file system, build it when it is NTFS, and hand the volume to
// the engine. drive is a letter and a colon.
void IndexDrive(SearchEngine& engine, const std::u16string& drive);

}  // namespace kx
