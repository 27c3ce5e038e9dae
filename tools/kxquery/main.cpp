// kxquery: indexes simulated NTFS volumes with the program's real start-up and prints what
// was indexed. The checks and benchmarks drive the engine end to end through it.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "common/utf.h"
#include "index/search_engine.h"
#include "tools/kxquery/indexing.h"
#include "tools/kxquery/options.h"
#include "tools/kxquery/volume_loading.h"

namespace {

// Volumes in drive-letter order, so that output does not depend on which build finished first.
std::vector<const kx::VolumeIndex*> VolumesByDrive(const kx::SearchEngine& engine) {
    std::vector<const kx::VolumeIndex*> sorted;
    for (const auto& volume : engine.volumes)
        sorted.push_back(volume.get());
    std::sort(sorted.begin(), sorted.end(), [](const kx::VolumeIndex* a, const kx::VolumeIndex* b) {
        return a->rootPath < b->rootPath;
    });
    return sorted;
}

void PrintPaths(const kx::SearchEngine& engine) {
    std::string out;
    for (const kx::VolumeIndex* volume : VolumesByDrive(engine)) {
        std::shared_lock<kx::SrwLock> guard(volume->lock);
        for (const kx::FileRecord& record : volume->records) {
            if (record.isDead != 0)
                continue;
            out += kx::Utf16ToUtf8(kx::BuildFullPath(*volume, record));
            out += '\n';
            if (out.size() > (1u << 20)) {
                std::fwrite(out.data(), 1, out.size(), stdout);
                out.clear();
            }
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

void PrintCounts(const kx::SearchEngine& engine) {
    for (const kx::VolumeIndex* volume : VolumesByDrive(engine)) {
        std::shared_lock<kx::SrwLock> guard(volume->lock);
        std::printf("%s %zu %zu\n", kx::Utf16ToUtf8(volume->rootPath).c_str(),
                    volume->records.size(),
                    static_cast<std::size_t>(volume->records.size() - volume->deadCount));
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options =
        kx::query::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), &error);
    if (!options) {
        std::cerr << "kxquery: " << error << "\n" << kx::query::UsageText();
        return 2;
    }
    if (!kx::query::LoadVolumes(*options, &error)) {
        std::cerr << "kxquery: " << error << "\n";
        return 2;
    }
    kx::SearchEngine& engine = kx::TheSearchEngine();
    if (!kx::query::IndexAllDrives(engine)) {
        std::cerr << "kxquery: no NTFS volume could be indexed\n";
        return 1;
    }
    if (options->printCount)
        PrintCounts(engine);
    if (options->printPaths)
        PrintPaths(engine);
    std::fflush(stdout);
    kx::query::StopIndexing(engine);
    return 0;
}
