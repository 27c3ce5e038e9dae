#include "index/search_engine.h"

#include <future>
#include <thread>

#include "common/messages.h"
#include "common/process_state.h"
#include "platform/volume_io.h"

namespace kx {

SearchEngine& TheSearchEngine() {
    static SearchEngine engine;
    return engine;
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
        return;  // destroying it closes whatever was opened
    std::lock_guard<std::mutex> guard(engine.volumesMutex);
    engine.volumes.push_back(std::move(volume));
}

void DiscoverVolumes(SearchEngine& engine, WindowHandle window) {
    const std::uint32_t mask = GetLogicalDriveMask();
    std::vector<std::future<void>> tasks;
    for (int i = 0; i < 26; ++i) {
        if ((mask & (1u << i)) == 0)
            continue;
        const std::u16string drive{static_cast<char16_t>(u'A' + i), u':'};
        tasks.push_back(std::async(std::launch::async, IndexDrive, std::ref(engine), drive));
    }
    for (auto& task : tasks) {
        try {
            task.get();
        } catch (const std::exception&) {
            // A drive whose build ran out of memory is dropped like one that cannot be opened.
        }
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
