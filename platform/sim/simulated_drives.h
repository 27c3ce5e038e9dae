// The simulated machine: which drive letters exist and what each holds. The simulator's
// implementation of the volume and attribute operations of platform/ serves from here.
#pragma once

#include <memory>
#include <string>

#include "platform/sim/simulated_volume.h"

namespace kx::sim {

// Drops every drive. Tests call it first.
void ResetDrives();

// Drive letter 'A'..'Z'. An NTFS drive reports "NTFS" and serves the control codes.
std::shared_ptr<SimVolume> AddNtfsDrive(char letter);
void AttachVolume(char letter, std::shared_ptr<SimVolume> volume);
// A drive with another file system name ("FAT32", "ntfs", "NTFS " ...); control codes on it
// fail with ERROR_INVALID_FUNCTION.
void AddOtherDrive(char letter, const std::u16string& fileSystemName);
// A letter in the drive mask whose root cannot be queried (an empty card reader).
void AddUnreadyDrive(char letter);
// The drive disappears from the mask; open handles fail with ERROR_DEVICE_NOT_CONNECTED.
void RemoveDrive(char letter);

std::shared_ptr<SimVolume> VolumeOf(char letter);

}  // namespace kx::sim
