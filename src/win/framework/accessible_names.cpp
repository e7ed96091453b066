// The GUIDs of the annotation service are defined here, once, rather than taken from an import
// library, so that nothing but the calls bound by name ties the program to oleacc.dll.
#include <initguid.h>
// (initguid.h first)
#include "win/framework/accessible_names.h"

#include <objbase.h>
#include <oleacc.h>

#include "win/framework/com_apartment.h"
#include "win/framework/lazy_library.h"

namespace qv::win {

namespace {

// Releases an interface pointer when it goes.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (p_) p_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  void** put() { return reinterpret_cast<void**>(&p_); }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

class SystemNameStore : public IAccessibleNameStore {
 public:
  HRESULT SetName(HWND hwnd, const std::wstring& name) noexcept override {
    return WithService([&](IAccPropServices& s) {
      return s.SetHwndPropStr(hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME,
                              name.c_str());
    });
  }
  HRESULT ClearName(HWND hwnd) noexcept override {
    return WithService([&](IAccPropServices& s) {
      MSAAPROPID props[] = {PROPID_ACC_NAME};
      return s.ClearHwndProps(hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, props, 1);
    });
  }

 private:
  template <typename F>
  static HRESULT WithService(F&& call) noexcept {
    try {
      if (!JoinComApartment()) return CO_E_NOTINITIALIZED;
      ComRef<IAccPropServices> service;
      const HRESULT hr = QV_LAZY("ole32.dll", CoCreateInstance)(
          CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
          service.put());
      if (FAILED(hr)) return hr;
      if (!service) return E_NOINTERFACE;
      return call(*service);
    } catch (...) {
      return E_FAIL;
    }
  }
};

SystemNameStore& SystemStore() {
  static SystemNameStore store;
  return store;
}

IAccessibleNameStore* current = nullptr;

}  // namespace

IAccessibleNameStore& AccessibleNameStore() { return current ? *current : SystemStore(); }

ScopedAccessibleNameStore::ScopedAccessibleNameStore(IAccessibleNameStore& store)
    : previous_(current) {
  current = &store;
}

ScopedAccessibleNameStore::~ScopedAccessibleNameStore() { current = previous_; }

void AccessibleNameAnnotation::Offer(HWND hwnd) noexcept {
  if (name_.empty() || !hwnd || hwnd == offered_) return;
  Withdraw();
  offered_ = hwnd;
  if (SUCCEEDED(AccessibleNameStore().SetName(hwnd, name_))) annotated_ = hwnd;
}

void AccessibleNameAnnotation::Withdraw() noexcept {
  if (annotated_ && IsWindow(annotated_)) AccessibleNameStore().ClearName(annotated_);
  annotated_ = nullptr;
  offered_ = nullptr;
}

}  // namespace qv::win
