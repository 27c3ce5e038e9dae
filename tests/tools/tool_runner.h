// Runs the built kxquery as a separate process and captures what it printed, for the tests
// that drive the tool end to end; and a scratch directory for the files they hand it.
#pragma once

#include <string>
#include <vector>

namespace kx::testing {

struct ToolRun {
    int status = -1;  // exit status, -1 when it did not exit normally
    std::string out;
    std::string err;
    // Standard output split at line feeds (no empty last line).
    std::vector<std::string> Lines() const;
    // Standard error is one line (ends with its only line feed).
    bool OneErrorLine() const;
};

// A fresh directory, removed with its files at destruction.
class ScratchDirectory {
  public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    // Writes bytes to name inside the directory; returns the file's path.
    std::string Write(const std::string& name, const std::string& bytes) const;
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

// Runs kxquery with arguments (and input on standard input), with TZ=UTC so that time texts
// do not depend on the machine.
ToolRun RunKxquery(const std::vector<std::string>& arguments, const std::string& input = "");

}  // namespace kx::testing
