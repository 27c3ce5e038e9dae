// The simulated machine's drive letters and the volume handles opened on them, behind the
// functions of simulated_drives.h and of the platform operations the simulator implements.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/sim/simulated_volume.h"
#include "platform/volume_io.h"

namespace kx::sim {

enum class DriveKind { kNtfs, kOther, kUnready };

struct DriveSlot {
    DriveKind kind = DriveKind::kNtfs;
    std::u16string fileSystemName;
    std::shared_ptr<SimVolume> volume;  // for kNtfs only
    // Set when the letter is removed or the machine reset: handles opened on the drive then
    // fail as a device that is gone.
    std::atomic<bool> gone{false};
};

// 'A'..'Z' (lower case accepted) to 0..25; -1 for anything else.
int DriveIndex(char16_t letter);

std::shared_ptr<DriveSlot> DriveAt(int index);  // null when the letter is not present
std::uint32_t PresentDriveMask();

VolumeHandle RegisterHandle(std::shared_ptr<DriveSlot> drive);
std::shared_ptr<DriveSlot> DriveOfHandle(VolumeHandle handle);  // null when not open
void UnregisterHandle(VolumeHandle handle);

// "X:\" then the rest (empty for the root); false when path does not start with a drive root.
bool SplitDrivePath(const std::u16string& path, int* driveIndex, std::u16string* below);

}  // namespace kx::sim
