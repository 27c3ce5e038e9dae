// Move-only owners of the window code's GDI objects, device contexts, menus and icons. Each type
// knows how its handle is released, so no window code calls DeleteObject, DeleteDC, ReleaseDC or
// EndPaint itself. Windows destroyed with their parent (child controls, the owned tooltip) are not
// wrapped: the system destroys them with the main window.
#pragma once

#include <windows.h>

#include <utility>

#include "platform/win32/unique_handle.h"

namespace kx {

template <typename GdiHandle>
struct GdiObjectTraits {
    using Handle = GdiHandle;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { ::DeleteObject(handle); }
};

using UniqueFont = UniqueResource<GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueResource<GdiObjectTraits<HBRUSH>>;
using UniquePen = UniqueResource<GdiObjectTraits<HPEN>>;
using UniqueBitmap = UniqueResource<GdiObjectTraits<HBITMAP>>;

// A memory device context from CreateCompatibleDC.
struct MemoryDcTraits {
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { ::DeleteDC(handle); }
};
using UniqueMemoryDC = UniqueResource<MemoryDcTraits>;

// A popup menu from CreatePopupMenu, not attached to any window.
struct MenuTraits {
    using Handle = HMENU;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { ::DestroyMenu(handle); }
};
using UniqueMenu = UniqueResource<MenuTraits>;

// An icon loaded without LR_SHARED; shared icons (LoadIconW of a system icon) are never owned.
struct IconTraits {
    using Handle = HICON;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { ::DestroyIcon(handle); }
};
using UniqueIcon = UniqueResource<IconTraits>;

// GetDC / ReleaseDC of one window.
class WindowDC {
  public:
    explicit WindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~WindowDC() { reset(); }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    WindowDC(WindowDC&& other) noexcept
        : window_(other.window_), dc_(std::exchange(other.dc_, nullptr)) {}
    WindowDC& operator=(WindowDC&& other) noexcept {
        if (this != &other) {
            reset();
            window_ = other.window_;
            dc_ = std::exchange(other.dc_, nullptr);
        }
        return *this;
    }

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

  private:
    void reset() {
        if (dc_ != nullptr)
            ::ReleaseDC(window_, std::exchange(dc_, nullptr));
    }

    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};

// BeginPaint / EndPaint for one WM_PAINT; tied to that message, so neither copied nor moved.
class PaintDC {
  public:
    explicit PaintDC(HWND window) : window_(window) { dc_ = ::BeginPaint(window_, &paint_); }
    ~PaintDC() { ::EndPaint(window_, &paint_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;

    HDC get() const { return dc_; }

  private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_ = nullptr;
};

// Selects bitmap into dc in place of *selected, which is then deleted, and keeps the new one in
// *selected. An empty bitmap, or one the DC refuses, changes nothing and returns false: the
// old bitmap stays selected and usable (deleted while selected, it would leak instead).
inline bool ReplaceSelectedBitmap(HDC dc, UniqueBitmap* selected, UniqueBitmap bitmap) {
    if (!bitmap || ::SelectObject(dc, bitmap.get()) == nullptr)
        return false;
    *selected = std::move(bitmap);
    return true;
}

// Selects an object into a DC and puts the one it replaced back when it leaves scope.
class SelectGuard {
  public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~SelectGuard() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR)
            ::SelectObject(dc_, previous_);
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace kx
