// A stored name as the table hands it out: its units in one byte each when every unit is below
// 0x80 (nearly every name on a real volume), else in UTF-16. Either way a unit has the same
// value, so every comparison and fold treats both alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/ascii_fold.h"

namespace kx {

struct NameView {
    // Bytes past a name's end that may be read (never used): the store keeps its names
    // followed by others or by this many zero bytes, so that a search may compare a name 16
    // bytes at a time.
    static constexpr std::size_t kReadablePastEnd = 16;

    const std::uint8_t* bytes = nullptr;  // 2-byte aligned when wide
    std::uint16_t length = 0;             // code units
    bool wide = false;

    const char16_t* WideUnits() const { return reinterpret_cast<const char16_t*>(bytes); }
    char16_t Unit(std::size_t i) const { return wide ? WideUnits()[i] : char16_t{bytes[i]}; }
    char16_t FoldedUnit(std::size_t i) const { return FoldAscii(Unit(i)); }

    // The name as reported, appended to `out`.
    void AppendTo(std::u16string& out) const {
        if (wide) {
            out.append(WideUnits(), length);
            return;
        }
        const std::size_t at = out.size();
        out.resize(at + length);
        for (std::size_t i = 0; i < length; ++i)
            out[at + i] = bytes[i];
    }
    std::u16string Text() const {
        std::u16string text;
        AppendTo(text);
        return text;
    }
};

// Calls visit(units, length) with the name's units as `const std::uint8_t*` or `const
// char16_t*`, so that a loop over a name is compiled once for each width instead of asking
// the width per unit.
template <typename Visit>
decltype(auto) VisitUnits(const NameView& name, Visit&& visit) {
    if (name.wide)
        return visit(name.WideUnits(), static_cast<std::size_t>(name.length));
    return visit(name.bytes, static_cast<std::size_t>(name.length));
}

}  // namespace kx
