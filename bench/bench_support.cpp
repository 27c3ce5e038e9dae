#include "bench/bench_support.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "platform/process_memory.h"
#include "platform/sim/mirror_tree.h"
#include "platform/sim/simulated_drives.h"
#include "platform/sim/synthetic_volume.h"
#include "platform/usn_layout.h"

namespace kx::bench {

namespace {

std::mutex& DrivesMutex() {
    static std::mutex mutex;
    return mutex;
}

using DriveKey = std::pair<int, std::size_t>;

std::map<DriveKey, std::shared_ptr<sim::SimVolume>>& MadeDrives() {
    static std::map<DriveKey, std::shared_ptr<sim::SimVolume>> made;
    return made;
}

// The mirrored tree itself, read from disk once per process.
const std::vector<sim::SimEntry>& MirroredEntries() {
    static const std::vector<sim::SimEntry> entries = [] {
        const char* root = std::getenv("KX_BENCH_MIRROR_ROOT");
        sim::SimVolume mirror;
        const sim::MirrorSummary summary =
            sim::MirrorDirectoryTree(mirror, root != nullptr ? root : "/usr", 100000000);
        if (summary.added == 0)
            throw std::runtime_error("nothing to mirror below the mirror root");
        return mirror.LiveEntries();
    }();
    return entries;
}

// Copies of the mirrored tree, each below a directory of its own, until `entries` are made.
// Entries come in record order, and the mirror adds a directory before its children, so every
// parent has been copied by the time its children are.
void FillMirrored(sim::SimVolume& volume, std::size_t entries) {
    const std::vector<sim::SimEntry>& tree = MirroredEntries();
    std::uint64_t highestRecord = 0;
    for (const sim::SimEntry& entry : tree)
        highestRecord = std::max(highestRecord, RecordNumberOf(entry.frn));
    std::vector<std::uint64_t> copyOf(highestRecord + 1, 0);
    volume.ReserveEntries(entries);
    std::size_t made = 0;
    for (int replica = 1; made < entries; ++replica) {
        std::u16string directory = u"mirror-";
        for (char c : std::to_string(replica))
            directory.push_back(static_cast<char16_t>(c));
        const std::uint64_t top = volume.AddEntryQuietly(kRootDirectoryFrn, directory,
                                                         FILE_ATTRIBUTE_DIRECTORY_BIT, 0, 0, 0);
        ++made;
        for (const sim::SimEntry& entry : tree) {
            if (made == entries)
                break;
            const std::uint64_t parentRecord = RecordNumberOf(entry.parentFrn);
            const std::uint64_t parent = entry.parentFrn == kRootDirectoryFrn ||
                                                 parentRecord > highestRecord ||
                                                 copyOf[parentRecord] == 0
                                             ? top
                                             : copyOf[parentRecord];
            copyOf[RecordNumberOf(entry.frn)] =
                volume.AddEntryQuietly(parent, entry.name, entry.attributes, entry.size,
                                       entry.lastWriteTime, entry.creationTime);
            ++made;
        }
    }
}

}  // namespace

const char* CorpusName(Corpus corpus) {
    return corpus == Corpus::kSynthetic ? "synthetic" : "mirrored";
}

std::shared_ptr<sim::SimVolume> SyntheticDrive(char letter, std::size_t entries) {
    return CorpusDrive(Corpus::kSynthetic, letter, entries);
}

std::shared_ptr<sim::SimVolume> MirroredDrive(char letter, std::size_t entries) {
    return CorpusDrive(Corpus::kMirrored, letter, entries);
}

std::shared_ptr<sim::SimVolume> CorpusDrive(Corpus corpus, char letter, std::size_t entries) {
    std::lock_guard<std::mutex> guard(DrivesMutex());
    auto& volume = MadeDrives()[{static_cast<int>(corpus), entries}];
    if (!volume) {
        volume = std::make_shared<sim::SimVolume>();
        if (corpus == Corpus::kSynthetic)
            sim::GenerateSyntheticVolume(*volume, entries, 20261207);
        else
            FillMirrored(*volume, entries);
    }
    sim::AttachVolume(letter, volume);
    return volume;
}

std::unique_ptr<VolumeIndex> BuildStoppedVolume(char letter) {
    auto volume = std::make_unique<VolumeIndex>();
    const std::u16string drive{static_cast<char16_t>(letter), u':'};
    if (!volume->Build(drive))
        throw std::runtime_error("Build failed");
    volume->StopMonitor();
    return volume;
}

std::unique_ptr<SearchEngine> EngineOver(std::unique_ptr<VolumeIndex> volume) {
    auto engine = std::make_unique<SearchEngine>();
    engine->volumes.push_back(std::move(volume));
    engine->ready.store(true);
    return engine;
}

void ConfigureHeap() {
    if (WarmHeap()) {
        mallopt(M_ARENA_MAX, 1);
        mallopt(M_MMAP_MAX, 0);
        mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());
    }
}

int RunBenchmarks(int argc, char** argv, void (*registerAll)()) {
    ConfigureHeap();
    benchmark::Initialize(&argc, argv);
    registerAll();
    benchmark::AddCustomContext("heap", WarmHeap() ? "warm" : "fresh");
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

bool WarmHeap() {
    static const bool warm = [] {
        const char* heap = std::getenv("KX_BENCH_HEAP");
        return heap != nullptr && std::string(heap) == "warm";
    }();
    return warm;
}

std::size_t ResidentBytes() {
    if (!WarmHeap())
        malloc_trim(0);
    return kx::ResidentBytes();
}

std::uint64_t PageFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::uint64_t>(usage.ru_minflt);
}

std::size_t LayoutFloorBytes(const VolumeIndex& volume) {
    return static_cast<std::size_t>(volume.table.Memory().Total());
}

std::u16string Prefix(const char16_t* word, std::size_t length) {
    return std::u16string(word).substr(0, length);
}

}  // namespace kx::bench
