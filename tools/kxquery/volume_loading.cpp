#include "tools/kxquery/volume_loading.h"

#include <iostream>

#include "platform/sim/demo_volume.h"
#include "platform/sim/simulated_drives.h"
#include "tools/kxquery/file_reading.h"

namespace kx::query {

namespace {

bool LoadOne(const VolumeSource& source, std::string* error) {
    std::string mft;
    if (!ReadWholeFile(source.mftFile, &mft, error))
        return false;
    std::string sidecar;
    if (!source.sidecarFile.empty() && !ReadWholeFile(source.sidecarFile, &sidecar, error)) {
        return false;
    }
    auto volume = sim::AddNtfsDrive(source.letter);
    std::optional<std::size_t> damage;
    volume->LoadMftRecords(mft, &damage);
    if (damage) {
        std::cerr << "kxquery: warning: " << source.mftFile << ": malformed record at byte offset "
                  << *damage << "; only the records before it are indexed\n";
    }
    if (!source.sidecarFile.empty()) {
        std::string problem;
        if (!volume->LoadSidecar(sidecar, &problem)) {
            *error = source.sidecarFile + ": " + problem;
            return false;
        }
    }
    return true;
}

}  // namespace

bool LoadVolumes(const Options& options, std::string* error) {
    sim::ResetDrives();
    for (const VolumeSource& source : options.volumes) {
        if (!LoadOne(source, error))
            return false;
    }
    if (options.demo)
        sim::PopulateDemoVolume(*sim::AddNtfsDrive('C'));
    return true;
}

}  // namespace kx::query
