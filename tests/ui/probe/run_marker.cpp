// A program for the shell to start in the window tests: it leaves a file beside itself, named
// as itself plus ".ran", holding its command line, so that a test sees that the shell ran it.
// A GUI-subsystem program that makes no window: started by the shell, it leaves nothing on
// the screen (a console program would leave its console window behind, over the list).
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 1;
    const std::wstring marker = std::wstring(self) + L".ran";
    const HANDLE file = ::CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    const wchar_t* commandLine = ::GetCommandLineW();
    DWORD written = 0;
    ::WriteFile(file, commandLine, static_cast<DWORD>(::lstrlenW(commandLine) * sizeof(wchar_t)),
                &written, nullptr);
    ::CloseHandle(file);
    return 0;
}
