#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/file_attributes.h"

namespace kx {
extern std::int32_t StandInSelectedCategory;
extern std::int32_t StandInCategoryCount;
void StandInSetFile(const std::u16string& path, const FileAttributeData& data);
void StandInClearFiles();
extern std::function<void(const std::u16string&)> StandInOnQuery;
extern std::atomic<int> StandInQueries;
}  // namespace kx

namespace kx::testing {
inline void SelectCategory(std::int32_t index) {
    StandInSelectedCategory = index;
}
inline void SetCategoryCount(std::int32_t count) {
    StandInCategoryCount = count;
}
}  // namespace kx::testing
