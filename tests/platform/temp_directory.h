// A fresh directory under the Windows temporary folder for one test, removed with everything
// in it when the test ends.
#pragma once

#include <windows.h>

#include <string>

namespace kx::testing {

class TempDirectory {
  public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::u16string& Path() const { return path_; }
    // Path() + "\" + name.
    std::u16string Child(const std::u16string& name) const { return path_ + u"\\" + name; }

  private:
    std::u16string path_;
};

}  // namespace kx::testing
