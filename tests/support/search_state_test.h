// The process-wide search state as a fresh process has it: a fixture that resets it around every
// test and waits for the detached search and sort workers a test started.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>

#include "common/process_state.h"
#include "search/search_state.h"
#include "search/visible_results.h"

namespace kx::testing {

// Waits until every detached search and sort worker has ended.
inline void WaitForWorkers() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (WorkerThreadsRunning.load() != 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(WorkerThreadsRunning.load(), 0) << "a worker did not end";
}

// Every test starts from the state of a fresh process and leaves no worker behind.
class SearchStateTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetSearchState(); }
    void TearDown() override {
        WaitForWorkers();
        UseSearchEngineForTesting(nullptr);
        ResetSearchState();
    }

    static void ResetSearchState() {
        ExitRequested.store(false);
        {
            std::lock_guard<std::mutex> guard(ResultsLock);
            CurrentResults.reset();
        }
        DropVisibleResults();
        VisibleCategory = 0;
        DisplayedCount.store(0);
        SortColumn.store(-1);
        SortAscending.store(true);
    }
};

inline std::uint64_t CurrentGeneration() {
    return SearchGeneration.load();
}

}  // namespace kx::testing
