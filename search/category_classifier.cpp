#include "search/category_classifier.h"

#include "common/ascii_fold.h"

namespace kx {

namespace {

// Folds as it goes, so that stored names of either width and folded extensions hash alike.
template <typename Unit>
std::uint32_t HashUnits(const Unit* units, std::size_t length) {
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < length; ++i)
        hash = (hash ^ FoldAscii(static_cast<char16_t>(units[i]))) * 16777619u;
    return hash;
}

template <typename Unit>
bool SameFolded(const std::u16string& folded, const Unit* units, std::size_t length) {
    if (folded.size() != length)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        if (folded[i] != FoldAscii(static_cast<char16_t>(units[i])))
            return false;
    }
    return true;
}

}  // namespace

CategoryClassifier::CategoryClassifier(std::shared_ptr<const CategoryList> categories)
    : categories_(std::move(categories)) {
    if (categories_->size() > kMaxCategories) {
        usable_ = false;
        return;
    }
    std::size_t entries = 0;
    for (const FilterCategory& category : *categories_)
        entries += category.extensions.size();
    std::size_t size = 16;
    while (size < entries * 2)
        size *= 2;
    slots_.resize(size);
    for (std::size_t k = 1; k < categories_->size(); ++k) {
        for (const std::u16string& extension : (*categories_)[k].extensions) {
            // Entries are stored folded and begin with "."; one that could never equal a
            // name's extension (empty) is simply never found.
            if (extension.empty())
                continue;
            std::size_t at = HashUnits(extension.data(), extension.size()) & (size - 1);
            while (!slots_[at].extension.empty() && slots_[at].extension != extension)
                at = (at + 1) & (size - 1);
            slots_[at].extension = extension;
            slots_[at].mask |= std::uint64_t{1} << k;
        }
    }
}

std::uint64_t CategoryClassifier::MaskOfExtension(const NameView& name, std::size_t from,
                                                  std::size_t length) const {
    return VisitUnits(name, [&](const auto* units, std::size_t) {
        const auto* extension = units + from;
        const std::size_t size = slots_.size();
        std::size_t at = HashUnits(extension, length) & (size - 1);
        for (;;) {
            const Slot& slot = slots_[at];
            if (slot.extension.empty())
                return std::uint64_t{0};
            if (SameFolded(slot.extension, extension, length))
                return slot.mask;
            at = (at + 1) & (size - 1);
        }
    });
}

}  // namespace kx
