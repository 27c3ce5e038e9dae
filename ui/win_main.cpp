// The entry point: language, administrator check, filter configuration, the main window and
// the message loop.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cwchar>

#include "common/process_state.h"
#include "filters/config_startup.h"
#include "resources/product.h"
#include "search/search_state.h"
#include "ui/admin_check.h"
#include "ui/com_apartment.h"
#include "ui/main_window.h"
#include "ui/simulated_machine.h"
#include "ui/texts.h"
#include "ui/window_titles.h"

namespace kx {

namespace {

constexpr int kClassIconSize = 32;
constexpr std::size_t kMessageBoxCapacity = 512;
// Not one of the program's own endings (0 closed, 1 fatal message): the window system failed.
constexpr UINT kExitNoWindow = 2;

[[noreturn]] void RefuseWithoutAdministrator() {
    wchar_t text[kMessageBoxCapacity];
    std::swprintf(text, kMessageBoxCapacity, L"%ls", Text(TextId::AdministratorRequired));
    ::MessageBoxW(nullptr, text, Text(TextId::NoticeCaption), MB_ICONERROR);
    ::ExitProcess(1);
}

HICON LoadClassIcon(HINSTANCE instance) {
    const HANDLE icon = ::LoadImageW(instance, MAKEINTRESOURCEW(IDI_KESTRIX), IMAGE_ICON,
                                     kClassIconSize, kClassIconSize, LR_DEFAULTCOLOR);
    return icon != nullptr ? static_cast<HICON>(icon) : ::LoadIconW(nullptr, IDI_APPLICATION);
}

bool RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSW windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadClassIcon(instance);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    // No background brush: the window paints all of its client area itself.
    windowClass.hbrBackground = nullptr;
    windowClass.lpszClassName = kMainWindowClass;
    return ::RegisterClassW(&windowClass) != 0;
}

// The tooltip class of the hover tip is registered by the common controls only once asked.
void InitCommonControlClasses() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);
}

[[noreturn]] void Run(HINSTANCE instance, int showCommand) {
    UseChinese = IsChineseUiLanguage(::GetUserDefaultUILanguage());
    if (!RunningAsAdministrator())
        RefuseWithoutAdministrator();
    EnterWindowThreadApartment();
    InitFilterConfig();
    PrepareSimulatedMachine();
    InitCommonControlClasses();
    if (!RegisterMainWindowClass(instance))
        ::ExitProcess(kExitNoWindow);
    const HWND window =
        ::CreateWindowExW(0, kMainWindowClass, Text(TextId::InitializingTitle),
                          WS_OVERLAPPEDWINDOW | WS_VSCROLL, CW_USEDEFAULT, CW_USEDEFAULT,
                          kMainWindowWidth, kMainWindowHeight, nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        ::ExitProcess(kExitNoWindow);
    MainWindow.store(window);
    ::ShowWindow(window, showCommand);
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    // Workers may still run: ExitProcess stops them where they are, without static
    // destructors running under their feet.
    ::ExitProcess(0);
}

}  // namespace

}  // namespace kx

// The command line is ignored: the program takes no arguments.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    kx::Run(instance, showCommand);
}
