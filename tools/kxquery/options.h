// Command line of kxquery.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kx::query {

struct VolumeSource {
    char letter = 0;
    std::string mftFile;
    std::string sidecarFile;  // empty when none
};

struct Options {
    std::vector<VolumeSource> volumes;  // in the order given
    bool demo = false;
    bool printPaths = false;
    bool printCount = false;
};

// Parses argv. On failure returns nothing and sets *error to a one-line message that names
// the argument and the problem.
std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string* error);

std::string UsageText();

}  // namespace kx::query
