#include "index/name_pair_runs.h"

#include <new>

namespace kx {

namespace {

void AddPairs(const FileRecord& record, NamePairRuns& runs, std::size_t run) {
    const char16_t* folded = record.FoldedName();
    for (std::size_t i = 0; i + 1 < record.nameLength; ++i) {
        const int bit = LetterPairBit(folded[i], folded[i + 1]);
        if (bit >= 0)
            runs.words[static_cast<std::size_t>(bit) / 64][run] |= std::uint64_t{1} << (bit % 64);
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
    for (; runs.covered < records.size(); ++runs.covered) {
        const std::size_t run = runs.covered / kPairRunRecords;
        if (run == runs.RunCount())
            OpenRun(runs);
        AddPairs(records[runs.covered], runs, run);
    }
}

PairQuery PairQueryOf(const char16_t* folded, std::size_t length) {
    std::array<std::uint64_t, kPairWords> wanted{};
    for (std::size_t i = 0; i + 1 < length; ++i) {
        const int bit = LetterPairBit(folded[i], folded[i + 1]);
        if (bit >= 0)
            wanted[static_cast<std::size_t>(bit) / 64] |= std::uint64_t{1} << (bit % 64);
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
