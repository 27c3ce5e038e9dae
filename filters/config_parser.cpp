#include "filters/config_parser.h"

#include "common/ascii_fold.h"
#include "common/utf.h"

namespace kx {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

std::u16string_view Trim(std::u16string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

void DecodeUtf16Le(const std::uint8_t* data, std::size_t length, std::u16string* text) {
    const std::size_t units = length / 2;
    text->reserve(units + 1);
    for (std::size_t i = 0; i < units; ++i) {
        const auto unit = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
        if (IsHighSurrogate(unit) && i + 1 < units) {
            const auto next = static_cast<char16_t>(data[2 * i + 2] | (data[2 * i + 3] << 8));
            if (IsLowSurrogate(next)) {
                *text += unit;
                *text += next;
                ++i;
                continue;
            }
        }
        *text += (IsHighSurrogate(unit) || IsLowSurrogate(unit)) ? kReplacement : unit;
    }
    if (length % 2 != 0)  // a lone last byte is shown as damage, not dropped silently
        *text += kReplacement;
}

struct LinePiece {
    std::size_t end;  // one past the piece, its line end included
    bool whole;       // it ended at a line end or at the length limit, not at the text's end
};

// The line piece that starts at `start`, cut as a text-mode read with a buffer of
// kFilterLinePieceUnits units would cut it: CR LF arrives there as one LF, so it takes one unit
// of the piece.
LinePiece NextPiece(std::u16string_view text, std::size_t start) {
    std::size_t units = 0;
    std::size_t at = start;
    while (at < text.size()) {
        if (units == kFilterLinePieceUnits)
            return {at, true};
        if (text[at] == u'\n')
            return {at + 1, true};
        if (text[at] == u'\r' && at + 1 < text.size() && text[at + 1] == u'\n')
            return {at + 2, true};
        if (IsHighSurrogate(text[at]) && at + 1 < text.size() && IsLowSurrogate(text[at + 1])) {
            if (units + 2 > kFilterLinePieceUnits)
                return {at, true};
            at += 2;
            units += 2;
            continue;
        }
        ++at;
        ++units;
    }
    return {at, units == kFilterLinePieceUnits};
}

}  // namespace

bool DecodeFilterConfigText(const std::uint8_t* data, std::size_t length, std::u16string* text) {
    text->clear();
    if (length >= 2 && data[0] == 0xFE && data[1] == 0xFF)
        return false;
    if (length >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        DecodeUtf16Le(data + 2, length - 2, text);
        return true;
    }
    std::size_t start = 0;
    if (length >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF)
        start = 3;
    if (length > start) {
        *text = Utf8ToUtf16(
            std::string_view(reinterpret_cast<const char*>(data) + start, length - start));
    }
    return true;
}

bool ParseFilterLine(std::u16string_view line, FilterCategory* category) {
    line = Trim(line);
    if (line.empty() || line.front() == u'#')
        return false;
    const std::size_t equals = line.find(u'=');
    if (equals == std::u16string_view::npos)
        return false;
    const std::u16string_view name = Trim(line.substr(0, equals));
    if (name.empty())
        return false;

    FilterCategory parsed;
    parsed.name.assign(name);
    std::u16string_view rest = line.substr(equals + 1);
    while (true) {
        const std::size_t comma = rest.find(u',');
        const std::u16string_view piece = Trim(rest.substr(0, comma));
        if (!piece.empty()) {
            std::u16string extension;
            extension.reserve(piece.size() + 1);
            if (piece.front() != u'.')
                extension += u'.';
            extension += FoldAscii(piece);
            parsed.extensions.push_back(std::move(extension));
        }
        if (comma == std::u16string_view::npos)
            break;
        rest = rest.substr(comma + 1);
    }
    *category = std::move(parsed);
    return true;
}

bool ParseFilterConfig(const std::uint8_t* data, std::size_t length, CategoryList* categories,
                       ReadEnd readEnd) {
    std::u16string text;
    if (!DecodeFilterConfigText(data, length, &text))
        return false;
    categories->clear();
    const std::u16string_view all(text);
    std::size_t start = 0;
    while (start < all.size()) {
        const LinePiece piece = NextPiece(all, start);
        if (!piece.whole && readEnd == ReadEnd::kCutShortByError)
            break;
        FilterCategory category;
        if (ParseFilterLine(all.substr(start, piece.end - start), &category))
            categories->push_back(std::move(category));
        start = piece.end;
    }
    return true;
}

}  // namespace kx
