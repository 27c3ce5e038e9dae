// Copies a text into a fixed array of a Windows structure, cut to fit.
#pragma once

#include <cstddef>

namespace kx {

// Writes at most capacity - 1 characters of text and always a terminating null, so a text too
// long for the field is shortened instead of overrunning it. Does nothing when capacity is 0.
void CopyTruncated(const wchar_t* text, wchar_t* field, std::size_t capacity);

// The same for an array, whose size is the capacity.
template <std::size_t N>
void CopyTruncated(const wchar_t* text, wchar_t (&field)[N]) {
    CopyTruncated(text, field, N);
}

}  // namespace kx
