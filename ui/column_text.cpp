#include "ui/column_text.h"

#include "search/compare_match_items.h"
#include "search/hit_record.h"

namespace kx {

std::u16string ColumnText(const HitRef& hit, const HitDetails& details, std::int32_t column) {
    switch (column) {
        case kColumnName:
            return CopyHitRecord(hit).name;
        case kColumnSize:
            return CopyHitRecord(hit, false).isDirectory ? std::u16string() : details.sizeText;
        case kColumnModified:
            return details.modifiedText;
        case kColumnCreated:
            return details.createdText;
        case kColumnPath:
            return details.fullPath;
        default:
            return std::u16string();
    }
}

}  // namespace kx
