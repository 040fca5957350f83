#pragma once
// Owners for Windows handles: one move-only template parameterised by its close function, an alias
// per kind, and guards for the paired calls (select/restore, GetDC/ReleaseDC, BeginPaint/EndPaint,
// quiet errors and back), and COM interface pointers.

#include <windows.h>
#include <unknwn.h>

#include <utility>

// File handles say "none" with INVALID_HANDLE_VALUE, everything else with null.
template <typename T, auto Close, bool MinusOneIsNone = false> class UniqueHandle {
    static T None() {
        if constexpr (MinusOneIsNone)
            return INVALID_HANDLE_VALUE;
        else
            return T{};
    }

  public:
    UniqueHandle() = default;
    explicit UniqueHandle(T value) : value_(value) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != None(); }
    T release() { return std::exchange(value_, None()); }
    void reset(T value = None()) {
        const T old = std::exchange(value_, value);
        if (old != None()) Close(old);
    }

  private:
    T value_ = None();
};

namespace handle_close {
inline void File(HANDLE h) {
    CloseHandle(h);
}
inline void Object(HGDIOBJ h) {
    DeleteObject(h);
}
inline void Dc(HDC h) {
    DeleteDC(h);
}
inline void Menu(HMENU h) {
    DestroyMenu(h);
}
inline void Icon(HICON h) {
    DestroyIcon(h);
}
inline void Library(HMODULE h) {
    FreeLibrary(h);
}
} // namespace handle_close

using UniqueFile = UniqueHandle<HANDLE, handle_close::File, true>;
using UniqueKernelHandle =
    UniqueHandle<HANDLE, handle_close::File>; // mutex, event: null when absent
using UniqueMutex = UniqueKernelHandle;
using UniqueBitmap = UniqueHandle<HBITMAP, handle_close::Object>;
using UniqueFont = UniqueHandle<HFONT, handle_close::Object>;
using UniqueBrush = UniqueHandle<HBRUSH, handle_close::Object>;
using UniquePen = UniqueHandle<HPEN, handle_close::Object>;
using UniqueDc = UniqueHandle<HDC, handle_close::Dc>; // CreateDC / CreateCompatibleDC
using UniqueMenu = UniqueHandle<HMENU, handle_close::Menu>;
using UniqueIcon = UniqueHandle<HICON, handle_close::Icon>;
using UniqueLibrary = UniqueHandle<HMODULE, handle_close::Library>;

// A COM interface pointer, released once. put() hands out the slot for a call that fills it,
// releasing what was there first.
template <typename T> class UniqueCom {
  public:
    UniqueCom() = default;
    UniqueCom(const UniqueCom&) = delete;
    UniqueCom& operator=(const UniqueCom&) = delete;
    ~UniqueCom() { reset(); }

    T* get() const { return value_; }
    T* operator->() const { return value_; }
    explicit operator bool() const { return value_ != nullptr; }
    T** put() {
        reset();
        return &value_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (T* old = std::exchange(value_, nullptr)) old->Release();
    }

  private:
    T* value_ = nullptr;
};

// Selects a GDI object into a DC and puts the previous one back when it goes out of scope.
// Declare it after the DC and the object so that it unwinds first.
class SelectGuard {
  public:
    SelectGuard(HDC dc, HGDIOBJ object)
        : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() {
        if (old_) SelectObject(dc_, old_);
    }

  private:
    HDC dc_;
    HGDIOBJ old_;
};

// GetDC / ReleaseDC for a window's DC.
class WindowDc {
  public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// BeginPaint / EndPaint for a window's WM_PAINT; get() is null where there is nothing to paint on.
class PaintDc {
  public:
    explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { EndPaint(window_, &paint_); }
    HDC get() const { return dc_; }

  private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// Quiet errors (no system box for a drive without media) for this thread while in scope: its own
// error mode on Windows 7 and later, the process's shared with every other quiet span before
// (BeginQuietErrors, in system_library_win.cpp).
DWORD BeginQuietErrors();
void EndQuietErrors(DWORD previous);
class QuietErrorsScope {
  public:
    QuietErrorsScope() : previous_(BeginQuietErrors()) {}
    QuietErrorsScope(const QuietErrorsScope&) = delete;
    QuietErrorsScope& operator=(const QuietErrorsScope&) = delete;
    ~QuietErrorsScope() { EndQuietErrors(previous_); }

  private:
    DWORD previous_;
};
