#include <windows.h>

#include "platform/volume_io.h"
#include "platform/win32/wide_string.h"
#include "platform/windows_errors.h"

namespace kx {

namespace {

static_assert(sizeof(VolumeHandle) == sizeof(HANDLE));

HANDLE ToNative(VolumeHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// Some failing calls leave the last error at 0; passing that on would make a failure look
// like success to a caller that only looks at the code.
std::uint32_t LastErrorOfFailure() {
    const DWORD error = ::GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

// GetVolumeInformationW on an empty removable drive would otherwise ask the user to insert
// a disk; the program must skip such a drive silently.
class CriticalErrorDialogsOff {
  public:
    CriticalErrorDialogsOff() {
        active_ = ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX,
                                       &previous_) != FALSE;
    }
    ~CriticalErrorDialogsOff() {
        if (active_)
            ::SetThreadErrorMode(previous_, nullptr);
    }
    CriticalErrorDialogsOff(const CriticalErrorDialogsOff&) = delete;
    CriticalErrorDialogsOff& operator=(const CriticalErrorDialogsOff&) = delete;

  private:
    DWORD previous_ = 0;
    bool active_ = false;
};

}  // namespace

VolumeHandle OpenVolume(const std::u16string& deviceName) {
    std::wstring name;
    if (!ToWidePath(deviceName, &name)) {
        ::SetLastError(ERROR_INVALID_NAME);
        return kInvalidVolumeHandle;
    }
    const HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle == INVALID_HANDLE_VALUE ? kInvalidVolumeHandle
                                          : reinterpret_cast<VolumeHandle>(handle);
}

void CloseVolume(VolumeHandle handle) {
    if (IsOpenVolumeHandle(handle))
        ::CloseHandle(ToNative(handle));
}

std::uint32_t SendVolumeControl(VolumeHandle handle, std::uint32_t controlCode, const void* input,
                                std::uint32_t inputSize, void* output, std::uint32_t outputSize,
                                std::uint32_t* bytesReturned) {
    DWORD bytes = 0;
    // DeviceIoControl takes a non-const input pointer but never writes through it.
    const BOOL ok = ::DeviceIoControl(ToNative(handle), controlCode, const_cast<void*>(input),
                                      inputSize, output, outputSize, &bytes, nullptr);
    const std::uint32_t error = ok ? kErrorSuccess : LastErrorOfFailure();
    if (bytesReturned != nullptr)
        *bytesReturned = bytes <= outputSize ? bytes : outputSize;
    return error;
}

std::uint32_t GetLogicalDriveMask() {
    return ::GetLogicalDrives() & 0x03FFFFFFu;  // A to Z
}

bool GetFileSystemName(const std::u16string& rootDirectory, std::u16string* fileSystemName) {
    std::wstring root;
    if (!ToWidePath(rootDirectory, &root))
        return false;
    wchar_t name[32] = {};
    CriticalErrorDialogsOff noDialogs;
    if (!::GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, name,
                                 static_cast<DWORD>(std::size(name))))
        return false;
    name[std::size(name) - 1] = L'\0';
    if (fileSystemName != nullptr)
        *fileSystemName = FromWide(name);
    return true;
}

}  // namespace kx
