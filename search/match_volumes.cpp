// The scan behind every keystroke: one linear pass over every record of every volume.
#include <cstring>
#include <mutex>
#include <shared_mutex>

#include "common/ascii_fold.h"
#include "common/process_state.h"
#include "search/search_run.h"

namespace kx {

namespace {

constexpr std::size_t kGenerationCheckInterval = 1024;

// True when the n-unit needle occurs in the len-unit text. Callers guarantee len >= n >= 1.
// Most names fail at the first unit, so the loop compares the first and last needle units
// (two loads from the same one or two cache lines) before touching the middle; names are a
// dozen units long, so this beats any search with set-up cost per call.
inline bool ContainsFolded(const char16_t* text, std::size_t len, const char16_t* needle,
                           std::size_t n) {
    const char16_t first = needle[0];
    const char16_t last = needle[n - 1];
    const char16_t* const end = text + (len - n) + 1;  // one past the last possible start
    for (const char16_t* p = text; p != end; ++p) {
        if (*p == first && p[n - 1] == last &&
            std::memcmp(p + 1, needle + 1, (n > 2 ? n - 2 : 0) * sizeof(char16_t)) == 0) {
            return true;
        }
    }
    return false;
}

inline bool StillCurrent(std::uint64_t generation) {
    return SearchGeneration.load(std::memory_order_relaxed) == generation;
}

// A hit as the scan collects it. A MatchItem is 200 bytes with four strings; building those
// while scanning costs more than the scan itself (the growing array is moved and re-faulted
// at every doubling), so the scan collects 16-byte pairs and the items are made once, in one
// exactly sized array, after the volume's lock is released.
struct RawHit {
    std::uint64_t recordIndex;
    std::uint64_t frn;
};

// Appends the hits of one volume; false when the scan was cancelled. `lock` held shared.
bool ScanVolume(const VolumeIndex& volume, const std::u16string& folded, std::uint64_t generation,
                std::vector<RawHit>& hits) {
    const std::size_t n = folded.size();
    const char16_t* const needle = folded.data();
    const FileRecord* const records = volume.records.data();
    const std::size_t count = volume.records.size();

    // Why this is fast: records are visited in memory order and names were appended in the
    // same order, so both streams are read sequentially and the prefetcher keeps up. A record
    // costs a byte load of ExitRequested, two flag tests and a length test before its name is
    // touched at all; the name is compared already folded, in place, without any allocation.
    // Only hits allocate (their slot in `hits`). The shared generation counter, which other
    // cores write, is read once per 1024 records.
    for (std::size_t block = 0; block < count; block += kGenerationCheckInterval) {
        if (!StillCurrent(generation))
            return false;
        const std::size_t blockEnd =
            count - block < kGenerationCheckInterval ? count : block + kGenerationCheckInterval;
        for (std::size_t j = block; j < blockEnd; ++j) {
            if (ExitRequested.load(std::memory_order_relaxed))
                return false;
            const FileRecord& record = records[j];
            if (record.isDead != 0)
                continue;
            if (n > 0 && (record.nameLength < n ||
                          !ContainsFolded(record.FoldedName(), record.nameLength, needle, n))) {
                continue;
            }
            hits.push_back(RawHit{j, record.frn});
        }
    }
    return true;
}

}  // namespace

ResultList MatchVolumes(const SearchEngine& engine, const std::u16string& query,
                        std::uint64_t generation) {
    ResultList result;
    if (!engine.ready.load() || ExitRequested.load())
        return result;
    const std::u16string folded = FoldAscii(query);
    struct VolumeHits {
        VolumeIndex* volume;
        std::uint64_t renumberGeneration;
        std::vector<RawHit> hits;
    };
    std::vector<VolumeHits> found;
    std::size_t total = 0;
    // The volume list is complete and unchanging once `ready` is set.
    for (const std::unique_ptr<VolumeIndex>& volume : engine.volumes) {
        VolumeHits& perVolume = found.emplace_back();
        perVolume.volume = volume.get();
        std::shared_lock<SrwLock> guard(volume->lock);
        perVolume.renumberGeneration = volume->renumberGeneration;
        if (!ScanVolume(*volume, folded, generation, perVolume.hits))
            return ResultList{};
        total += perVolume.hits.size();
    }
    result.items.resize(total);
    std::size_t next = 0;
    for (const VolumeHits& perVolume : found) {
        for (const RawHit& raw : perVolume.hits) {
            MatchItem& item = result.items[next++];
            item.volume = perVolume.volume;
            item.recordIndex = raw.recordIndex;
            item.frn = raw.frn;
            item.renumberGeneration = perVolume.renumberGeneration;
        }
    }
    return result;
}

}  // namespace kx
