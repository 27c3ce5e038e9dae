#include "search/sort_key_pass.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "search/category_classifier.h"
#include "search/category_filter.h"
#include "search/compare_match_items.h"
#include "search/hit_record.h"
#include "search/parallel_blocks.h"

namespace kx {

namespace {

// Hits per block of the walk: a multiple of 64, so that each word of the selection bits
// belongs to one block.
constexpr std::size_t kBlockHits = 64 * 1024;

const FileRecord* RecordOf(const ResultList& list, std::size_t position) {
    const HitRef hit = list.Hit(position);
    return hit.volume != nullptr ? FindHitRecord(*hit.volume, hit) : nullptr;
}

NameView NameOf(const ResultList& list, std::size_t position, const FileRecord* record) {
    if (record == nullptr)
        return NameView{};  // a gone hit: an empty name
    return list.volumes[list.items[position].volumeSlot].volume->table.Name(*record);
}

void SetNameKey(const NameView& name, SortEntry& entry) {
    VisitUnits(name, [&](auto units, std::size_t length) { SetTextKey(units, length, entry); });
}

void SetPathKey(const HitDetails& details, SortEntry& entry) {
    SetTextKey(details.fullPath.data(), details.fullPath.size(), entry);
}

// The folded unit of a text at `depth`, or -1 past its end, which goes before every unit.
int UnitAt(const NameView& name, std::size_t depth) {
    return depth < name.length ? name.FoldedUnit(depth) : -1;
}
int UnitAt(const std::u16string* path, std::size_t depth) {
    return depth < path->size() ? FoldAscii((*path)[depth]) : -1;
}
// A name stored one byte a unit, as nearly all are: read without asking its width per unit.
struct NarrowName {
    const std::uint8_t* bytes;
    std::size_t length;
};
int UnitAt(const NarrowName& name, std::size_t depth) {
    if (depth >= name.length)
        return -1;
    const int unit = name.bytes[depth];
    return unit >= 'A' && unit <= 'Z' ? unit + ('a' - 'A') : unit;
}

std::size_t LengthOf(const NameView& name) {
    return name.length;
}
std::size_t LengthOf(const std::u16string* path) {
    return path->size();
}

// Units of a text whose whole code lies within a text key: texts of equal keys agree on them.
template <typename Text>
std::size_t UnitsInKey(const Text& text) {
    std::size_t bytes = 0;
    std::size_t units = 0;
    for (; units < LengthOf(text); ++units) {
        bytes += CodeBytesOf(static_cast<char16_t>(UnitAt(text, units)));
        if (bytes > kTextKeyBytes)
            break;
    }
    return units;
}

template <typename Text>
struct Tied {
    Text text;
    SortEntry entry;
};

// Orders texts that agree before `depth` by three-way radix quicksort: each step splits by one
// unit into those below, equal to and above a pivot's, so that texts equal for a long way (the
// same file name in many folders) cost one pass per unit, not a comparison per pair.
template <typename Text>
void OrderFrom(Tied<Text>* first, Tied<Text>* end, std::size_t depth) {
    while (end - first > 1) {
        if (end - first <= 8) {
            for (Tied<Text>* i = first + 1; i < end; ++i) {
                for (Tied<Text>* j = i; j > first; --j) {
                    std::size_t d = depth;
                    int a = UnitAt(j->text, d), b = UnitAt((j - 1)->text, d);
                    while (a == b && a >= 0) {
                        ++d;
                        a = UnitAt(j->text, d);
                        b = UnitAt((j - 1)->text, d);
                    }
                    if (a >= b)
                        break;
                    std::swap(*j, *(j - 1));
                }
            }
            return;
        }
        std::swap(*first, first[(end - first) / 2]);
        const int pivot = UnitAt(first->text, depth);
        // [first, less): below; [less, i): equal; [greater, end): above.
        Tied<Text>* less = first;
        Tied<Text>* i = first;
        Tied<Text>* greater = end;
        while (i < greater) {
            const int unit = UnitAt(i->text, depth);
            if (unit < pivot)
                std::swap(*less++, *i++);
            else if (unit > pivot)
                std::swap(*i, *--greater);
            else
                ++i;
        }
        OrderFrom(first, less, depth);
        OrderFrom(greater, end, depth);
        if (pivot < 0)
            return;  // the equal part ended together: equal texts
        first = less;
        end = greater;
        ++depth;
    }
}

// Equal as stored, unit for unit: what copies of one name in many folders nearly always are.
bool SameUnits(const NameView& a, const NameView& b) {
    return a.length == b.length && a.wide == b.wide &&
           std::memcmp(a.bytes, b.bytes, a.length * (a.wide ? 2u : 1u)) == 0;
}
bool SameUnits(const std::u16string* a, const std::u16string* b) {
    return *a == *b;
}
bool IsNarrow(const NameView& name) {
    return !name.wide;
}
bool IsNarrow(const std::u16string*) {
    return false;
}
NarrowName NarrowOf(const NameView& name) {
    return NarrowName{name.bytes, name.length};
}
NarrowName NarrowOf(const std::u16string*) {
    return NarrowName{nullptr, 0};  // never asked: paths are not narrow
}

// Sorts tied entries by their texts, each fetched once (fetch(k, position) for the k-th).
template <typename Text, typename Fetch>
void OrderByText(SortEntry* first, SortEntry* end, Fetch fetch) {
    thread_local std::vector<Tied<Text>> tied;
    tied.clear();
    for (SortEntry* entry = first; entry != end; ++entry)
        tied.push_back(
            Tied<Text>{fetch(static_cast<std::size_t>(entry - first), entry->position), *entry});
    bool same = true;
    bool narrow = true;
    for (std::size_t k = 0; k < tied.size() && (same || narrow); ++k) {
        same = same && SameUnits(tied[0].text, tied[k].text);
        narrow = narrow && IsNarrow(tied[k].text);
    }
    if (same)
        return;  // equal texts: any order is theirs
    const std::size_t depth = UnitsInKey(tied[0].text);
    if (!narrow) {
        OrderFrom(tied.data(), tied.data() + tied.size(), depth);
    } else {
        thread_local std::vector<Tied<NarrowName>> narrowTied;
        narrowTied.clear();
        for (const Tied<Text>& t : tied)
            narrowTied.push_back(Tied<NarrowName>{NarrowOf(t.text), t.entry});
        OrderFrom(narrowTied.data(), narrowTied.data() + narrowTied.size(), depth);
        for (std::size_t k = 0; k < narrowTied.size(); ++k)
            tied[k].entry = narrowTied[k].entry;
    }
    for (std::size_t k = 0; k < tied.size(); ++k)
        first[k] = tied[k].entry;
}

struct BlockCounts {
    std::vector<std::vector<std::uint64_t>> found;
    std::vector<std::vector<std::uint64_t>> live;
};

void Add(std::vector<std::vector<std::uint64_t>>& into,
         const std::vector<std::vector<std::uint64_t>>& from) {
    for (std::size_t slot = 0; slot < into.size(); ++slot) {
        for (std::size_t k = 0; k < into[slot].size(); ++k)
            into[slot][k] += from[slot][k];
    }
}

}  // namespace

void HitTextTies::Order(SortEntry* first, SortEntry* end) const {
    if (texts_.column == kColumnPath) {
        const auto& details = *texts_.details;
        OrderByText<const std::u16string*>(first, end, [&](std::size_t, std::uint32_t position) {
            return &details[position]->fullPath;
        });
        return;
    }
    const ResultList& list = *texts_.list;
    // Each tied hit is three reads at random places (its item, its record, its name): asked for
    // a step ahead for the whole run, so that they overlap instead of waiting one by one.
    thread_local std::vector<const FileRecord*> records;
    records.clear();
    for (const SortEntry* entry = first; entry != end; ++entry)
        __builtin_prefetch(&list.items[entry->position]);
    for (const SortEntry* entry = first; entry != end; ++entry) {
        const HitRef hit = list.Hit(entry->position);
        if (hit.volume != nullptr)
            PrefetchHitRecord(*hit.volume, hit);
    }
    for (const SortEntry* entry = first; entry != end; ++entry) {
        const FileRecord* record = RecordOf(list, entry->position);
        if (record != nullptr)
            list.volumes[list.items[entry->position].volumeSlot].volume->table.PrefetchName(
                *record);
        records.push_back(record);
    }
    OrderByText<NameView>(first, end, [&](std::size_t k, std::uint32_t position) {
        return NameOf(list, position, records[k]);
    });
}

bool BuildSortKeys(const SortTexts& texts, std::int32_t category,
                   const std::function<bool()>& stopped, std::vector<SortEntry>& entries,
                   SortCensus& census) {
    const ResultList& list = *texts.list;
    const std::size_t count = list.size();
    const std::int32_t column = texts.column;
    const CategoryClassifier classifier(ScanCategories());
    census.classified = classifier.Usable();
    census.categoriesIdentity = classifier.Identity();
    census.categoryCount = std::max<std::size_t>(classifier.CategoryCount(), 1);
    const std::vector<std::uint64_t> none(census.categoryCount, 0);
    census.found.assign(list.volumes.size(), none);
    census.live.assign(list.volumes.size(), none);
    const bool selecting = category > 0 && census.classified;
    census.selected.assign(selecting ? (count + 63) / 64 : 0, 0);
    entries.resize(count);

    std::mutex adding;
    const bool locksHeld = column == kColumnName;
    const std::size_t blockCount = (count + kBlockHits - 1) / kBlockHits;
    bool stop = false;
    RunBlocks(blockCount, [&](std::size_t block) {
        BlockCounts counts{{list.volumes.size(), none}, {list.volumes.size(), none}};
        VolumeReadLock readLock;
        const std::size_t end = std::min(count, (block + 1) * kBlockHits);
        for (std::size_t i = block * kBlockHits; i < end; ++i) {
            if (stopped()) {
                std::lock_guard<std::mutex> guard(adding);
                stop = true;
                return;
            }
            const MatchItem& item = list.items[i];
            VolumeIndex* volume = list.volumes[item.volumeSlot].volume;
            if (volume != nullptr && !locksHeld)
                readLock.Hold(volume);
            const FileRecord* record = volume != nullptr ? RecordOf(list, i) : nullptr;
            SortEntry& entry = entries[i];
            entry.position = static_cast<std::uint32_t>(i);
            switch (column) {
                case kColumnName:
                    SetNameKey(NameOf(list, i, record), entry);
                    break;
                case kColumnSize:
                    SetNumberKey((*texts.details)[i]->size,
                                 record != nullptr && record->IsDirectory(), entry);
                    break;
                case kColumnModified:
                    SetTimeKey((*texts.details)[i]->lastWriteTime, entry);
                    break;
                case kColumnCreated:
                    SetTimeKey((*texts.details)[i]->creationTime, entry);
                    break;
                default:
                    SetPathKey(*(*texts.details)[i], entry);
                    break;
            }
            if (record == nullptr || !census.classified)
                continue;
            const std::uint64_t mask = classifier.MaskOf(volume->table, *record);
            const bool alive = !record->IsDead();
            for (std::size_t k = 0; k < census.categoryCount; ++k) {
                if (k == 0 || CategoryClassifier::InCategory(mask, static_cast<std::int32_t>(k))) {
                    ++counts.found[item.volumeSlot][k];
                    counts.live[item.volumeSlot][k] += alive ? 1 : 0;
                }
            }
            if (selecting && CategoryClassifier::InCategory(mask, category))
                census.selected[i / 64] |= std::uint64_t{1} << (i % 64);
        }
        std::lock_guard<std::mutex> guard(adding);
        Add(census.found, counts.found);
        Add(census.live, counts.live);
    });
    return !stop;
}

}  // namespace kx
