#include "win/framework/dialog_accessible.h"

#include <oleacc.h>
#include <oleauto.h>

#include <atomic>
#include <new>
#include <utility>

#include "win/framework/com_apartment.h"
#include "win/framework/lazy_library.h"

namespace qv::win {

namespace {

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

HRESULT ReturnText(const std::wstring& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = QV_LAZY("oleaut32.dll", SysAllocStringLen)(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

// Forwards every question to the system's client object, but for the role, name and description
// of the window itself. The texts are copies: a client may keep the object after the window is
// gone, and the system's object then answers for the window as it does for any destroyed one.
class DialogAccessible final : public IAccessible {
 public:
  DialogAccessible(IAccessible* standard, std::wstring name, std::wstring description)
      : standard_(standard), name_(std::move(name)), description_(std::move(description)) {}
  DialogAccessible(const DialogAccessible&) = delete;
  DialogAccessible& operator=(const DialogAccessible&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    // The enumeration of the children (IEnumVARIANT) and the window (IOleWindow) are the
    // system object's to give.
    return standard_->QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    return standard_->GetTypeInfoCount(count);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    return standard_->GetTypeInfo(index, locale, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    return standard_->GetIDsOfNames(iid, names, count, locale, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override {
    return standard_->Invoke(id, iid, locale, flags, params, result, exception, argumentError);
  }

  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return IsSelf(child) ? ReturnText(name_, name) : standard_->get_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    return IsSelf(child) ? ReturnText(description_, description)
                         : standard_->get_accDescription(child, description);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!IsSelf(child)) return standard_->get_accRole(child, role);
    if (!role) return E_POINTER;
    role->vt = VT_I4;
    role->lVal = ROLE_SYSTEM_DIALOG;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return standard_->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    return standard_->get_accChildCount(count);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    return standard_->get_accChild(child, out);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return standard_->get_accValue(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return standard_->get_accState(child, state);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return standard_->get_accHelp(child, help);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    return standard_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return standard_->get_accKeyboardShortcut(child, shortcut);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    return standard_->get_accFocus(focus);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    return standard_->get_accSelection(selection);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return standard_->get_accDefaultAction(child, action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
    return standard_->accSelect(flags, child);
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override {
    return standard_->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    return standard_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) override {
    return standard_->accHitTest(x, y, hit);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return standard_->accDoDefaultAction(child);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~DialogAccessible() { standard_->Release(); }

  std::atomic<ULONG> references_{1};
  IAccessible* standard_;  // one reference, ours
  std::wstring name_, description_;
};

}  // namespace

LRESULT AnswerAsDialog(HWND hwnd, WPARAM flags, const std::wstring& name,
                       const std::wstring& description) noexcept {
  try {
    if (!hwnd || !JoinComApartment()) return 0;
    IAccessible* standard = nullptr;
    if (FAILED(QV_LAZY("oleacc.dll", CreateStdAccessibleObject)(
            hwnd, static_cast<LONG>(OBJID_CLIENT), __uuidof(IAccessible),
            reinterpret_cast<void**>(&standard))) ||
        !standard) {
      return 0;
    }
    // The copies are made before the wrapper, whose making then cannot fail half way; it takes
    // over the system object's reference.
    std::wstring ownName = name, ownDescription = description;
    DialogAccessible* object = new (std::nothrow)
        DialogAccessible(standard, std::move(ownName), std::move(ownDescription));
    if (!object) {
      standard->Release();
      return 0;
    }
    const LRESULT result =
        QV_LAZY("oleacc.dll", LresultFromObject)(__uuidof(IAccessible), flags, object);
    // The caller holds its own reference through the result; ours goes.
    object->Release();
    return result > 0 ? result : 0;
  } catch (...) {
    return 0;
  }
}

}  // namespace qv::win
