#include "tools/kxquery/journal_catch_up.h"

#include <chrono>
#include <cstdint>
#include <thread>

namespace kx::query {

namespace {

using Clock = std::chrono::steady_clock;

// Longer than the gaps between the control codes of one rebuild, far shorter than the
// monitor's 300 ms pause between reads.
constexpr auto kQuiet = std::chrono::milliseconds(150);
constexpr auto kPatience = std::chrono::seconds(5);

struct Watch {
    const sim::SimVolume* volume;
    std::uint32_t start;
    std::uint32_t last;
    Clock::time_point lastChange;
};

}  // namespace

// The monitor is a thread of the engine with no hook to wait on, but every read it makes is a
// control code the volume counts. A change and the count are served under the volume's one
// mutex, so a call counted after the start was served after every change made so far. The
// second such call is made only after the first reply was applied to the table (the monitor
// is one thread), and once the count stands still the monitor is asleep between reads; that
// also covers a rebuild, whose create, query and enumeration calls come back to back.
bool WaitForJournalMonitors(const std::vector<std::shared_ptr<sim::SimVolume>>& volumes) {
    std::vector<Watch> watches;
    const Clock::time_point begin = Clock::now();
    for (const auto& volume : volumes) {
        if (volume && !volume->IsRemoved()) {
            const std::uint32_t count = volume->ControlCallCount();
            watches.push_back(Watch{volume.get(), count, count, begin});
        }
    }
    for (;;) {
        const Clock::time_point now = Clock::now();
        bool allDone = true;
        for (Watch& watch : watches) {
            const std::uint32_t count = watch.volume->ControlCallCount();
            if (count != watch.last) {
                watch.last = count;
                watch.lastChange = now;
            }
            const bool caughtUp = count - watch.start >= 2 && now - watch.lastChange >= kQuiet;
            allDone = allDone && caughtUp;
        }
        if (allDone)
            return true;
        if (now - begin > kPatience)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace kx::query
