// Stand-ins for the category list, the selected category and the attribute query, put in place
// of the program's own for the whole search test program: the tests then decide exactly what
// each path answers, count the queries and can act in the middle of one, which neither the
// filters nor a real or simulated volume allow.
#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "platform/file_attributes.h"
#include "search/search_sources.h"
#include "tests/search/stand_ins.h"

namespace kx {

std::int32_t StandInSelectedCategory = 0;
std::int32_t StandInCategoryCount = 7;

std::shared_ptr<const CategoryList> StandInCategories() {
    // Category 1 holds .txt and .doc, category 2 .jpg and .png, the others nothing; one list per
    // category count, so that a changed count looks like a reset to whoever compares lists.
    static std::mutex mutex;
    static std::map<std::int32_t, std::shared_ptr<const CategoryList>> lists;
    std::lock_guard<std::mutex> guard(mutex);
    std::shared_ptr<const CategoryList>& list = lists[StandInCategoryCount];
    if (!list) {
        CategoryList made(static_cast<std::size_t>(std::max(StandInCategoryCount, 1)));
        if (made.size() > 1)
            made[1].extensions = {u".txt", u".doc"};
        if (made.size() > 2)
            made[2].extensions = {u".jpg", u".png"};
        list = std::make_shared<const CategoryList>(std::move(made));
    }
    return list;
}

namespace {
std::mutex& FilesMutex() {
    static std::mutex mutex;
    return mutex;
}
std::map<std::u16string, FileAttributeData>& Files() {
    static std::map<std::u16string, FileAttributeData> files;
    return files;
}
}  // namespace

void StandInSetFile(const std::u16string& path, const FileAttributeData& data) {
    std::lock_guard<std::mutex> guard(FilesMutex());
    Files()[path] = data;
}
void StandInClearFiles() {
    std::lock_guard<std::mutex> guard(FilesMutex());
    Files().clear();
}

std::function<void(const std::u16string&)> StandInOnQuery;
std::atomic<int> StandInQueries{0};

bool StandInFileAttributes(const std::u16string& path, FileAttributeData* data) {
    StandInQueries.fetch_add(1);
    if (StandInOnQuery)
        StandInOnQuery(path);
    std::lock_guard<std::mutex> guard(FilesMutex());
    auto found = Files().find(path);
    if (found == Files().end())
        return false;
    *data = found->second;
    return true;
}

namespace {

std::int32_t StandInSelected() {
    return StandInSelectedCategory;
}

const SearchSources kStandIns{StandInSelected, StandInCategories, StandInFileAttributes};

// Before main, so before any test searches.
const bool kStandInsInPlace = [] {
    UseSearchSourcesForTesting(&kStandIns);
    return true;
}();

}  // namespace

}  // namespace kx
