#include "ui/hover_tip.h"

#include <commctrl.h>

#include "ui/window_state.h"

namespace kx {

namespace {

constexpr int kMaxTipWidth = 600;  // longer texts wrap
constexpr int kTipBelowPointer = 20;
constexpr UINT_PTR kTrackingToolId = 0;

bool ToolRegistered = false;
bool TipShown = false;

TTTOOLINFOW TrackingTool(const wchar_t* text) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = MainWindowHandle;
    tool.uId = kTrackingToolId;
    tool.lpszText = const_cast<wchar_t*>(text);
    return tool;
}

}  // namespace

HWND CreateHoverTip(HWND owner) {
    const HINSTANCE instance =
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(owner, GWLP_HINSTANCE));
    const HWND tip =
        ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_BALLOON, 0, 0,
                          0, 0, owner, nullptr, instance, nullptr);
    if (tip != nullptr)
        ::SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, kMaxTipWidth);
    return tip;
}

void HideHoverTip() {
    if (HoverTip == nullptr || !TipShown)
        return;
    TTTOOLINFOW tool = TrackingTool(nullptr);
    ::SendMessageW(HoverTip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    TipShown = false;
}

void ShowHoverTip(const std::wstring& text, POINT screenPoint) {
    if (HoverTip == nullptr)
        return;
    HideHoverTip();
    if (text.empty())
        return;
    // The control copies the text, so the tool may point at this string only for the call.
    TTTOOLINFOW tool = TrackingTool(text.c_str());
    if (!ToolRegistered)
        ToolRegistered =
            ::SendMessageW(HoverTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
    ::SendMessageW(HoverTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(HoverTip, TTM_TRACKPOSITION, 0,
                   MAKELPARAM(screenPoint.x, screenPoint.y + kTipBelowPointer));
    ::SendMessageW(HoverTip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    TipShown = true;
}

}  // namespace kx
