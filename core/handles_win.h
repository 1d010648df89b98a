// Owners for the Win32 handles the program uses. Each kind is released the one right way, here and
// nowhere else, so that no path through the code can leak a handle or release one twice.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>

namespace quorbel::win {

template <typename Handle, auto Release>
struct Releaser {
    void operator()(Handle handle) const noexcept { Release(handle); }
};

// A handle that Release frees; null means none.
template <typename Handle, auto Release>
using Owned = std::unique_ptr<std::remove_pointer_t<Handle>, Releaser<Handle, Release>>;

// A handle that a platform header keeps as an integer, so that the header stays free of <windows.h>.
inline HANDLE AsHandle(std::intptr_t handle) noexcept {
    return reinterpret_cast<HANDLE>(handle);  // NOLINT(performance-no-int-to-ptr)
}

// A registered wait ends only once its callback has returned, so nothing it uses goes before it.
inline void UnregisterWaitAndItsCallback(HANDLE wait) noexcept {
    UnregisterWaitEx(wait, INVALID_HANDLE_VALUE);
}

using UniqueHandle = Owned<HANDLE, &CloseHandle>;
using UniqueWait = Owned<HANDLE, &UnregisterWaitAndItsCallback>;
using UniqueSearch = Owned<HANDLE, &FindClose>;
using UniqueFont = Owned<HFONT, &DeleteObject>;
using UniqueBitmap = Owned<HBITMAP, &DeleteObject>;
using UniqueIcon = Owned<HICON, &DestroyIcon>;
using UniqueAccelerators = Owned<HACCEL, &DestroyAcceleratorTable>;
using UniqueMenu = Owned<HMENU, &DestroyMenu>;
using UniqueMemoryDc = Owned<HDC, &DeleteDC>;
using UniqueGlobal = Owned<HGLOBAL, &GlobalFree>;

// File and search functions report failure as INVALID_HANDLE_VALUE, not as null.
template <typename Owner>
Owner OwnFileHandle(HANDLE handle) noexcept {
    return Owner(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

// A window's device context, given back to the window.
class WindowDc {
  public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC get() const noexcept { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context, and the one it replaced put back at the end.
class SelectedObject {
  public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) {
            SelectObject(dc_, previous_);
        }
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A COM interface pointer with its one reference.
template <typename Interface>
class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* operator->() const noexcept { return pointer_; }
    Interface* get() const noexcept { return pointer_; }
    // For a function that hands out a new reference.
    Interface** put() noexcept {
        reset();
        return &pointer_;
    }
    void** putVoid() noexcept { return reinterpret_cast<void**>(put()); }

  private:
    void reset() noexcept {
        if (pointer_ != nullptr) {
            std::exchange(pointer_, nullptr)->Release();
        }
    }

    Interface* pointer_ = nullptr;
};

}  // namespace quorbel::win
