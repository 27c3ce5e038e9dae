// Which code units, and which pairs of them, a folded name holds, summed up in 64 bits per
// record. A name lacking a unit or a pair of the query cannot contain the query, so the scan
// reads the 8-byte summaries in one stream and touches the record and the name only where the
// query may occur: for "con" about one name in eight instead of every name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "index/file_record.h"

namespace kx {

// 64 bits: the low 32 tell which units a name holds, the high 32 which pairs of adjacent units.
// A query's pairs must all be pairs of any name that contains it, and the pairs rule out far
// more names than the units alone: of names holding a "c", an "o" and an "n", most do not hold
// "co" and "on" side by side.
using NameSignature = std::uint64_t;

// One bit per ASCII letter and one for all digits, so a letter's bit is set exactly when the
// letter occurs; every other unit shares one of the five bits left.
constexpr NameSignature NameSignatureBit(char16_t folded) {
    if (folded >= u'a' && folded <= u'z')
        return NameSignature{1} << (folded - u'a');
    if (folded >= u'0' && folded <= u'9')
        return NameSignature{1} << 26;
    return NameSignature{1} << (27 + folded % 5);
}

// A pair of adjacent units, hashed to one of the high 32 bits (multiplicative hashing: the top
// five bits of the product).
constexpr NameSignature NameSignaturePairBit(char16_t first, char16_t second) {
    const std::uint32_t pair = (std::uint32_t{first} << 16) | second;
    return NameSignature{1} << (32 + ((pair * 2654435761u) >> 27));
}

inline NameSignature NameSignatureOf(const char16_t* folded, std::size_t length) {
    NameSignature signature = 0;
    for (std::size_t i = 0; i < length; ++i) {
        signature |= NameSignatureBit(folded[i]);
        if (i + 1 < length)
            signature |= NameSignaturePairBit(folded[i], folded[i + 1]);
    }
    return signature;
}

// Gives every record from signatures.size() on its signature, so that the array covers the
// table again. The caller holds the volume's lock exclusively, or the table is private.
void ExtendNameSignatures(const std::vector<FileRecord>& records,
                          std::vector<NameSignature>& signatures);

}  // namespace kx
