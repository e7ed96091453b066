// The accessible objects of the plain button and the label, fetched as a screen reader would:
// WM_GETOBJECT to the window, the answer turned back into the object with ObjectFromLresult (in
// this process; Wine cannot hand accessible objects to another one). Also BM_CLICK, and the names
// the edit fields are given.
#include <windows.h>

#include <oleacc.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "test_form.h"
#include "win/app/share_dialog_window.h"
#include "win/controls/edit_window.h"
#include "win/controls/plain_button_window.h"
#include "win/framework/accessible_names.h"
#include "win/framework/com_apartment.h"
#include "win/framework/controls.h"
#include "win/framework/cp932.h"
#include "win/framework/form.h"

namespace qv::win {
namespace {

using P = StoredProperty;

// The object id UI Automation asks with.
constexpr LONG kUiaRootObjectId = -25;

FormObjectDescription Button(const char* caption) {
  return {"btnShare",
          {P{"Left", std::int64_t{10}}, P{"Top", std::int64_t{80}}, P{"Width", std::int64_t{81}},
           P{"Height", std::int64_t{26}}, P{"CaptionA.Caption", AnsiString(caption)}}};
}

// An interface pointer released when it goes.
class Acc {
 public:
  Acc() = default;
  explicit Acc(IAccessible* p) : p_(p) {}
  ~Acc() {
    if (p_) p_->Release();
  }
  Acc(Acc&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  Acc& operator=(Acc&&) = delete;
  IAccessible* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  IAccessible* p_ = nullptr;
};

VARIANT Self() {
  VARIANT v;
  v.vt = VT_I4;
  v.lVal = CHILDID_SELF;
  return v;
}

// The object a screen reader gets for the window's client area.
Acc Fetch(HWND hwnd) {
  const LRESULT result = SendMessageW(hwnd, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
  EXPECT_GT(result, 0) << "no accessible object";
  if (result <= 0) return Acc();
  IAccessible* acc = nullptr;
  const HRESULT hr =
      ObjectFromLresult(result, __uuidof(IAccessible), 0, reinterpret_cast<void**>(&acc));
  EXPECT_EQ(hr, S_OK);
  return Acc(SUCCEEDED(hr) ? acc : nullptr);
}

// A text property: its result and its text (freed here).
std::pair<HRESULT, std::wstring> TextOf(HRESULT hr, BSTR text) {
  std::wstring s = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
  SysFreeString(text);
  return {hr, s};
}
std::pair<HRESULT, std::wstring> NameOf(const Acc& acc, VARIANT child = Self()) {
  BSTR s = nullptr;
  const HRESULT hr = acc->get_accName(child, &s);
  return TextOf(hr, s);
}
std::pair<HRESULT, std::wstring> DefaultActionOf(const Acc& acc) {
  BSTR s = nullptr;
  const HRESULT hr = acc->get_accDefaultAction(Self(), &s);
  return TextOf(hr, s);
}
LONG RoleOf(const Acc& acc) {
  VARIANT v{};
  EXPECT_EQ(acc->get_accRole(Self(), &v), S_OK);
  EXPECT_EQ(v.vt, VT_I4);
  return v.lVal;
}
LONG StateOf(const Acc& acc) {
  VARIANT v{};
  EXPECT_EQ(acc->get_accState(Self(), &v), S_OK);
  EXPECT_EQ(v.vt, VT_I4);
  return v.lVal;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (Form::PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

class AccessibleTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(JoinComApartment());
    form.CreateHidden();
    button = std::make_unique<PlainButtonWindow>();
    button->CreateIn(form.Handle(), Button("共有"));
    button->Model().OnClick = [this](PlainButton&) { ++clicks; };
    label.CreateIn(form.Handle(), 10, 10, "共有名:", clBtnFace);
    other.CreateIn(form.Handle(), Button("キャンセル"));
    for (Window* w : std::initializer_list<Window*>{button.get(), &other}) form.AddControl(w);
    ShowWindow(form.Handle(), SW_SHOW);
    SetForegroundWindow(form.Handle());
    SetFocus(other.Handle());
    Pump();
  }

  TestForm form;
  std::unique_ptr<PlainButtonWindow> button;
  PlainButtonWindow other;
  Label label;
  int clicks = 0;
};

TEST_F(AccessibleTest, TheButtonIsAPushButtonNamedByBothCaptionLines) {
  Acc acc = Fetch(button->Handle());
  ASSERT_TRUE(acc);
  EXPECT_EQ(RoleOf(acc), ROLE_SYSTEM_PUSHBUTTON);
  EXPECT_EQ(NameOf(acc), std::make_pair(S_OK, std::wstring(L"共有")));
  button->Model().CaptionB().SetCaption("フォルダ");
  EXPECT_EQ(NameOf(acc), std::make_pair(S_OK, std::wstring(L"共有 フォルダ")));
  EXPECT_EQ(DefaultActionOf(acc), std::make_pair(S_OK, std::wstring(L"押す")));
  // A second request gives the same object again.
  Acc again = Fetch(button->Handle());
  ASSERT_TRUE(again);
  EXPECT_EQ(NameOf(again).second, L"共有 フォルダ");

  LONG children = -1;
  EXPECT_EQ(acc->get_accChildCount(&children), S_OK);
  EXPECT_EQ(children, 0);
  VARIANT child1;
  child1.vt = VT_I4;
  child1.lVal = 1;
  EXPECT_EQ(NameOf(acc, child1).first, E_INVALIDARG);

  RECT r;
  GetWindowRect(button->Handle(), &r);
  LONG x = 0, y = 0, w = 0, h = 0;
  EXPECT_EQ(acc->accLocation(&x, &y, &w, &h, Self()), S_OK);
  EXPECT_EQ((std::vector<LONG>{x, y, w, h}),
            (std::vector<LONG>{r.left, r.top, r.right - r.left, r.bottom - r.top}));
  VARIANT hit{};
  EXPECT_EQ(acc->accHitTest(r.left + 3, r.top + 3, &hit), S_OK);
  EXPECT_EQ(hit.vt, VT_I4);
  EXPECT_EQ(acc->accHitTest(r.right + 3, r.top + 3, &hit), S_FALSE);
  EXPECT_EQ(hit.vt, VT_EMPTY);
}

TEST_F(AccessibleTest, TheButtonsStateFollowsFocusPressAndEnabled) {
  Acc acc = Fetch(button->Handle());
  ASSERT_TRUE(acc);
  EXPECT_EQ(StateOf(acc), STATE_SYSTEM_FOCUSABLE);
  VARIANT focus{};
  EXPECT_EQ(acc->get_accFocus(&focus), S_FALSE);

  SetFocus(button->Handle());
  EXPECT_EQ(StateOf(acc), STATE_SYSTEM_FOCUSED | STATE_SYSTEM_FOCUSABLE);
  EXPECT_EQ(acc->get_accFocus(&focus), S_OK);
  EXPECT_EQ(focus.vt, VT_I4);

  SendMessageW(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(StateOf(acc), STATE_SYSTEM_FOCUSED | STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_PRESSED);
  SendMessageW(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(clicks, 1);

  // Disabled through the window, as the dialog does while it works.
  EnableWindow(button->Handle(), FALSE);
  EXPECT_EQ(StateOf(acc) & (STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_FOCUSABLE),
            STATE_SYSTEM_UNAVAILABLE);
}

TEST_F(AccessibleTest, TheDefaultActionIsPostedAndClicksOnce) {
  Acc acc = Fetch(button->Handle());
  ASSERT_TRUE(acc);
  form.SetModalResult(5);
  EXPECT_EQ(acc->accDoDefaultAction(Self()), S_OK);
  EXPECT_EQ(clicks, 0) << "the caller must get its answer before the click runs";
  Pump();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(form.ModalResult(), 0);
  EXPECT_EQ(GetFocus(), button->Handle());
  Pump();
  EXPECT_EQ(clicks, 1);

  EnableWindow(button->Handle(), FALSE);
  EXPECT_EQ(acc->accDoDefaultAction(Self()), E_FAIL);
  Pump();
  EXPECT_EQ(clicks, 1);
}

TEST_F(AccessibleTest, BmClickClicksAsAMouseClickAndSpaceStillDoesNothing) {
  form.SetModalResult(5);
  EXPECT_EQ(SendMessageW(button->Handle(), BM_CLICK, 0, 0), 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(form.ModalResult(), 0);
  EXPECT_EQ(GetFocus(), button->Handle());
  EXPECT_FALSE(button->Model().Pressed());

  PostMessageW(button->Handle(), WM_KEYDOWN, VK_SPACE, 0x00390001);
  PostMessageW(button->Handle(), WM_CHAR, L' ', 0x00390001);
  PostMessageW(button->Handle(), WM_KEYUP, VK_SPACE, 0xC0390001);
  Pump();
  EXPECT_EQ(clicks, 1);

  EnableWindow(button->Handle(), FALSE);
  SendMessageW(button->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
}

TEST_F(AccessibleTest, AnObjectKeptAfterItsWindowHasGoneAnswersNotConnected) {
  // The window destroyed under its C++ object, and the C++ object destroyed with its window.
  for (bool objectFirst : {false, true}) {
    SCOPED_TRACE(objectFirst ? "object first" : "window first");
    auto b = std::make_unique<PlainButtonWindow>();
    b->CreateIn(form.Handle(), Button("参照"));
    int localClicks = 0;
    b->Model().OnClick = [&](PlainButton&) { ++localClicks; };
    Acc acc = Fetch(b->Handle());
    ASSERT_TRUE(acc);
    if (objectFirst) {
      b.reset();
    } else {
      DestroyWindow(b->Handle());
    }
    EXPECT_EQ(NameOf(acc).first, CO_E_OBJNOTCONNECTED);
    VARIANT v{};
    EXPECT_EQ(acc->get_accRole(Self(), &v), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(acc->get_accState(Self(), &v), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(acc->accDoDefaultAction(Self()), CO_E_OBJNOTCONNECTED);
    LONG x, y, w, h;
    EXPECT_EQ(acc->accLocation(&x, &y, &w, &h, Self()), CO_E_OBJNOTCONNECTED);
    Pump();
    EXPECT_EQ(localClicks, 0);
  }
}

TEST_F(AccessibleTest, TheLabelIsStaticTextWithItsCaption) {
  Acc acc = Fetch(label.Handle());
  ASSERT_TRUE(acc);
  EXPECT_EQ(RoleOf(acc), ROLE_SYSTEM_STATICTEXT);
  EXPECT_EQ(NameOf(acc), std::make_pair(S_OK, std::wstring(L"共有名:")));
  EXPECT_EQ(StateOf(acc), STATE_SYSTEM_READONLY);
  EXPECT_EQ(DefaultActionOf(acc).first, DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(acc->accDoDefaultAction(Self()), DISP_E_MEMBERNOTFOUND);
  label.SetCaption("設定しています…");
  EXPECT_EQ(NameOf(acc).second, L"設定しています…");
  ShowWindow(label.Handle(), SW_HIDE);
  EXPECT_EQ(StateOf(acc), STATE_SYSTEM_READONLY | STATE_SYSTEM_INVISIBLE);
}

TEST_F(AccessibleTest, OtherObjectIdsAreLeftToTheSystem) {
  for (LONG id : {OBJID_WINDOW, OBJID_NATIVEOM, kUiaRootObjectId}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(SendMessageW(button->Handle(), WM_GETOBJECT, 0, id), 0);
    EXPECT_EQ(SendMessageW(label.Handle(), WM_GETOBJECT, 0, id), 0);
  }
}

// Records what would be given to the system's annotation service.
class RecordingNames : public IAccessibleNameStore {
 public:
  HRESULT SetName(HWND hwnd, const std::wstring& name) noexcept override {
    calls.push_back({"set", hwnd, name});
    return S_OK;
  }
  HRESULT ClearName(HWND hwnd) noexcept override {
    calls.push_back({"clear", hwnd, L""});
    return S_OK;
  }
  struct Call {
    std::string what;
    HWND hwnd;
    std::wstring name;
    bool operator==(const Call&) const = default;
  };
  std::vector<Call> calls;
};

TEST(AccessibleNames, TheDialogsFieldsAreNamedAfterTheirLabelsAtTheFirstRequest) {
  ASSERT_TRUE(JoinComApartment());
  RecordingNames names;
  ScopedAccessibleNameStore scope(names);
  ShareDialogWindow window;
  window.CreateWindowAndControls();
  // The dialog's edit fields, top to bottom; the hidden memo last.
  std::vector<std::pair<LONG, HWND>> edits;
  EnumChildWindows(
      window.Handle(),
      [](HWND child, LPARAM list) -> BOOL {
        wchar_t cls[16] = {};
        GetClassNameW(child, cls, 16);
        if (lstrcmpiW(cls, L"Edit") == 0) {
          RECT r;
          GetWindowRect(child, &r);
          // The dialog is still hidden: the memo is told apart by its own style.
          const LONG key = (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) ? r.top : LONG_MAX;
          reinterpret_cast<std::vector<std::pair<LONG, HWND>>*>(list)->push_back({key, child});
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&edits));
  ASSERT_EQ(edits.size(), 3u);
  std::sort(edits.begin(), edits.end());
  const HWND path = edits[0].second, name = edits[1].second, memo = edits[2].second;
  EXPECT_TRUE(names.calls.empty()) << "nothing is annotated before a tool asks";

  for (HWND h : {path, name, memo, path, name}) {
    SendMessageW(h, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
  }
  using C = RecordingNames::Call;
  EXPECT_EQ(names.calls,
            (std::vector<C>{{"set", path, L"管理する場所:"}, {"set", name, L"共有名:"}}));
  names.calls.clear();
  DestroyWindow(window.Handle());
  EXPECT_EQ(names.calls.size(), 2u);
  for (const C& c : names.calls) EXPECT_EQ(c.what, "clear");
}

TEST(AccessibleNames, AFieldWindowMadeAnewIsNamedAgain) {
  ASSERT_TRUE(JoinComApartment());
  RecordingNames names;
  ScopedAccessibleNameStore scope(names);
  TestForm form;
  form.CreateHidden();
  EditWindow edit;
  edit.CreateIn(form.Handle(), {"txtShareName", {P{"Left", std::int64_t{10}}}});
  edit.SetAccessibleName(L"共有名:");
  const HWND first = edit.Handle();
  SendMessageW(first, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
  edit.Model().SetKeyEdit3D(BorderStyle::Single);  // re-creates the window
  const HWND second = edit.Handle();
  ASSERT_NE(first, second);
  SendMessageW(second, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
  using C = RecordingNames::Call;
  EXPECT_EQ(names.calls,
            (std::vector<C>{
                {"set", first, L"共有名:"}, {"clear", first, L""}, {"set", second, L"共有名:"}}));
}

// Wine's annotation service: whatever it can do, a request to the field must come through
// unharmed, with the answer the field gives without a name.
TEST(AccessibleNames, TheSystemsAnnotationServiceWorksOrFailsHarmlessly) {
  ASSERT_TRUE(JoinComApartment());
  TestForm form;
  form.CreateHidden();
  EditWindow plain, named;
  plain.CreateIn(form.Handle(), {"txtSharePath", {P{"Left", std::int64_t{10}}}});
  named.CreateIn(form.Handle(), {"txtShareName", {P{"Left", std::int64_t{10}}}});
  named.SetAccessibleName(L"共有名:");
  const LRESULT withoutName =
      SendMessageW(plain.Handle(), WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
  const LRESULT withName =
      SendMessageW(named.Handle(), WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
  EXPECT_EQ(withName, withoutName);

  const HRESULT set = AccessibleNameStore().SetName(named.Handle(), L"共有名:");
  std::printf("annotation service: SetHwndPropStr gives 0x%08lx\n",
              static_cast<unsigned long>(set));
  if (SUCCEEDED(set)) {
    EXPECT_EQ(AccessibleNameStore().ClearName(named.Handle()), S_OK);
  }
}

}  // namespace
}  // namespace qv::win
