// The volume operations of platform/volume_io.h, served by the simulated machine. This is
// their only implementation on Linux.
#include "platform/volume_io.h"

#include "platform/sim/sim_drive_registry.h"
#include "platform/windows_errors.h"

namespace kx {

namespace {

// GetVolumeInformationW fills a buffer of 32 units, terminator included.
constexpr std::size_t kFileSystemNameUnits = 31;

}  // namespace

VolumeHandle OpenVolume(const std::u16string& deviceName) {
    // Exactly \\.\X: — the device of a drive, not a path on it.
    if (deviceName.size() != 6 || deviceName.compare(0, 4, u"\\\\.\\") != 0 ||
        deviceName[5] != u':') {
        return kInvalidVolumeHandle;
    }
    auto drive = sim::DriveAt(sim::DriveIndex(deviceName[4]));
    if (!drive)
        return kInvalidVolumeHandle;
    if (drive->kind == sim::DriveKind::kNtfs && drive->volume->IsAccessDenied())
        return kInvalidVolumeHandle;
    return sim::RegisterHandle(std::move(drive));
}

void CloseVolume(VolumeHandle handle) {
    sim::UnregisterHandle(handle);
}

std::uint32_t SendVolumeControl(VolumeHandle handle, std::uint32_t controlCode, const void* input,
                                std::uint32_t inputSize, void* output, std::uint32_t outputSize,
                                std::uint32_t* bytesReturned) {
    std::uint32_t ignored = 0;
    if (bytesReturned == nullptr)
        bytesReturned = &ignored;
    *bytesReturned = 0;
    const auto drive = sim::DriveOfHandle(handle);
    if (!drive)
        return kErrorInvalidHandle;
    if (drive->gone.load())
        return kErrorDeviceNotConnected;
    switch (drive->kind) {
        case sim::DriveKind::kOther:
            return kErrorInvalidFunction;
        case sim::DriveKind::kUnready:
            return kErrorNotReady;
        case sim::DriveKind::kNtfs:
            break;
    }
    return drive->volume->Control(controlCode, input, inputSize, output, outputSize, bytesReturned);
}

std::uint32_t GetLogicalDriveMask() {
    return sim::PresentDriveMask();
}

bool GetFileSystemName(const std::u16string& rootDirectory, std::u16string* fileSystemName) {
    if (rootDirectory.size() != 3 || rootDirectory[1] != u':' || rootDirectory[2] != u'\\')
        return false;
    const auto drive = sim::DriveAt(sim::DriveIndex(rootDirectory[0]));
    if (!drive || drive->kind == sim::DriveKind::kUnready ||
        drive->fileSystemName.size() > kFileSystemNameUnits) {
        return false;
    }
    *fileSystemName = drive->fileSystemName;
    return true;
}

}  // namespace kx
