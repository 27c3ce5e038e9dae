// How the test build refuses a volume file it cannot use: a run over a wrong or oversized
// file must fail where the person running it looks, not pass as a machine without NTFS.
#pragma once

#include <string>

namespace kx {

// Writes "<path>: <why>" to standard error, shows it in a box and ends the process with
// kExitFixtureRefused. Called before the main window exists.
[[noreturn]] void RefuseFixture(const std::wstring& path, const std::wstring& why);

// Neither the program's own endings (0 closed, 1 fatal message) nor a window failure (2).
constexpr unsigned kExitFixtureRefused = 3;

}  // namespace kx
