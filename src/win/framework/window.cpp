#include "win/framework/window.h"

#include <exception>
#include <stdexcept>

#include "win/framework/application.h"
#include "win/framework/os_error.h"

namespace qv::win {

namespace {
constexpr wchar_t kSelfProp[] = L"qv.window";
}

HINSTANCE ModuleInstance() { return GetModuleHandleW(nullptr); }

Window::~Window() {
  if (hwnd_) {
    HWND h = hwnd_;
    // The window outlives nothing of ours: unbind first so that no message reaches a half-
    // destroyed object.
    Detach(h);
    if (original_) SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    hwnd_ = nullptr;
    DestroyWindow(h);
  }
}

Window* Window::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  // A window of this process, of our own classes, that nobody has subclassed: its GWLP_USERDATA
  // is ours.
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  if (process == GetCurrentProcessId() &&
      GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(ClassProc)) {
    return reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  return static_cast<Window*>(GetPropW(hwnd, kSelfProp));
}

bool Window::KeepFocusAcrossActivation(WPARAM wp, HWND fallback) {
  if (LOWORD(wp) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
    return false;
  }
  for (HWND target : {lastFocus_, fallback}) {
    if (target && IsWindow(target) && IsChild(hwnd_, target) && IsWindowEnabled(target)) {
      SetFocus(target);
      return true;
    }
  }
  return false;
}

bool Window::IsTabStop() const {
  return hwnd_ && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_TABSTOP) && IsWindowVisible(hwnd_) &&
         IsWindowEnabled(hwnd_);
}

void Window::RegisterOnce(const wchar_t* className, UINT style, HBRUSH background) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(ModuleInstance(), className, &existing)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = ClassProc;
  wc.hInstance = ModuleInstance();
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  if (RegisterClassExW(&wc)) return;
  // Another thread may have registered it since the look-up; that class serves as well.
  if (GetLastError() == ERROR_CLASS_ALREADY_EXISTS) return;
  RaiseLastOSError();
}

void Window::Attach(HWND hwnd, bool ownClass) {
  hwnd_ = hwnd;
  SetPropW(hwnd, kSelfProp, this);
  // A system control's GWLP_USERDATA belongs to its class, not to us.
  if (ownClass) SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void Window::Detach(HWND hwnd) {
  RemovePropW(hwnd, kSelfProp);
  if (!original_) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
}

void Window::Create(DWORD exStyle, const wchar_t* className, const std::wstring& text, DWORD style,
                    int x, int y, int w, int h, HWND parent, int id) {
  // Without a window there is nothing to go on with: a form that silently lacks its window (or
  // a control) would run an empty message loop and end as if all had gone well.
  // The last error is cleared first: a window procedure that refuses the creation sets none, and
  // a stale code would name the wrong cause.
  SetLastError(0);
  if (!CreateWindowExW(exStyle, className, text.c_str(), style, x, y, w, h, parent,
                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ModuleInstance(), this)) {
    RaiseLastOSError();
  }
}

void Window::CreateSubclassed(DWORD exStyle, const wchar_t* className, const std::wstring& text,
                              DWORD style, int x, int y, int w, int h, HWND parent, int id) {
  SetLastError(0);
  HWND hwnd =
      CreateWindowExW(exStyle, className, text.c_str(), style, x, y, w, h, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ModuleInstance(), nullptr);
  if (!hwnd) RaiseLastOSError();
  Attach(hwnd, false);
  original_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  return DefaultHandling(msg, wp, lp);
}

LRESULT Window::DefaultHandling(UINT msg, WPARAM wp, LPARAM lp) {
  if (original_) return CallWindowProcW(original_, hwnd_, msg, wp, lp);
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT Window::Dispatch(Window* self, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  try {
    result = self->HandleMessage(msg, wp, lp);
  } catch (const std::exception& e) {
    Application::Instance().HandleException(e);
  } catch (...) {
    Application::Instance().HandleException(std::runtime_error("unknown error"));
  }
  if (msg == WM_NCDESTROY) {
    self->Detach(hwnd);
    self->hwnd_ = nullptr;
    self->Destroyed();
  }
  return result;
}

LRESULT CALLBACK Window::ClassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self && msg == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    if (self) self->Attach(hwnd, true);
  }
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  return Dispatch(self, hwnd, msg, wp, lp);
}

LRESULT CALLBACK Window::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window* self = static_cast<Window*>(GetPropW(hwnd, kSelfProp));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    WNDPROC original = self->original_;
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    RemovePropW(hwnd, kSelfProp);
    self->hwnd_ = nullptr;
    self->original_ = nullptr;
    self->Destroyed();
    return CallWindowProcW(original, hwnd, msg, wp, lp);
  }
  return Dispatch(self, hwnd, msg, wp, lp);
}

}  // namespace qv::win
