// What every answer of the window probe uses: "key=value" lines, UTF-8 with line feeds inside
// texts as "\n", and the program's windows found from outside.
#pragma once

#include <windows.h>

#include <string>

namespace kx::probe {

std::string Utf8(const std::wstring& text);
// WM_GETTEXT, not GetWindowTextW: for a window of another process the latter returns the
// window's caption, which an edit control does not keep its text in.
std::wstring TextOf(HWND window);
void Line(const char* key, const std::string& value);
void PrintRect(const char* key, const RECT& rect);
void PrintNumber(const std::string& key, long long value);
void PrintColour(const char* key, COLORREF colour);
// A visible top-level window of the program's process, of the class, owned by owner if given.
HWND FindTopLevel(HWND main, const wchar_t* className, HWND owner);

// The answers, by what they look at; each returns the probe's exit code.
//
// The main window (probe_main_window.cpp).
void PrintState(HWND main);
int PrintTip(HWND main);
// The program's popup menu and message boxes (probe_menus_and_boxes.cpp).
int PrintMenu(HWND main);
int PostMenuKeys(HWND main, int count, wchar_t** keys);
int PrintBox(HWND main, bool pressOk);
int PressBoxButton(HWND main, int id);
// The rest of the desktop: the clipboard, other programs' windows, a file held open
// (probe_desktop.cpp).
int PrintClipboard();
int VisitWindows(const wchar_t* titlePart);
int HoldFile(const wchar_t* path, const wchar_t* milliseconds);
// The program's own constants and texts (probe_definitions.cpp).
int PrintDefinitions();
// Windows of the probe's own, for screenshots (probe_own_windows.cpp).
int ShowReplicaMenu(int count, wchar_t** args);
int ShowFrontWindow(const wchar_t* milliseconds, const wchar_t* cursorName);

}  // namespace kx::probe
