#include <mutex>

#include "platform/posix/posted_message_sink.h"

namespace kx {

namespace {

std::mutex& SinkMutex() {
    static std::mutex mutex;
    return mutex;
}

PostedMessageSink& Sink() {
    static PostedMessageSink sink;
    return sink;
}

}  // namespace

void SetPostedMessageSink(PostedMessageSink sink) {
    std::lock_guard<std::mutex> guard(SinkMutex());
    Sink() = std::move(sink);
}

bool PostToWindow(WindowHandle window, unsigned message, std::uintptr_t wParam,
                  std::intptr_t lParam) {
    std::lock_guard<std::mutex> guard(SinkMutex());
    return Sink() ? Sink()(window, message, wParam, lParam) : false;
}

}  // namespace kx
