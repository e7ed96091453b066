// Owning wrappers for GDI objects and device contexts: released on every path.
#pragma once

#include <windows.h>

#include "win/framework/handles.h"

namespace qv::win {

using UniqueFont = UniqueAny<HFONT, ::DeleteObject>;
using UniqueBrush = UniqueAny<HBRUSH, ::DeleteObject>;
using UniquePen = UniqueAny<HPEN, ::DeleteObject>;
using UniqueBitmap = UniqueAny<HBITMAP, ::DeleteObject>;
using UniqueRegion = UniqueAny<HRGN, ::DeleteObject>;
using UniqueIcon = UniqueAny<HICON, ::DestroyIcon>;

// GetDC / ReleaseDC.
class ClientDC {
 public:
  explicit ClientDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~ClientDC() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  ClientDC(const ClientDC&) = delete;
  ClientDC& operator=(const ClientDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// CreateCompatibleDC / DeleteDC.
class MemoryDC {
 public:
  explicit MemoryDC(HDC compatible) : dc_(CreateCompatibleDC(compatible)) {}
  ~MemoryDC() {
    if (dc_) DeleteDC(dc_);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// BeginPaint / EndPaint: the one way a window paints in answer to WM_PAINT.
class PaintScope {
 public:
  explicit PaintScope(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &ps_)) {}
  ~PaintScope() { EndPaint(hwnd_, &ps_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// Answers WM_PAINT and WM_PRINTCLIENT with one paint routine, so that a window printed into
// another device context looks as it does on the screen. True when msg was one of the two.
template <typename PaintFn>
bool AnswerPaint(HWND hwnd, UINT msg, WPARAM wp, PaintFn&& paint) {
  if (msg == WM_PAINT) {
    PaintScope scope(hwnd);
    if (scope.get()) paint(scope.get());
    return true;
  }
  if (msg == WM_PRINTCLIENT) {
    paint(reinterpret_cast<HDC>(wp));
    return true;
  }
  return false;
}

// Selects an object into a DC and puts the previous one back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
  ~SelectedObject() {
    if (old_) SelectObject(dc_, old_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace qv::win
