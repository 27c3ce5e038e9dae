// The order of hits for a click on a column title.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "index/name_view.h"
#include "search/match_item.h"

namespace kx {

// Columns of the result list; 0 (row number) is never sorted.
constexpr std::int32_t kColumnRowNumber = 0;
constexpr std::int32_t kColumnName = 1;
constexpr std::int32_t kColumnSize = 2;
constexpr std::int32_t kColumnModified = 3;
constexpr std::int32_t kColumnCreated = 4;
constexpr std::int32_t kColumnPath = 5;

// One hit as the comparison of a details column sees it (names are sorted by their own keys,
// in sort_worker.cpp). The record's kind is copied out of the volume table under its lock
// before the sort starts, because the journal monitor may append to or compact the table while
// the sort runs; the details (size, times, path) are the hit's.
struct SortKey {
    const HitDetails* details = nullptr;
    bool isDirectory = false;
};

// Compares code unit by code unit with only A to Z folded; a string that ends first is the
// smaller. Negative, zero or positive.
int CompareFoldedText(const std::u16string& a, const std::u16string& b);
// The same over texts already folded.
int CompareFoldedUnits(const char16_t* a, std::size_t aLength, const char16_t* b,
                       std::size_t bLength);

// Units from..from+3 of a name, folded, packed high to low into 64 bits, a name that ends
// before padded with 0: comparing two of these as unsigned numbers orders names as
// CompareFoldedText does, except where they are equal, which leaves the order to the rest.
std::uint64_t FoldedPrefixKey(const NameView& name, std::size_t from);

// True when a goes before b for a details column (size to path) and direction. Equal keys
// compare false both ways; any other column compares false.
bool CompareMatchItems(std::int32_t column, bool ascending, const SortKey& a, const SortKey& b);

}  // namespace kx
