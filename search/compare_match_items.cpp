#include "search/compare_match_items.h"

#include "common/ascii_fold.h"

namespace kx {

namespace {

template <typename T>
int CompareValues(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

bool Ordered(bool ascending, int c) {
    return ascending ? c < 0 : c > 0;
}

}  // namespace

int CompareFoldedText(const std::u16string& a, const std::u16string& b) {
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
        const char16_t x = FoldAscii(a[i]);
        const char16_t y = FoldAscii(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return CompareValues(a.size(), b.size());
}

int CompareFoldedUnits(const char16_t* a, std::size_t aLength, const char16_t* b,
                       std::size_t bLength) {
    const std::size_t common = aLength < bLength ? aLength : bLength;
    for (std::size_t i = 0; i < common; ++i) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    }
    return CompareValues(aLength, bLength);
}

std::uint64_t FoldedPrefixKey(const NameView& name, std::size_t from) {
    std::uint64_t key = 0;
    for (std::size_t i = from; i < from + 4; ++i)
        key = (key << 16) | (i < name.length ? name.FoldedUnit(i) : 0u);
    return key;
}

bool CompareMatchItems(std::int32_t column, bool ascending, const SortKey& a, const SortKey& b) {
    switch (column) {
        case kColumnSize:
            if (a.isDirectory != b.isDirectory)
                return ascending ? a.isDirectory : b.isDirectory;
            return Ordered(ascending, CompareValues(a.details->size, b.details->size));
        case kColumnModified:
            // CompareFileTime compares the two FILETIMEs as unsigned 64-bit values.
            return Ordered(ascending,
                           CompareValues(a.details->lastWriteTime, b.details->lastWriteTime));
        case kColumnCreated:
            return Ordered(ascending,
                           CompareValues(a.details->creationTime, b.details->creationTime));
        case kColumnPath:
            return Ordered(ascending, CompareFoldedText(a.details->fullPath, b.details->fullPath));
        default:
            return false;
    }
}

}  // namespace kx
