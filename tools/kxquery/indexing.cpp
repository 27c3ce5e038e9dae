#include "tools/kxquery/indexing.h"

#include <future>

#include "common/messages.h"
#include "common/process_state.h"
#include "platform/posix/posted_message_sink.h"

namespace kx::query {

bool IndexAllDrives(SearchEngine& engine) {
    auto indexReady = std::make_shared<std::promise<bool>>();
    std::future<bool> outcome = indexReady->get_future();
    SetPostedMessageSink(
        [indexReady](WindowHandle, unsigned message, std::uintptr_t wParam, std::intptr_t) {
            if (message == WM_INDEX_READY)
                indexReady->set_value(wParam == 0);
            return true;
        });
    static int queryWindow;  // stands in for the main window: only its identity matters
    engine.InitBackground(&queryWindow);
    const bool any = outcome.get();
    SetPostedMessageSink(nullptr);
    return any;
}

void StopIndexing(SearchEngine& engine) {
    ExitRequested.store(true);
    for (auto& volume : engine.volumes)
        volume->StopMonitor();
}

}  // namespace kx::query
