// The arrays of the first keystroke, faulted in before it. From the second broad letter on a
// keystroke writes arrays the arena kept, mapped already; the first would write fresh pages
// instead, a fault per 4 KiB (about 4 s per GiB under Wine, and Windows zeroes each new page),
// which at ten million names was most of the first key's wait. So once the index is ready a
// background thread runs a scan that every live record passes, which writes every array a whole
// scan uses, and gives them back to the arena; and it writes the key array of a sort of every
// record, for the first click on a column title.
#pragma once

#include <cstddef>

#include "index/search_engine.h"

namespace kx {

// The scan itself, on this thread. It stops early when a search starts (the generation moves
// on) or the program closes; an allocation failure ends it quietly. Returns the hits written.
std::size_t WarmHitArena(const SearchEngine& engine);

// WarmHitArena on a thread of its own, counted in WorkerThreadsRunning, again after each pause
// in typing while searches keep overtaking it; without a thread to be had, nothing is warmed. In
// a 32-bit process only what the arena's budget lets it keep stays warm.
void StartHitArenaWarmup(const SearchEngine& engine);

// The window was hidden: the arena gives its arrays back and keeps none until WakeHitArena.
void RestHitArena(const SearchEngine& engine);
// The window is shown again: the arena keeps arrays again and is warmed in the background, so
// that the first broad letter after the rest writes no fresh page.
void WakeHitArena(const SearchEngine& engine);

}  // namespace kx
