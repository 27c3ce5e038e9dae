// A simulated machine for the tests of the indexing start-up and the journal monitor.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "common/process_state.h"
#include "index/volume_index.h"
#include "platform/sim/simulated_drives.h"
#include "tests/support/eventually.h"

namespace kx::testing {

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

}  // namespace kx::testing
