// Move-only owners of Win32 handles. The invalid value is part of each type, so a handle from
// CreateFileW (INVALID_HANDLE_VALUE on failure) can never be checked against null, nor a
// window or an event (null on failure) against INVALID_HANDLE_VALUE.
#pragma once

#include <windows.h>

#include <utility>

namespace kx {

template <typename Traits>
class UniqueResource {
  public:
    using Handle = typename Traits::Handle;

    UniqueResource() = default;
    explicit UniqueResource(Handle handle) : handle_(handle) {}
    ~UniqueResource() { reset(); }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : handle_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    Handle get() const { return handle_; }
    bool valid() const { return handle_ != Traits::Invalid(); }
    explicit operator bool() const { return valid(); }
    Handle release() { return std::exchange(handle_, Traits::Invalid()); }
    void reset(Handle handle = Traits::Invalid()) {
        const Handle old = std::exchange(handle_, handle);
        if (old != Traits::Invalid())
            Traits::Close(old);
    }

  private:
    Handle handle_ = Traits::Invalid();
};

// Files and devices: CreateFileW reports failure with INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { ::CloseHandle(handle); }
};

// Events, threads, mutexes and most other kernel objects: failure is null.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { ::CloseHandle(handle); }
};

// A window, destroyed with DestroyWindow; only valid on the thread that created it.
struct WindowTraits {
    using Handle = HWND;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { ::DestroyWindow(handle); }
};

using UniqueFileHandle = UniqueResource<FileHandleTraits>;
using UniqueKernelHandle = UniqueResource<KernelHandleTraits>;
using UniqueWindow = UniqueResource<WindowTraits>;

}  // namespace kx
