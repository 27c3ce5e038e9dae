#include "index/search_engine.h"

#include <future>
#include <new>
#include <shared_mutex>
#include <system_error>
#include <thread>

#include "common/messages.h"
#include "common/process_state.h"
#include "platform/volume_io.h"

namespace kx {

SearchEngine& TheSearchEngine() {
    static SearchEngine engine;
    return engine;
}

std::size_t SearchEngine::RecordCount() const {
    // The volume list is complete and unchanging once the engine is ready.
    if (!ready.load())
        return 0;
    std::size_t records = 0;
    for (const auto& volume : volumes) {
        std::shared_lock<SrwLock> hold(volume->lock);
        records += volume->table.Size();
    }
    return records;
}

void SearchEngine::InitBackground(WindowHandle window) {
    std::thread(DiscoverVolumes, std::ref(*this), window).detach();
}

void IndexDrive(SearchEngine& engine, const std::u16string& drive) {
    std::u16string fileSystem;
    if (!GetFileSystemName(drive + u"\\", &fileSystem))
        return;
    // Exactly NTFS: another case or a longer name is another file system.
    if (fileSystem != u"NTFS")
        return;
    auto volume = std::make_unique<VolumeIndex>();
    volume->monitorTimings = engine.monitorTimings;
    if (!volume->Build(drive))
        return;  // destroying it closes whatever was opened and frees what was filled
    std::lock_guard<std::mutex> guard(engine.volumesMutex);
    engine.volumes.push_back(std::move(volume));
}

namespace {

// A drive whose build ran out of memory, or whose task could not even start, is dropped like
// one that cannot be opened; the others go on. Nothing may leave the discovery thread: an
// exception there would end the process, and the window would never hear that start-up ended.
void IndexDriveOrDrop(SearchEngine& engine, const std::u16string& drive) {
    try {
        IndexDrive(engine, drive);
    } catch (const std::bad_alloc&) {
        OutOfMemoryFailures.fetch_add(1);
    } catch (const std::system_error&) {
    }
}

void IndexDrives(SearchEngine& engine, std::uint32_t mask) {
    std::vector<std::future<void>> tasks;
    tasks.reserve(26);
    for (int i = 0; i < 26; ++i) {
        if ((mask & (1u << i)) == 0)
            continue;
        const std::u16string drive{static_cast<char16_t>(u'A' + i), u':'};
        try {
            tasks.push_back(
                std::async(std::launch::async, IndexDriveOrDrop, std::ref(engine), drive));
        } catch (const std::exception&) {
            // No thread or no memory for the task: this thread builds the drive itself.
            IndexDriveOrDrop(engine, drive);
        }
    }
    for (auto& task : tasks)
        task.wait();
}

}  // namespace

void DiscoverVolumes(SearchEngine& engine, WindowHandle window) {
    try {
        IndexDrives(engine, GetLogicalDriveMask());
    } catch (const std::bad_alloc&) {
        // Only the task list itself: the volumes already built stay.
        OutOfMemoryFailures.fetch_add(1);
    }
    if (ExitRequested.load())
        return;
    bool any;
    {
        std::lock_guard<std::mutex> guard(engine.volumesMutex);
        any = !engine.volumes.empty();
    }
    engine.ready.store(any);
    // The last touch of the engine comes before the post: whoever receives the message
    // may tear the engine down at once.
    PostToWindow(window, WM_INDEX_READY, any ? 0 : 1, 0);
}

}  // namespace kx
