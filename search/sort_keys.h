// Integer keys for a column sort and the sort over them. A comparison that reads strings, or
// a record under its volume's lock, costs a cache miss or a lock per call, and a sort of
// millions of hits makes tens of millions of calls. So every hit's key is built once, into 16
// bytes beside its position, and the hits are ordered by radix over those bytes; only hits
// whose keys tie all the way read their texts again, and then only the part past the key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace kx {

// A hit as the sort moves it: 12 bytes of key, compared as one unsigned number (high, then
// low), and the hit's position in the list being sorted.
struct SortEntry {
    std::uint64_t high = 0;
    std::uint32_t low = 0;
    std::uint32_t position = 0;
};
static_assert(sizeof(SortEntry) == 16, "a sort costs 16 bytes a hit");

// Text keys. A folded unit u is written as one byte u + 1 below 0x7E, else as the three bytes
// 0x7F, u >> 8, u & 0xFF; the end of the text as 0. That code orders byte by byte as the texts
// order unit by unit (with only A to Z folded; a text that ends first is the smaller), and a
// text key holds the first kTextKeyBytes bytes of it and a last byte that is 1 when the code
// goes on past them. Keys that differ order their texts; equal keys whose last byte is 0 are
// equal texts; equal keys that go on are told apart by their texts.
constexpr std::size_t kTextKeyBytes = 11;

// Bytes of the code of one folded unit.
inline std::size_t CodeBytesOf(char16_t folded) {
    return folded < 0x7E ? 1 : 3;
}

template <typename Unit>
void SetTextKey(const Unit* units, std::size_t length, SortEntry& entry) {
    std::uint8_t bytes[kTextKeyBytes + 1] = {};
    std::size_t at = 0;  // bytes of the code so far
    bool goesOn = false;
    for (std::size_t i = 0; i < length; ++i) {
        char16_t u = static_cast<char16_t>(units[i]);
        if (u >= u'A' && u <= u'Z')
            u = static_cast<char16_t>(u + (u'a' - u'A'));
        if (CodeBytesOf(u) == 1) {
            if (at == kTextKeyBytes) {
                goesOn = true;
                break;
            }
            bytes[at++] = static_cast<std::uint8_t>(u + 1);
            continue;
        }
        const std::uint8_t code[3] = {0x7F, static_cast<std::uint8_t>(u >> 8),
                                      static_cast<std::uint8_t>(u & 0xFF)};
        for (std::uint8_t byte : code) {
            if (at == kTextKeyBytes) {
                goesOn = true;
                break;
            }
            bytes[at++] = byte;
        }
        if (goesOn)
            break;
    }
    bytes[kTextKeyBytes] = goesOn ? 1 : 0;
    std::uint64_t high = 0;
    for (std::size_t i = 0; i < 8; ++i)
        high = (high << 8) | bytes[i];
    std::uint32_t low = 0;
    for (std::size_t i = 8; i < 12; ++i)
        low = (low << 8) | bytes[i];
    entry.high = high;
    entry.low = low;
}

inline bool TextGoesOn(const SortEntry& entry) {
    return (entry.low & 0xFFu) != 0;
}

// Number keys: a signed 64-bit value in the order of its sign and size, after a kind that goes
// before every value of the other kind (first: the directories of a size sort).
inline void SetNumberKey(std::int64_t value, bool first, SortEntry& entry) {
    const std::uint64_t ordered = static_cast<std::uint64_t>(value) ^ (std::uint64_t{1} << 63);
    entry.high = (first ? 0 : std::uint64_t{1} << 63) | (ordered >> 1);
    entry.low = static_cast<std::uint32_t>(ordered & 1u);
}
// An unsigned 64-bit value (a file time as CompareFileTime orders it).
inline void SetTimeKey(std::uint64_t value, SortEntry& entry) {
    entry.high = value;
    entry.low = 0;
}

// Orders entries whose text keys are all the same and go on by their whole texts (as the text
// comparison does: only A to Z folded). Called from several threads at once, for different
// entries.
class TextTies {
  public:
    virtual ~TextTies() = default;
    virtual void Order(SortEntry* first, SortEntry* end) const = 0;
};

// Orders entries by key, ascending, on up to WorkerCount() threads; hits with equal keys end
// in no particular order. With `ties`, the keys are text keys, and entries whose keys tie and
// go on are ordered by their texts. False when `stopped` said so before the end (it
// is asked now and then); the order is then unfinished.
bool SortEntries(std::vector<SortEntry>& entries, const TextTies* ties,
                 const std::function<bool()>& stopped);

}  // namespace kx
