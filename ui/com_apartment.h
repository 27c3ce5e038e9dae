// COM on the calling thread for the length of a scope. ShellExecuteExW may hand a verb to a
// shell extension, which needs an apartment on the calling thread; the verbs of the file
// actions (properties above all) run through such extensions.
#pragma once

#include <objbase.h>

namespace kx {

class ComApartment {
  public:
    ComApartment()
        : initialized_(SUCCEEDED(
              ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    // S_FALSE (already initialised here) also counts and must be balanced.
    ~ComApartment() {
        if (initialized_)
            ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

  private:
    bool initialized_;
};

}  // namespace kx
