#include "index/name_pair_runs.h"

#include <algorithm>
#include <new>

namespace kx {

namespace {

using PairSet = std::array<std::uint64_t, kPairWords>;

constexpr std::size_t kBulkRuns = 64;

void AddPair(PairSet& set, int bit) {
    set[static_cast<std::size_t>(bit) / 64] |= std::uint64_t{1} << (bit % 64);
}

// LetterPairBit's test, made once per unit instead of twice.
void AddPairs(const FileRecord& record, PairSet& set) {
    const char16_t* folded = record.FoldedName();
    int before = -1;  // the letter before this unit, 0 to 25, or -1
    for (std::size_t i = 0; i < record.nameLength; ++i) {
        const char16_t unit = folded[i];
        const int letter = unit >= u'a' && unit <= u'z' ? unit - u'a' : -1;
        if (before >= 0 && letter >= 0)
            AddPair(set, before * 26 + letter);
        before = letter;
    }
}

// A run of no pairs at the end of every word, or none at all.
void OpenRun(NamePairRuns& runs) {
    std::size_t opened = 0;
    try {
        for (; opened < kPairWords; ++opened)
            runs.words[opened].push_back(0);
    } catch (const std::bad_alloc&) {
        for (std::size_t w = 0; w < opened; ++w)
            runs.words[w].pop_back();
        throw;
    }
}

}  // namespace

void ExtendNamePairRuns(const std::vector<FileRecord>& records, NamePairRuns& runs) {
    // A table's worth at once (a build, a compaction) is given its room in one step, instead
    // of each array doubling its way there; one record at a time (the journal) lets them double.
    const std::size_t runsWanted = (records.size() + kPairRunRecords - 1) / kPairRunRecords;
    if (runsWanted > runs.RunCount() + kBulkRuns) {
        for (std::vector<std::uint64_t>& word : runs.words)
            word.reserve(runsWanted);
    }
    // A run's set is gathered aside and written once: its words lie in eleven arrays.
    while (runs.covered < records.size()) {
        const std::size_t run = runs.covered / kPairRunRecords;
        if (run == runs.RunCount())
            OpenRun(runs);
        PairSet set;
        for (std::size_t w = 0; w < kPairWords; ++w)
            set[w] = runs.words[w][run];
        const std::size_t end = std::min(records.size(), (run + 1) * kPairRunRecords);
        for (std::size_t i = runs.covered; i < end; ++i)
            AddPairs(records[i], set);
        for (std::size_t w = 0; w < kPairWords; ++w)
            runs.words[w][run] = set[w];
        runs.covered = end;
    }
}

PairQuery PairQueryOf(const char16_t* folded, std::size_t length) {
    PairSet wanted{};
    for (std::size_t i = 0; i + 1 < length; ++i) {
        const int bit = LetterPairBit(folded[i], folded[i + 1]);
        if (bit >= 0)
            AddPair(wanted, bit);
    }
    PairQuery query;
    for (std::size_t w = 0; w < kPairWords; ++w) {
        if (wanted[w] != 0) {
            query.word[query.wordCount] = static_cast<std::uint8_t>(w);
            query.bits[query.wordCount] = wanted[w];
            ++query.wordCount;
        }
    }
    return query;
}

}  // namespace kx
