#include "tools/kxquery/query_window.h"

#include <chrono>

#include "common/messages.h"
#include "platform/posix/posted_message_sink.h"
#include "search/search_state.h"

namespace kx::query {

namespace {

int queryWindowIdentity;  // only its address matters, as the window handle

}  // namespace

QueryWindow::QueryWindow() {
    SetPostedMessageSink(
        [this](WindowHandle, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
            Receive(message, wParam, lParam);
            return true;
        });
    MainWindow.store(&queryWindowIdentity);
}

QueryWindow::~QueryWindow() {
    MainWindow.store(nullptr);
    // Posts that come later fail, and a sort worker then frees its own progress text.
    SetPostedMessageSink(nullptr);
}

void QueryWindow::Receive(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (message == WM_SORT_PROGRESS) {
        // The text's ownership came with the message.
        delete[] reinterpret_cast<char16_t*>(lParam);
        return;
    }
    if (message != WM_SEARCH_DONE)
        return;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        searchDone_.push_back(wParam);
    }
    arrived_.notify_all();
}

bool QueryWindow::WaitForSearchDone(std::uint64_t generation) {
    std::unique_lock<std::mutex> guard(mutex_);
    for (;;) {
        while (!searchDone_.empty()) {
            const std::uint64_t done = searchDone_.front();
            searchDone_.pop_front();
            if (done == generation)
                return true;
        }
        // A worker posts before it counts itself out, so once none runs, whatever it posted
        // is already queued.
        if (WorkerThreadsRunning.load() == 0 && searchDone_.empty())
            return false;
        arrived_.wait_for(guard, std::chrono::milliseconds(20));
    }
}

}  // namespace kx::query
