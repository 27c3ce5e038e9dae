#include "search/search_state.h"

namespace kx {

SharedResults CurrentResults;
std::mutex ResultsLock;

SharedResults VisibleResults;
std::int32_t VisibleCategory = 0;
std::mutex VisibleLock;

std::atomic<std::int64_t> DisplayedCount{0};
std::atomic<std::int32_t> SortColumn{-1};
std::atomic<bool> SortAscending{true};
std::atomic<WindowHandle> MainWindow{nullptr};
std::atomic<int> WorkerThreadsRunning{0};

namespace {

std::atomic<SearchEngine*> TestEngine{nullptr};

}  // namespace

SearchEngine& SearchEngineInUse() {
    SearchEngine* engine = TestEngine.load();
    return engine != nullptr ? *engine : TheSearchEngine();
}

void UseSearchEngineForTesting(SearchEngine* engine) {
    TestEngine.store(engine);
}

SharedResults TakeCurrentResults() {
    std::lock_guard<std::mutex> guard(ResultsLock);
    return CurrentResults;
}

}  // namespace kx
