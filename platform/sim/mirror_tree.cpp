#include "platform/sim/mirror_tree.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <system_error>
#include <vector>

#include "common/utf.h"
#include "platform/usn_layout.h"

namespace kx::sim {

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kReparsePointBit = 0x400;

struct Child {
    std::u16string name;
    fs::path path;
    std::uint32_t attributes = 0;
    std::int64_t size = 0;
    std::uint64_t lastWriteTime = 0;
};

// The file clock has no portable conversion in C++17; both clocks are read now and the
// difference carried over (good to well under a millisecond).
std::uint64_t ToFileTime(fs::file_time_type time) {
    const auto system = std::chrono::system_clock::now() +
                        std::chrono::duration_cast<std::chrono::system_clock::duration>(
                            time - fs::file_time_type::clock::now());
    using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>;
    const std::int64_t sinceUnix =
        std::chrono::duration_cast<Ticks>(system.time_since_epoch()).count();
    const std::int64_t fileTime = sinceUnix + 116444736000000000ll;
    return fileTime < 0 ? 0 : static_cast<std::uint64_t>(fileTime);
}

// Reads one directory's entries; false when the directory itself cannot be read.
bool ReadChildren(const fs::path& directory, std::vector<Child>* children, MirrorSummary* summary) {
    std::error_code error;
    fs::directory_iterator it(directory, fs::directory_options::skip_permission_denied, error);
    if (error)
        return false;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error)
            break;
        Child child;
        child.path = it->path();
        child.name = Utf8ToUtf16(child.path.filename().u8string());
        const fs::file_status status = it->symlink_status(error);
        if (error || child.name.find(u'\\') != std::u16string::npos) {
            ++summary->skipped;
            error.clear();
            continue;
        }
        if (fs::is_symlink(status)) {
            child.attributes = FILE_ATTRIBUTE_ARCHIVE_BIT | kReparsePointBit;
        } else if (fs::is_directory(status)) {
            child.attributes = FILE_ATTRIBUTE_DIRECTORY_BIT;
        } else if (fs::is_regular_file(status)) {
            child.attributes = FILE_ATTRIBUTE_ARCHIVE_BIT;
            const auto size = it->file_size(error);
            child.size = error ? 0 : static_cast<std::int64_t>(size);
        } else {
            ++summary->skipped;
            continue;
        }
        error.clear();
        const auto time =
            fs::is_symlink(status) ? fs::file_time_type() : fs::last_write_time(child.path, error);
        child.lastWriteTime = error || fs::is_symlink(status) ? 0 : ToFileTime(time);
        error.clear();
        children->push_back(std::move(child));
    }
    std::sort(children->begin(), children->end(),
              [](const Child& a, const Child& b) { return a.name < b.name; });
    return true;
}

}  // namespace

MirrorSummary MirrorDirectoryTree(SimVolume& volume, const fs::path& root, std::size_t maxEntries) {
    MirrorSummary summary;
    // Explicit stack: a deep tree must not exhaust the thread's stack.
    std::vector<std::pair<fs::path, std::uint64_t>> pending{{root, kRootDirectoryFrn}};
    std::vector<Child> children;
    while (!pending.empty()) {
        auto [directory, directoryFrn] = std::move(pending.back());
        pending.pop_back();
        children.clear();
        if (!ReadChildren(directory, &children, &summary)) {
            ++summary.skipped;
            continue;
        }
        for (Child& child : children) {
            if (summary.added == maxEntries) {
                summary.truncated = true;
                return summary;
            }
            const std::uint64_t frn =
                volume.AddEntryQuietly(directoryFrn, child.name, child.attributes, child.size,
                                       child.lastWriteTime, child.lastWriteTime);
            ++summary.added;
            if (child.attributes == FILE_ATTRIBUTE_DIRECTORY_BIT)
                pending.emplace_back(std::move(child.path), frn);
        }
    }
    return summary;
}

}  // namespace kx::sim
