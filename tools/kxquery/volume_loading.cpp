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
    const sim::MftFileLoad load = volume->LoadMftRecords(mft);
    // Said out loud: otherwise a file of nothing but such records indexes as an empty drive,
    // with no hint why.
    if (load.beyondLimit != 0) {
        const bool one = load.beyondLimit == 1;
        std::cerr << "kxquery: warning: " << source.mftFile << ": skipped " << load.beyondLimit
                  << (one ? " record whose record number lies"
                          : " records whose record numbers lie")
                  << " beyond what a file of this size could describe (" << load.recordNumberLimit
                  << " or more)\n";
    }
    if (load.damageOffset) {
        std::cerr << "kxquery: warning: " << source.mftFile << ": malformed record at byte offset "
                  << *load.damageOffset << "; only the records before it are indexed\n";
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
