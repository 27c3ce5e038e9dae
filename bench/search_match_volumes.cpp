// MatchVolumes over ten million synthetic records on one volume: median wall time of a scan
// for a three-character query, warm cache (the table is built first, then scanned 11 times).
// Names are 4 to 24 code units from a small syllable set, mixed case, with extensions, so that
// roughly one name in a few hundred contains the query.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "common/process_state.h"
#include "index/search_engine.h"
#include "search/search_run.h"

int main(int argc, char** argv) {
    using namespace kx;
    const std::size_t count = argc > 1 ? std::stoul(argv[1]) : 10000000;
    SearchEngine engine;
    engine.volumes.push_back(std::make_unique<VolumeIndex>());
    VolumeIndex& volume = *engine.volumes.back();
    volume.rootPath = u"C:";
    volume.records.reserve(count);
    static const char16_t* const kSyllables[] = {u"ka", u"Lo", u"mi", u"Re", u"tu", u"se",
                                                 u"Vo", u"na", u"pi", u"Ex", u"do", u"gu",
                                                 u"_",  u" ",  u"01", u"x"};
    static const char16_t* const kExtensions[] = {u".txt", u".dll", u".JPG", u".cpp", u""};
    std::mt19937 random(42);
    std::u16string name;
    for (std::size_t i = 0; i < count; ++i) {
        name.clear();
        const int syllables = 2 + static_cast<int>(random() % 9);
        for (int s = 0; s < syllables; ++s)
            name += kSyllables[random() % 16];
        name += kExtensions[random() % 5];
        AppendRecord(volume.records, volume.names, i + 100, 5, name.data(),
                     static_cast<std::uint16_t>(name.size()), (i % 10 == 0) ? 0x10 : 0x20);
    }
    engine.ready.store(true);

    const std::u16string query =
        argc > 2 ? std::u16string(argv[2], argv[2] + std::strlen(argv[2])) : std::u16string(u"rex");
    std::vector<double> times;
    std::size_t hits = 0;
    for (int run = 0; run < 11; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const ResultList result = MatchVolumes(engine, query, SearchGeneration.load());
        const auto end = std::chrono::steady_clock::now();
        hits = result.items.size();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    std::printf("records %zu, query length %zu, hits %zu: median %.1f ms (min %.1f, max %.1f)\n",
                count, query.size(), hits, times[times.size() / 2], times.front(), times.back());
    return 0;
}
