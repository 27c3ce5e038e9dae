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

// Lines are read in pieces of at most this many UTF-16 units, the line end (CR LF or LF, one
// unit) counted: a longer line is parsed as several lines, the first cut at this length, and a
// later piece counts only when it holds "=" of its own. A surrogate pair is never split: a cut
// that would fall inside one comes a unit earlier.
constexpr std::size_t kFilterLinePieceUnits = 1023;

// How the bytes given to ParseFilterConfig end: at the end of the file, or where a read error
// stopped the reading. In the second case the last piece, unless it was whole, is dropped: it
// may have lost extensions or half a character.
enum class ReadEnd { kEndOfFile, kCutShortByError };

// Every category of the file, in line order, read in line pieces as above. False when the
// text cannot be decoded.
bool ParseFilterConfig(const std::uint8_t* data, std::size_t length, CategoryList* categories,
                       ReadEnd readEnd = ReadEnd::kEndOfFile);

}  // namespace kx
