#include "ui/window_visibility.h"

#include "search/hit_arena_warmup.h"
#include "search/search_state.h"
#include "ui/control_ids.h"
#include "ui/hover_tip.h"
#include "ui/results_list.h"
#include "ui/system_command.h"

namespace kx {

namespace {

constexpr UINT kToggleKey = 'Z';

void HideMainWindow(HWND window) {
    // The tip is a tracking popup of its own: hiding its owner would leave it on screen.
    OnListHidden();
    HideHoverTip();
    ::ShowWindow(window, SW_HIDE);
    RestHitArena(SearchEngineInUse());
}

}  // namespace

void RegisterToggleHotkey(HWND window) {
    ::RegisterHotKey(window, ID_HOTKEY_TOGGLE, MOD_ALT, kToggleKey);
}

void UnregisterToggleHotkey(HWND window) {
    ::UnregisterHotKey(window, ID_HOTKEY_TOGGLE);
}

void ShowMainWindow(HWND window) {
    const bool wasHidden = !::IsWindowVisible(window);
    ::ShowWindow(window, SW_SHOW);
    ::SetForegroundWindow(window);
    if (wasHidden)
        WakeHitArena(SearchEngineInUse());
}

bool OnSysCommand(HWND window, WPARAM command) {
    // Hidden, never minimised: a minimised window would keep its task-bar button.
    if (!IsMinimizeCommand(command))
        return false;
    HideMainWindow(window);
    return true;
}

bool OnHotkey(HWND window, WPARAM id) {
    if (id != static_cast<WPARAM>(ID_HOTKEY_TOGGLE))
        return false;
    if (::IsWindowVisible(window))
        HideMainWindow(window);
    else
        ShowMainWindow(window);
    return true;
}

}  // namespace kx
