// The results list's colours. Kept apart from the painting so that the window tests' probe
// prints the very values the list is painted with.
#pragma once

#include <windows.h>

namespace kx {

constexpr COLORREF kBackgroundColour = RGB(255, 255, 255);  // also the even rows
constexpr COLORREF kOddRowColour = RGB(248, 250, 252);
constexpr COLORREF kSelectedRowColour = RGB(180, 210, 255);
constexpr COLORREF kRowTextColour = RGB(40, 40, 40);
constexpr COLORREF kGridColour = RGB(220, 223, 225);
constexpr COLORREF kHeaderColour = RGB(240, 242, 245);
constexpr COLORREF kHeaderLineColour = RGB(210, 215, 220);
constexpr COLORREF kHeaderSeparatorColour = RGB(200, 203, 205);
constexpr COLORREF kHeaderTextColour = RGB(60, 60, 60);

}  // namespace kx
