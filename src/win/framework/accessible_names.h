// Names for system controls that cannot take one from their neighbours. Screen readers name an
// edit field after a standard STATIC label in front of it; our labels are windows of our own, so
// the field is given its label's text directly through the system's annotation service
// (IAccPropServices::SetHwndPropStr, PROPID_ACC_NAME). The annotation is made the first time an
// assistive tool asks the field (WM_GETOBJECT), so that a run without one never loads COM.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace qv::win {

// Where the names are kept: the system's annotation service, or a test's recorder.
class IAccessibleNameStore {
 public:
  virtual ~IAccessibleNameStore() = default;
  // Gives the window's client object the name; the result of the service's call.
  virtual HRESULT SetName(HWND hwnd, const std::wstring& name) noexcept = 0;
  virtual HRESULT ClearName(HWND hwnd) noexcept = 0;
};

// The store in use: the system's annotation service unless a test has put another in its place.
IAccessibleNameStore& AccessibleNameStore();

// For tests: `store` serves while this lives.
class ScopedAccessibleNameStore {
 public:
  explicit ScopedAccessibleNameStore(IAccessibleNameStore& store);
  ~ScopedAccessibleNameStore();
  ScopedAccessibleNameStore(const ScopedAccessibleNameStore&) = delete;
  ScopedAccessibleNameStore& operator=(const ScopedAccessibleNameStore&) = delete;

 private:
  IAccessibleNameStore* previous_;
};

// The name of one window of a control (which may re-create its window): offered at the window's
// first WM_GETOBJECT, withdrawn when the window is destroyed.
class AccessibleNameAnnotation {
 public:
  AccessibleNameAnnotation() = default;
  ~AccessibleNameAnnotation() { Withdraw(); }
  AccessibleNameAnnotation(const AccessibleNameAnnotation&) = delete;
  AccessibleNameAnnotation& operator=(const AccessibleNameAnnotation&) = delete;

  void SetName(std::wstring name) { name_ = std::move(name); }
  const std::wstring& Name() const { return name_; }
  // Called on WM_GETOBJECT: annotates `hwnd` once. Never raises.
  void Offer(HWND hwnd) noexcept;
  // Called on WM_DESTROY (and by the destructor): removes an annotation made.
  void Withdraw() noexcept;

 private:
  std::wstring name_;
  HWND offered_ = nullptr;
  HWND annotated_ = nullptr;
};

}  // namespace qv::win
