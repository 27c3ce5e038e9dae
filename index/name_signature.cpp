#include "index/name_signature.h"

namespace kx {

void ExtendNameSignatures(const std::vector<FileRecord>& records,
                          std::vector<NameSignature>& signatures) {
    if (signatures.size() >= records.size())
        return;
    if (signatures.capacity() < records.capacity())
        signatures.reserve(records.capacity());
    for (std::size_t i = signatures.size(); i < records.size(); ++i)
        signatures.push_back(NameSignatureOf(records[i].FoldedName(), records[i].nameLength));
}

}  // namespace kx
