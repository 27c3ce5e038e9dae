// Volume devices and drives, as the indexing subsystem needs them. The Win32 implementation
// calls the real API; the simulator serves the same calls from simulated NTFS volumes.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace kx {

using VolumeHandle = std::intptr_t;
constexpr VolumeHandle kInvalidVolumeHandle = -1;  // INVALID_HANDLE_VALUE

// Opens a volume device such as \\.\C: for reading and writing, shared for both.
// Returns kInvalidVolumeHandle on failure.
VolumeHandle OpenVolume(const std::u16string& deviceName);
void CloseVolume(VolumeHandle handle);

// 0 is never a handle that OpenVolume returns, but is what a zeroed field holds: neither it nor
// kInvalidVolumeHandle may ever be closed or taken for an open volume.
constexpr bool IsOpenVolumeHandle(VolumeHandle handle) {
    return handle != kInvalidVolumeHandle && handle != 0;
}

// The owner of an open volume, closing it exactly once. Move-only: a copy would close twice.
// Empty, it holds kInvalidVolumeHandle, whichever invalid value it was given.
class UniqueVolumeHandle {
  public:
    UniqueVolumeHandle() = default;
    explicit UniqueVolumeHandle(VolumeHandle handle) { reset(handle); }
    ~UniqueVolumeHandle() { reset(); }
    UniqueVolumeHandle(const UniqueVolumeHandle&) = delete;
    UniqueVolumeHandle& operator=(const UniqueVolumeHandle&) = delete;
    UniqueVolumeHandle(UniqueVolumeHandle&& other) noexcept : handle_(other.release()) {}
    UniqueVolumeHandle& operator=(UniqueVolumeHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    VolumeHandle get() const { return handle_; }
    bool valid() const { return IsOpenVolumeHandle(handle_); }
    explicit operator bool() const { return valid(); }
    VolumeHandle release() { return std::exchange(handle_, kInvalidVolumeHandle); }
    void reset(VolumeHandle handle = kInvalidVolumeHandle) {
        const VolumeHandle old =
            std::exchange(handle_, IsOpenVolumeHandle(handle) ? handle : kInvalidVolumeHandle);
        if (IsOpenVolumeHandle(old))
            CloseVolume(old);
    }

  private:
    VolumeHandle handle_ = kInvalidVolumeHandle;
};

// One synchronous DeviceIoControl. Returns 0 on success, else the Windows error code;
// *bytesReturned is set in both cases (0 when nothing was written).
std::uint32_t SendVolumeControl(VolumeHandle handle, std::uint32_t controlCode, const void* input,
                                std::uint32_t inputSize, void* output, std::uint32_t outputSize,
                                std::uint32_t* bytesReturned);

inline std::uint32_t SendVolumeControl(const UniqueVolumeHandle& volume, std::uint32_t controlCode,
                                       const void* input, std::uint32_t inputSize, void* output,
                                       std::uint32_t outputSize, std::uint32_t* bytesReturned) {
    return SendVolumeControl(volume.get(), controlCode, input, inputSize, output, outputSize,
                             bytesReturned);
}

// Bit i set when drive letter 'A' + i is present (GetLogicalDrives).
std::uint32_t GetLogicalDriveMask();

// File-system name of a drive root such as C:\ (GetVolumeInformationW with a 32-unit buffer).
// False when the root cannot be queried.
bool GetFileSystemName(const std::u16string& rootDirectory, std::u16string* fileSystemName);

}  // namespace kx
