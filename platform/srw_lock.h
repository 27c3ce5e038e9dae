// Slim reader/writer lock: SRWLOCK on Windows, std::shared_mutex elsewhere (which is what
// ThreadSanitizer understands). Satisfies SharedLockable, so std::shared_lock and
// std::unique_lock work with it.
#pragma once

#if !defined(_WIN32)
#include <shared_mutex>
#endif

namespace kx {

class SrwLock {
  public:
    SrwLock() = default;
    SrwLock(const SrwLock&) = delete;
    SrwLock& operator=(const SrwLock&) = delete;

#if defined(_WIN32)
    void lock();
    void unlock();
    bool try_lock();
    void lock_shared();
    void unlock_shared();
    bool try_lock_shared();

  private:
    void* state_ = nullptr;  // an SRWLOCK is one pointer, SRWLOCK_INIT is all zero
#else
    void lock() {
        mutex_.lock();
    }
    void unlock() {
        mutex_.unlock();
    }
    bool try_lock() {
        return mutex_.try_lock();
    }
    void lock_shared() {
        mutex_.lock_shared();
    }
    void unlock_shared() {
        mutex_.unlock_shared();
    }
    bool try_lock_shared() {
        return mutex_.try_lock_shared();
    }

  private:
    std::shared_mutex mutex_;
#endif
};

}  // namespace kx
