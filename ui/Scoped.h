#pragma once
// Owners for plain Win32 handles and for a DC's temporary selections.

#include <windows.h>

#include <utility>

// Owns one handle and hands it to `Close` when reset or destroyed. Move-only.
template <class Handle, auto Close>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle owned) : h_(owned) {}
  UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.h_, nullptr));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  Handle get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

  void reset(Handle owned = nullptr) {
    if (Handle old = std::exchange(h_, owned)) Close(old);
  }

 private:
  Handle h_ = nullptr;
};

// A GDI object of our own (font, bitmap, brush, pen, region).
template <class Gdi>
using UniqueGdi = UniqueHandle<Gdi, DeleteObject>;
// A DC of our own, from CreateCompatibleDC or CreateDC.
using ScopedDC = UniqueHandle<HDC, DeleteDC>;
using UniqueWindow = UniqueHandle<HWND, DestroyWindow>;

// A DC borrowed from a window (or, for nullptr, the screen) through `Get`,
// given back on scope exit.
template <HDC(WINAPI* Get)(HWND)>
class ScopedReleaseDC {
 public:
  explicit ScopedReleaseDC(HWND window) : window_(window), dc_(Get(window)) {}
  ScopedReleaseDC(const ScopedReleaseDC&) = delete;
  ScopedReleaseDC& operator=(const ScopedReleaseDC&) = delete;
  ~ScopedReleaseDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }

  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

using ScopedGetDC = ScopedReleaseDC<GetDC>;           // the client area
using ScopedWindowDC = ScopedReleaseDC<GetWindowDC>;  // the whole window, frame included

// Saves a DC's state (clipping, modes, origins, selections) and restores it
// on scope exit.
class ScopedSaveDC {
 public:
  explicit ScopedSaveDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  ScopedSaveDC(const ScopedSaveDC&) = delete;
  ScopedSaveDC& operator=(const ScopedSaveDC&) = delete;
  ~ScopedSaveDC() {
    if (saved_) RestoreDC(dc_, saved_);
  }

 private:
  HDC dc_;
  int saved_;
};

// Selects a GDI object into a DC and puts the previous one back on scope exit,
// so the object can be deleted afterwards without being selected anywhere.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;
  ~ScopedSelect() {
    if (old_) SelectObject(dc_, old_);
  }

 private:
  HDC dc_;
  HGDIOBJ old_;
};
