#include "win/framework/accessible_object.h"

#include <oleauto.h>

#include <atomic>
#include <new>
#include <string>

#include "win/framework/com_apartment.h"
#include "win/framework/cp932.h"
#include "win/framework/lazy_library.h"

namespace qv::win {

namespace {

LONG RoleOf(AccessibleRole role) {
  switch (role) {
    case AccessibleRole::PushButton:
      return ROLE_SYSTEM_PUSHBUTTON;
    case AccessibleRole::StaticText:
      return ROLE_SYSTEM_STATICTEXT;
  }
  return ROLE_SYSTEM_CLIENT;
}

LONG StateOf(AccessibleState s) {
  LONG bits = 0;
  if (s.Contains(AccessibleStateFlag::Focused)) bits |= STATE_SYSTEM_FOCUSED;
  if (s.Contains(AccessibleStateFlag::Focusable)) bits |= STATE_SYSTEM_FOCUSABLE;
  if (s.Contains(AccessibleStateFlag::Unavailable)) bits |= STATE_SYSTEM_UNAVAILABLE;
  if (s.Contains(AccessibleStateFlag::Pressed)) bits |= STATE_SYSTEM_PRESSED;
  if (s.Contains(AccessibleStateFlag::ReadOnly)) bits |= STATE_SYSTEM_READONLY;
  if (s.Contains(AccessibleStateFlag::Invisible)) bits |= STATE_SYSTEM_INVISIBLE;
  return bits;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// A text handed to the caller, who frees it; an empty text is "none" (S_FALSE and no string).
HRESULT ReturnText(const AnsiString& text, BSTR* out) {
  if (text.empty()) return S_FALSE;
  const std::wstring wide = ToWide(text);
  *out = QV_LAZY("oleaut32.dll", SysAllocStringLen)(wide.data(), static_cast<UINT>(wide.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

// No exception may cross a COM method: whatever the work raises becomes an error code.
template <typename F>
HRESULT Guarded(F&& work) noexcept {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace

// Made with a reference count of one (its owner's); deletes itself when the last reference is
// released, as COM objects do.
class AccessibleObject final : public IAccessible {
 public:
  AccessibleObject(HWND hwnd, IAccessibleWindow& window) : hwnd_(hwnd), window_(&window) {}
  AccessibleObject(const AccessibleObject&) = delete;
  AccessibleObject& operator=(const AccessibleObject&) = delete;

  void Disconnect() noexcept {
    window_ = nullptr;
    hwnd_ = nullptr;
  }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IDispatch: clients of accessible objects call the interface directly; no type information.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return Guarded([&]() -> HRESULT {
      if (!parent) return E_POINTER;
      *parent = nullptr;
      if (!window_) return CO_E_OBJNOTCONNECTED;
      // The window object of the same window holds the client area, as with the system's own.
      const HRESULT hr = QV_LAZY("oleacc.dll", AccessibleObjectFromWindow)(
          hwnd_, static_cast<DWORD>(OBJID_WINDOW), __uuidof(IDispatch),
          reinterpret_cast<void**>(parent));
      if (FAILED(hr)) *parent = nullptr;
      return *parent ? S_OK : S_FALSE;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return window_ ? S_OK : CO_E_OBJNOTCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override {
    if (!child) return E_POINTER;
    *child = nullptr;
    return window_ ? E_INVALIDARG : CO_E_OBJNOTCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return Text(child, name, [](const AccessibleDescription& d) { return d.Name; });
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return NotSupported(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    return NotSupported(child, description);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    return Guarded([&]() -> HRESULT {
      if (!role) return E_POINTER;
      role->vt = VT_EMPTY;
      if (!window_) return CO_E_OBJNOTCONNECTED;
      if (!IsSelf(child)) return E_INVALIDARG;
      const LONG value = RoleOf(window_->Describe().Role);
      role->vt = VT_I4;
      role->lVal = value;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return Guarded([&]() -> HRESULT {
      if (!state) return E_POINTER;
      state->vt = VT_EMPTY;
      if (!window_) return CO_E_OBJNOTCONNECTED;
      if (!IsSelf(child)) return E_INVALIDARG;
      const LONG value = StateOf(window_->Describe().State);
      state->vt = VT_I4;
      state->lVal = value;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return NotSupported(child, help);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    if (topic) *topic = 0;
    return NotSupported(child, file);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return NotSupported(child, shortcut);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    return Guarded([&]() -> HRESULT {
      if (!focus) return E_POINTER;
      focus->vt = VT_EMPTY;
      if (!window_) return CO_E_OBJNOTCONNECTED;
      if (!window_->Describe().State.Contains(AccessibleStateFlag::Focused)) return S_FALSE;
      focus->vt = VT_I4;
      focus->lVal = CHILDID_SELF;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (!selection) return E_POINTER;
    selection->vt = VT_EMPTY;
    return window_ ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return Text(
        child, action, [](const AccessibleDescription& d) { return d.DefaultAction; },
        DISP_E_MEMBERNOTFOUND);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT child) override {
    if (!window_) return CO_E_OBJNOTCONNECTED;
    return IsSelf(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    if (!window_) return CO_E_OBJNOTCONNECTED;
    if (!IsSelf(child)) return E_INVALIDARG;
    RECT r;
    if (!GetWindowRect(hwnd_, &r)) return E_FAIL;
    *left = r.left;
    *top = r.top;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG, VARIANT start, VARIANT* end) override {
    if (!end) return E_POINTER;
    end->vt = VT_EMPTY;
    if (!window_) return CO_E_OBJNOTCONNECTED;
    return IsSelf(start) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) override {
    if (!hit) return E_POINTER;
    hit->vt = VT_EMPTY;
    if (!window_) return CO_E_OBJNOTCONNECTED;
    RECT r;
    if (!GetWindowRect(hwnd_, &r)) return E_FAIL;
    if (!PtInRect(&r, POINT{x, y})) return S_FALSE;
    hit->vt = VT_I4;
    hit->lVal = CHILDID_SELF;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return Guarded([&]() -> HRESULT {
      if (!window_) return CO_E_OBJNOTCONNECTED;
      if (!IsSelf(child)) return E_INVALIDARG;
      const AccessibleDescription d = window_->Describe();
      if (d.DefaultAction.empty()) return DISP_E_MEMBERNOTFOUND;
      if (d.State.Contains(AccessibleStateFlag::Unavailable)) return E_FAIL;
      return window_->RequestDefaultAction() ? S_OK : E_FAIL;
    });
  }
  // Setting a name or a value is not supported by accessible objects any more.
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~AccessibleObject() = default;

  template <typename Pick>
  HRESULT Text(const VARIANT& child, BSTR* out, Pick pick, HRESULT none = S_FALSE) noexcept {
    return Guarded([&]() -> HRESULT {
      if (!out) return E_POINTER;
      *out = nullptr;
      if (!window_) return CO_E_OBJNOTCONNECTED;
      if (!IsSelf(child)) return E_INVALIDARG;
      const HRESULT hr = ReturnText(pick(window_->Describe()), out);
      return hr == S_FALSE ? none : hr;
    });
  }
  HRESULT NotSupported(const VARIANT& child, BSTR* out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!window_) return CO_E_OBJNOTCONNECTED;
    return IsSelf(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
  }

  std::atomic<ULONG> references_{1};
  HWND hwnd_;
  IAccessibleWindow* window_;
};

void ReleaseAccessibleObject(AccessibleObject* object) noexcept {
  if (object) object->Release();
}

LRESULT AccessibleAnswer::Answer(HWND hwnd, WPARAM flags) noexcept {
  try {
    if (!hwnd || !JoinComApartment()) return 0;
    if (!object_) object_.reset(new AccessibleObject(hwnd, window_));
    // The reference handed out is the caller's; ours stays with the window.
    const LRESULT result = QV_LAZY("oleacc.dll", LresultFromObject)(
        __uuidof(IAccessible), flags, static_cast<IAccessible*>(object_.get()));
    return result > 0 ? result : 0;
  } catch (...) {
    return 0;
  }
}

void AccessibleAnswer::Disconnect() noexcept {
  if (object_) object_.get()->Disconnect();
  object_.reset();
}

}  // namespace qv::win
