// Which code units a folded name holds, summed up in 32 bits per record. A name lacking a unit
// of the query cannot contain the query, so the scan reads the 4-byte summaries in one stream and
// touches the record and the name only where the query may occur. Pairs of units are left to the
// letter-pair runs, which rule out 16 records at a time: 32 hashed pair bits per record as well
// cost 4 bytes a record (40 MB at ten million names) and, timed beside these in the keystroke
// benchmark, won nothing beyond its noise, while single letters streamed twice the bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/ascii_fold.h"
#include "index/name_view.h"

namespace kx {

using NameSignature = std::uint32_t;

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

// Folds as it goes, so that it serves stored names and folded queries alike.
template <typename Unit>
NameSignature NameSignatureOfUnits(const Unit* units, std::size_t length) {
    NameSignature signature = 0;
    for (std::size_t i = 0; i < length; ++i)
        signature |= NameSignatureBit(FoldAscii(static_cast<char16_t>(units[i])));
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
