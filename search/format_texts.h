// Display texts of a hit's size and times, and the sort progress text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kx {

constexpr std::size_t kDetailTextCapacity = 64;     // size and time texts, with the 0
constexpr std::size_t kProgressTextCapacity = 128;  // WM_SORT_PROGRESS text, with the 0

// "1023 B", "1 KB" ... "1023 KB", "1.00 MB" ... "1024.00 MB", "1.00 GB".
std::u16string FormatSize(std::int64_t size);

// Local time "YYYY-MM-DD HH:MM"; "-" for a zero time and for one the system cannot convert.
std::u16string FormatFileTime(std::uint64_t fileTime);

// "正在提取硬盘属性并排序中... (已处理 handled / count)" into out, cut to capacity - 1 units
// and 0-terminated.
void FormatSortProgress(std::size_t handled, std::size_t count, char16_t* out,
                        std::size_t capacity);

}  // namespace kx
