// Which code units, and which pairs of them, a folded name holds, summed up in 64 bits per
// record. A name lacking a unit or a pair of the query cannot contain the query, so the scan
// reads the 8-byte summaries in one stream and touches the record and the name only where the
// query may occur: for "con" about one name in eight instead of every name.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/ascii_fold.h"
#include "index/name_view.h"

namespace kx {

// 64 bits: the low 32 tell which units a name holds, the high 32 which pairs of adjacent units.
// A query's pairs must all be pairs of any name that contains it, and the pairs rule out far
// more names than the units alone: of names holding a "c", an "o" and an "n", most do not hold
// "co" and "on" side by side.
using NameSignature = std::uint64_t;

// One bit per ASCII letter, so a letter's bit is set exactly when the letter occurs; one for all
// digits; one for every unit from 0x80 on, which no 8-bit name has, so that a query holding such
// a unit passes over every 8-bit name in the first, streaming pass; the other units share the
// four bits left.
constexpr NameSignature NameSignatureBit(char16_t folded) {
    if (folded >= u'a' && folded <= u'z')
        return NameSignature{1} << (folded - u'a');
    if (folded >= u'0' && folded <= u'9')
        return NameSignature{1} << 26;
    if (folded >= 0x80)
        return NameSignature{1} << 27;
    return NameSignature{1} << (28 + folded % 4);
}

// A pair of adjacent units, hashed to one of the high 32 bits (multiplicative hashing: the top
// five bits of the product).
constexpr NameSignature NameSignaturePairBit(char16_t first, char16_t second) {
    const std::uint32_t pair = (std::uint32_t{first} << 16) | second;
    return NameSignature{1} << (32 + ((pair * 2654435761u) >> 27));
}

// Folds as it goes, so that it serves stored names and folded queries alike.
template <typename Unit>
NameSignature NameSignatureOfUnits(const Unit* units, std::size_t length) {
    NameSignature signature = 0;
    char16_t before = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const char16_t unit = FoldAscii(static_cast<char16_t>(units[i]));
        signature |= NameSignatureBit(unit);
        if (i > 0)
            signature |= NameSignaturePairBit(before, unit);
        before = unit;
    }
    return signature;
}

inline NameSignature NameSignatureOf(const char16_t* folded, std::size_t length) {
    return NameSignatureOfUnits(folded, length);
}

inline NameSignature NameSignatureOf(const NameView& name) {
    return VisitUnits(name, [](const auto* units, std::size_t length) {
        return NameSignatureOfUnits(units, length);
    });
}

}  // namespace kx
