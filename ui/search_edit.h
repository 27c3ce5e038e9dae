// The search box: reading its text and its replacement window procedure.
#pragma once

#include <windows.h>

#include <string>

namespace kx {

// At most 255 characters, as the search takes them.
constexpr int kSearchTextCapacity = 256;

std::u16string ReadSearchText();

// Enter starts a search with the box's text, also an empty one; everything else goes to the
// edit control's own procedure.
LRESULT CALLBACK SearchEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace kx
