#include "search/hit_buffer_pool.h"

#include <algorithm>
#include <mutex>
#include <tuple>
#include <utility>

#include "search/match_item.h"

namespace kx {

namespace {

// Enough for the lists on screen and being built (whole and narrowed) and the scan's per-block
// arrays of a letter matching most of ten million names. What is limited is the memory the
// arrays have touched (their last size), which is what they keep resident; the room a scan
// reserves and never writes costs address space only. A 32-bit process, whose index and hits
// share 2 to 4 GiB of address space, keeps much less.
constexpr std::size_t kMaxKeptArrays = 12;
constexpr std::size_t kMaxKeptBytes =
    sizeof(void*) >= 8 ? std::size_t{512} << 20 : std::size_t{128} << 20;
// The address space all kept arrays may hold, written or not.
constexpr std::size_t kMaxKeptCapacityBytes =
    sizeof(void*) >= 8 ? std::size_t{1536} << 20 : std::size_t{256} << 20;

// Never destroyed: result lists are held by globals and detached threads that may give their
// arrays back while the process is exiting, after any static would have been destroyed.
std::mutex& PoolMutexRef() {
    static std::mutex* mutex = new std::mutex;
    return *mutex;
}
struct KeptArray {
    HitVector hits;
    // The most bytes the array ever held: its pages up to here are mapped, whatever its size
    // was when it came back.
    std::size_t touchedBytes = 0;
};
std::vector<KeptArray>& Kept() {
    static std::vector<KeptArray>* kept = [] {
        auto* slots = new std::vector<KeptArray>;
        slots->reserve(kMaxKeptArrays);
        return slots;
    }();
    return *kept;
}

// The high-water marks of arrays taken from the pool, by address and capacity, so that an
// array comes back with what it touched before it was last taken. An array that grew while out
// has a new address and starts afresh; the oldest entry makes room for a new one. A mark is a
// hint for choosing and bounding, never for correctness: should a freed array's address and
// capacity come back in a new one, the pool merely counts that array's pages as mapped.
struct TakenMark {
    const MatchItem* data = nullptr;
    std::size_t capacity = 0;
    std::size_t touchedBytes = 0;
};
constexpr std::size_t kMarksKept = 32;
TakenMark* TakenMarks() {
    static TakenMark* marks = new TakenMark[kMarksKept]();
    return marks;
}
std::size_t nextMark = 0;

void RememberTaken(const HitVector& hits, std::size_t touchedBytes) {
    TakenMarks()[nextMark] = TakenMark{hits.data(), hits.capacity(), touchedBytes};
    nextMark = (nextMark + 1) % kMarksKept;
}

std::size_t ForgetTaken(const HitVector& hits) {
    for (std::size_t k = 0; k < kMarksKept; ++k) {
        TakenMark& mark = TakenMarks()[k];
        if (mark.data == hits.data() && mark.capacity == hits.capacity()) {
            const std::size_t touched = mark.touchedBytes;
            mark = TakenMark{};
            return touched;
        }
    }
    return 0;
}

}  // namespace

HitVector TakeHitVector(std::size_t wanted, std::size_t most) {
    HitVector taken;
    std::lock_guard<std::mutex> guard(PoolMutexRef());
    std::vector<KeptArray>& kept = Kept();
    // Of the arrays large enough (and not over `most`), the one whose mapped pages leave the
    // fewest to fault in should all `wanted` items be written; of those, the smallest, so that
    // a big array is not spent on a small list while a large one is being built; then the one
    // with the most pages mapped. A whole-scan array a narrow list barely wrote must not be
    // preferred to a slightly larger one a broad letter (or the warm-up) wrote through. None
    // fits: a fresh one, and the kept arrays stay for the blocks that fit them (growing one
    // would free its mapped pages).
    const std::size_t wantedBytes = wanted * sizeof(MatchItem);
    // Smaller is better, compared in order.
    const auto cost = [wantedBytes](const KeptArray& a) {
        const std::size_t fresh = wantedBytes > a.touchedBytes ? wantedBytes - a.touchedBytes : 0;
        return std::make_tuple(fresh, a.hits.capacity(), SIZE_MAX - a.touchedBytes);
    };
    auto best = kept.end();
    for (auto held = kept.begin(); held != kept.end(); ++held) {
        const bool fits = held->hits.capacity() >= wanted && held->hits.capacity() <= most;
        if (fits && (best == kept.end() || cost(*held) < cost(*best)))
            best = held;
    }
    if (best == kept.end())
        return taken;
    taken = std::move(best->hits);
    RememberTaken(taken, best->touchedBytes);
    kept.erase(best);
    return taken;
}

void ReturnHitVector(HitVector&& hits) {
    if (hits.capacity() == 0)
        return;
    std::size_t touched = hits.size() * sizeof(MatchItem);
    hits.clear();
    HitVector dropped;
    {
        std::lock_guard<std::mutex> guard(PoolMutexRef());
        touched = std::max(touched, ForgetTaken(hits));
        std::vector<KeptArray>& kept = Kept();
        // Every slot taken: the smallest kept array may make way for a larger one, so that the
        // arrays of small lists never crowd out the whole-scan array a broad letter needs.
        auto leaving = kept.end();
        if (kept.size() >= kMaxKeptArrays) {
            leaving = std::min_element(kept.begin(), kept.end(),
                                       [](const KeptArray& a, const KeptArray& b) {
                                           return a.hits.capacity() < b.hits.capacity();
                                       });
            if (leaving->hits.capacity() >= hits.capacity())
                leaving = kept.end();
        }
        std::size_t bytes = touched;
        std::size_t capacity = hits.capacity() * sizeof(MatchItem);
        std::size_t slots = 1;
        for (auto held = kept.begin(); held != kept.end(); ++held) {
            if (held == leaving)
                continue;
            bytes += held->touchedBytes;
            capacity += held->hits.capacity() * sizeof(MatchItem);
            ++slots;
        }
        // The room was reserved up front, so keeping an array never allocates.
        if (slots <= kMaxKeptArrays && bytes <= kMaxKeptBytes &&
            capacity <= kMaxKeptCapacityBytes) {
            if (leaving != kept.end()) {
                dropped = std::move(leaving->hits);
                kept.erase(leaving);
            }
            kept.push_back(KeptArray{std::move(hits), touched});
            return;
        }
        dropped = std::move(hits);
    }
    // Freed outside the mutex.
}

void ClearHitPool() {
    std::vector<KeptArray> dropped;
    dropped.reserve(kMaxKeptArrays);
    std::lock_guard<std::mutex> guard(PoolMutexRef());
    dropped.swap(Kept());
    std::fill(TakenMarks(), TakenMarks() + kMarksKept, TakenMark{});
}

std::size_t HitPoolBytes() {
    std::lock_guard<std::mutex> guard(PoolMutexRef());
    std::size_t bytes = 0;
    for (const KeptArray& held : Kept())
        bytes += held.touchedBytes;
    return bytes;
}

std::size_t HitPoolKeepsBytes() {
    return kMaxKeptBytes;
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
