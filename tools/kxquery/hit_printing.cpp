#include "tools/kxquery/hit_printing.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "common/utf.h"
#include "search/details.h"
#include "search/hit_record.h"
#include "search/visible_results.h"

namespace kx::query {

namespace {

class BufferedOutput {
  public:
    ~BufferedOutput() { Flush(); }
    void Line(const std::u16string& text) {
        buffer_ += Utf16ToUtf8(text);
        buffer_ += '\n';
        if (buffer_.size() > (1u << 20))
            Flush();
    }
    void Flush() {
        std::fwrite(buffer_.data(), 1, buffer_.size(), stdout);
        buffer_.clear();
    }

  private:
    std::string buffer_;
};

// The path of the record the hit names now; empty when it is gone. Cheaper than LoadDetails,
// which would also ask the file system for sizes and times nobody prints.
std::u16string HitPath(const HitRef& item) {
    std::shared_lock<SrwLock> guard(item.volume->lock);
    const FileRecord* record = FindHitRecord(*item.volume, item);
    return record == nullptr ? std::u16string() : BuildFullPath(*item.volume, *record);
}

std::u16string DetailsLine(const HitRef& item, const HitDetails& loaded, bool* gone) {
    // The list's own details are the window's to change, under VisibleLock; a copy is ours.
    HitDetails copy = loaded;
    LoadDetails(item, copy);
    const HitRecordCopy record = CopyHitRecord(item);
    *gone = !record.present || copy.fullPath.empty();
    return record.name + u'\t' + copy.sizeText + u'\t' + copy.modifiedText + u'\t' +
           copy.createdText + u'\t' + copy.fullPath;
}

}  // namespace

void PrintVisibleHits(bool details) {
    const SharedResults visible = GetVisibleResults();
    BufferedOutput out;
    constexpr std::size_t kBatch = 4096;
    std::vector<HitDetails> loaded;
    for (std::size_t i = 0; i < visible->size(); ++i) {
        const HitRef item = visible->Hit(i);
        if (details) {
            if (i % kBatch == 0)
                loaded = LoadedDetailsOf(visible, i, std::min(visible->size(), i + kBatch));
            bool gone = false;
            const std::u16string line = DetailsLine(item, loaded[i % kBatch], &gone);
            if (!gone)
                out.Line(line);
        } else {
            const std::u16string path = HitPath(item);
            if (!path.empty())
                out.Line(path);
        }
    }
}

}  // namespace kx::query
