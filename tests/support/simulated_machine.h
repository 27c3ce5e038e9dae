// A simulated machine for the tests of the indexing start-up and the journal monitor.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "common/process_state.h"
#include "index/volume_index.h"
#include "platform/sim/simulated_drives.h"

namespace kx {

class SimulatedMachine : public ::testing::Test {
  protected:
    void SetUp() override {
        ExitRequested.store(false);
        sim::ResetDrives();
    }
    void TearDown() override {
        ExitRequested.store(false);
        sim::ResetDrives();
    }

    // A built volume whose monitor polls quickly, so that tests wait milliseconds, not seconds.
    static std::unique_ptr<VolumeIndex> BuildFast(const std::u16string& drive) {
        auto volume = std::make_unique<VolumeIndex>();
        volume->monitorTimings = {std::chrono::milliseconds(2), std::chrono::milliseconds(5)};
        EXPECT_TRUE(volume->Build(drive));
        return volume;
    }
};

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

}  // namespace kx
