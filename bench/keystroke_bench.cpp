// What one keystroke costs the user, end to end: StartSearch to the published list on the
// worker's side, then everything the window does with that result up to its first paint of a
// screenful (the title's and status line's counts, the six tag counts, the visible list and
// the details of 20 rows), over names mirrored from this machine's tree at one and ten million
// records. Each key starts from the state typing leaves behind: the list of the key before it
// is current (a cleared box for the first letter).
//
// Alongside, in the same run: the pipeline this one replaced (a 200-byte hit with four strings,
// one thread, six walks of the hits for the tags and a copy for the visible list), and a plain
// pass over the same bytes as a bandwidth bound. Every figure is a median of repetitions;
// divide by the bound's for the ratio. Memory per hit is measured, not computed.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <shared_mutex>
#include <thread>

#include "bench/bench_support.h"
#include "common/ascii_fold.h"
#include "common/process_state.h"
#include "filters/filter_category.h"
#include "search/category_filter.h"
#include "search/contains_folded.h"
#include "search/details.h"
#include "search/hit_record.h"
#include "search/parallel_blocks.h"
#include "search/search_run.h"
#include "search/search_state.h"
#include "search/visible_results.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kx::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kRowsOnScreen = 20;
constexpr std::int32_t kTagCount = 7;

SearchEngine& EngineFor(std::size_t records) {
    static std::unique_ptr<SearchEngine> engine;
    static std::size_t built = 0;
    if (built != records) {
        engine.reset();
        MirroredDrive('K', records);
        engine = EngineOver(BuildStoppedVolume('K'));
        built = records;
        UseSearchEngineForTesting(engine.get());
        // The simulator indexes its paths on the first attribute query, a cost of the
        // simulator alone (Windows answers it in the kernel): paid here, before any timing.
        const ResultList one = MatchVolumes(*engine, {u"e", SearchGeneration.load()});
        HitDetails details;
        if (!one.empty())
            LoadDetails(one.Hit(0), details);
    }
    return *engine;
}

double Milliseconds(Clock::duration elapsed) {
    return std::chrono::duration<double, std::milli>(elapsed).count();
}

// Sleeps rather than spins: on two cores a spinning waiter takes a core from the scan's blocks,
// while the window's thread waits for its message without running.
void WaitForWorkers() {
    while (WorkerThreadsRunning.load() != 0)
        std::this_thread::sleep_for(std::chrono::microseconds(50));
}

// The box cleared, or the key before this one typed and its result shown.
void TypeUpTo(const std::u16string& before) {
    StartSearch(before);
    WaitForWorkers();
    DropVisibleResults();
}

// What the window's thread does with a new result before and during its first paint.
std::size_t WindowSide() {
    const SharedResults results = TakeCurrentResults();
    std::uint64_t sum = results->size();
    sum += static_cast<std::uint64_t>(ShowNewResults(results));
    for (std::int32_t tag = 1; tag < kTagCount; ++tag)
        sum += CountHits(*TakeCurrentResults(), tag, true);
    const SharedResults visible = GetVisibleResults();
    const std::size_t rows = std::min(kRowsOnScreen, visible->size());
    for (const HitDetails& details : LoadRowDetails(visible, 0, rows))
        sum += details.fullPath.size();
    return sum;
}

// range(0): records; range(1): scan workers, 0 for this machine's count.
void BM_Keystroke(benchmark::State& state, std::u16string before, std::u16string key) {
    const auto records = static_cast<std::size_t>(state.range(0));
    SetWorkerCount(static_cast<std::size_t>(state.range(1)));
    SearchEngine& engine = EngineFor(records);
    benchmark::DoNotOptimize(&engine);
    double worker = 0;
    double window = 0;
    std::size_t hits = 0;
    std::size_t listBytes = 0;
    // Page faults of the key alone (not of the keys before it): the first time a list of its
    // size is made, and the most of any later time, which the arena should bring to nothing.
    std::uint64_t firstFaults = 0;
    std::uint64_t laterFaults = 0;
    bool first = true;
    for (auto _ : state) {
        TypeUpTo(before);
        const std::size_t residentBefore = ResidentBytes();
        const std::uint64_t faultsBefore = PageFaults();
        const auto start = Clock::now();
        StartSearch(key);
        WaitForWorkers();
        const auto published = Clock::now();
        benchmark::DoNotOptimize(WindowSide());
        const auto painted = Clock::now();
        const std::uint64_t faults = PageFaults() - faultsBefore;
        if (first)
            firstFaults = faults;
        else
            laterFaults = std::max(laterFaults, faults);
        first = false;
        state.SetIterationTime(std::chrono::duration<double>(painted - start).count());
        worker += Milliseconds(published - start);
        window += Milliseconds(painted - published);
        const SharedResults current = TakeCurrentResults();
        hits = current->size();
        // What the list writes per hit; the room reserved beyond it is address space only.
        listBytes = current->size() * sizeof(MatchItem);
        state.counters["resident_added_MiB"] =
            (static_cast<double>(ResidentBytes()) - static_cast<double>(residentBefore)) /
            (1 << 20);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["worker_ms"] = worker / n;
    state.counters["window_ms"] = window / n;
    state.counters["hits"] = static_cast<double>(hits);
    state.counters["hit_share"] = static_cast<double>(hits) / static_cast<double>(records);
    state.counters["list_bytes_per_hit"] = hits > 0 ? static_cast<double>(listBytes) / hits : 0;
    state.counters["faults_first"] = static_cast<double>(firstFaults);
    state.counters["faults_later"] = static_cast<double>(laterFaults);
    state.counters["workers"] = static_cast<double>(WorkerCount());
    SetWorkerCount(0);
}

// ---- The pipeline this replaced, kept here so that both are measured in one run.

struct LegacyItem {
    VolumeIndex* volume = nullptr;
    std::uint64_t recordIndex = 0;
    bool detailsLoaded = false;
    std::u16string fullPath;
    std::int64_t size = 0;
    std::uint64_t lastWriteTime = 0;
    std::uint64_t creationTime = 0;
    std::u16string sizeText;
    std::u16string modifiedText;
    std::u16string createdText;
    std::uint8_t filledMask = 0;
    std::uint64_t frn = 0;
    std::uint64_t renumberGeneration = 0;
};

std::vector<LegacyItem> LegacyScan(const SearchEngine& engine, const std::u16string& query) {
    const FoldedNeedle needle(FoldAscii(query));
    struct Raw {
        std::uint64_t index;
        std::uint64_t frn;
    };
    std::vector<Raw> raw;
    VolumeIndex& volume = *engine.volumes.front();
    {
        std::shared_lock<SrwLock> guard(volume.lock);
        for (std::size_t j = 0; j < volume.table.Size(); ++j) {
            const FileRecord& record = volume.table.Record(j);
            if (!record.IsDead() && ContainsFolded(volume.table.Name(record), needle)) {
                raw.push_back(Raw{j, record.frn});
            }
        }
    }
    std::vector<LegacyItem> items;
    items.reserve(raw.size());
    for (const Raw& hit : raw) {
        LegacyItem& item = items.emplace_back();
        item.volume = &volume;
        item.recordIndex = hit.index;
        item.frn = hit.frn;
    }
    return items;
}

std::size_t LegacyWindowSide(const std::vector<LegacyItem>& items) {
    std::size_t sum = items.size();
    // Six walks, each hit's record read under its volume's lock and tested against a fresh
    // snapshot of the categories, as the tag counts were taken.
    for (std::int32_t tag = 1; tag < kTagCount; ++tag) {
        VolumeReadLock readLock;
        for (const LegacyItem& item : items) {
            readLock.Hold(item.volume);
            const HitRef hit{item.volume, item.recordIndex, item.frn, item.renumberGeneration};
            const FileRecord* record = FindHitRecord(*item.volume, hit);
            sum +=
                record != nullptr && RecordPassesCategory(item.volume->table, *record, tag) ? 1 : 0;
        }
    }
    std::vector<LegacyItem> visible(items);  // the visible list was a copy, even for all files
    for (std::size_t row = 0; row < std::min(kRowsOnScreen, visible.size()); ++row) {
        const LegacyItem& item = visible[row];
        HitDetails details;
        LoadDetails(HitRef{item.volume, item.recordIndex, item.frn, item.renumberGeneration},
                    details);
        sum += details.fullPath.size();
    }
    return sum;
}

void BM_LegacyKeystroke(benchmark::State& state, std::u16string key) {
    const auto records = static_cast<std::size_t>(state.range(0));
    SearchEngine& engine = EngineFor(records);
    double worker = 0;
    double window = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        std::vector<LegacyItem> items = LegacyScan(engine, key);
        const auto published = Clock::now();
        benchmark::DoNotOptimize(LegacyWindowSide(items));
        const auto painted = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(painted - start).count());
        worker += Milliseconds(published - start);
        window += Milliseconds(painted - published);
        state.counters["hits"] = static_cast<double>(items.size());
        state.counters["list_bytes_per_hit"] = static_cast<double>(sizeof(LegacyItem));
        state.PauseTiming();
        { std::vector<LegacyItem> freed = std::move(items); }
        state.ResumeTiming();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["worker_ms"] = worker / n;
    state.counters["window_ms"] = window / n;
}

// ---- The bound: one read of every byte the scan reads (records and names), doing nothing.

std::uint64_t ReadEveryByte(const void* data, std::size_t bytes) {
#if defined(__SSE2__)
    const auto* vectors = static_cast<const __m128i*>(data);
    __m128i acc = _mm_setzero_si128();
    for (std::size_t i = 0; i < bytes / 16; ++i)
        acc = _mm_xor_si128(acc, _mm_loadu_si128(vectors + i));
    std::uint64_t lanes[2];
    std::memcpy(lanes, &acc, sizeof(lanes));
    return lanes[0] ^ lanes[1];
#else
    std::uint64_t acc = 0;
    const auto* words = static_cast<const std::uint64_t*>(data);
    for (std::size_t i = 0; i < bytes / 8; ++i)
        acc ^= words[i];
    return acc;
#endif
}

void BM_BandwidthBound(benchmark::State& state) {
    const auto records = static_cast<std::size_t>(state.range(0));
    const VolumeIndex& volume = *EngineFor(records).volumes.front();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const FileTable& table = volume.table;
        std::uint64_t acc = 0;
        bytes = 0;
        // A segment's records lie together.
        for (std::size_t first = 0; first < table.Size(); first = FileTable::SegmentEnd(first)) {
            const std::size_t inSegment =
                std::min(FileTable::SegmentEnd(first), table.Size()) - first;
            acc ^= ReadEveryByte(&table.Record(first), inSegment * sizeof(FileRecord));
            bytes += inSegment * sizeof(FileRecord);
        }
        const NamePool& names = table.Names();
        for (std::uint64_t at = 0; at < names.BytesUsed(); at += names.ChunkBytes()) {
            const std::uint64_t used = std::min(names.ChunkBytes(), names.BytesUsed() - at);
            acc ^= ReadEveryByte(names.At(at), static_cast<std::size_t>(used));
            bytes += static_cast<std::size_t>(used);
        }
        benchmark::DoNotOptimize(acc);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    state.counters["MiB"] = static_cast<double>(bytes) / (1 << 20);
    state.counters["bytes_per_record"] = static_cast<double>(bytes) / static_cast<double>(records);
}

// A key of the new pipeline (starting from the list `before` left) and the same key through
// the old one, which had no state to start from.
void RegisterKey(const char* kind, const std::u16string& before, const std::u16string& key,
                 std::int64_t records) {
    const std::string suffix = std::string(kind) + ":" + std::string(key.begin(), key.end());
    benchmark::RegisterBenchmark(("keystroke/" + suffix).c_str(), BM_Keystroke, before, key)
        ->Args({records, 0})
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("legacy/" + suffix).c_str(), BM_LegacyKeystroke, key)
        ->Arg(records)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}

void RegisterAll() {
    // A word whose first letter is in more than half of the names, typed letter by letter,
    // and single letters typed into a cleared box.
    const std::u16string word = u"event";
    const std::u16string letters[] = {u"e", u"a", u"s", u"c"};
    // Whole words in a cleared box (pasted, or typed faster than the results came), which no
    // earlier list narrows: the scan reads every record's signature.
    const std::u16string pasted[] = {u"ev", u"con", u"ing", u"config"};
    for (std::int64_t records : {1000000, 10000000}) {
        benchmark::RegisterBenchmark("bandwidth_bound", BM_BandwidthBound)
            ->Arg(records)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        for (std::size_t length = 1; length <= word.size(); ++length)
            RegisterKey("typed", word.substr(0, length - 1), word.substr(0, length), records);
        for (const std::u16string& letter : letters)
            RegisterKey("letter", std::u16string(), letter, records);
        for (const std::u16string& text : pasted)
            RegisterKey("pasted", std::u16string(), text, records);
    }
    // The scan cut for machines with more cores than this one: its block arrays, one per
    // worker, must be reused in place whatever their number.
    for (std::int64_t workers : {4, 8, 16}) {
        const std::pair<std::u16string, std::u16string> keys[] = {
            {u"", u"e"}, {u"e", u"ev"}, {u"", u"con"}};
        for (const auto& [before, key] : keys) {
            benchmark::RegisterBenchmark(("workers/" + std::string(key.begin(), key.end())).c_str(),
                                         BM_Keystroke, before, key)
                ->Args({10000000, workers})
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        }
    }
}

}  // namespace
}  // namespace kx::bench

int main(int argc, char** argv) {
    return kx::bench::RunBenchmarks(argc, argv, kx::bench::RegisterAll);
}
