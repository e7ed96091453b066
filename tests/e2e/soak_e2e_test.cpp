// Many rounds in a row. Starting and closing the tool again and again, and opening and answering
// every box the dialog can show without side effects, again and again in one process: nothing
// may pile up. The process's GUI objects after the last round stay within a few of those after
// the first, and every copy ends by itself with exit code 0.
//
// The share button's success path needs the network-library double and changes the machine, so
// it is left to the share scenarios; here are the boxes that come before anything is done: the
// empty path, the empty share name, the question for a missing folder (answered キャンセル) and
// the system's folder browser (cancelled).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace qv::e2e {
namespace {

constexpr int kStartRounds = 30;
constexpr int kBoxRounds = 50;
constexpr long kSlack = 5;

const std::wstring kExisting = L"C:\\qv-soak";
const std::wstring kMissing = L"C:\\qv-soak\\missing";

bool IsDirectory(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Returns once the tool's thread is back in a message loop: what an answered box frees is freed.
void Settle(HWND dialog) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
}

std::vector<HWND> ToolWindowsLeft() {
  WindowQuery q;
  q.className = kDialogClass;
  q.visibleOnly = false;
  return FindTopWindows(q);
}

TEST(SoakE2E, StartedAndClosedThirtyTimesEachCopyEndsWithZero) {
  for (int round = 0; round < kStartRounds; ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    Tool tool;
    HWND dialog = tool.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    tool.CloseDialog(dialog);  // the process ends by itself with 0
    ASSERT_FALSE(HasFailure());
  }
  EXPECT_TRUE(ToolWindowsLeft().empty());
}

class SoakBoxesE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveDirectoryW(kMissing.c_str());
    CreateDirectoryW(kExisting.c_str(), nullptr);
    ASSERT_TRUE(IsDirectory(kExisting));
  }
  void TearDown() override {
    RemoveDirectoryW(kMissing.c_str());
    RemoveDirectoryW(kExisting.c_str());
  }

  void Fill(HWND dialog, const std::wstring& path, const std::wstring& name) {
    SetText(ChildAt(dialog, 136, 157)->hwnd, path);
    SetText(ChildAt(dialog, 136, 253)->hwnd, name);
  }

  static void Press(HWND dialog, const std::wstring& text) {
    auto c = FindChildByText(dialog, text);
    ASSERT_TRUE(c.has_value()) << WideToUtf8(text);
    ClickControl(*c);
  }

  // Clicks 共有 and answers the one box that comes with `answer`.
  void ShareAndAnswer(const Tool& tool, HWND dialog, const std::wstring& caption,
                      const std::vector<std::wstring>& buttons, const std::wstring& answer) {
    Press(dialog, L"共有");
    auto box = tool.WaitForBox();
    ASSERT_TRUE(box.has_value()) << "no box";
    EXPECT_EQ(box->caption, caption);
    EXPECT_EQ(box->ButtonTexts(), buttons);
    ASSERT_TRUE(AnswerBox(*box, answer));
  }
};

TEST_F(SoakBoxesE2E, EachBoxFiftyTimesInOneProcessLeavesTheObjectCountsAsTheyWere) {
  struct Kind {
    const char* name;
    std::function<void(const Tool&, HWND)> openAndAnswer;
  };
  const std::vector<Kind> kinds = {
      {"empty path",
       [&](const Tool& tool, HWND dialog) {
         Fill(dialog, L"", L"VeltoData");
         ShareAndAnswer(tool, dialog, L"情報", {L"OK"}, L"OK");
       }},
      {"empty share name",
       [&](const Tool& tool, HWND dialog) {
         Fill(dialog, kExisting, L"");
         ShareAndAnswer(tool, dialog, L"情報", {L"OK"}, L"OK");
       }},
      {"missing folder, question cancelled",
       [&](const Tool& tool, HWND dialog) {
         Fill(dialog, kMissing, L"VeltoData");
         ShareAndAnswer(tool, dialog, L"確認", {L"OK", L"キャンセル"}, L"キャンセル");
         EXPECT_FALSE(IsDirectory(kMissing)) << "made although cancelled";
       }},
      {"folder browser cancelled",
       [&](const Tool& tool, HWND dialog) {
         Fill(dialog, kExisting, L"VeltoData");
         Press(dialog, L"参照");
         WindowQuery q;
         q.className = L"#32770";
         q.processId = tool.process().Id();
         HWND browser = WaitForWindow(q, kShowTimeoutMs);
         ASSERT_NE(browser, nullptr) << "no folder browser";
         auto cancel = FindChildByText(browser, L"キャンセル");
         ASSERT_TRUE(cancel.has_value());
         ClickControl(*cancel);
         ASSERT_TRUE(WaitForWindowGone(browser, 5000));
       }},
  };

  Tool tool;
  HWND dialog = tool.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  const DWORD pid = tool.process().Id();

  GuiObjectCounts first{}, last{};
  DWORD peakGdi = 0, peakUser = 0;
  for (int round = 0; round < kBoxRounds; ++round) {
    for (const Kind& kind : kinds) {
      SCOPED_TRACE(testing::Message() << "round " << round << ", " << kind.name);
      kind.openAndAnswer(tool, dialog);
      ASSERT_FALSE(HasFailure());
    }
    Settle(dialog);
    last = CountGuiObjects(pid);
    if (round == 0) first = last;
    peakGdi = std::max(peakGdi, last.gdi);
    peakUser = std::max(peakUser, last.user);
  }

  const char* measure =
      last.fromGuiResources ? "GetGuiResources" : "GDI handle table and window count (Wine)";
  std::printf(
      "GUI objects by %s: after the first round GDI %lu USER %lu, after the last GDI %lu "
      "USER %lu, peak GDI %lu USER %lu\n",
      measure, first.gdi, first.user, last.gdi, last.user, peakGdi, peakUser);
  EXPECT_GT(first.gdi, 0u) << "the measure counts nothing";
  EXPECT_GT(first.user, 0u) << "the measure counts nothing";
  EXPECT_LE(std::labs(static_cast<long>(last.gdi) - static_cast<long>(first.gdi)), kSlack);
  EXPECT_LE(std::labs(static_cast<long>(last.user) - static_cast<long>(first.user)), kSlack);

  tool.CloseDialog(dialog);
  EXPECT_TRUE(ToolWindowsLeft().empty());
}

}  // namespace
}  // namespace qv::e2e
