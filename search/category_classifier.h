// The filter categories a record passes, answered per hit by a lookup in a small table instead
// of comparing its name with every extension of every category.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "filters/filter_category.h"
#include "index/file_table.h"

namespace kx {

class CategoryClassifier {
  public:
    // Categories 1 to 63 are classified; a list with more is not (Usable() is false).
    static constexpr std::size_t kMaxCategories = 64;

    explicit CategoryClassifier(std::shared_ptr<const CategoryList> categories);

    bool Usable() const { return usable_; }
    std::size_t CategoryCount() const { return categories_->size(); }
    // The list it classifies for; a different list (after a reset) needs a new classifier.
    const void* Identity() const { return categories_.get(); }

    // Bit k set when the record passes category k >= 1: a file whose extension is one of the
    // category's. Directories pass none. Bit 0 is never set.
    std::uint64_t MaskOf(const FileTable& table, const FileRecord& record) const {
        if (record.IsDirectory() || slots_.empty())
            return 0;
        const std::size_t length = table.ExtensionLength(record);
        if (length == 0)
            return 0;
        const NameView name = table.Name(record);
        return MaskOfExtension(name, name.length - length, length);
    }
    // Whether a record of categories `mask` (from MaskOf) passes category >= 1.
    static bool InCategory(std::uint64_t mask, std::int32_t category) {
        return category > 0 && ((mask >> category) & 1u) != 0;
    }
    bool Passes(const FileTable& table, const FileRecord& record, std::int32_t category) const {
        return InCategory(MaskOf(table, record), category);
    }
    // The categories of the extension name[from, from + length), folded as it is read.
    std::uint64_t MaskOfExtension(const NameView& name, std::size_t from, std::size_t length) const;

  private:
    struct Slot {
        std::u16string extension;  // folded, dot included; empty for a free slot
        std::uint64_t mask = 0;
    };

    std::shared_ptr<const CategoryList> categories_;
    std::vector<Slot> slots_;  // open addressing, a power of two, at most half full
    bool usable_ = true;
};

}  // namespace kx
