// The script of file operations that kxquery --script applies to the simulated volumes: one
// step per line, parsed whole before anything runs, so a malformed line changes nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kx::query {

enum class StepKind {
    kCreateFile,
    kCreateDirectory,
    kRename,
    kMove,
    kDelete,
    kTemporaryFile,
    kCreateThenRename,
    kDeleteJournal,
    kRemoveDrive,
    kWait,
    kQuery,
};

struct ScriptPath {
    char drive = 0;            // upper case
    std::u16string belowRoot;  // "dir\file", empty for the root directory
};

struct ScriptStep {
    StepKind kind = StepKind::kQuery;
    std::size_t line = 0;            // 1-based, for messages
    std::string text;                // the line as written (UTF-8, no CR), for the echo
    ScriptPath path;                 // the entry acted on; only its drive for the drive steps
    ScriptPath directory;            // move: the directory it goes into
    std::u16string name;             // rename, create-rename: the new name; query: the text
    std::int64_t size = 0;           // create
    std::uint32_t milliseconds = 0;  // wait
};

constexpr std::uint32_t kLongestWaitMilliseconds = 600000;

// Parses the whole script. On the first bad line returns false with *error set to
// "SOURCE:LINE: PROBLEM"; steps is then left empty.
bool ParseScript(const std::string& text, const std::string& source, std::vector<ScriptStep>* steps,
                 std::string* error);

// "C:\dir\file" for a path of a step.
std::u16string FullPathText(const ScriptPath& path);

}  // namespace kx::query
