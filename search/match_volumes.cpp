// The scan behind every keystroke: one linear pass over every record of every volume.
#include <cstring>
#include <mutex>
#include <shared_mutex>

#include "common/ascii_fold.h"
#include "common/process_state.h"
#include "search/search_run.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kx {

namespace {

constexpr std::size_t kGenerationCheckInterval = 1024;

#if defined(__SSE2__)
// True when the n-unit needle occurs in the len-unit text. Callers guarantee len >= n >= 1.
// Candidates are the start positions where both the first and the last needle unit match, and
// only those compare the middle; eight positions are tested at once, so a typical name of a
// dozen units is decided in one or two steps and no set-up is paid per call. The loads reach up
// to 7 units past the name's end, which stays inside its chunk: after the folded copy come its
// terminator and the next name, and every chunk has NamePool::kReadSlack zero units past its
// capacity.
inline bool ContainsFolded(const char16_t* text, std::size_t len, const char16_t* needle,
                           std::size_t n) {
    static_assert(NamePool::kReadSlack >= 8, "a vector load may pass the last name by 7 units");
    const __m128i first = _mm_set1_epi16(static_cast<short>(needle[0]));
    const __m128i last = _mm_set1_epi16(static_cast<short>(needle[n - 1]));
    const std::size_t starts = len - n + 1;
    for (std::size_t at = 0; at < starts; at += 8) {
        const __m128i heads = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
        const __m128i tails = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at + n - 1));
        // Two mask bits per code unit.
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi16(heads, first), _mm_cmpeq_epi16(tails, last))));
        if (starts - at < 8)
            mask &= (1u << (2 * (starts - at))) - 1;
        while (mask != 0) {
            const std::size_t position = at + static_cast<std::size_t>(__builtin_ctz(mask)) / 2;
            if (n <= 2 ||
                std::memcmp(text + position + 1, needle + 1, (n - 2) * sizeof(char16_t)) == 0) {
                return true;
            }
            mask &= mask - 1;
            mask &= mask - 1;
        }
    }
    return false;
}
#else
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
#endif

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
    // Each item is filled while its fresh slot is still in the cache, in one pass over the
    // array rather than one to construct and one to fill.
    result.items.reserve(total);
    for (const VolumeHits& perVolume : found) {
        for (const RawHit& raw : perVolume.hits) {
            MatchItem& item = result.items.emplace_back();
            item.volume = perVolume.volume;
            item.recordIndex = raw.recordIndex;
            item.frn = raw.frn;
            item.renumberGeneration = perVolume.renumberGeneration;
        }
    }
    return result;
}

}  // namespace kx
