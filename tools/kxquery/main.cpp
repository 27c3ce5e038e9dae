// kxquery: indexes simulated NTFS volumes with the program's real start-up, then prints what
// was indexed, searches as the window does, or applies a script of file changes while the
// journal monitors run. The checks and benchmarks drive the engine end to end through it.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <new>
#include <shared_mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/process_state.h"
#include "common/utf.h"
#include "filters/default_categories.h"
#include "filters/filter_category.h"
#include "index/search_engine.h"
#include "search/hit_arena_warmup.h"
#include "search/parallel_blocks.h"
#include "search/search_state.h"
#include "tools/kxquery/file_reading.h"
#include "tools/kxquery/hit_printing.h"
#include "tools/kxquery/indexing.h"
#include "tools/kxquery/memory_report.h"
#include "tools/kxquery/options.h"
#include "tools/kxquery/query_list.h"
#include "tools/kxquery/query_window.h"
#include "tools/kxquery/script.h"
#include "tools/kxquery/script_runner.h"
#include "tools/kxquery/search_session.h"
#include "tools/kxquery/volume_loading.h"

namespace {

constexpr int kBadInput = 2;
constexpr int kRunFailed = 1;

// Volumes in drive-letter order, so that output does not depend on which build finished first.
std::vector<const kx::VolumeIndex*> VolumesByDrive(const kx::SearchEngine& engine) {
    std::vector<const kx::VolumeIndex*> sorted;
    for (const auto& volume : engine.volumes)
        sorted.push_back(volume.get());
    std::sort(sorted.begin(), sorted.end(), [](const kx::VolumeIndex* a, const kx::VolumeIndex* b) {
        return a->rootPath < b->rootPath;
    });
    return sorted;
}

void PrintPaths(const kx::SearchEngine& engine) {
    std::string out;
    for (const kx::VolumeIndex* volume : VolumesByDrive(engine)) {
        std::shared_lock<kx::SrwLock> guard(volume->lock);
        const kx::FileTable& table = volume->table;
        for (std::size_t i = 0; i < table.Size(); ++i) {
            const kx::FileRecord& record = table.Record(i);
            if (record.IsDead())
                continue;
            out += kx::Utf16ToUtf8(kx::BuildFullPath(*volume, record));
            out += '\n';
            if (out.size() > (1u << 20)) {
                std::fwrite(out.data(), 1, out.size(), stdout);
                out.clear();
            }
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

void PrintCounts(const kx::SearchEngine& engine) {
    for (const kx::VolumeIndex* volume : VolumesByDrive(engine)) {
        std::shared_lock<kx::SrwLock> guard(volume->lock);
        std::printf(
            "%s %zu %zu\n", kx::Utf16ToUtf8(volume->rootPath).c_str(), volume->table.Size(),
            static_cast<std::size_t>(volume->table.Size() - volume->table.DeadRecordsHeld()));
    }
}

void PrintCategories() {
    std::string out;
    const kx::CategoryList& categories = kx::FilterCategories;
    for (std::size_t i = 0; i < categories.size(); ++i) {
        out += std::to_string(i) + '\t' + kx::Utf16ToUtf8(categories[i].name) + '\t';
        for (std::size_t k = 0; k < categories[i].extensions.size(); ++k)
            out += (k == 0 ? "" : " ") + kx::Utf16ToUtf8(categories[i].extensions[k]);
        out += '\n';
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

int Fail(const std::string& error, int status = kBadInput) {
    std::fflush(stdout);
    std::cerr << "kxquery: " << error << "\n";
    return status;
}

// A worker that runs out of memory ends without a result and counts itself here, so a run that
// comes back empty-handed can say why.
int FailSearching(const std::string& error, int status) {
    if (kx::OutOfMemoryFailures.load() != 0)
        return Fail("out of memory: " + error, kRunFailed);
    return Fail(error, status);
}

// The searching modes, once the index is ready. Returns the exit status.
int Search(const kx::query::Options& options) {
    std::string error;
    // Parsed before anything is applied, so that a malformed line changes nothing.
    std::vector<kx::query::ScriptStep> steps;
    if (!options.scriptFile.empty()) {
        std::string text;
        if (!kx::query::ReadWholeFile(options.scriptFile, &text, &error) ||
            !kx::query::ParseScript(text, options.scriptFile, &steps, &error)) {
            return Fail(error);
        }
    }
    kx::query::QueryWindow window;
    if (options.query) {
        const auto outcome =
            kx::query::RunQuery(window, kx::Utf8ToUtf16(*options.query), options.settings, &error);
        if (!outcome.completed)
            return FailSearching(error, kRunFailed);
        kx::query::PrintVisibleHits(options.settings.details);
    } else if (!options.queriesFrom.empty()) {
        // Timed like the window's keys: the window warms the arena once the index is ready,
        // while the user reaches for the keyboard.
        kx::WarmHitArena(kx::SearchEngineInUse());
        if (!kx::query::RunQueryList(window, options.queriesFrom, options.settings, &error))
            return FailSearching(error, kBadInput);
    } else if (!options.scriptFile.empty()) {
        if (!kx::query::RunScript(window, steps, options.scriptFile, options.settings, &error))
            return FailSearching(error, kBadInput);
    }
    return 0;
}

// Detached search and sort workers read the engine; they must be gone before static
// destruction tears it down.
void WaitForWorkers() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (kx::WorkerThreadsRunning.load() != 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

int Run(int argc, char** argv, const char** stage) {
    std::string error;
    const auto options =
        kx::query::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), &error);
    if (!options)
        return Fail(error + " (see kxquery --help)");
    if (options->help) {
        std::fputs(kx::query::UsageText().c_str(), stdout);
        return 0;
    }
    kx::UseChinese = options->chinese;
    kx::LoadDefaultCategories();
    kx::SelectedCategory = options->settings.category;
    if (options->listCategories)
        PrintCategories();
    if (options->volumes.empty() && !options->demo)
        return 0;

    *stage = "while loading the volume files";
    if (!kx::query::LoadVolumes(*options, &error))
        return Fail(error);
    kx::SearchEngine& engine = kx::TheSearchEngine();
    if (options->journalPollMilliseconds != 0) {
        engine.monitorTimings.afterRead =
            std::chrono::milliseconds(options->journalPollMilliseconds);
    }
    *stage = "while indexing";
    std::string memory;
    const bool any = options->printMemory ? kx::query::IndexDrivesMeasuringMemory(engine, &memory)
                                          : kx::query::IndexAllDrives(engine);
    // A drive that ran out is dropped as the window drops it; here that would make every
    // answer incomplete, so the run fails instead.
    if (kx::OutOfMemoryFailures.load() != 0)
        return Fail("out of memory while indexing", kRunFailed);
    if (!any)
        return Fail("no NTFS volume could be indexed", kRunFailed);
    *stage = "while searching";
    std::fputs(memory.c_str(), stdout);
    if (options->printCount)
        PrintCounts(engine);
    if (options->printPaths)
        PrintPaths(engine);
    std::fflush(stdout);
    const int status = Search(*options);
    std::fflush(stdout);
    kx::query::StopIndexing(engine);
    WaitForWorkers();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const char* stage = "while starting";
    try {
        return Run(argc, argv, &stage);
    } catch (const std::bad_alloc&) {
        // The monitors and workers must be gone before the engine is torn down on return.
        kx::query::StopIndexing(kx::TheSearchEngine());
        WaitForWorkers();
        return Fail(std::string("out of memory ") + stage, kRunFailed);
    }
}
