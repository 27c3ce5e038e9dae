// The one walk over a list's hits that a sort makes, on every worker: each hit's key for the
// column, and what the sorted list must carry so that the window walks no hit after it (the
// hits of the selected category, and the tag counts).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "search/match_item.h"
#include "search/sort_keys.h"

namespace kx {

struct SortCensus {
    bool classified = false;  // false when the categories could not be classified
    const void* categoriesIdentity = nullptr;
    std::size_t categoryCount = 0;
    // [slot][category] over the hits found, and over those of them whose record was alive.
    std::vector<std::vector<std::uint64_t>> found;
    std::vector<std::vector<std::uint64_t>> live;
    // Bit i set when hit i passes the selected category (empty for category 0).
    std::vector<std::uint64_t> selected;

    bool Selected(std::size_t i) const { return ((selected[i / 64] >> (i % 64)) & 1u) != 0; }
};

// What a text sort reads again for hits whose keys tie.
struct SortTexts {
    const ResultList* list = nullptr;
    std::int32_t column = 0;
    const std::vector<HitDetails*>* details = nullptr;  // for the path, by position
};

// Orders hits whose keys tie by their names (of the records the hits find) or paths. Names are
// read with every volume's lock held by the sorting thread.
class HitTextTies final : public TextTies {
  public:
    explicit HitTextTies(const SortTexts& texts) : texts_(texts) {}
    void Order(SortEntry* first, SortEntry* end) const override;

  private:
    SortTexts texts_;
};

// Fills entries (one per hit, in list order) with each hit's key for texts.column and takes
// the census for `category`. details[i] are hit i's loaded details for columns 2 to 5. For the
// name column the caller holds every volume's lock shared, and the walk takes none; otherwise
// each block of hits holds the lock of the volume it reads. False when stopped() said so.
bool BuildSortKeys(const SortTexts& texts, std::int32_t category,
                   const std::function<bool()>& stopped, std::vector<SortEntry>& entries,
                   SortCensus& census);

}  // namespace kx
