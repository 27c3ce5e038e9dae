#include "search/sort_keys.h"

#include <algorithm>
#include <atomic>
#include <utility>

#include "search/parallel_blocks.h"

namespace kx {

namespace {

constexpr std::size_t kKeyBytes = 12;
// Below this many entries a range is sorted by insertion: a radix pass over 256 buckets costs
// more than the few comparisons.
constexpr std::size_t kInsertionRange = 32;
// A range at least this large asks whether the sort is still wanted before it is sorted.
constexpr std::size_t kAskEvery = 4096;

std::uint8_t ByteOf(const SortEntry& entry, std::size_t byte) {
    return byte < 8 ? static_cast<std::uint8_t>(entry.high >> (56 - 8 * byte))
                    : static_cast<std::uint8_t>(entry.low >> (24 - 8 * (byte - 8)));
}

bool KeyLess(const SortEntry& a, const SortEntry& b) {
    return a.high != b.high ? a.high < b.high : a.low < b.low;
}

bool SameKey(const SortEntry& a, const SortEntry& b) {
    return a.high == b.high && a.low == b.low;
}

// Entries [first, end) whose keys agree on the bytes before `byte`.
struct Range {
    SortEntry* first;
    SortEntry* end;
    std::size_t byte;
    std::size_t size() const { return static_cast<std::size_t>(end - first); }
};

class Sorter {
  public:
    Sorter(const TextTies* ties, const std::function<bool()>& stopped)
        : ties_(ties), stopped_(stopped) {}

    bool Stopped() {
        if (!stop_.load(std::memory_order_relaxed) && stopped_ && stopped_())
            stop_.store(true, std::memory_order_relaxed);
        return stop_.load(std::memory_order_relaxed);
    }

    // Sorts a range completely.
    void Sort(Range range) {
        while (range.size() >= 2) {
            if (range.size() >= kAskEvery && Stopped())
                return;
            if (range.size() <= kInsertionRange) {
                SortSmall(range);
                return;
            }
            if (range.byte == kKeyBytes) {
                // Every key of the range is the same: equal texts, or texts to read on.
                if (GoesOn(*range.first))
                    ties_->Order(range.first, range.end);
                return;
            }
            std::vector<Range> buckets;
            if (!Split(range, buckets))
                continue;  // one bucket: Split moved on to the next byte
            for (const Range& bucket : buckets)
                Sort(bucket);
            return;
        }
    }

    // One radix pass over the first byte of the range at which its keys differ, in place.
    // Fills `buckets` with the non-empty parts; false (and the range moved to the next byte)
    // when every entry falls in one bucket.
    bool Split(Range& range, std::vector<Range>& buckets) {
        std::size_t counts[256] = {};
        for (const SortEntry* e = range.first; e != range.end; ++e)
            ++counts[ByteOf(*e, range.byte)];
        if (counts[ByteOf(*range.first, range.byte)] == range.size()) {
            ++range.byte;
            return false;
        }
        std::size_t next[256];
        std::size_t ends[256];
        std::size_t at = 0;
        for (std::size_t b = 0; b < 256; ++b) {
            next[b] = at;
            at += counts[b];
            ends[b] = at;
        }
        SortEntry* const base = range.first;
        for (std::size_t b = 0; b < 256; ++b) {
            while (next[b] < ends[b]) {
                SortEntry moving = base[next[b]];
                std::uint8_t to = ByteOf(moving, range.byte);
                while (to != b) {
                    std::swap(moving, base[next[to]++]);
                    to = ByteOf(moving, range.byte);
                }
                base[next[b]++] = moving;
            }
        }
        std::size_t start = 0;
        for (std::size_t b = 0; b < 256; ++b) {
            if (counts[b] > 1)
                buckets.push_back(Range{base + start, base + ends[b], range.byte + 1});
            start = ends[b];
        }
        return true;
    }

  private:
    bool GoesOn(const SortEntry& entry) const { return ties_ != nullptr && TextGoesOn(entry); }

    void SortSmall(const Range& range) {
        for (SortEntry* i = range.first + 1; i < range.end; ++i) {
            const SortEntry moving = *i;
            SortEntry* j = i;
            for (; j > range.first && KeyLess(moving, *(j - 1)); --j)
                *j = *(j - 1);
            *j = moving;
        }
        if (ties_ == nullptr)
            return;
        for (SortEntry* run = range.first; run < range.end;) {
            SortEntry* runEnd = run + 1;
            while (runEnd < range.end && SameKey(*runEnd, *run))
                ++runEnd;
            if (runEnd - run > 1 && GoesOn(*run))
                ties_->Order(run, runEnd);
            run = runEnd;
        }
    }

    const TextTies* ties_;
    const std::function<bool()>& stopped_;
    std::atomic<bool> stop_{false};
};

}  // namespace

bool SortEntries(std::vector<SortEntry>& entries, const TextTies* ties,
                 const std::function<bool()>& stopped) {
    Sorter sorter(ties, stopped);
    const std::size_t workers = WorkerCount();
    std::vector<Range> parts{Range{entries.data(), entries.data() + entries.size(), 0}};
    // The first passes, on this thread, cut the entries into parts small enough to share out
    // evenly: a part as large as a worker's share would leave the others idle at the end.
    const std::size_t largest = std::max<std::size_t>(kAskEvery, entries.size() / (workers * 8));
    for (bool cut = workers > 1; cut;) {
        cut = false;
        std::vector<Range> smaller;
        for (Range& part : parts) {
            if (part.size() <= largest || part.byte == kKeyBytes) {
                smaller.push_back(part);
                continue;
            }
            if (sorter.Stopped())
                return false;
            while (part.byte < kKeyBytes && !sorter.Split(part, smaller)) {
            }
            if (part.byte == kKeyBytes)
                smaller.push_back(part);  // one key throughout: sorted by its texts below
            else
                cut = true;
        }
        parts = std::move(smaller);
    }
    std::sort(parts.begin(), parts.end(),
              [](const Range& a, const Range& b) { return a.size() > b.size(); });
    RunBlocks(parts.size(), [&](std::size_t k) { sorter.Sort(parts[k]); });
    return !sorter.Stopped();
}

}  // namespace kx
