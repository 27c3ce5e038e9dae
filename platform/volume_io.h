// Volume devices and drives, as the indexing subsystem needs them. The Win32 implementation
// calls the real API; the simulator serves the same calls from simulated NTFS volumes.
#pragma once

#include <cstdint>
#include <string>

namespace kx {

using VolumeHandle = std::intptr_t;
constexpr VolumeHandle kInvalidVolumeHandle = -1;  // INVALID_HANDLE_VALUE

// Opens a volume device such as \\.\C: for reading and writing, shared for both.
// Returns kInvalidVolumeHandle on failure.
VolumeHandle OpenVolume(const std::u16string& deviceName);
void CloseVolume(VolumeHandle handle);

// One synchronous DeviceIoControl. Returns 0 on success, else the Windows error code;
// *bytesReturned is set in both cases (0 when nothing was written).
std::uint32_t SendVolumeControl(VolumeHandle handle, std::uint32_t controlCode, const void* input,
                                std::uint32_t inputSize, void* output, std::uint32_t outputSize,
                                std::uint32_t* bytesReturned);

// Bit i set when drive letter 'A' + i is present (GetLogicalDrives).
std::uint32_t GetLogicalDriveMask();

// File-system name of a drive root such as C:\ (GetVolumeInformationW with a 32-unit buffer).
// False when the root cannot be queried.
bool GetFileSystemName(const std::u16string& rootDirectory, std::u16string* fileSystemName);

}  // namespace kx
