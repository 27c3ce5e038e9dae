// File and directory names for synthetic volumes: words, digits, mixed case, common
// extensions, and a share of CJK and accented names, drawn from a seeded generator so that a
// seed always yields the same names.
#pragma once

#include <cstdint>
#include <string>

namespace kx::sim {

// splitmix64: fast, and the same on every compiler (the standard distributions are not).
struct SyntheticRandom {
    std::uint64_t state;
    std::uint64_t Next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint32_t Below(std::uint32_t bound) { return static_cast<std::uint32_t>(Next() % bound); }
    bool Percent(std::uint32_t percent) { return Below(100) < percent; }
};

// Replace *name (its capacity is reused, so a loop allocates nothing once warm).
void MakeDirectoryName(SyntheticRandom& random, std::u16string* name);
void MakeFileName(SyntheticRandom& random, std::u16string* name);

}  // namespace kx::sim
