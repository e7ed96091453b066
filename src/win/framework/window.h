// A Win32 window owned by a C++ object. The object is found from the window through a window
// property, set at WM_NCCREATE for our own classes and at subclassing for system controls; every
// message then goes to the virtual HandleMessage. Windows of our own classes also keep the object
// in their GWLP_USERDATA, which their window procedure reads for every message: a property is
// looked up in the window server, and start-up alone sends several hundred messages. No C++
// exception ever leaves the window procedure: the application's exception handler shows it instead.
#pragma once

#include <windows.h>

#include <string>

namespace qv::win {

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND Handle() const { return hwnd_; }
  static Window* FromHandle(HWND hwnd);

  // Focus and tab handling of the form ask these.
  virtual bool IsTabStop() const;
  // Enter or Escape offered before the focused control sees it; true when claimed.
  virtual bool DialogKey(WPARAM /*key*/, LPARAM /*keyData*/) { return false; }
  // A WM_COMMAND notification code from this (system) control, as its parent received it.
  virtual LRESULT Notify(WORD /*code*/) { return 0; }
  // WM_CTLCOLOR* for this (system) control: the brush to paint with, or nullptr for the default.
  virtual HBRUSH ControlColor(HDC /*dc*/) { return nullptr; }

 protected:
  // Registers a window class of ours once per process. The creating calls below raise OsError
  // when the system refuses.
  static void RegisterOnce(const wchar_t* className, UINT style = CS_DBLCLKS,
                           HBRUSH background = nullptr);
  // Creates a window of one of our classes, bound to this object.
  void Create(DWORD exStyle, const wchar_t* className, const std::wstring& text, DWORD style, int x,
              int y, int w, int h, HWND parent, int id = 0);
  // Creates a system control (EDIT, BUTTON...) and routes its messages through this object.
  void CreateSubclassed(DWORD exStyle, const wchar_t* className, const std::wstring& text,
                        DWORD style, int x, int y, int w, int h, HWND parent, int id = 0);

  virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  // WM_ACTIVATE the way a dialog box handles it: leaving, it notes which of its controls had the
  // keyboard focus; coming back, it gives the focus to that control again (or to the fallback,
  // when none was noted or that one can no longer take it). True when it set the focus, and the
  // message needs no further handling.
  bool KeepFocusAcrossActivation(WPARAM wp, HWND fallback = nullptr);
  // The handling the window would have without us (DefWindowProc or the control's own).
  LRESULT DefaultHandling(UINT msg, WPARAM wp, LPARAM lp);
  // Called once the window is gone (WM_NCDESTROY).
  virtual void Destroyed() {}

 private:
  static LRESULT CALLBACK ClassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT Dispatch(Window* self, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void Attach(HWND hwnd, bool ownClass);
  // Unbinds the window from this object before the object goes.
  void Detach(HWND hwnd);

  HWND hwnd_ = nullptr;
  WNDPROC original_ = nullptr;  // for subclassed system controls
  HWND lastFocus_ = nullptr;    // the control that had the focus when the window was left
};

// Screen-independent helpers.
HINSTANCE ModuleInstance();

}  // namespace qv::win
