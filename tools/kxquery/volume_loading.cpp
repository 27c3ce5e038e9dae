#include "tools/kxquery/volume_loading.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "platform/sim/demo_volume.h"
#include "platform/sim/simulated_drives.h"

namespace kx::query {

namespace {

bool ReadFile(const std::string& path, std::string* bytes, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) {
        *error = "cannot read " + path + ": read error";
        return false;
    }
    *bytes = content.str();
    return true;
}

bool LoadOne(const VolumeSource& source, std::string* error) {
    std::string mft;
    if (!ReadFile(source.mftFile, &mft, error))
        return false;
    std::string sidecar;
    if (!source.sidecarFile.empty() && !ReadFile(source.sidecarFile, &sidecar, error)) {
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
