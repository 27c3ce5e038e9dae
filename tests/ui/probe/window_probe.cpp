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

#include "tests/ui/probe/probe_support.h"
#include "ui/control_ids.h"

using namespace kx::probe;

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
        ::SendMessageTimeoutW(::GetDlgItem(main, kx::IDC_SEARCH_EDIT), WM_SETTEXT, 0,
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
