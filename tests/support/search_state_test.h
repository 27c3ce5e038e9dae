// Fixtures shared by the search tests: an engine over hand-filled tables and a reset of the
// process-wide search state.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/messages.h"
#include "common/process_state.h"
#include "index/search_engine.h"
#include "search/hit_record.h"
#include "search/search_state.h"
#include "search/visible_results.h"
#include "tests/index/table_builder.h"
#include "tests/search/message_log.h"

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

// An engine over tables filled by hand; volumes get a root directory.
struct TestEngine {
    SearchEngine engine;

    VolumeIndex& AddVolume(const std::u16string& drive) {
        engine.volumes.push_back(std::make_unique<VolumeIndex>());
        VolumeIndex& volume = *engine.volumes.back();
        volume.rootPath = drive;
        AddRoot(volume);
        engine.ready.store(true);
        return volume;
    }
};

// A file (or directory) directly below the root; returns its frn.
inline std::uint64_t AddFile(VolumeIndex& volume, const std::u16string& name,
                             bool isDirectory = false) {
    const std::uint64_t frn = MakeFileReference(1000 + volume.records.size(), 1);
    AddRecord(volume, frn, kRootDirectoryFrn, name, isDirectory);
    return frn;
}

inline std::vector<std::u16string> NamesOf(const ResultList& list) {
    std::vector<std::u16string> names;
    for (std::size_t i = 0; i < list.size(); ++i)
        names.push_back(CopyHitRecord(list.Hit(i)).name);
    return names;
}

inline std::uint64_t CurrentGeneration() {
    return SearchGeneration.load();
}

}  // namespace kx::testing
