#include <windows.h>

#include "platform/srw_lock.h"

namespace kx {

namespace {

static_assert(sizeof(SRWLOCK) == sizeof(void*), "SrwLock keeps the SRWLOCK in one pointer");

// The header keeps the lock as a void* so that it needs no Windows header; an all-zero
// pointer is SRWLOCK_INIT, so no initialisation call is needed.
PSRWLOCK Native(void** state) {
    return reinterpret_cast<PSRWLOCK>(state);
}

}  // namespace

void SrwLock::lock() {
    ::AcquireSRWLockExclusive(Native(&state_));
}

void SrwLock::unlock() {
    ::ReleaseSRWLockExclusive(Native(&state_));
}

bool SrwLock::try_lock() {
    return ::TryAcquireSRWLockExclusive(Native(&state_)) != 0;
}

void SrwLock::lock_shared() {
    ::AcquireSRWLockShared(Native(&state_));
}

void SrwLock::unlock_shared() {
    ::ReleaseSRWLockShared(Native(&state_));
}

bool SrwLock::try_lock_shared() {
    return ::TryAcquireSRWLockShared(Native(&state_)) != 0;
}

}  // namespace kx
