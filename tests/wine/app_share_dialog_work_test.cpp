// The dialog's window with the share button's work running: the window routes the session
// messages and the work's end through its BackgroundWork.
#include <gtest/gtest.h>
#include <windows.h>

#include <exception>

#include "message_pump.h"
#include "win/app/share_dialog_window.h"

namespace qv::win {
namespace {

TEST(ShareDialogWindowWork, TheSessionWaitsWhileTheWorkRunsAndItsEndIsTold) {
  ShareDialogWindow window;
  window.CreateWindowAndControls();
  Gate release;
  int ended = 0;
  window.RunInBackground([&] { release.Wait(); }, [&](std::exception_ptr) { ++ended; });
  EXPECT_EQ(SendMessageW(window.Handle(), WM_QUERYENDSESSION, 0, 0), FALSE);
  release.Open();
  ASSERT_TRUE(PumpUntil([&] { return ended > 0; }));
  EXPECT_EQ(ended, 1);
  EXPECT_NE(SendMessageW(window.Handle(), WM_QUERYENDSESSION, 0, 0), FALSE);
}

}  // namespace
}  // namespace qv::win
