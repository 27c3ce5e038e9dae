// COM on the window's thread. ShellExecuteExW may hand a verb to a shell extension, which
// needs an apartment on the calling thread, and a verb that finishes asynchronously (the
// properties sheet above all) still uses it after the call has returned: so the apartment is
// entered once at start-up and kept for the life of the process, never left after each call.
#pragma once

#include <objbase.h>

namespace kx {

// Called once on the window's thread before any window exists. A failure (the thread already
// in another apartment, or out of memory) is not fatal: the plain verbs work without COM.
inline void EnterWindowThreadApartment() {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
}

}  // namespace kx
