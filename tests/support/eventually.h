// Waiting for what another thread does: the journal monitor and the start-up run on their own
// threads, so a test polls for the state it expects instead of sleeping a guessed time.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace kx::testing {

// Polls until the condition holds or five seconds have passed.
inline bool Eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return condition();
}

}  // namespace kx::testing
