// The plain button and the extended edit box as real windows on a form, driven by messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "controls/form_description.h"
#include "test_form.h"
#include "win/controls/edit_window.h"
#include "win/controls/plain_button_window.h"
#include "win/framework/cp932.h"
#include "win/framework/form.h"

namespace qv::win {
namespace {

using P = StoredProperty;

FormObjectDescription ButtonDescription(const char* name, const char* caption, int left, int top) {
  return {AnsiString(name),
          {P{"Left", std::int64_t{left}}, P{"Top", std::int64_t{top}}, P{"Width", std::int64_t{81}},
           P{"Height", std::int64_t{26}}, P{"Image.Top", std::int64_t{0}},
           P{"CaptionA.Caption", AnsiString(caption)}, P{"CaptionTop", std::int64_t{8}},
           P{"CaptionVertCenter", false}}};
}

class ControlsWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    form.CreateHidden();
    ASSERT_TRUE(form.Handle());
    path.CreateIn(form.Handle(), {"txtSharePath",
                                  {P{"Left", std::int64_t{10}}, P{"Top", std::int64_t{10}},
                                   P{"Width", std::int64_t{265}}, P{"Height", std::int64_t{18}},
                                   P{"ReadOnly", true}, P{"TabStop", false},
                                   P{"Color", FormIdent{"clBtnFace"}}, P{"Ctl3D", false},
                                   P{"ParentCtl3D", false}, P{"KeyEdit3D", FormIdent{"bsNone"}}}});
    name.CreateIn(form.Handle(), {"txtShareName",
                                  {P{"Left", std::int64_t{10}}, P{"Top", std::int64_t{40}},
                                   P{"Width", std::int64_t{137}}, P{"Height", std::int64_t{18}},
                                   P{"MaxLength", std::int64_t{80}}, P{"Ctl3D", false},
                                   P{"ParentCtl3D", false}, P{"KeyEdit3D", FormIdent{"bsNone"}}}});
    share.CreateIn(form.Handle(), ButtonDescription("btnShare", "共有", 10, 80));
    cancel.CreateIn(form.Handle(), ButtonDescription("btnCancel", "キャンセル", 120, 80));
    share.Model().SetCaptionVertCenter(true);
    cancel.Model().SetCaptionVertCenter(true);
    share.Model().OnClick = [this](PlainButton&) { ++shareClicks; };
    cancel.Model().OnClick = [this](PlainButton&) { ++cancelClicks; };
    for (Window* w : std::initializer_list<Window*>{&path, &name, &share, &cancel}) {
      form.AddControl(w);
    }
    form.SetTabOrder({&path, &name, &share, &cancel});
    name.SetText("VeltoData");
    ShowWindow(form.Handle(), SW_SHOW);
    SetForegroundWindow(form.Handle());
    Pump();
  }

  // The message loop's steps: the form sees key messages first.
  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (Form::PreTranslate(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  static void Key(HWND target, WORD vk) {
    PostMessageW(target, WM_KEYDOWN, vk, 1);
    Pump();
    PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
    Pump();
  }
  static void Click(HWND target, int x, int y) {
    PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    Pump();
  }

  TestForm form;
  EditWindow path, name;
  PlainButtonWindow share, cancel;
  int shareClicks = 0, cancelClicks = 0;
};

TEST_F(ControlsWindowTest, ButtonsShowTheirCaptionAsWindowText) {
  EXPECT_EQ(WindowText(share.Handle()), "共有");
  EXPECT_EQ(WindowText(cancel.Handle()), "キャンセル");
  wchar_t cls[32] = {};
  GetClassNameW(share.Handle(), cls, 32);
  EXPECT_EQ(std::wstring(cls), L"TxPlButton");
  RECT r;
  GetClientRect(share.Handle(), &r);
  EXPECT_EQ(r.right, 81);
  EXPECT_EQ(r.bottom, 26);
}

TEST_F(ControlsWindowTest, FieldsAreFlatAndThePathFieldReadOnly) {
  // A flat field: a one-pixel border around its own colour, no sunken edge.
  const std::pair<HWND, int> fields[] = {{path.Handle(), COLOR_BTNFACE},
                                         {name.Handle(), COLOR_WINDOW}};
  for (const auto& [field, background] : fields) {
    EXPECT_FALSE(GetWindowLongW(field, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    RedrawWindow(field, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
    RECT window;
    GetWindowRect(field, &window);
    HDC screen = GetDC(nullptr);
    const int middle = (window.top + window.bottom) / 2;
    EXPECT_EQ(GetPixel(screen, window.left, middle), GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(GetPixel(screen, window.left + 1, middle), GetSysColor(background));
    EXPECT_EQ(GetPixel(screen, window.right - 1, middle), GetSysColor(COLOR_WINDOWFRAME));
    ReleaseDC(nullptr, screen);
  }
  EXPECT_TRUE(GetWindowLongW(path.Handle(), GWL_STYLE) & ES_READONLY);
  EXPECT_FALSE(GetWindowLongW(path.Handle(), GWL_STYLE) & WS_TABSTOP);
  EXPECT_TRUE(GetWindowLongW(name.Handle(), GWL_STYLE) & WS_TABSTOP);
  EXPECT_EQ(SendMessageW(name.Handle(), EM_GETLIMITTEXT, 0, 0), 80);
}

TEST_F(ControlsWindowTest, MouseClickClicksOnceAndKeepsTheFormOpen) {
  form.SetModalResult(5);
  Click(share.Handle(), 40, 13);
  EXPECT_EQ(shareClicks, 1);
  EXPECT_EQ(form.ModalResult(), 0);
  EXPECT_EQ(GetFocus(), share.Handle());
  EXPECT_FALSE(share.Model().Pressed());
  EXPECT_TRUE(IsWindow(form.Handle()));
  Click(share.Handle(), 100, 13);  // released outside
  EXPECT_EQ(shareClicks, 1);
}

TEST_F(ControlsWindowTest, DoubleClickClicksOnceAndRaisesTheDoubleClick) {
  int doubleClicks = 0;
  share.Model().OnDblClick = [&](PlainButton&) { ++doubleClicks; };
  Click(share.Handle(), 40, 13);
  PostMessageW(share.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(40, 13));
  PostMessageW(share.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(40, 13));
  Pump();
  EXPECT_EQ(shareClicks, 1);
  EXPECT_EQ(doubleClicks, 1);
}

TEST_F(ControlsWindowTest, EnterInTheFieldMovesOnAndASecondEnterClicks) {
  SetFocus(name.Handle());
  Pump();
  DWORD start = 1, end = 1;
  SendMessageW(name.Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 9u);  // the whole text is selected on entry

  Key(name.Handle(), VK_RETURN);
  EXPECT_EQ(GetFocus(), share.Handle());
  EXPECT_EQ(shareClicks, 0);
  EXPECT_EQ(WindowText(name.Handle()), "VeltoData");

  Key(share.Handle(), VK_RETURN);
  EXPECT_EQ(shareClicks, 1);
  EXPECT_EQ(cancelClicks, 0);

  Key(share.Handle(), VK_UP);
  EXPECT_EQ(GetFocus(), name.Handle());
  // The other arrows move the caret only, even from the ends of the text.
  for (WORD arrow : {VK_LEFT, VK_HOME, VK_LEFT, VK_DOWN, VK_END, VK_RIGHT, VK_DOWN}) {
    Key(name.Handle(), arrow);
    EXPECT_EQ(GetFocus(), name.Handle()) << arrow;
  }
  Key(name.Handle(), VK_UP);  // the read-only path field is no tab stop
  EXPECT_EQ(GetFocus(), cancel.Handle());
}

TEST_F(ControlsWindowTest, PasteGoesIntoTheNameFieldButNotTheReadOnlyPathField) {
  ASSERT_TRUE(PutTextOnClipboard(form.Handle(), L"XYZ"));

  name.SetText("");
  SendMessageW(name.Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(WindowText(name.Handle()), "XYZ");

  path.SetText("C:\\VeltoData");
  SendMessageW(path.Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(WindowText(path.Handle()), "C:\\VeltoData");
}

// The share-name field's limit of 80 counts code page 932 bytes: 40 double-byte characters fill
// it, whether typed or pasted.
TEST_F(ControlsWindowTest, MaximumLengthCountsShiftJisBytes) {
  name.SetText("");
  SetFocus(name.Handle());
  for (int i = 0; i < 41; ++i) PostMessageW(name.Handle(), WM_CHAR, L'あ', 1);
  PostMessageW(name.Handle(), WM_CHAR, L'A', 1);
  Pump();
  EXPECT_EQ(WindowText(name.Handle()).size(), 80u);
  EXPECT_EQ(GetWindowTextLengthW(name.Handle()), 40);

  ASSERT_TRUE(
      PutTextOnClipboard(form.Handle(), L"A" + std::wstring(50, L'共') + L"\r\nsecond line"));
  name.SetText("12");
  SendMessageW(name.Handle(), EM_SETSEL, 2, 2);
  SendMessageW(name.Handle(), WM_PASTE, 0, 0);
  // 2 + 1 + 38 * 2 = 79 bytes: a 39th double-byte character would pass the limit.
  EXPECT_EQ(
      WindowText(name.Handle()), "12A" + [] {
        AnsiString s;
        for (int i = 0; i < 38; ++i) s += "共";
        return s;
      }());
}

// A paste with nothing to paste leaves the field as it was: no text on the clipboard at all, or
// only a picture.
TEST_F(ControlsWindowTest, PasteWithoutTextOnTheClipboardChangesNothing) {
  ASSERT_TRUE(OpenClipboard(form.Handle()));
  EmptyClipboard();
  CloseClipboard();
  SendMessageW(name.Handle(), EM_SETSEL, 2, 5);
  SendMessageW(name.Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(WindowText(name.Handle()), "VeltoData");
  EXPECT_EQ(Selection(name.Handle()), (std::pair<DWORD, DWORD>{2, 5}));

  ASSERT_TRUE(OpenClipboard(form.Handle()));
  EmptyClipboard();
  HDC screen = GetDC(nullptr);
  ASSERT_TRUE(SetClipboardData(CF_BITMAP, CreateCompatibleBitmap(screen, 8, 8)));
  ReleaseDC(nullptr, screen);
  CloseClipboard();
  ASSERT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  SendMessageW(name.Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(WindowText(name.Handle()), "VeltoData");
  EXPECT_EQ(Selection(name.Handle()), (std::pair<DWORD, DWORD>{2, 5}));
}

// While another window keeps the clipboard open (a clipboard manager, a remote desktop session),
// a paste changes nothing; once it is closed the same paste goes in.
TEST_F(ControlsWindowTest, PasteWhileTheClipboardIsHeldElsewhereChangesNothing) {
  ASSERT_TRUE(PutTextOnClipboard(form.Handle(), L"XYZ"));
  HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  bool heldOpen = false;
  std::thread holder([&] {
    HWND other = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 nullptr, nullptr);
    heldOpen = OpenClipboard(other) != FALSE;
    SetEvent(opened);
    WaitForSingleObject(release, 10000);
    if (heldOpen) CloseClipboard();
    DestroyWindow(other);
  });
  WaitForSingleObject(opened, 10000);
  EXPECT_TRUE(heldOpen);
  SendMessageW(name.Handle(), EM_SETSEL, 2, 5);
  SendMessageW(name.Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(WindowText(name.Handle()), "VeltoData");
  EXPECT_EQ(Selection(name.Handle()), (std::pair<DWORD, DWORD>{2, 5}));
  SetEvent(release);
  holder.join();
  CloseHandle(opened);
  CloseHandle(release);

  SendMessageW(name.Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(WindowText(name.Handle()), "VeXYZData");
}

TEST_F(ControlsWindowTest, BorderChangeRecreatesTheFieldKeepingTextAndFocus) {
  SetFocus(name.Handle());
  const HWND before = name.Handle();
  name.Model().SetKeyEdit3D(BorderStyle::Single);
  ASSERT_TRUE(name.Handle());
  EXPECT_NE(name.Handle(), before);
  EXPECT_TRUE(GetWindowLongW(name.Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_FALSE(GetWindowLongW(name.Handle(), GWL_STYLE) & WS_BORDER);
  EXPECT_EQ(GetWindowLongW(name.Handle(), GWL_STYLE) & (ES_RIGHT | ES_CENTER), 0);
  EXPECT_EQ(WindowText(name.Handle()), "VeltoData");
  EXPECT_EQ(GetFocus(), name.Handle());
  EXPECT_EQ(SendMessageW(name.Handle(), EM_GETLIMITTEXT, 0, 0), 80);
}

TEST_F(ControlsWindowTest, RoundedStyleShapesTheWindow) {
  share.Model().SetButtonStyle(PlainButtonStyle::RoundRect);
  RECT box{};
  EXPECT_NE(GetWindowRgnBox(share.Handle(), &box), ERROR);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.top, 0);
  EXPECT_GE(box.right, 81);
  share.Model().SetBounds(10, 80, 60, 30);
  EXPECT_NE(GetWindowRgnBox(share.Handle(), &box), ERROR);
  EXPECT_LE(box.right, 61);
  EXPECT_GE(box.bottom, 30);
  share.Model().SetButtonStyle(PlainButtonStyle::Normal);
  EXPECT_EQ(GetWindowRgnBox(share.Handle(), &box), ERROR);
}

TEST_F(ControlsWindowTest, WindowPaintsItsFaceWithFocusIndicator) {
  SetFocus(share.Handle());
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(info.bmiHeader), 81, -26, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageW(share.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  EXPECT_EQ(GetPixel(dc, 2, 10), RGB(230, 230, 230));
  EXPECT_EQ(GetPixel(dc, 40, 1), GetSysColor(COLOR_BTNHIGHLIGHT));
  int dotted = 0;
  for (int x = 3; x < 78; ++x) dotted += GetPixel(dc, x, 3) != RGB(248, 248, 248);
  EXPECT_GT(dotted, 20);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

TEST_F(ControlsWindowTest, DisablingTheFocusedButtonMovesTheFocusOn) {
  SetFocus(share.Handle());
  share.Model().SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(share.Handle()));
  EXPECT_EQ(GetFocus(), cancel.Handle());
}

// The button's own cursor over its client area; the class cursor for the default, and the
// system's handling outside the client area.
TEST_F(ControlsWindowTest, TheButtonShowsItsCursor) {
  struct Case {
    const char* name;
    CursorId cursor;
    WORD hitTest;
    const wchar_t* expected;  // nullptr: no cursor
    bool handledByTheButton;
  } cases[] = {
      {"hand point", -21, HTCLIENT, IDC_HAND, true},
      {"I-beam", -4, HTCLIENT, IDC_IBEAM, true},
      {"hourglass", -11, HTCLIENT, IDC_WAIT, true},
      {"none", -1, HTCLIENT, nullptr, true},
      {"default: the class cursor", 0, HTCLIENT, IDC_ARROW, false},
      {"a cursor of no system kind: the class cursor", -12, HTCLIENT, IDC_ARROW, false},
      {"hand point outside the client area", -21, HTNOWHERE, IDC_ARROW, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetCursor(LoadCursorW(nullptr, IDC_CROSS));
    share.Model().SetCursor(c.cursor);
    const LRESULT handled =
        SendMessageW(share.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(share.Handle()),
                     MAKELPARAM(c.hitTest, WM_MOUSEMOVE));
    if (c.handledByTheButton) {
      EXPECT_EQ(handled, TRUE);
    }
    EXPECT_EQ(GetCursor(), c.expected ? LoadCursorW(nullptr, c.expected) : nullptr);
  }
}

}  // namespace
}  // namespace qv::win
