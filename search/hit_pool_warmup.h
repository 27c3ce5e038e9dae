// The hit arrays of the first keystroke, faulted in before it. The pool keeps the arrays every
// scan used, so from the second broad letter on a keystroke writes memory already mapped; the
// first one would write fresh pages instead, a fault per 4 KiB (about 4 s per GiB under Wine,
// and Windows zeroes each new page), which at ten million names was most of the first key's
// wait. Once the index is ready a background thread writes the arrays a whole scan takes, so
// the first letter finds them in the pool.
#pragma once

#include <cstddef>

#include "index/search_engine.h"

namespace kx {

// Writes and pools the arrays a whole scan of `records` takes on `workers` cores: one with
// room for every record (the first block's, which the others join) and one per other block.
// Stops early when the program is closing or the pool would not keep more; an allocation
// failure ends it quietly. Returns the bytes handed to the pool.
std::size_t WarmHitPool(std::size_t records, std::size_t workers);

// Records of every volume of a ready engine; 0 before it is ready.
std::size_t ReadyRecordCount(const SearchEngine& engine);

// Counts the ready engine's records and warms the pool for them on a thread of its own;
// without a thread to be had, nothing is warmed. Only a 64-bit process, whose address space
// has room to keep such arrays, does it.
void StartHitPoolWarmup(const SearchEngine& engine);

}  // namespace kx
