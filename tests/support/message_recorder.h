// A window for tests of code that posts to the main window: hand Window() to the code under
// test, then wait for what it posted. On Windows it is a real message-only window whose queue
// is pumped while waiting; elsewhere it installs the posted-message sink. Construct it, wait on
// it and destroy it on one thread; at most one recorder exists at a time.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/window_post.h"

namespace kx::testing {

struct RecordedMessage {
    unsigned message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

class MessageRecorder {
  public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    WindowHandle Window() const;

    // Waits until at least count messages have arrived in all; false on timeout.
    bool WaitForCount(std::size_t count, std::chrono::milliseconds timeout);
    // Waits for the first message with this number not yet returned by an earlier call.
    std::optional<RecordedMessage> WaitFor(unsigned message, std::chrono::milliseconds timeout);

    // Every message received so far, in arrival order. Memory that an lParam owns (the text of
    // WM_SORT_PROGRESS) is the test's to free.
    std::vector<RecordedMessage> Messages();

    struct Impl;

  private:
    using Deadline = std::chrono::steady_clock::time_point;
    // Receives messages until done(all received so far) holds or the deadline passes; returns
    // the last value of done.
    bool WaitUntil(Deadline deadline,
                   const std::function<bool(const std::vector<RecordedMessage>&)>& done);

    std::unique_ptr<Impl> impl_;
    std::vector<bool> returned_;  // by arrival index: already handed out by WaitFor
};

}  // namespace kx::testing
