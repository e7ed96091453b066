// The window framework against the real window manager when the system refuses a window: the
// refusal is raised with the system's code and text, and nothing half-made is left behind.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "framework/errors.h"
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

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
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

}  // namespace
}  // namespace qv::win
