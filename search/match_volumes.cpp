#include "search/match_volumes.h"

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
#include "search/scan_blocks.h"
#include "search/signature_filter.h"

namespace kx {

namespace {

// Records (or earlier hits) a scan's two passes take at a time: few enough that the records the
// first pass asks for are still in the cache when the second tests them.
constexpr std::size_t kChunkRecords = 1024;
// Records between two looks at the shared generation counter, which other cores write.
constexpr std::size_t kGenerationCheckInterval = 1024;
// Typing ahead scans the earlier hits only while they are at most this share of the records.
constexpr std::uint64_t kNarrowBelowShare = 4;

inline bool StillCurrent(std::uint64_t generation) {
    return SearchGeneration.load(std::memory_order_relaxed) == generation;
}

// What every volume's scan reads: the query in the forms the passes use, and the categories.
struct Scanning {
    explicit Scanning(const ScanRequest& request)
        : folded(FoldAscii(request.query)),
          needle(folded),
          needed(NameSignatureOf(folded.data(), folded.size())),
          pairQuery(PairQueryOf(folded.data(), folded.size())),
          generation(request.generation),
          classifier(ScanCategories()),
          counting(request.countCategories && classifier.Usable()),
          category(counting ? CategoryOrAll(request.category, classifier.CategoryCount()) : 0),
          previous(request.previous) {}

    const std::u16string folded;
    const FoldedNeedle needle;
    const NameSignature needed;  // the query's signature
    const PairQuery pairQuery;   // the query's letter pairs; empty: no run is ruled out
    const std::uint64_t generation;
    const CategoryClassifier classifier;
    const bool counting;          // hits are counted per category as they are found
    const std::int32_t category;  // narrowed list wanted for it; 0 for none
    const ResultList* previous;
};

// What every block of one volume reads.
struct VolumeScan {
    const Scanning& scanning;
    const FileTable& table;
    std::uint16_t slot;
    const MatchItem* previous;  // the earlier hits, for candidate blocks
    std::atomic<bool>& cancelled;
};

// Why this is fast: records are visited in memory order and names were appended in the same
// order, so every stream is read sequentially and the prefetcher keeps up. A record costs a
// test of its 4-byte name signature; only a record whose name may hold every unit of the query
// costs a flag test and a length test before its name is touched at all; the name is compared
// in place, folded as it is read. Only hits cost more: a 16-byte append to an array kept from
// earlier searches, and a table lookup of the extension's categories. The shared generation
// counter, which other cores write, is read once per 1024 records.
inline void TakeHit(const VolumeScan& scan, Block& block, const FileRecord& record,
                    std::size_t index) {
    const MatchItem item{record.frn, static_cast<std::uint32_t>(index), scan.slot, 0};
    block.hits.push_back(item);
    if (!scan.scanning.counting)
        return;
    ++block.counts[0];
    std::uint64_t mask = scan.scanning.classifier.MaskOf(scan.table, record);
    if (mask == 0)
        return;
    if (CategoryClassifier::InCategory(mask, scan.scanning.category))
        block.narrowed.push_back(item);
    while (mask != 0) {
        ++block.counts[static_cast<std::size_t>(__builtin_ctzll(mask))];
        mask &= mask - 1;
    }
}

inline bool Matches(const VolumeScan& scan, const FileRecord& record) {
    return !record.IsDead() && ContainsFolded(scan.table.Name(record), scan.scanning.needle);
}

// How far ahead of the candidate being tested the scan asks for a candidate's name: far
// enough for the name to arrive from memory while the ones before it are tested.
constexpr std::size_t kNamesAhead = 16;

// The positions of [from, to) whose name may hold every unit of the query, into `picked`;
// their records are asked for at once. A whole scan's [from, to) lies in one segment. False
// when the program is closing.
bool PickCandidates(const VolumeScan& scan, const Block& block, std::size_t from, std::size_t to,
                    std::uint32_t* picked, std::size_t& count) {
    const FileTable& table = scan.table;
    const NameSignature needed = scan.scanning.needed;
    if (!block.typingAhead) {
        const SegmentView segment = table.SegmentOf(from);
        if (!PickByPairsAndSignature(segment, scan.scanning.pairQuery, needed,
                                     from - segment.First(), to - segment.First(), picked, count,
                                     ExitRequested)) {
            return false;
        }
        for (std::size_t j = 0; j < count; ++j)
            table.PrefetchRecord(table.Record(picked[j]));
        return true;
    }
    // Typing ahead: the earlier hits' positions, gathered.
    count = 0;
    for (std::size_t k = from; k < to; ++k) {
        if (ExitRequested.load(std::memory_order_relaxed))
            return false;
        const std::size_t index = scan.previous[k].recordIndex;
        if ((table.Signature(index) & needed) == needed) {
            picked[count++] = static_cast<std::uint32_t>(index);
            table.PrefetchRecord(table.Record(index));
        }
    }
    return true;
}

// Tests the picked records in order, asking for names kNamesAhead candidates ahead, into the
// next chunk's candidates once this chunk's run out.
void TestCandidates(const VolumeScan& scan, Block& block, const std::uint32_t* picked,
                    std::size_t count, const std::uint32_t* next, std::size_t nextCount) {
    const FileTable& table = scan.table;
    for (std::size_t j = 0; j < count; ++j) {
        const std::size_t ahead = j + kNamesAhead;
        if (ahead < count)
            table.PrefetchName(table.Record(picked[ahead]));
        else if (ahead - count < nextCount)
            table.PrefetchName(table.Record(next[ahead - count]));
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
    std::uint32_t picked[2][kChunkRecords];
    std::size_t counts[2] = {0, 0};
    std::size_t current = 0;
    bool pending = false;
    std::size_t chunkEnd = 0;
    std::size_t sinceCheck = kGenerationCheckInterval;
    for (std::size_t chunk = block.begin; chunk < block.end; chunk = chunkEnd) {
        if (sinceCheck >= kGenerationCheckInterval) {
            if (!StillCurrent(scan.scanning.generation) ||
                scan.cancelled.load(std::memory_order_relaxed)) {
                return false;
            }
            sinceCheck = 0;
        }
        chunkEnd = block.end - chunk < kChunkRecords ? block.end : chunk + kChunkRecords;
        if (!block.typingAhead) {
            // A chunk of a whole scan stays inside one segment.
            const std::size_t segmentEnd = FileTable::SegmentEnd(chunk);
            if (chunkEnd > segmentEnd)
                chunkEnd = segmentEnd;
        }
        sinceCheck += chunkEnd - chunk;
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

// Scans one volume under one shared hold of its lock, so that every block sees the same table;
// the helper threads read under the hold of this thread, which joins them before it lets go.
void ScanVolume(VolumeIndex& volume, std::size_t slot, std::vector<Block>& blocks,
                ScanArrays& arrays, const Scanning& scanning, ResultList& result,
                ScanCounts* counts, std::atomic<bool>& cancelled) {
    const std::size_t firstBlock = blocks.size();
    HitVolume& entry = result.volumes.emplace_back();
    entry.volume = &volume;
    {
        std::shared_lock<SrwLock> guard(volume.lock);
        entry.renumberGeneration = volume.renumberGeneration.load();
        entry.deathsEver = volume.deathsEver.load();
        // A hit keeps its position in 32 bits: no table holds four billion records.
        const std::size_t count = std::min<std::size_t>(volume.table.Size(), UINT32_MAX);
        entry.recordCount = count;
        const HitVolume* before =
            NarrowableVolume(scanning.previous, scanning.folded, volume, slot);
        if (before != nullptr) {
            AddBlocks(blocks, arrays, true, before->firstHit, before->firstHit + before->hitCount);
            AddBlocks(blocks, arrays, false, static_cast<std::size_t>(before->recordCount), count);
        } else {
            AddBlocks(blocks, arrays, false, 0, count);
        }
        const VolumeScan scan{scanning, volume.table, static_cast<std::uint16_t>(slot),
                              before != nullptr ? scanning.previous->items.begin() : nullptr,
                              cancelled};
        RunBlocks(blocks.size() - firstBlock, [&](std::size_t k) {
            if (!ScanBlock(scan, blocks[firstBlock + k]))
                cancelled.store(true);
        });
    }
    for (std::size_t b = 0; b < firstBlock; ++b)
        entry.firstHit += blocks[b].hits.size();
    for (std::size_t b = firstBlock; b < blocks.size(); ++b)
        entry.hitCount += blocks[b].hits.size();
    if (counts == nullptr)
        return;
    std::vector<std::uint64_t>& perCategory = counts->perVolume.emplace_back();
    perCategory.assign(std::max<std::size_t>(counts->categoryCount, 1), 0);
    for (std::size_t b = firstBlock; b < blocks.size(); ++b) {
        for (std::size_t k = 0; k < perCategory.size(); ++k)
            perCategory[k] += blocks[b].counts[k];
    }
}

}  // namespace

ResultList MatchVolumes(const SearchEngine& engine, const ScanRequest& request) {
    ResultList result;
    if (!engine.ready.load() || ExitRequested.load())
        return result;
    const Scanning scanning(request);
    std::shared_ptr<ScanCounts> counts;
    if (scanning.counting) {
        counts = std::make_shared<ScanCounts>();
        counts->categoriesIdentity = scanning.classifier.Identity();
        counts->categoryCount = scanning.classifier.CategoryCount();
    }

    HitArena& arena = *HitArenaOf(engine);
    ScanArrays arrays{arena.TakeList(RecordRoomFor(engine.RecordCount())), arena.TakeBlocks()};
    std::vector<Block> blocks;
    std::atomic<bool> cancelled{false};
    try {
        // The volume list is complete and unchanging once `ready` is set.
        for (std::size_t slot = 0; slot < engine.volumes.size() && !cancelled.load(); ++slot) {
            ScanVolume(*engine.volumes[slot], slot, blocks, arrays, scanning, result, counts.get(),
                       cancelled);
        }
        if (cancelled.load()) {
            ReturnBlocks(blocks, arrays);
            return ResultList{};
        }
        JoinHits(blocks);
        if (scanning.category > 0) {
            result.narrowed = NarrowedList(result, JoinNarrowed(blocks, arena));
            result.narrowedCategory = scanning.category;
        }
        ReturnBlocks(blocks, arrays);
        result.items = std::move(arrays.list);
    } catch (...) {
        ReturnBlocks(blocks, arrays);
        throw;
    }
    result.counts = std::move(counts);
    result.scanQuery = scanning.folded;
    result.wholeScan = true;
    return result;
}

}  // namespace kx
