#include "tools/kxquery/options.h"

#include <cctype>

namespace kx::query {

namespace {

// "K=FILE" with K a drive letter; the letter is returned in upper case.
bool SplitDriveAssignment(const std::string& text, char* letter, std::string* file) {
    if (text.size() < 3 || text[1] != '=' || !std::isalpha(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    *letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    *file = text.substr(2);
    return true;
}

VolumeSource* FindVolume(Options& options, char letter) {
    for (VolumeSource& source : options.volumes) {
        if (source.letter == letter)
            return &source;
    }
    return nullptr;
}

}  // namespace

std::string UsageText() {
    return "usage: kxquery (--volume K=FILE [--sidecar K=FILE] ... | --demo) (--paths | --count)\n"
           "  --volume K=FILE   load FILE (USN_RECORD_V2 records back to back) as NTFS drive K:\n"
           "  --sidecar K=FILE  sizes and times for drive K: (lines \"FRN SIZE LASTWRITE "
           "CREATION\")\n"
           "  --demo            index the built-in demo volume as drive C:\n"
           "  --paths           print the full path of every live record, one per line\n"
           "  --count           print each drive with its record count and live record count\n";
}

std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string* error) {
    Options options;
    std::vector<std::pair<char, std::string>> sidecars;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool takesValue = argument == "--volume" || argument == "--sidecar";
        if (takesValue && i + 1 >= arguments.size()) {
            *error = "argument " + argument + " needs a value of the form K=FILE";
            return std::nullopt;
        }
        if (takesValue) {
            const std::string& value = arguments[++i];
            char letter = 0;
            std::string file;
            if (!SplitDriveAssignment(value, &letter, &file)) {
                *error = "argument " + argument + " " + value +
                         ": expected a drive letter, '=' and a file name";
                return std::nullopt;
            }
            if (argument == "--sidecar") {
                sidecars.emplace_back(letter, file);
            } else if (FindVolume(options, letter) != nullptr) {
                *error = "argument --volume " + value + ": drive " + letter + ": given twice";
                return std::nullopt;
            } else {
                options.volumes.push_back(VolumeSource{letter, file, {}});
            }
        } else if (argument == "--demo") {
            options.demo = true;
        } else if (argument == "--paths") {
            options.printPaths = true;
        } else if (argument == "--count") {
            options.printCount = true;
        } else {
            *error = "unknown argument " + argument;
            return std::nullopt;
        }
    }
    for (const auto& [letter, file] : sidecars) {
        VolumeSource* source = FindVolume(options, letter);
        if (source == nullptr) {
            *error = std::string("argument --sidecar ") + letter + "=" + file + ": no --volume " +
                     letter + "=FILE given";
            return std::nullopt;
        }
        source->sidecarFile = file;
    }
    if (options.volumes.empty() && !options.demo) {
        *error = "no volume given: use --volume K=FILE or --demo";
        return std::nullopt;
    }
    if (options.demo && FindVolume(options, 'C') != nullptr) {
        *error = "argument --demo: drive C: is already given by --volume";
        return std::nullopt;
    }
    return options;
}

}  // namespace kx::query
