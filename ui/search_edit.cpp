#include "ui/search_edit.h"

#include <new>

#include "platform/win32/wide_string.h"
#include "search/search_run.h"
#include "ui/out_of_memory.h"
#include "ui/window_state.h"

namespace kx {

std::u16string ReadSearchText() {
    wchar_t text[kSearchTextCapacity] = {};
    if (SearchEdit != nullptr)
        ::GetWindowTextW(SearchEdit, text, kSearchTextCapacity);
    return FromWide(text);
}

LRESULT CALLBACK SearchEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        try {
            StartSearch(ReadSearchText());
        } catch (const std::bad_alloc&) {
            return OnOutOfMemory(edit, message);
        }
        return 0;
    }
    return ::CallWindowProcW(PreviousEditProc, edit, message, wParam, lParam);
}

}  // namespace kx
