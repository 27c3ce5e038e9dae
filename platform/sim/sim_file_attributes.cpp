// GetFileAttributeData of platform/file_attributes.h, served from the simulated drives: the
// path is walked name by name (A-Z without regard to case) through the drive's volume. Kept
// apart from the volume operations so that a test may link its own stand-in for this one.
#include "platform/file_attributes.h"

#include "platform/sim/sim_drive_registry.h"
#include "platform/usn_layout.h"

namespace kx {

bool GetFileAttributeData(const std::u16string& path, FileAttributeData* data) {
    int driveIndex = -1;
    std::u16string below;
    if (!sim::SplitDrivePath(path, &driveIndex, &below))
        return false;
    const auto drive = sim::DriveAt(driveIndex);
    if (!drive || drive->kind != sim::DriveKind::kNtfs || drive->volume->IsRemoved())
        return false;
    const auto entry = drive->volume->EntryAtPath(below);
    if (!entry)
        return false;
    data->size = entry->size;
    data->lastWriteTime = entry->lastWriteTime;
    data->creationTime = entry->creationTime;
    data->isDirectory = (entry->attributes & FILE_ATTRIBUTE_DIRECTORY_BIT) != 0;
    return true;
}

}  // namespace kx
