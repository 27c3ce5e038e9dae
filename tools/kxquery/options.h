// Command line of kxquery.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kx::query {

struct VolumeSource {
    char letter = 0;
    std::string mftFile;
    std::string sidecarFile;  // empty when none
};

// What a search prints and how its hits are narrowed and ordered, shared by --query, the
// query steps of a script and (category only) --queries-from.
struct QuerySettings {
    std::int32_t category = 0;    // index into the default categories
    std::int32_t sortColumn = 0;  // kColumnName .. kColumnPath, 0 for the search's own order
    bool descending = false;
    bool details = false;
};

struct Options {
    std::vector<VolumeSource> volumes;  // in the order given
    bool demo = false;
    bool printPaths = false;
    bool printCount = false;
    bool printMemory = false;  // drives built one at a time, each one's memory reported
    bool help = false;
    bool chinese = false;  // category names in Chinese (--lang zh)
    bool listCategories = false;

    std::optional<std::string> query;  // UTF-8, as given
    std::string queriesFrom;           // file name, "-" for standard input, empty when none
    std::string scriptFile;            // empty when none
    // The journal monitors' pause between reads; 0 keeps the program's own.
    std::uint32_t journalPollMilliseconds = 0;
    QuerySettings settings;
};

// Parses argv. On failure returns nothing and sets *error to a one-line message that names
// the argument and the problem. With --help anywhere nothing else is checked.
std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string* error);

// The column number for a --sort name ("name", "size", "modified", "created", "path"), or 0.
std::int32_t SortColumnByName(const std::string& name);

std::string UsageText();

}  // namespace kx::query
