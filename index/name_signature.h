// Which code units a folded name holds, summed up in 32 bits per record. A name lacking a unit
// of the query cannot contain the query, so the scan reads the 4-byte summaries in one stream
// and touches the record and the name only where every unit of the query may be present:
// for a query of two letters that is a few names in a hundred instead of all of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "index/file_record.h"

namespace kx {

// One bit per ASCII letter and one for all digits, so a letter's bit is set exactly when the
// letter occurs; every other unit shares one of the five bits left.
constexpr std::uint32_t NameSignatureBit(char16_t folded) {
    if (folded >= u'a' && folded <= u'z')
        return 1u << (folded - u'a');
    if (folded >= u'0' && folded <= u'9')
        return 1u << 26;
    return 1u << (27 + folded % 5);
}

inline std::uint32_t NameSignatureOf(const char16_t* folded, std::size_t length) {
    std::uint32_t signature = 0;
    for (std::size_t i = 0; i < length; ++i)
        signature |= NameSignatureBit(folded[i]);
    return signature;
}

// Gives every record from signatures.size() on its signature, so that the array covers the
// table again. The caller holds the volume's lock exclusively, or the table is private.
void ExtendNameSignatures(const std::vector<FileRecord>& records,
                          std::vector<std::uint32_t>& signatures);

}  // namespace kx
