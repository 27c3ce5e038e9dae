// Path lookups on a simulated volume. A lookup by name needs the children of a directory by
// name, so the first one builds an index by (parent record, folded name) that every later
// change keeps current; volumes nobody looks up by path never pay for it.
#include <string>

#include "common/ascii_fold.h"
#include "platform/sim/sim_volume_state.h"
#include "platform/usn_layout.h"

namespace kx::sim {

namespace {

// Loops in the parent links (possible in a loaded MFT file) stop a walk after this many steps.
constexpr int kMaxDepth = 4096;

std::uint64_t ChildKey(std::uint64_t parentRecord, std::u16string_view name) {
    std::uint64_t hash = 14695981039346656037ull ^ (parentRecord * 0x9E3779B97F4A7C15ull);
    for (const char16_t unit : name) {
        hash ^= FoldAscii(unit);
        hash *= 1099511628211ull;
    }
    return hash;
}

bool SameNameIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    }
    return true;
}

std::uint64_t KeyOf(const SimVolumeState& state, std::uint64_t record) {
    const EntrySlot& slot = state.entries[record];
    return ChildKey(RecordNumberOf(slot.parentFrn), NameOf(state, slot));
}

void BuildChildIndex(SimVolumeState& state) {
    state.childIndex = std::make_unique<std::unordered_multimap<std::uint64_t, std::uint64_t>>();
    state.childIndex->reserve(state.entries.size());
    for (std::uint64_t record = 0; record < state.entries.size(); ++record) {
        if (state.entries[record].inUse && record != RecordNumberOf(kRootDirectoryFrn))
            state.childIndex->emplace(KeyOf(state, record), record);
    }
}

std::optional<std::uint64_t> ChildNamed(const SimVolumeState& state, std::uint64_t parentFrn,
                                        std::u16string_view name) {
    const auto range = state.childIndex->equal_range(ChildKey(RecordNumberOf(parentFrn), name));
    for (auto it = range.first; it != range.second; ++it) {
        const EntrySlot& slot = state.entries[it->second];
        if (slot.inUse && slot.parentFrn == parentFrn &&
            SameNameIgnoringCase(NameOf(state, slot), name))
            return it->second;
    }
    return std::nullopt;
}

}  // namespace

void IndexChild(SimVolumeState& state, std::uint64_t record) {
    if (state.childIndex)
        state.childIndex->emplace(KeyOf(state, record), record);
}

void UnindexChild(SimVolumeState& state, std::uint64_t record) {
    if (!state.childIndex)
        return;
    const auto range = state.childIndex->equal_range(KeyOf(state, record));
    for (auto it = range.first; it != range.second; ++it) {
        if (it->second == record) {
            state.childIndex->erase(it);
            return;
        }
    }
}

std::optional<std::uint64_t> RecordAtPath(SimVolumeState& state, std::u16string_view path) {
    if (!state.childIndex)
        BuildChildIndex(state);
    std::uint64_t current = kRootDirectoryFrn;
    std::uint64_t record = RecordNumberOf(kRootDirectoryFrn);
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = path.find(u'\\', start);
        if (end == std::u16string_view::npos)
            end = path.size();
        // Doubled and trailing separators name nothing more, as Windows paths allow.
        if (end > start) {
            const auto child = ChildNamed(state, current, path.substr(start, end - start));
            if (!child)
                return std::nullopt;
            record = *child;
            current = FrnOf(state, record);
        }
        start = end + 1;
    }
    return record;
}

std::u16string PathBelowRoot(const SimVolumeState& state, std::uint64_t record) {
    std::vector<std::uint64_t> chain;
    std::uint64_t frn = FrnOf(state, record);
    for (int depth = 0; depth < kMaxDepth && frn != kRootDirectoryFrn; ++depth) {
        const EntrySlot* slot = LiveSlot(state, frn);
        if (slot == nullptr)
            break;
        chain.push_back(RecordNumberOf(frn));
        frn = slot->parentFrn;
    }
    std::u16string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.empty())
            path += u'\\';
        path += NameOf(state, state.entries[*it]);
    }
    return path;
}

}  // namespace kx::sim
