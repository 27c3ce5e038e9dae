// Plays the main window for the search tests: the workers post to the recorder's window, and
// the log takes ownership of every progress text it receives (copying and freeing it), so a
// test can look at all messages as often as it likes. Use it on one thread only: on Windows
// the messages arrive through that thread's queue.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "common/messages.h"
#include "common/process_state.h"
#include "search/search_state.h"
#include "tests/support/message_recorder.h"

namespace kx::testing {

struct PostedMessage {
    unsigned message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    std::u16string text;  // the progress text of WM_SORT_PROGRESS
};

class MessageLog {
  public:
    MessageLog() { MainWindow.store(recorder_.Window()); }
    ~MessageLog() {
        MainWindow.store(nullptr);
        Take();
    }
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    // Waits for a message that matches; false after the timeout.
    bool WaitFor(unsigned message, std::uintptr_t wParam,
                 std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            Take();
            for (std::size_t i = cleared_; i < messages_.size(); ++i) {
                if (messages_[i].message == message && messages_[i].wParam == wParam)
                    return true;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            recorder_.WaitForCount(messages_.size() + 1, left);
        }
    }

    std::vector<PostedMessage> Messages() {
        Take();
        return std::vector<PostedMessage>(messages_.begin() + static_cast<std::ptrdiff_t>(cleared_),
                                          messages_.end());
    }

    std::vector<PostedMessage> MessagesOf(unsigned message) {
        std::vector<PostedMessage> found;
        for (const PostedMessage& m : Messages()) {
            if (m.message == message)
                found.push_back(m);
        }
        return found;
    }

    void Clear() {
        Take();
        cleared_ = messages_.size();
    }

  private:
    // Converts what arrived since the last call, freeing each progress text exactly once.
    void Take() {
        const std::vector<RecordedMessage> all = recorder_.Messages();
        for (std::size_t i = messages_.size(); i < all.size(); ++i) {
            PostedMessage posted{all[i].message, all[i].wParam, all[i].lParam, {}};
            if (posted.message == WM_SORT_PROGRESS) {
                auto* text = reinterpret_cast<char16_t*>(posted.lParam);
                posted.text = text;
                delete[] text;
            }
            messages_.push_back(std::move(posted));
        }
    }

    MessageRecorder recorder_;
    std::vector<PostedMessage> messages_;
    std::size_t cleared_ = 0;
};

}  // namespace kx::testing
