#if defined(_WIN32)

#include <windows.h>

#include <algorithm>
#include <stdexcept>

#include "platform/win32/unique_handle.h"
#include "tests/support/message_recorder.h"

namespace kx::testing {

namespace {

constexpr wchar_t kClassName[] = L"KxMessageRecorder";

void RegisterRecorderClass() {
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = ::DefWindowProcW;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClassName;
        return ::RegisterClassW(&windowClass) != 0 ||
               ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    if (!registered)
        throw std::runtime_error("RegisterClassW failed for the message recorder");
}

}  // namespace

struct MessageRecorder::Impl {
    UniqueWindow window;
    std::vector<RecordedMessage> messages;

    // Takes what is queued without blocking. Only posted messages come out of the queue of a
    // message-only window; sent ones are delivered inside PeekMessageW. Everything else of the
    // thread is dispatched too: left in the queue, it would wake every wait at once.
    void Drain() {
        MSG msg{};
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == window.get()) {
                messages.push_back({msg.message, static_cast<std::uintptr_t>(msg.wParam),
                                    static_cast<std::intptr_t>(msg.lParam)});
            } else {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
    }
};

MessageRecorder::MessageRecorder() : impl_(std::make_unique<Impl>()) {
    RegisterRecorderClass();
    // HWND_MESSAGE: no display is needed, so this works under a headless Wine.
    impl_->window.reset(::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          ::GetModuleHandleW(nullptr), nullptr));
    if (!impl_->window)
        throw std::runtime_error("CreateWindowExW failed for the message recorder");
}

MessageRecorder::~MessageRecorder() = default;

WindowHandle MessageRecorder::Window() const {
    return impl_->window.get();
}

std::vector<RecordedMessage> MessageRecorder::Messages() {
    impl_->Drain();
    return impl_->messages;
}

bool MessageRecorder::WaitUntil(
    Deadline deadline, const std::function<bool(const std::vector<RecordedMessage>&)>& done) {
    for (;;) {
        impl_->Drain();
        if (done(impl_->messages))
            return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        // Wakes as soon as anything is posted to this thread, or at the deadline.
        ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left.count()) + 1, QS_ALLINPUT,
                                      MWMO_INPUTAVAILABLE);
    }
}

}  // namespace kx::testing

#endif  // _WIN32
