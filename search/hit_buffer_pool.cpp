#include "search/hit_buffer_pool.h"

#include <mutex>
#include <utility>

#include "search/match_item.h"

namespace kx {

namespace {

// Enough for the list on screen, the one being built and the scan's per-block arrays of a
// letter matching most of ten million names; on a 32-bit process, where the index and the
// hits share 2 to 4 GiB of address space, much less is held back.
constexpr std::size_t kMaxKeptArrays = 6;
constexpr std::size_t kMaxKeptBytes =
    sizeof(void*) >= 8 ? std::size_t{768} << 20 : std::size_t{192} << 20;

// Never destroyed: result lists are held by globals and detached threads that may give their
// arrays back while the process is exiting, after any static would have been destroyed.
std::mutex& PoolMutexRef() {
    static std::mutex* mutex = new std::mutex;
    return *mutex;
}
std::vector<HitVector>& Kept() {
    static std::vector<HitVector>* kept = [] {
        auto* slots = new std::vector<HitVector>;
        slots->reserve(kMaxKeptArrays);
        return slots;
    }();
    return *kept;
}

std::size_t BytesOf(const HitVector& hits) {
    return hits.capacity() * sizeof(MatchItem);
}

}  // namespace

HitVector TakeHitVector(std::size_t wanted) {
    HitVector taken;
    std::lock_guard<std::mutex> guard(PoolMutexRef());
    std::vector<HitVector>& kept = Kept();
    if (kept.empty())
        return taken;
    // The smallest array that is large enough, else the largest: a big array is not spent on
    // a small list while a large one is being built.
    std::size_t best = kept.size();
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const std::size_t capacity = kept[i].capacity();
        if (best == kept.size()) {
            best = i;
            continue;
        }
        const std::size_t bestCapacity = kept[best].capacity();
        const bool fits = capacity >= wanted;
        const bool bestFits = bestCapacity >= wanted;
        if ((fits && (!bestFits || capacity < bestCapacity)) ||
            (!fits && !bestFits && capacity > bestCapacity)) {
            best = i;
        }
    }
    taken = std::move(kept[best]);
    kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(best));
    return taken;
}

void ReturnHitVector(HitVector&& hits) {
    if (hits.capacity() == 0)
        return;
    hits.clear();
    HitVector dropped;
    {
        std::lock_guard<std::mutex> guard(PoolMutexRef());
        std::vector<HitVector>& kept = Kept();
        std::size_t bytes = BytesOf(hits);
        for (const HitVector& held : kept)
            bytes += BytesOf(held);
        if (kept.size() < kMaxKeptArrays && bytes <= kMaxKeptBytes) {
            // Reserved up front, so that keeping an array never allocates; when even that
            // fails the array is simply freed.
            try {
                kept.push_back(std::move(hits));
                return;
            } catch (...) {
            }
        }
        dropped = std::move(hits);
    }
    // Freed outside the mutex.
}

void ClearHitPool() {
    std::vector<HitVector> dropped;
    std::lock_guard<std::mutex> guard(PoolMutexRef());
    dropped.swap(Kept());
}

std::size_t HitPoolBytes() {
    std::lock_guard<std::mutex> guard(PoolMutexRef());
    std::size_t bytes = 0;
    for (const HitVector& held : Kept())
        bytes += BytesOf(held);
    return bytes;
}

PooledHits::PooledHits() = default;
PooledHits::PooledHits(HitVector hits) : hits_(std::move(hits)) {}
PooledHits::PooledHits(PooledHits&& other) noexcept : hits_(std::move(other.hits_)) {}
PooledHits& PooledHits::operator=(PooledHits&& other) noexcept {
    if (this != &other) {
        ReturnHitVector(std::move(hits_));
        hits_ = std::move(other.hits_);
    }
    return *this;
}
PooledHits::~PooledHits() {
    ReturnHitVector(std::move(hits_));
}

std::size_t PooledHits::size() const {
    return hits_.size();
}
bool PooledHits::empty() const {
    return hits_.empty();
}
const MatchItem& PooledHits::operator[](std::size_t i) const {
    return hits_[i];
}
MatchItem& PooledHits::operator[](std::size_t i) {
    return hits_[i];
}
const MatchItem* PooledHits::begin() const {
    return hits_.data();
}
const MatchItem* PooledHits::end() const {
    return hits_.data() + hits_.size();
}

}  // namespace kx
