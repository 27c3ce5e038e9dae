#include "filters/default_categories.h"

#include <iterator>

#include "common/process_state.h"

namespace kx {

namespace {

// Plain constant data, so that DefaultCategories can run before any dynamic initialiser.
constexpr const char16_t* kDocumentExtensions[] = {u".doc",  u".docx", u".pdf",  u".txt", u".xls",
                                                   u".xlsx", u".ppt",  u".pptx", u".md",  u".csv"};
constexpr const char16_t* kImageExtensions[] = {u".jpg",  u".jpeg", u".png", u".gif", u".bmp",
                                                u".webp", u".ico",  u".svg", u".tif"};
constexpr const char16_t* kArchiveExtensions[] = {u".zip", u".rar", u".7z", u".tar",
                                                  u".gz",  u".iso", u".cab"};
constexpr const char16_t* kApplicationExtensions[] = {u".exe", u".msi", u".bat", u".cmd",
                                                      u".dll", u".sys", u".ps1"};
constexpr const char16_t* kVideoExtensions[] = {u".mp4", u".mkv", u".avi", u".mov",
                                                u".wmv", u".flv", u".rmvb"};
constexpr const char16_t* kAudioExtensions[] = {u".mp3", u".wav", u".flac",
                                                u".aac", u".ogg", u".m4a"};

struct DefaultCategoryText {
    const char16_t* chinese;
    const char16_t* english;
    const char16_t* const* extensions;
    std::size_t extensionCount;
};

constexpr DefaultCategoryText kDefaults[] = {
    {u"所有文件", u"All Files", nullptr, 0},
    {u"文档", u"Documents", kDocumentExtensions, std::size(kDocumentExtensions)},
    {u"图片", u"Images", kImageExtensions, std::size(kImageExtensions)},
    {u"压缩包", u"Archives", kArchiveExtensions, std::size(kArchiveExtensions)},
    {u"应用程序", u"Applications", kApplicationExtensions, std::size(kApplicationExtensions)},
    {u"视频", u"Videos", kVideoExtensions, std::size(kVideoExtensions)},
    {u"音频", u"Audio", kAudioExtensions, std::size(kAudioExtensions)},
};

FilterCategory MakeCategory(const DefaultCategoryText& text, bool chinese) {
    FilterCategory category;
    category.name = chinese ? text.chinese : text.english;
    category.extensions.assign(text.extensions, text.extensions + text.extensionCount);
    return category;
}

bool HasDefaultExtensions(const FilterCategory& category, const DefaultCategoryText& text) {
    if (category.extensions.size() != text.extensionCount)
        return false;
    for (std::size_t i = 0; i < text.extensionCount; ++i) {
        if (category.extensions[i] != text.extensions[i])
            return false;
    }
    return true;
}

}  // namespace

CategoryList DefaultCategories(bool chinese) {
    CategoryList categories;
    categories.reserve(std::size(kDefaults));
    for (const DefaultCategoryText& text : kDefaults)
        categories.push_back(MakeCategory(text, chinese));
    return categories;
}

void LoadDefaultCategories() {
    SetFilterCategories(DefaultCategories(UseChinese));
}

std::size_t TranslateChineseDefaults(CategoryList* categories) {
    std::size_t renamed = 0;
    for (FilterCategory& category : *categories) {
        for (const DefaultCategoryText& text : kDefaults) {
            if (category.name == text.chinese && HasDefaultExtensions(category, text)) {
                category.name = text.english;
                ++renamed;
                break;
            }
        }
    }
    return renamed;
}

}  // namespace kx
