// The scan behind every keystroke: every record of every volume, each volume split into blocks
// that every core scans at once, or, when the new query extends the one before, only that
// query's hits and what was appended since.
#include <array>
#include <climits>
#include <mutex>
#include <new>
#include <shared_mutex>

#include "common/ascii_fold.h"
#include "common/process_state.h"
#include "index/name_signature.h"
#include "search/category_classifier.h"
#include "search/category_filter.h"
#include "search/contains_folded.h"
#include "search/pair_run_filter.h"
#include "search/parallel_blocks.h"
#include "search/search_run.h"
#include "search/signature_filter.h"

namespace kx {

namespace {

constexpr std::size_t kGenerationCheckInterval = 1024;
// Below this many records (or earlier hits) a volume is scanned in one block: starting a
// thread costs more than scanning it.
constexpr std::size_t kParallelAbove = 1u << 16;
// Typing ahead scans the earlier hits only while they are at most this share of the records.
constexpr std::uint64_t kNarrowBelowShare = 4;

inline bool StillCurrent(std::uint64_t generation) {
    return SearchGeneration.load(std::memory_order_relaxed) == generation;
}

// One contiguous piece of a volume's scan: records [begin, end) or, typing ahead, the earlier
// hits at positions [begin, end) of the previous list.
struct Block {
    bool candidates = false;
    std::size_t begin = 0;
    std::size_t end = 0;
    HitVector hits;
    HitVector narrowed;
    std::array<std::uint64_t, CategoryClassifier::kMaxCategories> counts{};
};

// What every block of one volume reads.
struct VolumeScan {
    const FileTable* table;
    NameSignature needed;  // the query's signature
    PairQuery pairQuery;   // the query's letter pairs; empty: no run is ruled out
    std::uint16_t slot;
    const FoldedNeedle* needle;
    std::uint64_t generation;
    const CategoryClassifier* classifier;  // null: nothing is counted or narrowed
    std::int32_t category;                 // narrowed list wanted for it; 0 for none
    const MatchItem* previous;             // the earlier hits, for candidate blocks
    std::atomic<bool>* cancelled;
};

// Why this is fast: records are visited in memory order and names were appended in the same
// order, so every stream is read sequentially and the prefetcher keeps up. A record costs a
// test of its 8-byte name signature; only a record whose name may hold every unit of the query
// costs a flag test and a length test before its name is touched at all; the name is compared
// in place, folded as it is read. Only hits cost more: a 16-byte append to an array kept from
// earlier searches, and a table lookup of the extension's categories. The shared generation
// counter, which other cores write, is read once per 1024 records.
inline void TakeHit(const VolumeScan& scan, Block& block, const FileRecord& record,
                    std::size_t index) {
    const MatchItem item{record.frn, static_cast<std::uint32_t>(index), scan.slot, 0};
    block.hits.push_back(item);
    if (scan.classifier == nullptr)
        return;
    ++block.counts[0];
    std::uint64_t mask = scan.classifier->MaskOf(*scan.table, record);
    if (mask == 0)
        return;
    if (scan.category > 0 && ((mask >> scan.category) & 1u) != 0)
        block.narrowed.push_back(item);
    while (mask != 0) {
        ++block.counts[static_cast<std::size_t>(__builtin_ctzll(mask))];
        mask &= mask - 1;
    }
}

inline bool Matches(const VolumeScan& scan, const FileRecord& record) {
    return !record.IsDead() && ContainsFolded(scan.table->Name(record), *scan.needle);
}

// How far ahead of the candidate being tested the scan asks for a candidate's name: far
// enough for the name to arrive from memory while the ones before it are tested.
constexpr std::size_t kNamesAhead = 16;

// A 24-byte record crosses a cache line in a third of the cases, and a name often does too:
// both ends are asked for.
inline void AskForRecord(const FileRecord& record) {
    __builtin_prefetch(&record.frn);
    __builtin_prefetch(&record.flags);
}
inline void AskForName(const FileTable& table, const FileRecord& record) {
    const std::uint8_t* name = table.Names().At(record.NameOffset());
    __builtin_prefetch(name);
    __builtin_prefetch(name + (record.IsWide() ? 2u : 1u) * record.nameLength);
}

inline NameSignature SignatureOf(const FileTable& table, std::size_t index) {
    return table.Segment(index >> kSegmentShift).signatures[index & (kSegmentRecords - 1)];
}

// The positions of [from, to) whose name may hold every unit of the query, into `picked`;
// their records are asked for at once. A whole scan's [from, to) lies in one segment. False
// when the program is closing.
bool PickCandidates(const VolumeScan& scan, const Block& block, std::size_t from, std::size_t to,
                    std::uint32_t* picked, std::size_t& count) {
    const FileTable& table = *scan.table;
    if (!block.candidates) {
        const std::size_t base = from & ~(kSegmentRecords - 1);
        if (!PickByPairsAndSignature(
                table.Segment(from >> kSegmentShift), scan.pairQuery, scan.needed, from - base,
                to - base, static_cast<std::uint32_t>(base), picked, count, ExitRequested)) {
            return false;
        }
        for (std::size_t j = 0; j < count; ++j)
            AskForRecord(table.Record(picked[j]));
        return true;
    }
    // Typing ahead: the earlier hits' positions, gathered.
    count = 0;
    for (std::size_t k = from; k < to; ++k) {
        if (ExitRequested.load(std::memory_order_relaxed))
            return false;
        const std::size_t index = scan.previous[k].recordIndex;
        if ((SignatureOf(table, index) & scan.needed) == scan.needed) {
            picked[count++] = static_cast<std::uint32_t>(index);
            AskForRecord(table.Record(index));
        }
    }
    return true;
}

// Tests the picked records in order, asking for names kNamesAhead candidates ahead, into the
// next chunk's candidates once this chunk's run out.
void TestCandidates(const VolumeScan& scan, Block& block, const std::uint32_t* picked,
                    std::size_t count, const std::uint32_t* next, std::size_t nextCount) {
    const FileTable& table = *scan.table;
    for (std::size_t j = 0; j < count; ++j) {
        const std::size_t ahead = j + kNamesAhead;
        if (ahead < count)
            AskForName(table, table.Record(picked[ahead]));
        else if (ahead - count < nextCount)
            AskForName(table, table.Record(next[ahead - count]));
        const FileRecord& record = table.Record(picked[j]);
        if (Matches(scan, record))
            TakeHit(scan, block, record, picked[j]);
    }
}

// False when the search was overtaken or the program is closing.
//
// Each chunk is read in two passes, a chunk apart. The first streams the signatures, keeps the
// positions whose name may hold the query and asks for their records; the second, run once the
// next chunk's first pass has given the records time to arrive, tests them. The candidates of
// a two-letter query are one record in ten, scattered: without the requests ahead each would
// wait for its record and then for its name.
bool ScanBlock(const VolumeScan& scan, Block& block) {
    std::uint32_t picked[2][kGenerationCheckInterval];
    std::size_t counts[2] = {0, 0};
    std::size_t current = 0;
    bool pending = false;
    std::size_t chunkEnd = 0;
    for (std::size_t chunk = block.begin; chunk < block.end; chunk = chunkEnd) {
        if (!StillCurrent(scan.generation) || scan.cancelled->load(std::memory_order_relaxed))
            return false;
        chunkEnd = block.end - chunk < kGenerationCheckInterval ? block.end
                                                                : chunk + kGenerationCheckInterval;
        if (!block.candidates) {
            // A chunk of a whole scan stays inside one segment.
            const std::size_t segmentEnd = (chunk | (kSegmentRecords - 1)) + 1;
            if (chunkEnd > segmentEnd)
                chunkEnd = segmentEnd;
        }
        const std::size_t next = 1 - current;
        if (!PickCandidates(scan, block, chunk, chunkEnd, picked[next], counts[next]))
            return false;
        if (pending)
            TestCandidates(scan, block, picked[current], counts[current], picked[next],
                           counts[next]);
        current = next;
        pending = true;
    }
    if (pending)
        TestCandidates(scan, block, picked[current], counts[current], nullptr, 0);
    return true;
}

// Room the first block reserves: every record of every volume, so that the join appends the
// other blocks into it and no array grows (and is copied and faulted in again) while a letter
// finds millions of hits. Pages never written cost address space only, which a 64-bit process
// has plenty of; a 32-bit one lets the array grow instead.
constexpr bool kReserveWholeScan = sizeof(void*) >= 8;

// [begin, end) cut into `parts` contiguous blocks.
void AddBlocks(std::vector<Block>& blocks, bool candidates, std::size_t begin, std::size_t end,
               std::size_t wholeScan) {
    if (begin >= end)
        return;
    const std::size_t length = end - begin;
    const std::size_t parts = length >= kParallelAbove ? WorkerCount() : 1;
    for (std::size_t p = 0; p < parts; ++p) {
        Block& block = blocks.emplace_back();
        block.candidates = candidates;
        block.begin = begin + length * p / parts;
        block.end = begin + length * (p + 1) / parts;
        // Arrays kept from earlier searches: no fresh page is touched unless this scan finds
        // more hits than any before it. A block can hit each record (or earlier hit) it reads;
        // the first reserves room for the others too, as their join target (a fresh array
        // when no kept one is that large: the room costs address space until it is written).
        std::size_t room = block.end - block.begin;
        if (!kReserveWholeScan && !candidates)
            room = 0;
        else if (kReserveWholeScan && blocks.size() == 1)
            room = wholeScan;
        block.hits = TakeHitVector(room);
        block.hits.reserve(room);
    }
}

// The previous list can stand in for the records before its scan when it is a whole scan of
// the same volumes whose query the new one contains: a name that did not contain the shorter
// query cannot contain the longer one, names never change in place, and dead records never
// come back to life. Only the volume's renumbering (compaction, rebuild) breaks it.
const HitVolume* NarrowableVolume(const ResultList* previous, const std::u16string& folded,
                                  const VolumeIndex& volume, std::size_t slot) {
    if (previous == nullptr || !previous->wholeScan || previous->scanQuery.empty() ||
        folded.find(previous->scanQuery) == std::u16string::npos ||
        slot >= previous->volumes.size()) {
        return nullptr;
    }
    const HitVolume& before = previous->volumes[slot];
    if (before.volume != &volume || before.renumberGeneration != volume.renumberGeneration.load() ||
        before.recordCount > volume.table.Size()) {
        return nullptr;
    }
    // Earlier hits are read by position, a record and a name at a time; a whole scan streams
    // both arrays. Past a quarter of the records the stream is the faster of the two.
    if (before.hitCount > before.recordCount / kNarrowBelowShare)
        return nullptr;
    return &before;
}

void ReturnBlocks(std::vector<Block>& blocks) {
    for (Block& block : blocks) {
        ReturnHitVector(std::move(block.hits));
        ReturnHitVector(std::move(block.narrowed));
    }
}

// A list stays on screen, holding its array, until the next one replaces it. A narrow list
// left in the room a whole scan reserved would keep that room from the pool, and the next
// broad letter would fault in a fresh one (a hundred megabytes at ten million names): a list
// that fills little of its room moves into an array near its own size, kept or fresh, and the
// large one goes back for the next scan.
constexpr std::size_t kFitBelowShare = 8;

bool Roomy(const HitVector& hits, std::size_t items) {
    return items <= hits.capacity() / kFitBelowShare;
}

// Empty, with room for `items`: a kept array at most twice that large, else a fresh one.
HitVector ArrayNear(std::size_t items) {
    HitVector near = TakeHitVector(items, 2 * items);
    near.reserve(items);
    return near;
}

HitVector FittedHits(HitVector hits) {
    if (!Roomy(hits, hits.size()))
        return hits;
    try {
        HitVector fitted = ArrayNear(hits.size());
        fitted.assign(hits.begin(), hits.end());
        ReturnHitVector(std::move(hits));
        return fitted;
    } catch (const std::bad_alloc&) {
        // The list keeps its room: only the next scan's head start is lost.
        return hits;
    }
}

// The blocks' hits in block order, which is record order: one array moved when there is
// one block, else one copy into an array kept from earlier searches.
PooledHits JoinHits(std::vector<Block>& blocks, bool narrowed) {
    std::size_t total = 0;
    std::size_t filled = 0;
    for (const Block& block : blocks) {
        const std::size_t size = narrowed ? block.narrowed.size() : block.hits.size();
        total += size;
        filled += size > 0 ? 1 : 0;
    }
    if (filled <= 1) {
        for (Block& block : blocks) {
            HitVector& source = narrowed ? block.narrowed : block.hits;
            if (!source.empty())
                return PooledHits(FittedHits(std::move(source)));
        }
        return PooledHits();
    }
    // Into the first block's array when it has the room (it reserved it) and the list fills
    // enough of it, else into one kept from earlier searches or, for a narrow list, one near
    // its size.
    HitVector& first = narrowed ? blocks.front().narrowed : blocks.front().hits;
    HitVector joined;
    if (first.capacity() < total) {
        joined = TakeHitVector(total);
    } else if (Roomy(first, total)) {
        try {
            joined = ArrayNear(total);
        } catch (const std::bad_alloc&) {
            joined = std::move(first);
        }
    } else {
        joined = std::move(first);
    }
    const bool appending = !joined.empty();
    joined.reserve(total);
    for (std::size_t b = appending ? 1 : 0; b < blocks.size(); ++b) {
        const HitVector& source = narrowed ? blocks[b].narrowed : blocks[b].hits;
        joined.insert(joined.end(), source.begin(), source.end());
    }
    return PooledHits(std::move(joined));
}

}  // namespace

ResultList MatchVolumes(const SearchEngine& engine, const std::u16string& query,
                        std::uint64_t generation) {
    return MatchVolumes(engine, query, generation, ScanOptions{});
}

ResultList MatchVolumes(const SearchEngine& engine, const std::u16string& query,
                        std::uint64_t generation, const ScanOptions& options) {
    ResultList result;
    if (!engine.ready.load() || ExitRequested.load())
        return result;
    const std::u16string folded = FoldAscii(query);
    const FoldedNeedle needle(folded);

    const CategoryClassifier classifier(ScanCategories());
    const bool counting = classifier.Usable();
    const std::int32_t category =
        counting && options.category > 0 &&
                static_cast<std::size_t>(options.category) < classifier.CategoryCount()
            ? options.category
            : 0;
    auto counts = std::make_shared<ScanCounts>();
    counts->categoriesIdentity = classifier.Identity();
    counts->categoryCount = classifier.CategoryCount();

    std::vector<Block> blocks;
    std::atomic<bool> cancelled{false};
    std::size_t wholeScan = 0;
    for (const std::unique_ptr<VolumeIndex>& volume : engine.volumes) {
        std::shared_lock<SrwLock> guard(volume->lock);
        wholeScan += volume->table.Size();
    }
    // The volume list is complete and unchanging once `ready` is set.
    for (std::size_t slot = 0; slot < engine.volumes.size(); ++slot) {
        VolumeIndex& volume = *engine.volumes[slot];
        const std::size_t firstBlock = blocks.size();
        HitVolume& entry = result.volumes.emplace_back();
        entry.volume = &volume;
        {
            // One shared hold for all of the volume's blocks, so that every block sees the
            // same table; the helper threads read under the hold of this thread, which joins
            // them before it lets go.
            std::shared_lock<SrwLock> guard(volume.lock);
            entry.renumberGeneration = volume.renumberGeneration.load();
            entry.deathCount = volume.deathCounter.load();
            // A hit keeps its position in 32 bits: no table holds four billion records.
            const std::size_t count = std::min<std::size_t>(volume.table.Size(), UINT32_MAX);
            entry.recordCount = count;
            const HitVolume* before = NarrowableVolume(options.previous, folded, volume, slot);
            if (before != nullptr) {
                AddBlocks(blocks, true, before->firstHit, before->firstHit + before->hitCount,
                          wholeScan);
                AddBlocks(blocks, false, static_cast<std::size_t>(before->recordCount), count,
                          wholeScan);
            } else {
                AddBlocks(blocks, false, 0, count, wholeScan);
            }
            const VolumeScan scan{&volume.table,
                                  NameSignatureOf(folded.data(), folded.size()),
                                  PairQueryOf(folded.data(), folded.size()),
                                  static_cast<std::uint16_t>(slot),
                                  &needle,
                                  generation,
                                  counting ? &classifier : nullptr,
                                  category,
                                  before != nullptr ? options.previous->items.begin() : nullptr,
                                  &cancelled};
            try {
                RunBlocks(blocks.size() - firstBlock, [&](std::size_t k) {
                    if (!ScanBlock(scan, blocks[firstBlock + k]))
                        cancelled.store(true);
                });
            } catch (...) {
                ReturnBlocks(blocks);
                throw;
            }
        }
        if (cancelled.load()) {
            ReturnBlocks(blocks);
            return ResultList{};
        }
        std::vector<std::uint64_t>& perCategory = counts->perVolume.emplace_back();
        perCategory.assign(classifier.CategoryCount() > 0 ? classifier.CategoryCount() : 1, 0);
        entry.firstHit = 0;
        for (std::size_t b = 0; b < firstBlock; ++b)
            entry.firstHit += blocks[b].hits.size();
        for (std::size_t b = firstBlock; b < blocks.size(); ++b) {
            entry.hitCount += blocks[b].hits.size();
            for (std::size_t k = 0; k < perCategory.size() && counting; ++k)
                perCategory[k] += blocks[b].counts[k];
        }
    }

    try {
        result.items = JoinHits(blocks, false);
        if (category > 0) {
            auto narrowed = std::make_shared<ResultList>();
            narrowed->items = JoinHits(blocks, true);
            narrowed->volumes = result.volumes;
            narrowed->details = result.details;
            result.narrowed = std::move(narrowed);
            result.narrowedCategory = category;
        }
    } catch (...) {
        ReturnBlocks(blocks);
        throw;
    }
    ReturnBlocks(blocks);
    if (counting)
        result.counts = std::move(counts);
    result.scanQuery = folded;
    result.wholeScan = true;
    return result;
}

}  // namespace kx
