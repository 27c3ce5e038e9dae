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

bool CompareMatchItems(std::int32_t column, bool ascending, const SortKey& a, const SortKey& b) {
    switch (column) {
        case kColumnName:
            return Ordered(ascending, CompareFoldedText(a.name, b.name));
        case kColumnSize:
            if (a.isDirectory != b.isDirectory)
                return ascending ? a.isDirectory : b.isDirectory;
            return Ordered(ascending, CompareValues(a.item->size, b.item->size));
        case kColumnModified:
            // CompareFileTime compares the two FILETIMEs as unsigned 64-bit values.
            return Ordered(ascending, CompareValues(a.item->lastWriteTime, b.item->lastWriteTime));
        case kColumnCreated:
            return Ordered(ascending, CompareValues(a.item->creationTime, b.item->creationTime));
        case kColumnPath:
            return Ordered(ascending, CompareFoldedText(a.item->fullPath, b.item->fullPath));
        default:
            return false;
    }
}

}  // namespace kx
