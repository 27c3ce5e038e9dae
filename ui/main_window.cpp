#include "ui/main_window.h"

#include <commctrl.h>

#include <new>

#include "common/messages.h"
#include "common/process_state.h"
#include "filters/filter_category.h"
#include "filters/tag_bar.h"
#include "index/search_engine.h"
#include "search/search_run.h"
#include "ui/context_menu.h"
#include "ui/control_ids.h"
#include "ui/gdi_resources.h"
#include "ui/hover_tip.h"
#include "ui/list_view_state.h"
#include "ui/out_of_memory.h"
#include "ui/results_list.h"
#include "ui/search_edit.h"
#include "ui/texts.h"
#include "ui/tray_icon.h"
#include "ui/window_state.h"
#include "ui/window_visibility.h"

namespace kx {

namespace {

constexpr int kControlLeft = 15;
constexpr int kControlMargins = 2 * kControlLeft;
constexpr int kSearchEditTop = 12;
constexpr int kSearchEditInitialWidth = 600;
constexpr int kSearchEditHeight = 32;
constexpr int kStatusTop = 135;
constexpr int kStatusInitialWidth = 800;
constexpr int kStatusHeight = 20;

constexpr wchar_t kFontFace[] = L"Microsoft YaHei UI";
constexpr int kStatusFontHeight = -14;  // negative: character height, not cell height
constexpr int kHeaderFontHeight = -13;
constexpr int kEditFontHeight = -18;
constexpr int kTagFontHeight = -14;

HFONT CreateUiFont(int height, int weight) {
    return ::CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                         DEFAULT_PITCH | FF_DONTCARE, kFontFace);
}

HINSTANCE InstanceOf(HWND window) {
    return reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(window, GWLP_HINSTANCE));
}

HWND CreateChild(HWND parent, DWORD extendedStyle, const wchar_t* className, DWORD style, int x,
                 int y, int width, int height, int id) {
    return ::CreateWindowExW(extendedStyle, className, L"", style, x, y, width, height, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), InstanceOf(parent),
                             nullptr);
}

void CreateSearchEdit(HWND window) {
    SearchEdit = CreateChild(window, WS_EX_CLIENTEDGE, L"EDIT",
                             WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, kControlLeft, kSearchEditTop,
                             kSearchEditInitialWidth, kSearchEditHeight, IDC_SEARCH_EDIT);
    ::SendMessageW(SearchEdit, WM_SETFONT, reinterpret_cast<WPARAM>(EditFont.get()), TRUE);
    // Stays disabled until the index is ready.
    ::EnableWindow(SearchEdit, FALSE);
    PreviousEditProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(SearchEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SearchEditProc)));
}

void CreateStatusLine(HWND window) {
    StatusLine = CreateChild(window, 0, L"STATIC", WS_CHILD | WS_VISIBLE, kControlLeft, kStatusTop,
                             kStatusInitialWidth, kStatusHeight, IDC_STATUS);
    ::SendMessageW(StatusLine, WM_SETFONT, reinterpret_cast<WPARAM>(StatusFont.get()), TRUE);
}

LRESULT OnCreate(HWND window) {
    MainWindowHandle = window;
    {
        WindowDC windowDC(window);
        BackBufferDC.reset(::CreateCompatibleDC(windowDC.get()));
    }
    StatusFont.reset(CreateUiFont(kStatusFontHeight, FW_NORMAL));
    HeaderFont.reset(CreateUiFont(kHeaderFontHeight, FW_BOLD));
    EditFont.reset(CreateUiFont(kEditFontHeight, FW_NORMAL));
    TagFont.reset(CreateUiFont(kTagFontHeight, FW_NORMAL));
    CreateSearchEdit(window);
    CreateTagBar(window);
    CreateStatusLine(window);
    HoverTip = CreateHoverTip(window);
    RegisterToggleHotkey(window);
    AddTrayIcon(window);
    ::SetWindowTextW(window, Text(TextId::IndexingTitle));
    // MainWindow is stored only once creation has returned, so the handle goes in explicitly.
    TheSearchEngine().InitBackground(window);
    return 0;
}

void ReplaceBackBuffer(HWND window) {
    WindowDC windowDC(window);
    // Compatible with the window, not the memory DC, which would give a monochrome bitmap.
    // Out of GDI memory the old bitmap goes on serving, painting only what fits in it.
    ReplaceSelectedBitmap(
        BackBufferDC.get(), &BackBufferBitmap,
        UniqueBitmap(::CreateCompatibleBitmap(windowDC.get(), ClientWidth, ClientHeight)));
}

LRESULT OnSize(HWND window, LPARAM lParam) {
    ClientWidth = LOWORD(lParam);
    ClientHeight = HIWORD(lParam);
    ReplaceBackBuffer(window);
    const int controlWidth = ClientWidth - kControlMargins;
    if (SearchEdit != nullptr) {
        ::SetWindowPos(SearchEdit, nullptr, kControlLeft, kSearchEditTop, controlWidth,
                       kSearchEditHeight, SWP_NOZORDER);
    }
    if (StatusLine != nullptr) {
        ::SetWindowPos(StatusLine, nullptr, kControlLeft, kStatusTop, controlWidth, kStatusHeight,
                       SWP_NOZORDER);
    }
    RecomputeLastColumn(ColumnWidths, ClientWidth);
    LayoutTagBar();
    UpdateScrollBar();
    ::InvalidateRect(window, nullptr, FALSE);
    return 0;
}

LRESULT OnCommand(WPARAM wParam) {
    const int id = LOWORD(wParam);
    const int notification = HIWORD(wParam);
    if (id == IDC_SEARCH_EDIT && notification == EN_CHANGE) {
        // An empty box starts nothing: the last results stay until Enter or a tag click.
        const std::u16string text = ReadSearchText();
        if (!text.empty())
            StartSearch(text);
        return 0;
    }
    // Only ids below the current number of categories: buttons left over after a reset
    // shortened the list are dead.
    const int categoryCount = static_cast<int>(FilterCategories.size());
    if (notification == BN_CLICKED && id >= IDC_TAG_BASE && id < IDC_TAG_BASE + categoryCount)
        SelectTag(id - IDC_TAG_BASE);
    return 0;
}

LRESULT OnPaint(HWND window) {
    PaintDC paint(window);
    PaintResultsList(paint.get());
    return 0;
}

LRESULT OnDestroy(HWND window) {
    RemoveTrayIcon();
    UnregisterToggleHotkey(window);
    ExitRequested.exchange(true);
    ::PostQuitMessage(0);
    return 0;
}

LRESULT DispatchMainMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate(window);
        case WM_DESTROY:
            return OnDestroy(window);
        case WM_SIZE:
            return OnSize(window, lParam);
        case WM_PAINT:
            return OnPaint(window);
        case WM_SETCURSOR:
            return OnListSetCursor(window, wParam, lParam);
        case WM_COMMAND:
            return OnCommand(wParam);
        case WM_VSCROLL:
            return OnVScroll(wParam);
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
            // White behind the search box, also while it is disabled, and the status line.
            return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
        case WM_MOUSEMOVE:
            return OnListMouseMove(window, lParam);
        case WM_LBUTTONDOWN:
            return OnListButtonDown(window, lParam);
        case WM_LBUTTONUP:
            return OnListButtonUp();
        case WM_LBUTTONDBLCLK:
            return OnListDoubleClick(window, lParam);
        case WM_RBUTTONUP:
            return OnListRightButtonUp(window, lParam);
        case WM_MOUSEWHEEL:
            return OnMouseWheel(wParam);
        case WM_MOUSELEAVE:
            return OnListMouseLeave();
        case WM_CAPTURECHANGED:
            return OnListCaptureChanged(window, lParam);
        case WM_INDEX_READY:
            OnIndexReady(window, wParam);
            break;
        case WM_SEARCH_DONE:
            OnSearchDone(wParam, lParam);
            break;
        case WM_SORT_PROGRESS:
            OnSortProgress(window, wParam, lParam);
            return 0;
        case WM_SYSCOMMAND:
            if (OnSysCommand(window, wParam))
                return 0;
            break;
        case WM_HOTKEY:
            if (OnHotkey(window, wParam))
                return 0;
            break;
        case WM_TRAY_NOTIFY:
            OnTrayNotify(window, lParam);
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

// Windows calls the procedure from its own code, through which no exception may pass.
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return DispatchMainMessage(window, message, wParam, lParam);
    } catch (const std::bad_alloc&) {
        return OnOutOfMemory(window, message);
    }
}

}  // namespace kx
