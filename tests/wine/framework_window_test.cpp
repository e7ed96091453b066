// The window framework against the real window manager when the system refuses a window: the
// refusal is raised with the system's code and text, and nothing half-made is left behind.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/errors.h"
#include "win/framework/controls.h"
#include "win/framework/gdi.h"
#include "win/framework/window.h"

namespace qv::win {
namespace {

constexpr wchar_t kTestClass[] = L"qv.test.window";

// Opens the protected creating calls to the test.
class TestWindow : public Window {
 public:
  using Window::Create;
  using Window::CreateSubclassed;
  using Window::RegisterOnce;
  bool refuseCreate = false;
  int textLengthAsked = 0;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_GETTEXTLENGTH) ++textLengthAsked;
    if (msg == WM_CREATE && refuseCreate) return -1;
    return Window::HandleMessage(msg, wp, lp);
  }
};

struct Refusal {
  const char* name;
  std::function<void(TestWindow&)> attempt;
  // The codes the system may give: Windows and Wine name some refusals differently. Empty: any
  // code, including 0 (a window procedure's refusal leaves the cause to the system).
  std::vector<DWORD> codes;
};

// Windows of this process, top-level and child: a refused creation must leave none.
BOOL CALLBACK CountOne(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

BOOL CALLBACK CountOwnTree(HWND top, LPARAM count) {
  DWORD pid = 0;
  GetWindowThreadProcessId(top, &pid);
  if (pid == GetCurrentProcessId()) {
    CountOne(top, count);
    EnumChildWindows(top, CountOne, count);
  }
  return TRUE;
}

int CountOwnWindows() {
  int count = 0;
  EnumWindows(CountOwnTree, reinterpret_cast<LPARAM>(&count));
  return count;
}

TEST(WindowFramework, ARefusedWindowIsRaisedWithTheSystemsCodeAndText) {
  const HWND kNoSuchWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FFF0FF0));
  const Refusal cases[] = {
      {"class never registered",
       [](TestWindow& w) {
         w.Create(0, L"qv.test.never-registered", L"", WS_POPUP, 0, 0, 10, 10, nullptr);
       },
       // Windows gives 1407; Wine 8 gives 1411.
       {ERROR_CANNOT_FIND_WND_CLASS, ERROR_CLASS_DOES_NOT_EXIST}},
      {"child of a parent that does not exist",
       [&](TestWindow& w) {
         TestWindow::RegisterOnce(kTestClass);
         w.Create(0, kTestClass, L"", WS_CHILD, 0, 0, 10, 10, kNoSuchWindow);
       },
       {ERROR_INVALID_WINDOW_HANDLE}},
      {"system control under a parent that does not exist",
       [&](TestWindow& w) {
         w.CreateSubclassed(0, L"EDIT", L"", WS_CHILD, 0, 0, 10, 10, kNoSuchWindow);
       },
       {ERROR_INVALID_WINDOW_HANDLE}},
      {"child without any parent",
       [](TestWindow& w) { w.CreateSubclassed(0, L"EDIT", L"", WS_CHILD, 0, 0, 10, 10, nullptr); },
       {ERROR_TLW_WITH_WSCHILD}},
      {"our own window procedure refuses the creation",
       [](TestWindow& w) {
         TestWindow::RegisterOnce(kTestClass);
         w.refuseCreate = true;
         w.Create(0, kTestClass, L"", WS_POPUP, 0, 0, 10, 10, nullptr);
       },
       {}},
  };
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.name);
    int windowsBefore = CountOwnWindows();
    TestWindow window;
    try {
      c.attempt(window);
      ADD_FAILURE() << "no error raised";
    } catch (const OsError& e) {
      DWORD code = e.ErrorCode();
      if (!c.codes.empty()) {
        EXPECT_NE(std::find(c.codes.begin(), c.codes.end(), code), c.codes.end())
            << "code " << code;
      }
      if (code == 0) {
        EXPECT_EQ(e.Message(), "OS 機能呼び出しの失敗");
      } else {
        AnsiString head = Format("システムエラー。コード：%lu.\r\n", code);
        ASSERT_GT(e.Message().size(), head.size()) << "the system's text is missing";
        EXPECT_EQ(e.Message().substr(0, head.size()), head);
      }
    }
    EXPECT_EQ(window.Handle(), nullptr);
    EXPECT_EQ(CountOwnWindows(), windowsBefore);
  }
}

TEST(WindowFramework, RegisteringTwiceIsNoError) {
  TestWindow::RegisterOnce(kTestClass);
  TestWindow::RegisterOnce(kTestClass);
  TestWindow window;
  window.Create(0, kTestClass, L"", WS_POPUP, 0, 0, 10, 10, nullptr);
  EXPECT_NE(window.Handle(), nullptr);
}

// Someone else's subclassing on top of ours (an accessibility tool, say): it forwards every
// message to the procedure it replaced.
WNDPROC replacedProc = nullptr;
LRESULT CALLBACK ForwardingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return CallWindowProcW(replacedProc, hwnd, msg, wp, lp);
}

// Our own classes keep the object in GWLP_USERDATA as well as in a property; a system control's
// GWLP_USERDATA is its class's, and is left alone.
TEST(WindowFramework, EachWindowLeadsToItsObjectUntilItIsGone) {
  constexpr LONG_PTR kClassData = 0x5EED;
  struct Case {
    const char* name;
    bool systemControl;
    bool subclassedByOthers;
  } cases[] = {
      {"our own class", false, false},
      {"our own class, subclassed again by someone else", false, true},
      {"system control", true, false},
  };
  TestWindow::RegisterOnce(kTestClass);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto window = std::make_unique<TestWindow>();
    if (c.systemControl) {
      window->CreateSubclassed(0, L"EDIT", L"", WS_POPUP, 0, 0, 10, 10, nullptr);
      EXPECT_EQ(GetWindowLongPtrW(window->Handle(), GWLP_USERDATA), 0);
      SetWindowLongPtrW(window->Handle(), GWLP_USERDATA, kClassData);
    } else {
      window->Create(0, kTestClass, L"", WS_POPUP, 0, 0, 10, 10, nullptr);
    }
    const HWND hwnd = window->Handle();
    ASSERT_NE(hwnd, nullptr);
    if (c.subclassedByOthers) {
      replacedProc = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ForwardingProc)));
    }
    EXPECT_EQ(Window::FromHandle(hwnd), window.get());
    // Messages reach the object, which hands them on to the default handling.
    SetWindowTextW(hwnd, L"abc");
    EXPECT_EQ(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0), 3);
    EXPECT_EQ(window->textLengthAsked, 1);
    if (c.subclassedByOthers) {
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(replacedProc));
    }
    window.reset();
    EXPECT_FALSE(IsWindow(hwnd));
  }
  // A system control's class data survives our binding and unbinding.
  TestWindow edit;
  edit.CreateSubclassed(0, L"EDIT", L"", WS_POPUP, 0, 0, 10, 10, nullptr);
  SetWindowLongPtrW(edit.Handle(), GWLP_USERDATA, kClassData);
  EXPECT_EQ(Window::FromHandle(edit.Handle()), &edit);
  EXPECT_EQ(GetWindowLongPtrW(edit.Handle(), GWLP_USERDATA), kClassData);
  // Windows that are not ours lead to nothing.
  EXPECT_EQ(Window::FromHandle(GetDesktopWindow()), nullptr);
  EXPECT_EQ(Window::FromHandle(nullptr), nullptr);
}

// A window the system destroys (not through its object) unbinds itself: the object learns that it
// has no window, and the handle leads to nothing.
TEST(WindowFramework, AWindowDestroyedByTheSystemLeavesItsObjectUnbound) {
  TestWindow::RegisterOnce(kTestClass);
  TestWindow window;
  window.Create(0, kTestClass, L"", WS_POPUP, 0, 0, 10, 10, nullptr);
  const HWND hwnd = window.Handle();
  ASSERT_TRUE(DestroyWindow(hwnd));
  EXPECT_EQ(window.Handle(), nullptr);
  EXPECT_EQ(Window::FromHandle(hwnd), nullptr);
}

SIZE SizeOf(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

// A label that waits for its font has no size of its own until it gets one, whatever its caption
// meanwhile; then it is exactly as large as a label measured at once in that font.
TEST(WindowFramework, ALabelWaitingForItsFontIsMeasuredInIt) {
  TestWindow::RegisterOnce(kTestClass);
  TestWindow parent;
  parent.Create(0, kTestClass, L"", WS_POPUP, 0, 0, 400, 200, nullptr);
  LOGFONTW lf{};
  lf.lfHeight = -24;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  const UniqueFont font(CreateFontIndirectW(&lf));
  ASSERT_TRUE(font);

  Label now, waiting;
  now.CreateIn(parent.Handle(), 0, 0, "共有名:", clBtnFace);
  const SIZE inSystemFont = SizeOf(now.Handle());
  EXPECT_GT(inSystemFont.cx, 0);
  waiting.CreateIn(parent.Handle(), 0, 50, "共有名:", clBtnFace, Label::Sizing::WithItsFont);
  EXPECT_EQ(SizeOf(waiting.Handle()).cx, 0);
  waiting.SetCaption("共有するフォルダ:");
  EXPECT_EQ(SizeOf(waiting.Handle()).cx, 0);

  now.SetCaption("共有するフォルダ:");
  now.SetFont(font.get());
  waiting.SetFont(font.get());
  const SIZE measured = SizeOf(now.Handle());
  EXPECT_GT(measured.cy, inSystemFont.cy) << "the larger font is the one measured";
  EXPECT_EQ(SizeOf(waiting.Handle()).cx, measured.cx);
  EXPECT_EQ(SizeOf(waiting.Handle()).cy, measured.cy);
}

}  // namespace
}  // namespace qv::win
