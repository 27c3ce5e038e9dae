// Feeds arbitrary bytes to the filter configuration parser and checks what any loaded list
// must satisfy: the format's rules on names and extensions, valid UTF-16 throughout, and the
// same list back after the program writes it and reads it again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "filters/config_parser.h"
#include "filters/config_writer.h"

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

bool IsValidUtf16(const std::u16string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF)
                return false;
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

void CheckCategory(const kx::FilterCategory& category) {
    const std::u16string& name = category.name;
    Require(!name.empty());
    Require(name.front() != u'#' && !IsBlank(name.front()) && !IsBlank(name.back()));
    Require(name.find(u'=') == std::u16string::npos && name.find(u'\n') == std::u16string::npos);
    Require(IsValidUtf16(name));
    for (const std::u16string& extension : category.extensions) {
        Require(!extension.empty() && extension.front() == u'.');
        Require(!IsBlank(extension.back()));
        Require(extension.find(u',') == std::u16string::npos);
        Require(extension.find(u'\n') == std::u16string::npos);
        for (char16_t c : extension)
            Require(c < u'A' || c > u'Z');
        Require(IsValidUtf16(extension));
    }
}

// Whether each written line, its line end (one unit once read) included, fits in one piece.
bool EveryLineFits(const kx::CategoryList& categories) {
    for (const kx::FilterCategory& category : categories) {
        std::size_t units = category.name.size() + 2;  // the name, "=" and the line end
        for (std::size_t i = 0; i < category.extensions.size(); ++i)
            units += category.extensions[i].size() + (i > 0 ? 1 : 0);
        if (units > kx::kFilterLinePieceUnits)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kx::CategoryList categories;
    if (!kx::ParseFilterConfig(data, size, &categories)) {
        Require(size >= 2 && data[0] == 0xFE && data[1] == 0xFF);
        return 0;
    }
    for (const kx::FilterCategory& category : categories)
        CheckCategory(category);

    // A category read from a piece of a long line may be written back longer than a piece
    // (every extension gets its "."), and is then cut again when read: only a file whose lines
    // all fit must read back unchanged.
    const std::string written = kx::FormatFilterConfig(categories);
    kx::CategoryList reread;
    Require(kx::ParseFilterConfig(reinterpret_cast<const std::uint8_t*>(written.data()),
                                  written.size(), &reread));
    if (EveryLineFits(categories))
        Require(reread == categories);

    // Whatever a read error leaves is a leading part of what the whole file gives.
    kx::CategoryList cutShort;
    const std::size_t cut = size / 2;
    if (kx::ParseFilterConfig(data, cut, &cutShort, kx::ReadEnd::kCutShortByError)) {
        Require(cutShort.size() <= categories.size());
        for (std::size_t i = 0; i + 1 < cutShort.size(); ++i)
            Require(cutShort[i] == categories[i]);
    }
    return 0;
}
