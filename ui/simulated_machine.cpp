#include "ui/simulated_machine.h"

#if defined(KX_SIMULATED_VOLUMES)

#include <chrono>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/process_state.h"
#include "common/utf.h"
#include "platform/file_system.h"
#include "platform/sim/demo_volume.h"
#include "platform/sim/simulated_drives.h"
#include "platform/win32/wide_string.h"
#include "search/parallel_blocks.h"
#include "ui/simulated_machine_refusal.h"

namespace kx {

namespace {

constexpr char kSimulatedDrive = 'C';
constexpr std::int64_t kTriggeredFileSize = 4096;
constexpr auto kTriggerPollInterval = std::chrono::milliseconds(200);

// Without windows.h: its CreateFile macro would rename SimVolume::CreateFile.
std::optional<std::wstring> EnvironmentValue(const wchar_t* name) {
    const wchar_t* value = ::_wgetenv(name);
    if (value == nullptr || *value == L'\0')
        return std::nullopt;
    return std::wstring(value);
}

// Existence without opening: a file held open without sharing still exists.
bool RealPathExists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// The whole of a fixture file, as large as this process can hold; else why not.
std::optional<std::wstring> ReadFixtureFile(const std::wstring& path, std::string* bytes) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(std::filesystem::path(path), error);
    if (error)
        return L"it cannot be opened (" + ToWide(Utf8ToUtf16(error.message())) + L")";
    const std::wstring held = std::to_wstring(size) + L" bytes";
    if (size >= bytes->max_size())
        return L"it holds " + held + L", more than this process can address";
    try {
        if (!ReadWholeFile(FromWide(path), bytes, std::numeric_limits<std::uint64_t>::max()))
            return L"it could not be read to its end";
    } catch (const std::exception&) {
        return L"this process has no room for its " + held;
    }
    return std::nullopt;
}

std::shared_ptr<sim::SimVolume> LoadFixtureVolume(const std::wstring& mftPath) {
    std::shared_ptr<sim::SimVolume> volume;
    std::wstring refused = mftPath;
    std::optional<std::wstring> why;
    try {
        std::string bytes;
        why = ReadFixtureFile(mftPath, &bytes);
        if (!why) {
            volume = std::make_shared<sim::SimVolume>();
            const sim::MftFileLoad load = volume->LoadMftRecords(bytes);
            if (load.damageOffset)
                why = L"its record at byte " + std::to_wstring(*load.damageOffset) + L" is damaged";
        }
        const std::optional<std::wstring> sidecarPath = EnvironmentValue(L"KX_SIM_SIDECAR");
        if (!why && sidecarPath) {
            refused = *sidecarPath;
            std::string sidecar;
            std::string error;
            why = ReadFixtureFile(*sidecarPath, &sidecar);
            if (!why && !volume->LoadSidecar(sidecar, &error))
                why = L"it does not parse: " + ToWide(Utf8ToUtf16(error));
        }
    } catch (const std::exception&) {
        why = L"this process has no room for the volume it describes";
    }
    if (why)
        RefuseFixture(refused, *why);
    return volume;
}

// On a thread of its own, which ends with the program if the file never comes.
void WhenFileAppears(std::wstring path, std::function<void()> action) {
    std::thread([path = std::move(path), action = std::move(action)] {
        while (!ExitRequested.load()) {
            if (RealPathExists(std::filesystem::path(path))) {
                action();
                return;
            }
            std::this_thread::sleep_for(kTriggerPollInterval);
        }
    }).detach();
}

void CreateTriggeredFile(sim::SimVolume& volume) {
    // The empty path names the root directory.
    if (const std::optional<std::uint64_t> root = volume.FindByPath(u""))
        volume.CreateFile(*root, kSimTriggeredFileName, kTriggeredFileSize);
}

// The simulated path on the real drive of the same letter.
std::filesystem::path RealPathOf(const sim::SimVolume& volume, std::uint64_t frn) {
    const std::u16string below = volume.PathOf(frn);
    const std::wstring root{static_cast<wchar_t>(kSimulatedDrive), L':', L'\\'};
    return std::filesystem::path(root + ToWide(below));
}

struct WatchedEntry {
    std::uint64_t frn;
    std::filesystem::path realPath;
};

void FollowDeletions(std::shared_ptr<sim::SimVolume> volume) {
    std::vector<WatchedEntry> watched;
    for (const sim::SimEntry& entry : volume->LiveEntries()) {
        std::filesystem::path realPath = RealPathOf(*volume, entry.frn);
        if (RealPathExists(realPath))
            watched.push_back(WatchedEntry{entry.frn, std::move(realPath)});
    }
    while (!ExitRequested.load() && !watched.empty()) {
        std::this_thread::sleep_for(kTriggerPollInterval);
        for (std::size_t k = 0; k < watched.size();) {
            if (RealPathExists(watched[k].realPath)) {
                ++k;
                continue;
            }
            volume->Delete(watched[k].frn);
            watched.erase(watched.begin() + static_cast<std::ptrdiff_t>(k));
        }
    }
}

}  // namespace

void PrepareSimulatedMachine() {
    sim::ResetDrives();
    // Measurements of machines with more cores than this one (scripts/time_window.py).
    if (const std::optional<std::wstring> workers = EnvironmentValue(L"KX_SCAN_WORKERS"))
        SetWorkerCount(static_cast<std::size_t>(std::wcstoul(workers->c_str(), nullptr, 10)));
    std::shared_ptr<sim::SimVolume> volume;
    if (const std::optional<std::wstring> mftPath = EnvironmentValue(L"KX_SIM_VOLUME")) {
        volume = LoadFixtureVolume(*mftPath);
        sim::AttachVolume(kSimulatedDrive, volume);
    } else {
        volume = sim::AddNtfsDrive(kSimulatedDrive);
        sim::PopulateDemoVolume(*volume);
    }
    if (EnvironmentValue(L"KX_SIM_FOLLOW_DELETES"))
        std::thread(FollowDeletions, volume).detach();
    if (std::optional<std::wstring> trigger = EnvironmentValue(L"KX_SIM_TRIGGER"))
        WhenFileAppears(std::move(*trigger), [volume] { CreateTriggeredFile(*volume); });
    if (std::optional<std::wstring> release = EnvironmentValue(L"KX_SIM_HOLD_INDEX")) {
        volume->SetHeld(true);
        WhenFileAppears(std::move(*release), [volume] { volume->SetHeld(false); });
    }
}

}  // namespace kx

#endif
