// A console program that looks into the running Kestrix window from outside, for the window
// tests (tests/ui/harness): the texts of the controls that X11 cannot see (Wine's child windows
// are not X windows), the tag buttons' places and marks, and the client area's
// place on the screen. It also closes or resizes the window, and scrolls it one line down
// as the scroll bar's arrow does (a real click on the arrow repeats when the machine is slow).
// "settext" replaces the search box's text as typing would, also while a menu of the program
// is open and takes the keyboard.
//
//   window_probe.exe state | close | resize WIDTH HEIGHT | linedown | settext TEXT | tip
//   window_probe.exe syscommand CODE | tray MOUSE-MESSAGE | menu | menukey KEY... | box | boxok
//   window_probe.exe hideshow
//
// "syscommand" and "tray" post WM_SYSCOMMAND and the icon's callback message (0x8001, icon 1,
// CODE and MOUSE-MESSAGE in decimal or 0x hex): posted, because the program then sits in a modal
// menu or message box. "menu" prints the open popup menu of the program (class #32768): its
// place and each item's id, state, text and place. "menukey" posts keys (VK codes) to that
// menu as the keyboard would. "box" prints the message box (class #32770) owned by the window:
// caption, text and its OK button's place on the screen; "boxok" presses that button. "tip"
// prints whether the program's hover tip is shown, and its text. "hideshow" posts the
// minimise command and the icon's double-click at once: the window hides and comes back.
//
//   window_probe.exe showmenu X Y MS ITEM... | front MS [CURSOR]   (no Kestrix window needed)
//
// Wine keeps menus per process, so another process cannot read the program's menu items.
// "showmenu" opens a popup menu of the probe's own at X,Y with the given texts ("-" a
// separator), drawn by the same code in the same fonts, for a screenshot to compare with the
// program's; it prints each item's place and closes after MS milliseconds. "front" shows a
// window of its own in front of everything for MS milliseconds, with the system cursor
// CURSOR ("sizewe" or "arrow") over it when given.
//
//   window_probe.exe boxpress ID | clipboard | windows | closetitled TEXT | hold PATH MS
//
// "boxpress" presses the message box's button ID (1 OK, 6 Yes, 7 No); "box" also lists the
// box's button ids and the place of its icon, whose colours tell the icon kind. "clipboard"
// prints whether CF_UNICODETEXT is there and its text. "windows" lists the visible top-level
// windows of every process (class and title), "closetitled" posts WM_CLOSE to those of other
// programs whose title holds TEXT. "hold" keeps a file open without any sharing for MS
// milliseconds, as another program using it would (no Kestrix window needed).
//
//   window_probe.exe definitions                               (no Kestrix window needed)
//
// "definitions" prints the program's own constants that the tests measure the window against,
// from the headers the program is built from: the list's geometry and colours, the tag bar's
// geometry, the control ids, and every text in English and in Chinese with the default
// category names and the About text. The tests never spell these values themselves.
//
// "state" prints one "key=value" line per fact, UTF-8, line feeds inside texts as "\n".
// Exit code 0, or 1 when no window of class KESTRIXWND exists (for menu, menukey, box and
// boxok also when no such menu or box is open).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "filters/default_categories.h"
#include "filters/tag_bar_layout.h"
#include "resources/product.h"
#include "ui/about_text.h"
#include "ui/control_ids.h"
#include "ui/list_colours.h"
#include "ui/list_geometry.h"
#include "ui/texts.h"

namespace {

constexpr int kSearchEditId = kx::IDC_SEARCH_EDIT;
constexpr int kStatusId = kx::IDC_STATUS;
constexpr int kFirstTagId = kx::IDC_TAG_BASE;
constexpr int kMaxTags = 64;

std::string Utf8(const std::wstring& text) {
    std::wstring escaped;
    for (wchar_t c : text) {
        if (c == L'\n')
            escaped += L"\\n";
        else
            escaped += c;
    }
    if (escaped.empty())
        return std::string();
    const int size = ::WideCharToMultiByte(
        CP_UTF8, 0, escaped.data(), static_cast<int>(escaped.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, escaped.data(), static_cast<int>(escaped.size()),
                          bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// WM_GETTEXT, not GetWindowTextW: for a window of another process the latter returns the
// window's caption, which an edit control does not keep its text in.
std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    ::SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return text;
}

void Line(const char* key, const std::string& value) {
    std::printf("%s=%s\n", key, value.c_str());
}

void PrintState(HWND main) {
    Line("title", Utf8(TextOf(main)));
    Line("visible", ::IsWindowVisible(main) ? "1" : "0");
    Line("foreground", ::GetForegroundWindow() == main ? "1" : "0");
    Line("iconic", ::IsIconic(main) ? "1" : "0");
    const HWND edit = ::GetDlgItem(main, kSearchEditId);
    Line("search", Utf8(TextOf(edit)));
    Line("search_enabled", ::IsWindowEnabled(edit) ? "1" : "0");
    Line("status", Utf8(TextOf(::GetDlgItem(main, kStatusId))));
    POINT origin{0, 0};
    ::ClientToScreen(main, &origin);
    RECT client{};
    ::GetClientRect(main, &client);
    std::printf("client=%ld,%ld,%ld,%ld\n", origin.x, origin.y, client.right, client.bottom);
    for (int k = 0; k < kMaxTags; ++k) {
        const HWND tag = ::GetDlgItem(main, kFirstTagId + k);
        if (tag == nullptr)
            break;
        RECT rect{};
        ::GetWindowRect(tag, &rect);
        POINT topLeft{rect.left, rect.top};
        ::ScreenToClient(main, &topLeft);
        const LONG_PTR style = ::GetWindowLongPtrW(tag, GWL_STYLE);
        std::printf("tag%d=%ld,%ld,%ld,%ld visible=%d marked=%d caption=%s\n", k, topLeft.x,
                    topLeft.y, rect.right - rect.left, rect.bottom - rect.top,
                    ::IsWindowVisible(tag) ? 1 : 0, (style & BS_DEFPUSHBUTTON) ? 1 : 0,
                    Utf8(TextOf(tag)).c_str());
    }
}

void PrintRect(const char* key, const RECT& rect) {
    std::printf("%s=%ld,%ld,%ld,%ld\n", key, rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top);
}

struct TopLevelSearch {
    DWORD process;
    const wchar_t* className;
    HWND owner;  // null: any owner
    HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<TopLevelSearch*>(context);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (process != search->process || std::wcscmp(className, search->className) != 0 ||
        !::IsWindowVisible(window))
        return TRUE;
    if (search->owner != nullptr && ::GetWindow(window, GW_OWNER) != search->owner)
        return TRUE;
    search->found = window;
    return FALSE;
}

// A visible top-level window of the program's process, of the class, owned by owner if given.
HWND FindTopLevel(HWND main, const wchar_t* className, HWND owner) {
    TopLevelSearch search{0, className, owner, nullptr};
    ::GetWindowThreadProcessId(main, &search.process);
    ::EnumWindows(&MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

constexpr UINT kMenuGetHandle = 0x01E1;  // MN_GETHMENU

int PrintMenu(HWND main) {
    const HWND menuWindow = FindTopLevel(main, L"#32768", nullptr);
    if (menuWindow == nullptr) {
        std::printf("no menu\n");
        return 1;
    }
    RECT place{};
    ::GetWindowRect(menuWindow, &place);
    PrintRect("menu", place);
    const HMENU menu = reinterpret_cast<HMENU>(::SendMessageW(menuWindow, kMenuGetHandle, 0, 0));
    const int count = menu != nullptr ? ::GetMenuItemCount(menu) : -1;
    std::printf("menu_items=%d\n", count);
    for (int k = 0; k < count; ++k) {
        wchar_t text[256] = {};
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = 256;
        ::GetMenuItemInfoW(menu, static_cast<UINT>(k), TRUE, &item);
        RECT rect{};
        ::GetMenuItemRect(nullptr, menu, static_cast<UINT>(k), &rect);
        const char* kind = (item.fType & MFT_SEPARATOR) ? "separator"
                           : (item.fState & MFS_GRAYED) ? "grayed"
                                                        : "enabled";
        std::printf("menu_item%d=%u %s %ld,%ld,%ld,%ld %s\n", k, item.wID, kind, rect.left,
                    rect.top, rect.right - rect.left, rect.bottom - rect.top, Utf8(text).c_str());
    }
    return 0;
}

int PostMenuKeys(HWND main, int count, wchar_t** keys) {
    const HWND menuWindow = FindTopLevel(main, L"#32768", nullptr);
    if (menuWindow == nullptr)
        return 1;
    for (int k = 0; k < count; ++k) {
        const WPARAM key = std::wcstoul(keys[k], nullptr, 0);
        ::PostMessageW(menuWindow, WM_KEYDOWN, key, 1);
        ::PostMessageW(menuWindow, WM_KEYUP, key, 0xC0000001);
        ::Sleep(100);
    }
    return 0;
}

BOOL CALLBACK PrintStaticText(HWND child, LPARAM) {
    wchar_t className[64] = {};
    ::GetClassNameW(child, className, 64);
    const std::wstring text = TextOf(child);
    if (_wcsicmp(className, L"Static") == 0 && !text.empty())
        Line("box_text", Utf8(text));
    return TRUE;
}

struct BoxParts {
    std::string buttons;  // ids in child order, comma-separated
    RECT icon{};          // screen rectangle of the icon, empty when there is none
};

BOOL CALLBACK CollectBoxParts(HWND child, LPARAM context) {
    auto* parts = reinterpret_cast<BoxParts*>(context);
    wchar_t className[64] = {};
    ::GetClassNameW(child, className, 64);
    if (_wcsicmp(className, L"Button") == 0 && ::IsWindowVisible(child)) {
        if (!parts->buttons.empty())
            parts->buttons += ',';
        parts->buttons += std::to_string(::GetDlgCtrlID(child));
    } else if (_wcsicmp(className, L"Static") == 0 &&
               (::GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        ::GetWindowRect(child, &parts->icon);
    }
    return TRUE;
}

int PrintBox(HWND main, bool pressOk) {
    const HWND box = FindTopLevel(main, L"#32770", main);
    if (box == nullptr) {
        std::printf("no box\n");
        return 1;
    }
    const HWND ok = ::GetDlgItem(box, IDOK);
    if (pressOk) {
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
        return 0;
    }
    Line("box_caption", Utf8(TextOf(box)));
    ::EnumChildWindows(box, &PrintStaticText, 0);
    RECT rect{};
    ::GetWindowRect(ok, &rect);
    PrintRect("box_ok", rect);
    Line("box_ok_text", Utf8(TextOf(ok)));
    BoxParts parts;
    ::EnumChildWindows(box, &CollectBoxParts, reinterpret_cast<LPARAM>(&parts));
    Line("box_buttons", parts.buttons);
    PrintRect("box_icon", parts.icon);
    return 0;
}

int PressBoxButton(HWND main, int id) {
    const HWND box = FindTopLevel(main, L"#32770", main);
    if (box == nullptr)
        return 1;
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, id)));
    return 0;
}

int PrintClipboard() {
    if (!::OpenClipboard(nullptr)) {
        std::printf("clipboard busy\n");
        return 1;
    }
    const bool unicode = ::IsClipboardFormatAvailable(CF_UNICODETEXT) != 0;
    Line("clipboard_unicode", unicode ? "1" : "0");
    std::wstring text;
    if (const HANDLE data = unicode ? ::GetClipboardData(CF_UNICODETEXT) : nullptr) {
        if (const auto* units = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = units;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    Line("clipboard_text", Utf8(text));
    return 0;
}

struct TitleMatch {
    const wchar_t* part;  // null: print every window
    DWORD sparedProcess;  // Kestrix's: its hover tip can carry the same title as a shell window
};

DWORD OwningProcess(HWND window) {
    DWORD process = 0;
    if (window != nullptr)
        ::GetWindowThreadProcessId(window, &process);
    return process;
}

BOOL CALLBACK VisitVisibleWindow(HWND window, LPARAM context) {
    const auto* match = reinterpret_cast<const TitleMatch*>(context);
    if (!::IsWindowVisible(window))
        return TRUE;
    wchar_t className[128] = {};
    ::GetClassNameW(window, className, 128);
    const std::wstring title = TextOf(window);
    if (match->part == nullptr)
        std::printf("window=%s|%s\n", Utf8(className).c_str(), Utf8(title).c_str());
    else if (title.find(match->part) != std::wstring::npos &&
             OwningProcess(window) != match->sparedProcess)
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

int VisitWindows(const wchar_t* titlePart) {
    TitleMatch match{titlePart, OwningProcess(::FindWindowW(L"KESTRIXWND", nullptr))};
    ::EnumWindows(&VisitVisibleWindow, reinterpret_cast<LPARAM>(&match));
    return 0;
}

int HoldFile(const wchar_t* path, const wchar_t* milliseconds) {
    const HANDLE file = ::CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("cannot open: %lu\n", ::GetLastError());
        return 1;
    }
    std::printf("holding\n");
    std::fflush(stdout);
    ::Sleep(std::wcstoul(milliseconds, nullptr, 10));
    ::CloseHandle(file);
    return 0;
}

void PrintNumber(const std::string& key, long long value) {
    std::printf("%s=%lld\n", key.c_str(), value);
}

void PrintColour(const char* key, COLORREF colour) {
    std::printf("colour.%s=%d,%d,%d\n", key, GetRValue(colour), GetGValue(colour),
                GetBValue(colour));
}

struct NamedText {
    kx::TextId id;
    const char* name;
};

#define KX_NAMED_TEXT(name) \
    { kx::TextId::name, #name }
constexpr NamedText kNamedTexts[] = {
    KX_NAMED_TEXT(InitializingTitle),
    KX_NAMED_TEXT(IndexingTitle),
    KX_NAMED_TEXT(ReadyTitle),
    KX_NAMED_TEXT(IdleTitle),
    KX_NAMED_TEXT(MatchesTitleFormat),
    KX_NAMED_TEXT(NoticeCaption),
    KX_NAMED_TEXT(AdministratorRequired),
    KX_NAMED_TEXT(NoNtfsVolume),
    KX_NAMED_TEXT(StatusFormat),
    KX_NAMED_TEXT(ColumnRowNumber),
    KX_NAMED_TEXT(ColumnName),
    KX_NAMED_TEXT(ColumnSize),
    KX_NAMED_TEXT(ColumnModified),
    KX_NAMED_TEXT(ColumnCreated),
    KX_NAMED_TEXT(ColumnPath),
    KX_NAMED_TEXT(TrayTip),
    KX_NAMED_TEXT(TrayShowWindow),
    KX_NAMED_TEXT(TrayAbout),
    KX_NAMED_TEXT(TrayExit),
    KX_NAMED_TEXT(AboutCaption),
    KX_NAMED_TEXT(AboutProductLine),
    KX_NAMED_TEXT(AboutBrandLine),
    KX_NAMED_TEXT(AboutWebsiteLabel),
    KX_NAMED_TEXT(AboutVersionLine),
    KX_NAMED_TEXT(InfoCaption),
    KX_NAMED_TEXT(ErrorCaption),
    KX_NAMED_TEXT(SuccessCaption),
    KX_NAMED_TEXT(SelectFileFirst),
    KX_NAMED_TEXT(NoFilePath),
    KX_NAMED_TEXT(OpenFailedFormat),
    KX_NAMED_TEXT(DeleteQuestion),
    KX_NAMED_TEXT(DeleteCaption),
    KX_NAMED_TEXT(FileDeleted),
    KX_NAMED_TEXT(DeleteFailedFormat),
    KX_NAMED_TEXT(RunAsFailedFormat),
    KX_NAMED_TEXT(PathCopied),
    KX_NAMED_TEXT(ClipboardMemoryFailed),
    KX_NAMED_TEXT(ClipboardOpenFailed),
    KX_NAMED_TEXT(ClipboardSetFailed),
    KX_NAMED_TEXT(PropertiesFailedFormat),
    KX_NAMED_TEXT(MenuOpen),
    KX_NAMED_TEXT(MenuOpenFolder),
    KX_NAMED_TEXT(MenuDelete),
    KX_NAMED_TEXT(MenuRunAsAdmin),
    KX_NAMED_TEXT(MenuCopyPath),
    KX_NAMED_TEXT(MenuProperties),
    KX_NAMED_TEXT(MenuOpenFilterFolder),
    KX_NAMED_TEXT(MenuResetFilters),
    KX_NAMED_TEXT(ResetFiltersQuestion),
    KX_NAMED_TEXT(ResetFiltersCaption),
    KX_NAMED_TEXT(OutOfMemory),
};
#undef KX_NAMED_TEXT
// A text added to the program must be named here too, or the tests could not ask for it.
static_assert(sizeof(kNamedTexts) / sizeof(kNamedTexts[0]) ==
                  static_cast<std::size_t>(kx::TextId::Count),
              "kNamedTexts must name every TextId");

std::wstring Wide(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

int PrintDefinitions() {
    PrintNumber("list.top", kx::kListTop);
    PrintNumber("list.header_bottom", kx::kHeaderBottom);
    PrintNumber("list.row_height", kx::kRowHeight);
    PrintNumber("list.wheel_step", kx::kWheelStepPixels);
    PrintNumber("list.resize_reach", kx::kResizeHandleReach);
    PrintNumber("list.min_column_width", kx::kMinColumnWidth);
    std::string widths;
    for (const int width : kx::kInitialColumnWidths)
        widths += (widths.empty() ? "" : ",") + std::to_string(width);
    Line("list.column_widths", widths);
    PrintColour("background", kx::kBackgroundColour);
    PrintColour("odd_row", kx::kOddRowColour);
    PrintColour("selected_row", kx::kSelectedRowColour);
    PrintColour("row_text", kx::kRowTextColour);
    PrintColour("grid", kx::kGridColour);
    PrintColour("header", kx::kHeaderColour);
    PrintColour("header_line", kx::kHeaderLineColour);
    PrintColour("header_separator", kx::kHeaderSeparatorColour);
    PrintColour("header_text", kx::kHeaderTextColour);
    PrintNumber("id.search_edit", kx::IDC_SEARCH_EDIT);
    PrintNumber("id.status", kx::IDC_STATUS);
    PrintNumber("id.tag_base", kx::IDC_TAG_BASE);
    PrintNumber("tags.row_left", kx::kTagRowLeft);
    PrintNumber("tags.right_margin", kx::kTagRowRightMargin);
    PrintNumber("tags.first_row_top", kx::kTagFirstRowTop);
    PrintNumber("tags.row_step", kx::kTagRowStep);
    PrintNumber("tags.button_height", kx::kTagButtonHeight);
    PrintNumber("tags.gap", kx::kTagButtonGap);
    Line("product.web_address", KX_PRODUCT_WEB_ADDRESS);
    Line("product.version", KX_PRODUCT_VERSION_TEXT);
    for (const bool chinese : {false, true}) {
        const std::string language = chinese ? "zh" : "en";
        for (const NamedText& text : kNamedTexts)
            Line(("text." + language + "." + text.name).c_str(),
                 Utf8(kx::TextIn(text.id, chinese)));
        const kx::CategoryList categories = kx::DefaultCategories(chinese);
        PrintNumber("categories." + language + ".count", static_cast<long long>(categories.size()));
        for (std::size_t k = 0; k < categories.size(); ++k)
            Line(("categories." + language + "." + std::to_string(k)).c_str(),
                 Utf8(Wide(categories[k].name)));
        Line(("about." + language).c_str(), Utf8(kx::AboutText(chinese)));
    }
    Line("text.sort_ascending_mark", Utf8(kx::kSortAscendingMark));
    Line("text.sort_descending_mark", Utf8(kx::kSortDescendingMark));
    return 0;
}

// The hover tip is an owned popup of class tooltips_class32; Wine's control answers
// WM_GETTEXT with the text it shows.
int PrintTip(HWND main) {
    const HWND tip = FindTopLevel(main, L"tooltips_class32", nullptr);
    Line("tip_visible", tip != nullptr ? "1" : "0");
    Line("tip_text", tip != nullptr ? Utf8(TextOf(tip)) : std::string());
    return 0;
}

HMENU ReplicaMenu = nullptr;
int ReplicaItems = 0;
constexpr UINT_PTR kPrintTimer = 1;
constexpr UINT_PTR kEndTimer = 2;
constexpr UINT kPrintDelay = 300;

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_TIMER)
        return ::DefWindowProcW(window, message, wParam, lParam);
    ::KillTimer(window, wParam);
    if (wParam == kPrintTimer) {
        for (int k = 0; k < ReplicaItems; ++k) {
            RECT rect{};
            ::GetMenuItemRect(nullptr, ReplicaMenu, static_cast<UINT>(k), &rect);
            const std::string key = "item" + std::to_string(k);
            PrintRect(key.c_str(), rect);
        }
        std::fflush(stdout);
    } else if (ReplicaMenu != nullptr) {
        ::EndMenu();
    } else {
        ::PostQuitMessage(0);
    }
    return 0;
}

HWND CreateProbeWindow(DWORD style, const wchar_t* title, HCURSOR cursor = nullptr) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &ProbeWindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.hCursor = cursor;
    windowClass.lpszClassName = L"KestrixProbe";
    ::RegisterClassW(&windowClass);
    return ::CreateWindowExW(0, L"KestrixProbe", title, style, 600, 100, 300, 200, nullptr, nullptr,
                             windowClass.hInstance, nullptr);
}

int ShowReplicaMenu(int count, wchar_t** args) {  // X Y MS ITEM...
    if (count < 4)
        return 2;
    const HWND owner = CreateProbeWindow(WS_POPUP, L"");
    ReplicaMenu = ::CreatePopupMenu();
    for (int k = 3; k < count; ++k) {
        if (std::wcscmp(args[k], L"-") == 0)
            ::AppendMenuW(ReplicaMenu, MF_SEPARATOR, 0, nullptr);
        else
            ::AppendMenuW(ReplicaMenu, MF_STRING, static_cast<UINT_PTR>(k), args[k]);
    }
    ReplicaItems = count - 3;
    ::SetTimer(owner, kPrintTimer, kPrintDelay, nullptr);
    ::SetTimer(owner, kEndTimer, std::wcstoul(args[2], nullptr, 10), nullptr);
    ::SetForegroundWindow(owner);
    ::TrackPopupMenu(ReplicaMenu, TPM_RETURNCMD | TPM_RIGHTBUTTON,
                     std::wcstol(args[0], nullptr, 10), std::wcstol(args[1], nullptr, 10), 0, owner,
                     nullptr);
    ::DestroyMenu(ReplicaMenu);
    return 0;
}

int ShowFrontWindow(const wchar_t* milliseconds, const wchar_t* cursorName) {
    // A system cursor over the window, for the tests to see how Wine draws it on the display.
    HCURSOR cursor = nullptr;
    if (cursorName != nullptr && std::wcscmp(cursorName, L"sizewe") == 0)
        cursor = ::LoadCursorW(nullptr, IDC_SIZEWE);
    else if (cursorName != nullptr && std::wcscmp(cursorName, L"arrow") == 0)
        cursor = ::LoadCursorW(nullptr, IDC_ARROW);
    const HWND window =
        CreateProbeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, L"Kestrix probe front", cursor);
    ::SetForegroundWindow(window);
    ::SetTimer(window, kEndTimer, std::wcstoul(milliseconds, nullptr, 10), nullptr);
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&message);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && std::wcscmp(argv[1], L"showmenu") == 0)
        return ShowReplicaMenu(argc - 2, argv + 2);
    if (argc > 2 && std::wcscmp(argv[1], L"front") == 0)
        return ShowFrontWindow(argv[2], argc > 3 ? argv[3] : nullptr);
    if (argc > 3 && std::wcscmp(argv[1], L"hold") == 0)
        return HoldFile(argv[2], argv[3]);
    if (argc > 1 && std::wcscmp(argv[1], L"definitions") == 0)
        return PrintDefinitions();
    if (argc > 1 && std::wcscmp(argv[1], L"clipboard") == 0)
        return PrintClipboard();
    if (argc > 1 && std::wcscmp(argv[1], L"windows") == 0)
        return VisitWindows(nullptr);
    if (argc > 2 && std::wcscmp(argv[1], L"closetitled") == 0)
        return VisitWindows(argv[2]);
    const HWND main = ::FindWindowW(L"KESTRIXWND", nullptr);
    if (main == nullptr) {
        std::printf("no window\n");
        return 1;
    }
    const std::wstring command = argc > 1 ? argv[1] : L"state";
    int result = 0;
    if (command == L"close") {
        ::PostMessageW(main, WM_CLOSE, 0, 0);
    } else if (command == L"syscommand" && argc > 2) {
        ::PostMessageW(main, WM_SYSCOMMAND, std::wcstoul(argv[2], nullptr, 0), 0);
    } else if (command == L"tray" && argc > 2) {
        ::PostMessageW(main, 0x8001, 1, static_cast<LPARAM>(std::wcstoul(argv[2], nullptr, 0)));
    } else if (command == L"menu") {
        result = PrintMenu(main);
    } else if (command == L"menukey") {
        result = PostMenuKeys(main, argc - 2, argv + 2);
    } else if (command == L"box" || command == L"boxok") {
        result = PrintBox(main, command == L"boxok");
    } else if (command == L"boxpress" && argc > 2) {
        result = PressBoxButton(main, static_cast<int>(std::wcstol(argv[2], nullptr, 0)));
    } else if (command == L"hideshow") {
        // Hidden and shown again before Wine's mouse tracking notices that the pointer left,
        // as ALT+Z pressed twice in quick succession does.
        ::PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        ::PostMessageW(main, 0x8001, 1, WM_LBUTTONDBLCLK);
    } else if (command == L"tip") {
        result = PrintTip(main);
    } else if (command == L"linedown") {
        ::PostMessageW(main, WM_VSCROLL, SB_LINEDOWN, 0);
    } else if (command == L"settext" && argc > 2) {
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(::GetDlgItem(main, kSearchEditId), WM_SETTEXT, 0,
                              reinterpret_cast<LPARAM>(argv[2]), SMTO_ABORTIFHUNG, 5000, &ignored);
    } else if (command == L"resize" && argc > 3) {
        ::SetWindowPos(main, nullptr, 0, 0, std::wcstol(argv[2], nullptr, 10),
                       std::wcstol(argv[3], nullptr, 10), SWP_NOMOVE | SWP_NOZORDER);
    } else {
        PrintState(main);
    }
    std::fflush(stdout);
    return result;
}
