// Reading the filter configuration format: UTF-8 text (or UTF-16 little-endian after its
// byte-order mark), one category per line as name=ext,ext,...
//
// This is the one parser of outside data in the filters: it takes a byte span and its length,
// reads nothing beyond them, and is fuzzed (fuzz/config_parser_fuzzer.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "filters/filter_category.h"

namespace kx {

// The whole file as UTF-16. A UTF-8 mark is skipped, a UTF-16 little-endian mark makes the
// rest be read as UTF-16 LE, and without a mark the bytes are UTF-8. A UTF-16 big-endian mark
// is refused (false). Malformed input and unpaired surrogates become U+FFFD, so the text is
// always valid UTF-16 and survives being written back as UTF-8.
bool DecodeFilterConfigText(const std::uint8_t* data, std::size_t length, std::u16string* text);

// One line, without its line end. False for a blank line, a comment (first non-blank "#"), a
// line without "=" and a line whose name is blank; else *category holds the trimmed name and
// the extensions, trimmed, folded to lower case and given a leading "." where they lack one.
bool ParseFilterLine(std::u16string_view line, FilterCategory* category);

// Every category of the file, in line order. LF ends a line (a CR before it is trimmed); a line
// is parsed whole, whatever its length. False when the text cannot be decoded.
bool ParseFilterConfig(const std::uint8_t* data, std::size_t length, CategoryList* categories);

}  // namespace kx
