// The About box's text: four lines, product, brand, web address and version.
#pragma once

#include <cstddef>
#include <string>

namespace kx {

// Capacity of the buffer the text is formatted into, terminating null included.
constexpr std::size_t kAboutTextCapacity = 512;

// In the given language; the lines are separated by "\n" with none after the last.
std::wstring AboutText(bool chinese);

}  // namespace kx
