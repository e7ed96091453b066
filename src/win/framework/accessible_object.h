// The accessible object (IAccessible) a window of ours gives screen readers in answer to
// WM_GETOBJECT. It speaks for one window: every answer comes from the control's own description,
// and its default action is posted back to the window, so that the caller is never blocked by
// what the action opens. A client may keep the object after the window has gone; it then answers
// CO_E_OBJNOTCONNECTED.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include "controls/accessible.h"
#include "win/framework/handles.h"

namespace qv::win {

// What the accessible object asks of the window it speaks for.
class IAccessibleWindow {
 public:
  virtual ~IAccessibleWindow() = default;
  virtual AccessibleDescription Describe() const = 0;
  // Arranges for the default action to run once the caller has its answer; false if it cannot.
  virtual bool RequestDefaultAction() = 0;
};

class AccessibleObject;
void ReleaseAccessibleObject(AccessibleObject* object) noexcept;

// A window's accessible object, made at the first request and kept for the next ones.
class AccessibleAnswer {
 public:
  explicit AccessibleAnswer(IAccessibleWindow& window) : window_(window) {}
  ~AccessibleAnswer() { Disconnect(); }
  AccessibleAnswer(const AccessibleAnswer&) = delete;
  AccessibleAnswer& operator=(const AccessibleAnswer&) = delete;

  // The result of WM_GETOBJECT for OBJID_CLIENT (its wParam is `flags`), or 0 when no object
  // can be given, which lets the system describe the window as best it can. Never raises.
  LRESULT Answer(HWND hwnd, WPARAM flags) noexcept;
  // The window is going: the object forgets it, whoever still holds the object.
  void Disconnect() noexcept;

 private:
  IAccessibleWindow& window_;
  UniqueAny<AccessibleObject*, ReleaseAccessibleObject> object_;
};

// True for the WM_GETOBJECT object id of the client area (compared as a DWORD, as a 64-bit lParam
// may arrive sign-extended or not).
inline bool AsksForClient(LPARAM objectId) {
  return static_cast<DWORD>(objectId) == static_cast<DWORD>(OBJID_CLIENT);
}

}  // namespace qv::win
