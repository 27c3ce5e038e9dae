// Large blocks straight from the system for the tables (record segments, name chunks, the frn
// map). The system hands out pages already zeroed and maps each one only when it is first
// touched, so the room a table keeps for growth and never writes costs address space only. The
// C library's calloc gives no such promise: a block it carves from its own heap it clears, which
// touches every page of it (glibc does so for blocks of a thread's heap, where the enumeration's
// parser allocates).
#pragma once

#include <cstddef>

namespace kx {

// Zeroed, readable and writable memory of `bytes`, or null when the system has none.
void* AllocatePages(std::size_t bytes);
// Gives back a block of AllocatePages with the size it was asked with.
void FreePages(void* block, std::size_t bytes);

}  // namespace kx
