#include "search/format_texts.h"

#include <cstdio>

#include "platform/local_time.h"

namespace kx {

namespace {

// The texts are ASCII, so a char buffer of the wide buffer's size formats them with the same
// limit; widening is then one unit per byte. (wchar_t is 32 bits off Windows, so the wide
// formatting functions cannot write UTF-16 there.)
std::u16string Widen(const char* text) {
    std::u16string wide;
    for (const char* p = text; *p != '\0'; ++p)
        wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(*p)));
    return wide;
}

}  // namespace

std::u16string FormatSize(std::int64_t size) {
    char buffer[kDetailTextCapacity];
    if (size < 1024) {
        std::snprintf(buffer, sizeof(buffer), "%lld B", static_cast<long long>(size));
    } else if (size < 1048576) {
        std::snprintf(buffer, sizeof(buffer), "%lld KB", static_cast<long long>(size / 1024));
    } else if (size < 1073741824) {
        std::snprintf(buffer, sizeof(buffer), "%.2f MB", static_cast<double>(size) / 1048576.0);
    } else {
        std::snprintf(buffer, sizeof(buffer), "%.2f GB", static_cast<double>(size) / 1073741824.0);
    }
    return Widen(buffer);
}

std::u16string FormatFileTime(std::uint64_t fileTime) {
    if (fileTime == 0)
        return u"-";
    LocalTime local;
    // A time the system refuses (2^63 and above) would otherwise be formatted from fields that
    // were never filled in.
    if (!FileTimeToLocalTime(fileTime, &local))
        return u"-";
    char buffer[kDetailTextCapacity];
    std::snprintf(buffer, sizeof(buffer), "%04d-%02d-%02d %02d:%02d", local.year, local.month,
                  local.day, local.hour, local.minute);
    return Widen(buffer);
}

void FormatSortProgress(std::size_t handled, std::size_t count, char16_t* out,
                        std::size_t capacity) {
    if (capacity == 0)
        return;
    char numbers[kProgressTextCapacity];
    std::snprintf(numbers, sizeof(numbers), "%zu / %zu)", handled, count);
    const std::u16string text = u"正在提取硬盘属性并排序中... (已处理 " + Widen(numbers);
    const std::size_t length = text.size() < capacity - 1 ? text.size() : capacity - 1;
    text.copy(out, length);
    out[length] = u'\0';
}

}  // namespace kx
