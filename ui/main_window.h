// The program's one top-level window: class KESTRIXWND, procedure MainWndProc.
#pragma once

#include <windows.h>

namespace kx {

constexpr wchar_t kMainWindowClass[] = L"KESTRIXWND";
constexpr int kMainWindowWidth = 1200;
constexpr int kMainWindowHeight = 750;

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Handlers of the messages worker threads post (main_window_messages.cpp).
void OnIndexReady(HWND window, WPARAM nothingIndexed);
void OnSearchDone(WPARAM generation, LPARAM resorted);
void OnSortProgress(HWND window, WPARAM generation, LPARAM text);

}  // namespace kx
