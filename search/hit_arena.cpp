#include "search/hit_arena.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/process_memory.h"
#include "search/match_item.h"

namespace kx {

namespace {

// The list on screen and the one narrowed to its category, and the two a scan is filling.
constexpr std::size_t kKeptLists = 4;
// A 32-bit process shares 2 to 4 GiB of address space between the index, the lists on screen
// and what the arena keeps: the arena keeps at most this share of it. At ten million names that
// is about five arrays of every record, enough for the arrays a broad letter writes.
constexpr std::size_t kKeptShareOfAddressSpace = 5;

}  // namespace

HitArray::HitArray(HitArray&& other) noexcept
    : hits_(std::move(other.hits_)), home_(std::move(other.home_)), written_(other.written_) {}

std::size_t HitArray::size() const {
    return hits_.size();
}
bool HitArray::empty() const {
    return hits_.empty();
}
const MatchItem& HitArray::operator[](std::size_t i) const {
    return hits_[i];
}
MatchItem& HitArray::operator[](std::size_t i) {
    return hits_[i];
}
const MatchItem* HitArray::begin() const {
    return hits_.data();
}
const MatchItem* HitArray::end() const {
    return hits_.data() + hits_.size();
}

HitArray& HitArray::operator=(HitArray&& other) noexcept {
    if (this != &other) {
        GiveBack();
        hits_ = std::move(other.hits_);
        home_ = std::move(other.home_);
        written_ = other.written_;
    }
    return *this;
}

HitArray::~HitArray() {
    GiveBack();
}

void HitArray::GiveBack() {
    if (home_) {
        home_->GiveBackList(std::move(hits_), written_);
        home_.reset();
    }
    HitVector().swap(hits_);
}

std::shared_ptr<HitArena> HitArena::Create() {
    std::shared_ptr<HitArena> arena(new HitArena());
    // Room made once, so that a list giving its array back (from a destructor) never allocates.
    arena->lists_.reserve(kKeptLists);
    if (sizeof(void*) < 8)
        arena->keptBudget_ = AddressSpaceBytes() / kKeptShareOfAddressSpace;
    return arena;
}

HitArray HitArena::TakeList(std::size_t room) {
    KeptList taken;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        auto best = lists_.end();
        for (auto kept = lists_.begin(); kept != lists_.end(); ++kept) {
            if (kept->hits.capacity() >= room &&
                (best == lists_.end() || kept->written > best->written))
                best = kept;
        }
        if (best != lists_.end()) {
            taken = std::move(*best);
            lists_.erase(best);
        }
    }
    taken.hits.reserve(room);
    return HitArray(std::move(taken.hits), shared_from_this(), taken.written);
}

void HitArena::GiveBackList(HitVector&& hits, std::size_t written) {
    HitVector dropped;
    written = std::max(written, hits.size());
    hits.clear();
    std::lock_guard<std::mutex> guard(mutex_);
    if (hits.capacity() > 0 && !resting_ && lists_.size() < lists_.capacity() &&
        WithinBudget(hits.capacity() * sizeof(MatchItem), 0)) {
        lists_.push_back(KeptList{std::move(hits), written});
        return;
    }
    dropped = std::move(hits);
    // Freed once the mutex is let go: dropped is destroyed after the guard.
}

HitArena::BlockLease HitArena::TakeBlocks() {
    BlockLease lease(this);
    std::unique_lock<std::mutex> guard(mutex_);
    blocksBack_.wait(guard, [this] { return !blocksOut_; });
    blocksOut_ = true;
    lease.hitsOfBlock_.swap(hitsOfBlock_);
    lease.narrowedOfBlock_.swap(narrowedOfBlock_);
    guard.unlock();
    for (HitVector& hits : lease.hitsOfBlock_)
        hits.clear();
    for (HitVector& hits : lease.narrowedOfBlock_)
        hits.clear();
    return lease;
}

HitArena::BlockLease::BlockLease(BlockLease&& other) noexcept
    : arena_(other.arena_),
      hitsOfBlock_(std::move(other.hitsOfBlock_)),
      narrowedOfBlock_(std::move(other.narrowedOfBlock_)) {
    other.arena_ = nullptr;
}

HitArena::BlockLease::~BlockLease() {
    if (arena_ == nullptr)
        return;
    {
        std::lock_guard<std::mutex> guard(arena_->mutex_);
        if (!arena_->resting_) {
            arena_->hitsOfBlock_.swap(hitsOfBlock_);
            arena_->narrowedOfBlock_.swap(narrowedOfBlock_);
        }
        arena_->blocksOut_ = false;
    }
    arena_->blocksBack_.notify_one();
}

std::vector<SortEntry> HitArena::TakeSortEntries() {
    std::vector<SortEntry> entries;
    std::lock_guard<std::mutex> guard(mutex_);
    entries.swap(sortEntries_);
    entries.clear();
    return entries;
}

void HitArena::GiveBackSortEntries(std::vector<SortEntry>&& entries) {
    std::vector<SortEntry> dropped;
    std::lock_guard<std::mutex> guard(mutex_);
    if (!resting_ && entries.capacity() > sortEntries_.capacity() &&
        WithinBudget(entries.capacity() * sizeof(SortEntry),
                     sortEntries_.capacity() * sizeof(SortEntry))) {
        dropped.swap(sortEntries_);
        sortEntries_.swap(entries);
    }
    // What is not kept is freed once the mutex is let go (dropped, and the caller's vector).
}

void HitArena::LetGo() {
    // Freed under the mutex: moving them out would need memory, which is what is short.
    std::lock_guard<std::mutex> guard(mutex_);
    lists_.clear();
    std::vector<SortEntry>().swap(sortEntries_);
    if (!blocksOut_) {
        hitsOfBlock_.clear();
        narrowedOfBlock_.clear();
    }
}

void HitArena::SetResting(bool resting) {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        resting_ = resting;
    }
    if (resting)
        LetGo();
}

std::shared_ptr<HitArena> HitArenaOf(const SearchEngine& engine) {
    // Never destroyed: lists freed while the process exits may still reach an engine's arena.
    static std::mutex* making = new std::mutex;
    std::lock_guard<std::mutex> guard(*making);
    if (!engine.hitArena)
        engine.hitArena = HitArena::Create();
    return engine.hitArena;
}

void HitArena::SetKeptBudget(std::size_t bytes) {
    std::lock_guard<std::mutex> guard(mutex_);
    keptBudget_ = bytes;
}

bool HitArena::WithinBudget(std::size_t adding, std::size_t replacing) const {
    const std::size_t kept = KeptBytesLocked(false) - replacing;
    return kept <= keptBudget_ && adding <= keptBudget_ - kept;
}

std::size_t HitArena::BytesKept() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return KeptBytesLocked(true);
}

std::size_t HitArena::KeptBytesLocked(bool withBlocks) const {
    std::size_t items = 0;
    for (const KeptList& kept : lists_)
        items += kept.hits.capacity();
    if (withBlocks) {
        for (const std::vector<HitVector>* arrays : {&hitsOfBlock_, &narrowedOfBlock_}) {
            for (const HitVector& hits : *arrays)
                items += hits.capacity();
        }
    }
    return items * sizeof(MatchItem) + sortEntries_.capacity() * sizeof(SortEntry);
}

}  // namespace kx
