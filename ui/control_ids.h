// Identifiers of the main window's child controls.
#pragma once

namespace kx {

constexpr int IDC_SEARCH_EDIT = 101;
constexpr int IDC_STATUS = 103;
// Tag button k has IDC_TAG_BASE + k.
constexpr int IDC_TAG_BASE = 200;

// Commands of the results list's context menu, in menu order; also returned by the menu.
constexpr int IDM_OPEN = 10001;
constexpr int IDM_OPEN_FOLDER = 10002;
constexpr int IDM_DELETE = 10003;
constexpr int IDM_RUN_AS_ADMIN = 10004;
constexpr int IDM_COPY_PATH = 10005;
constexpr int IDM_PROPERTIES = 10006;
constexpr int IDM_OPEN_FILTER_FOLDER = 10007;
constexpr int IDM_RESET_FILTERS = 10008;

// Tray menu commands; the menu returns them (TPM_RETURNCMD), so none arrives as WM_COMMAND.
constexpr int IDM_TRAY_SHOW = 20001;
constexpr int IDM_TRAY_EXIT = 20002;
constexpr int IDM_TRAY_ABOUT = 20003;

// The system-wide ALT+Z that hides and shows the main window.
constexpr int ID_HOTKEY_TOGGLE = 30001;

}  // namespace kx
