// Work on its own thread told back to its window through the real message queue, timers and
// session messages: its end always arrives on the window's thread, a lost notice included, and the
// session is not ended under it.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "framework/errors.h"
#include "message_pump.h"
#include "win/framework/background_work.h"
#include "win/framework/window.h"

namespace qv::win {
namespace {

constexpr UINT kDone = WM_APP + 7;
const wchar_t kReason[] = L"共有フォルダを設定しています。";

class WorkWindow : public Window {
 public:
  explicit WorkWindow(BackgroundWork::Poster post = ::PostMessageW)
      : work(*this, kDone, kReason, post) {
    RegisterOnce(L"qv.test.work");
    Create(0, L"qv.test.work", L"work", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr);
  }
  BackgroundWork work;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    if (std::optional<LRESULT> answered = work.HandleMessage(msg, wp, lp)) return *answered;
    return Window::HandleMessage(msg, wp, lp);
  }
};

struct Ended {
  int calls = 0;
  DWORD thread = 0;
  std::exception_ptr failure;
  std::function<void(std::exception_ptr)> Recorder() {
    return [this](std::exception_ptr f) {
      ++calls;
      thread = GetCurrentThreadId();
      failure = f;
    };
  }
};

TEST(BackgroundWorkTest, TheEndComesOnTheWindowsThreadAndOnlyFromItsQueue) {
  WorkWindow window;
  Ended ended;
  std::atomic<DWORD> workThread{0};
  Gate finished;
  window.work.Start(
      [&] {
        workThread = GetCurrentThreadId();
        finished.Open();
      },
      ended.Recorder());
  finished.Wait();
  Sleep(50);
  EXPECT_EQ(ended.calls, 0) << "not before the starting handler has returned";
  EXPECT_TRUE(window.work.Pending());
  ASSERT_TRUE(PumpUntil([&] { return ended.calls > 0; }));
  EXPECT_EQ(ended.calls, 1);
  EXPECT_EQ(ended.thread, GetCurrentThreadId());
  EXPECT_NE(workThread.load(), GetCurrentThreadId());
  EXPECT_FALSE(ended.failure);
  EXPECT_FALSE(window.work.Pending());
  PumpUntil([] { return false; }, 700);  // the watch timer's next tick finds nothing more
  EXPECT_EQ(ended.calls, 1);
}

TEST(BackgroundWorkTest, WhatTheWorkRaisesReachesItsEnd) {
  struct Case {
    const char* why;
    std::function<void()> work;
    std::string message;
  } cases[] = {
      {"our error", [] { throw Exception("broken"); }, "broken"},
      {"a standard one", [] { throw std::runtime_error("no memory"); }, "no memory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    WorkWindow window;
    Ended ended;
    window.work.Start(c.work, ended.Recorder());
    ASSERT_TRUE(PumpUntil([&] { return ended.calls > 0; }));
    ASSERT_TRUE(ended.failure);
    try {
      std::rethrow_exception(ended.failure);
    } catch (const std::exception& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

std::atomic<int> refusedPosts{0};
BOOL WINAPI RefusingPost(HWND, UINT, WPARAM, LPARAM) {
  ++refusedPosts;
  SetLastError(ERROR_NOT_ENOUGH_QUOTA);
  return FALSE;
}

TEST(BackgroundWorkTest, ANoticeTheQueueRefusedIsFoundAllTheSame) {
  refusedPosts = 0;
  WorkWindow window(RefusingPost);
  Ended ended;
  window.work.Start([] {}, ended.Recorder());
  ASSERT_TRUE(PumpUntil([&] { return ended.calls > 0; }, 5000)) << "the dialog would stay busy";
  EXPECT_EQ(refusedPosts.load(), 1);
  EXPECT_EQ(ended.thread, GetCurrentThreadId());
  EXPECT_FALSE(ended.failure);
}

TEST(BackgroundWorkTest, TheSessionIsHeldOpenWhileTheWorkRuns) {
  WorkWindow window;
  Gate release;
  Ended ended;
  window.work.Start([&] { release.Wait(); }, ended.Recorder());
  EXPECT_EQ(SendMessageW(window.Handle(), WM_QUERYENDSESSION, 0, 0), FALSE);
  EXPECT_EQ(SendMessageW(window.Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), FALSE);
  // The reason the system shows is not checked: Wine 8 has no ShutdownBlockReasonQuery.

  release.Open();
  ASSERT_TRUE(PumpUntil([&] { return ended.calls > 0; }));
  EXPECT_NE(SendMessageW(window.Handle(), WM_QUERYENDSESSION, 0, 0), FALSE);
}

TEST(BackgroundWorkTest, AnEndingSessionWaitsForTheWork) {
  WorkWindow window;
  std::atomic<bool> workDone{false};
  Ended ended;
  window.work.Start(
      [&] {
        Sleep(300);
        workDone = true;
      },
      ended.Recorder());
  SendMessageW(window.Handle(), WM_ENDSESSION, TRUE, 0);
  EXPECT_TRUE(workDone) << "the session could end under the work";
  // The session went on after all (this test): the end is told as usual.
  ASSERT_TRUE(PumpUntil([&] { return ended.calls > 0; }));
}

TEST(BackgroundWorkTest, ItsOwnerGoingJoinsTheWork) {
  std::atomic<bool> workDone{false};
  Ended ended;
  {
    WorkWindow window;
    window.work.Start(
        [&] {
          Sleep(200);
          workDone = true;
        },
        ended.Recorder());
  }
  EXPECT_TRUE(workDone);
  EXPECT_EQ(ended.calls, 0) << "nobody is left to be told";
}

}  // namespace
}  // namespace qv::win
