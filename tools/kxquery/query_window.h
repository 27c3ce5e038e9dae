// Stands in for the main window while kxquery searches: receives what the search and sort
// workers post, the way the window's message queue would.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

#include "platform/window_post.h"

namespace kx::query {

// Installs itself as the posted-message sink and as MainWindow; at most one exists at a time,
// after the start-up has finished with its own sink.
class QueryWindow {
  public:
    QueryWindow();
    ~QueryWindow();
    QueryWindow(const QueryWindow&) = delete;
    QueryWindow& operator=(const QueryWindow&) = delete;

    // Waits for WM_SEARCH_DONE of generation, dropping messages of older generations as the
    // window does. False when every worker has ended without posting it (a worker that could
    // not allocate its list, or a sort that found nothing to sort).
    bool WaitForSearchDone(std::uint64_t generation);

  private:
    void Receive(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::uint64_t> searchDone_;  // generations, in arrival order
};

}  // namespace kx::query
