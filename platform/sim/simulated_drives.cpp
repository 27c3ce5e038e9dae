// The simulated machine's drive letters and open volume handles. One mutex guards both
// tables; it is never held while a volume serves a control code, so a long enumeration on one
// drive does not hold up another.
#include "platform/sim/simulated_drives.h"

#include <array>
#include <mutex>
#include <unordered_map>

#include "platform/sim/sim_drive_registry.h"

namespace kx::sim {

namespace {

struct Registry {
    std::mutex mutex;
    std::array<std::shared_ptr<DriveSlot>, 26> drives;
    std::unordered_map<VolumeHandle, std::shared_ptr<DriveSlot>> handles;
    // Handle values as Windows hands them out: small multiples of 4, never reused soon.
    VolumeHandle nextHandle = 0x100;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

void SetDrive(char letter, std::shared_ptr<DriveSlot> drive) {
    const int index = DriveIndex(static_cast<char16_t>(letter));
    if (index < 0)
        return;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.mutex);
    if (registry.drives[index])
        registry.drives[index]->gone.store(true);
    registry.drives[index] = std::move(drive);
}

}  // namespace

int DriveIndex(char16_t letter) {
    if (letter >= u'A' && letter <= u'Z')
        return letter - u'A';
    if (letter >= u'a' && letter <= u'z')
        return letter - u'a';
    return -1;
}

std::shared_ptr<DriveSlot> DriveAt(int index) {
    if (index < 0 || index >= 26)
        return nullptr;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.mutex);
    return registry.drives[index];
}

std::uint32_t PresentDriveMask() {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.mutex);
    std::uint32_t mask = 0;
    for (int i = 0; i < 26; ++i) {
        if (registry.drives[i])
            mask |= 1u << i;
    }
    return mask;
}

VolumeHandle RegisterHandle(std::shared_ptr<DriveSlot> drive) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.mutex);
    const VolumeHandle handle = registry.nextHandle;
    registry.nextHandle += 4;
    registry.handles.emplace(handle, std::move(drive));
    return handle;
}

std::shared_ptr<DriveSlot> DriveOfHandle(VolumeHandle handle) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.mutex);
    const auto found = registry.handles.find(handle);
    return found == registry.handles.end() ? nullptr : found->second;
}

void UnregisterHandle(VolumeHandle handle) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.mutex);
    registry.handles.erase(handle);
}

bool SplitDrivePath(const std::u16string& path, int* driveIndex, std::u16string* below) {
    if (path.size() < 2 || path[1] != u':' || DriveIndex(path[0]) < 0)
        return false;
    // "X:" alone names the drive's current directory, which is its root here.
    if (path.size() > 2 && path[2] != u'\\')
        return false;
    *driveIndex = DriveIndex(path[0]);
    *below = path.size() > 3 ? path.substr(3) : std::u16string();
    return true;
}

void ResetDrives() {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.mutex);
    for (auto& drive : registry.drives) {
        if (drive)
            drive->gone.store(true);
        drive.reset();
    }
}

std::shared_ptr<SimVolume> AddNtfsDrive(char letter) {
    auto volume = std::make_shared<SimVolume>();
    AttachVolume(letter, volume);
    return volume;
}

void AttachVolume(char letter, std::shared_ptr<SimVolume> volume) {
    auto drive = std::make_shared<DriveSlot>();
    drive->kind = DriveKind::kNtfs;
    drive->fileSystemName = u"NTFS";
    drive->volume = std::move(volume);
    SetDrive(letter, std::move(drive));
}

void AddOtherDrive(char letter, const std::u16string& fileSystemName) {
    auto drive = std::make_shared<DriveSlot>();
    drive->kind = DriveKind::kOther;
    drive->fileSystemName = fileSystemName;
    SetDrive(letter, std::move(drive));
}

void AddUnreadyDrive(char letter) {
    auto drive = std::make_shared<DriveSlot>();
    drive->kind = DriveKind::kUnready;
    SetDrive(letter, std::move(drive));
}

void RemoveDrive(char letter) {
    SetDrive(letter, nullptr);
}

std::shared_ptr<SimVolume> VolumeOf(char letter) {
    const auto drive = DriveAt(DriveIndex(static_cast<char16_t>(letter)));
    return drive ? drive->volume : nullptr;
}

}  // namespace kx::sim
