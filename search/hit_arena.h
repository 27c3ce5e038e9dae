// The arrays a search writes its hits into, kept between keystrokes and used again in place.
// Every keystroke makes a list of up to millions of hits; memory the process wrote before is
// mapped already, while a fresh block costs a page fault per 4 KiB on its first touch (the
// system zeroes every new page), which at ten million names was most of what a keystroke cost.
//
// A scan cuts each volume into a block per scan worker. The first block writes straight into
// the list's array, every other block into an array of its own, and the list's array takes the
// others' hits when they are joined. So the arena keeps:
// - the block arrays of one scan, handed to one scan at a time: for each block, an array of its
//   hits (none for the first, which writes the list's) and one of its hits in the narrowed
//   category;
// - up to four list arrays: the list on screen and the one narrowed to its category, while the
//   next scan or sort fills two more. A list gives its array back when it is freed;
// - the key array of a sort.
// A list narrowed by the window has an array sized for what it holds, and frees it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "index/search_engine.h"
#include "search/sort_keys.h"

namespace kx {

struct MatchItem;
using HitVector = std::vector<MatchItem>;
class HitArena;

// The array a list keeps its hits in.
class HitArray {
  public:
    HitArray() = default;
    // An array of its own, freed with the list.
    explicit HitArray(HitVector hits) : hits_(std::move(hits)) {}
    // An array of the arena's, of which `written` items were written before.
    HitArray(HitVector hits, std::shared_ptr<HitArena> home, std::size_t written)
        : hits_(std::move(hits)), home_(std::move(home)), written_(written) {}
    HitArray(HitArray&& other) noexcept;
    HitArray& operator=(HitArray&& other) noexcept;
    HitArray(const HitArray&) = delete;
    HitArray& operator=(const HitArray&) = delete;
    ~HitArray();

    HitVector& vector() { return hits_; }
    const HitVector& vector() const { return hits_; }
    std::size_t size() const;
    bool empty() const;
    const MatchItem& operator[](std::size_t i) const;
    MatchItem& operator[](std::size_t i);
    const MatchItem* begin() const;
    const MatchItem* end() const;

  private:
    void GiveBack();

    HitVector hits_;
    std::shared_ptr<HitArena> home_;  // the arena it goes back to, if any
    std::size_t written_ = 0;         // items written into it before it was taken
};

class HitArena : public std::enable_shared_from_this<HitArena> {
  public:
    // Lists that keep an array of the arena hold the arena, so it lives as long as they do.
    static std::shared_ptr<HitArena> Create();
    HitArena(const HitArena&) = delete;
    HitArena& operator=(const HitArena&) = delete;

    // An empty array for a scan's list, with room for `room` items: of the kept ones with room
    // enough, the one most written before, whose pages are mapped already (a broad letter
    // after a narrow list then writes no fresh page); a fresh one when none kept has the room.
    HitArray TakeList(std::size_t room);

    // The block arrays of one scan, empty, both indexed by block; given back when the lease
    // ends. One scan at a time: another waits for them, which is short, since a scan that a
    // newer one overtook stops within 1024 records.
    class BlockLease {
      public:
        BlockLease(BlockLease&& other) noexcept;
        BlockLease& operator=(BlockLease&&) = delete;
        ~BlockLease();
        // hitsOfBlock()[b]: block b's hits (left empty for block 0, which writes the list's);
        // narrowedOfBlock()[b]: its hits in the narrowed category.
        std::vector<HitVector>& hitsOfBlock() { return hitsOfBlock_; }
        std::vector<HitVector>& narrowedOfBlock() { return narrowedOfBlock_; }

      private:
        friend class HitArena;
        explicit BlockLease(HitArena* arena) : arena_(arena) {}
        HitArena* arena_;
        std::vector<HitVector> hitsOfBlock_;
        std::vector<HitVector> narrowedOfBlock_;
    };
    BlockLease TakeBlocks();

    // The key array of a sort, empty, with the room of the largest sort so far; given back
    // after the sort, so that the next one writes pages mapped already.
    std::vector<SortEntry> TakeSortEntries();
    void GiveBackSortEntries(std::vector<SortEntry>&& entries);

    // Frees every kept array that is not in use: what an allocation failure does, since memory
    // is what is short then.
    void LetGo();
    // At rest (the window hidden) the arena lets go of every array and keeps none given back
    // meanwhile, so that a tool idle in the tray holds only its index and the lists on screen.
    void SetResting(bool resting);
    // Address space of the arrays at home (not lent to a list or a scan): an upper bound of what
    // they keep resident.
    std::size_t BytesKept() const;
    // The most address space the lists and sort keys at home may take (no limit in a 64-bit
    // process); a list or key array given back beyond it is freed. Block arrays are the scan's
    // and always kept.
    void SetKeptBudget(std::size_t bytes);

  private:
    friend class HitArray;
    HitArena() = default;
    void GiveBackList(HitVector&& hits, std::size_t written);
    // Under mutex_.
    std::size_t KeptBytesLocked(bool withBlocks) const;
    bool WithinBudget(std::size_t adding, std::size_t replacing) const;

    mutable std::mutex mutex_;
    std::condition_variable blocksBack_;
    struct KeptList {
        HitVector hits;
        std::size_t written = 0;  // the most items it ever held: its mapped pages
    };
    std::vector<KeptList> lists_;  // list arrays at home
    bool blocksOut_ = false;
    bool resting_ = false;
    std::size_t keptBudget_ = SIZE_MAX;
    std::vector<HitVector> hitsOfBlock_;
    std::vector<HitVector> narrowedOfBlock_;
    std::vector<SortEntry> sortEntries_;
};

// The engine's arena, made by the first caller.
std::shared_ptr<HitArena> HitArenaOf(const SearchEngine& engine);

}  // namespace kx
