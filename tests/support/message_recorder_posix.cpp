#if !defined(_WIN32)

#include <condition_variable>
#include <mutex>

#include "platform/posix/posted_message_sink.h"
#include "tests/support/message_recorder.h"

namespace kx::testing {

struct MessageRecorder::Impl {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<RecordedMessage> messages;
};

MessageRecorder::MessageRecorder() : impl_(std::make_unique<Impl>()) {
    Impl* impl = impl_.get();
    const WindowHandle self = impl;
    SetPostedMessageSink([impl, self](WindowHandle window, unsigned message, std::uintptr_t wParam,
                                      std::intptr_t lParam) {
        // Like PostMessageW to a window that does not exist: the post fails.
        if (window != self)
            return false;
        {
            std::lock_guard<std::mutex> guard(impl->mutex);
            impl->messages.push_back({message, wParam, lParam});
        }
        impl->arrived.notify_all();
        return true;
    });
}

MessageRecorder::~MessageRecorder() {
    // Posts from workers still running fail from here on, as they would to a destroyed window.
    SetPostedMessageSink({});
}

WindowHandle MessageRecorder::Window() const {
    return impl_.get();
}

std::vector<RecordedMessage> MessageRecorder::Messages() {
    std::lock_guard<std::mutex> guard(impl_->mutex);
    return impl_->messages;
}

bool MessageRecorder::WaitUntil(
    Deadline deadline, const std::function<bool(const std::vector<RecordedMessage>&)>& done) {
    std::unique_lock<std::mutex> lock(impl_->mutex);
    return impl_->arrived.wait_until(lock, deadline, [&] { return done(impl_->messages); });
}

}  // namespace kx::testing

#endif  // !_WIN32
