// The folder browser's system calls against the real shell under Wine.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "dialog/folder_browser.h"
#include "win/dialog/win_folder_browser_platform.h"
#include "win/framework/cp932.h"

namespace qv {
namespace {

struct IdListDeleter {
  void operator()(ITEMIDLIST* p) const { ILFree(p); }
};
using UniqueIdList = std::unique_ptr<ITEMIDLIST, IdListDeleter>;

class FolderBrowserTest : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    root_ = std::wstring(base) + L"qvbrowse_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(root_.c_str(), nullptr);
  }
  void TearDown() override {
    for (const std::wstring& dir : made_) RemoveDirectoryW(dir.c_str());
    RemoveDirectoryW(root_.c_str());
  }
  std::wstring MakeFolder(const std::wstring& name) {
    std::wstring path = root_ + L"\\" + name;
    EXPECT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    made_.push_back(path);
    return path;
  }
  win::WinFolderBrowserPlatform platform;
  std::wstring root_;
  std::vector<std::wstring> made_;
};

TEST_F(FolderBrowserTest, PathFromIdList) {
  struct Case {
    std::wstring name;
    bool representable;
  } cases[] = {
      {L"Accounting", true},
      {L"\u4F1A\u8A08\u8868", true},  // 会計表: 表 ends in byte 0x5C
      {L"Caf\u00E9", false},          // é has no code page 932 form
  };
  for (const Case& c : cases) {
    std::wstring path = MakeFolder(c.name);
    UniqueIdList items(ILCreateFromPathW(path.c_str()));
    ASSERT_TRUE(items);
    std::optional<Cp932Path> got =
        platform.PathFromIdList(reinterpret_cast<ItemIdList>(items.get()));
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->representable, c.representable);
    if (c.representable) {
      EXPECT_EQ(got->text, win::ToAnsi(path));
    }
  }

  PIDLIST_ABSOLUTE computer = nullptr;
  ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
  UniqueIdList owned(computer);
  EXPECT_FALSE(platform.PathFromIdList(reinterpret_cast<ItemIdList>(computer)).has_value())
      << "a folder without a file-system path";
}

// Opens the real browser; the callback selects the initial folder (as the dialog's does) and,
// once the browser reports that folder selected, presses OK: the browser must then return exactly
// the folder it was told to select. Wine's browser now and then stops at a parent folder while it
// fills its tree, so the selection is asked for again a few times; a browser that never gets there
// is cancelled.
struct BrowserDriver {
  win::WinFolderBrowserPlatform* platform = nullptr;
  WindowHandle browser = 0;
  AnsiString target;
  int attempts = 0;
  UINT_PTR timer = 0;
};
BrowserDriver g_driver;

void CALLBACK SelectAgainOrGiveUp(HWND, UINT, UINT_PTR, DWORD) {
  KillTimer(nullptr, g_driver.timer);
  g_driver.timer = 0;
  if (++g_driver.attempts > 20) {
    PostMessageW(reinterpret_cast<HWND>(g_driver.browser), WM_COMMAND, IDCANCEL, 0);
  } else {
    g_driver.platform->SendSetSelection(g_driver.browser, g_driver.target);
  }
}

TEST_F(FolderBrowserTest, BrowserSelectsTheInitialFolderThroughTheCallback) {
  const AnsiString initial = win::ToAnsi(MakeFolder(L"\u5171\u6709"));  // 共有
  ASSERT_TRUE(platform.AcquireShellAllocator());
  g_driver = BrowserDriver{&platform, 0, initial, 0, 0};
  std::vector<std::uint32_t> messages;
  BrowseInfo info;
  info.title = "共有場所の参照";
  info.flags = kBrowseFlags;
  info.callbackData = initial;
  info.callback = [&](WindowHandle wnd, std::uint32_t msg, std::intptr_t lParam,
                      const AnsiString& data) {
    messages.push_back(msg);
    if (msg == kBffmInitialized) {
      g_driver.browser = wnd;
      platform.SendSetSelection(wnd, data);
    } else if (msg == kBffmSelChanged && g_driver.browser != 0) {
      std::optional<Cp932Path> selected = platform.PathFromIdList(static_cast<ItemIdList>(lParam));
      if (g_driver.timer != 0) KillTimer(nullptr, g_driver.timer);
      g_driver.timer = 0;
      if (selected && selected->text == data) {
        PostMessageW(reinterpret_cast<HWND>(wnd), WM_COMMAND, IDOK, 0);
      } else {
        g_driver.timer = SetTimer(nullptr, 0, 250, SelectAgainOrGiveUp);
      }
    }
    return 0;
  };
  ItemIdList chosen = platform.BrowseForFolder(info);
  if (g_driver.timer != 0) KillTimer(nullptr, g_driver.timer);
  ASSERT_NE(chosen, 0u) << "the browser never showed the initial folder";
  std::optional<Cp932Path> path = platform.PathFromIdList(chosen);
  platform.FreeItemIdList(chosen);
  platform.ReleaseShellAllocator();
  ASSERT_TRUE(path.has_value());
  EXPECT_EQ(path->text, initial);
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.front(), kBffmInitialized);
}

TEST_F(FolderBrowserTest, ErrorInTheCallbackIsRaisedAfterTheBrowserCloses) {
  ASSERT_TRUE(platform.AcquireShellAllocator());
  BrowseInfo info;
  info.flags = kBrowseFlags;
  int calls = 0;
  info.callback = [&](WindowHandle wnd, std::uint32_t msg, std::intptr_t, const AnsiString&) {
    ++calls;
    if (msg == kBffmInitialized) {
      PostMessageW(reinterpret_cast<HWND>(wnd), WM_COMMAND, IDCANCEL, 0);
      throw std::runtime_error("from the callback");
    }
    return 0;
  };
  EXPECT_THROW(platform.BrowseForFolder(info), std::runtime_error);
  EXPECT_GE(calls, 1);
  platform.ReleaseShellAllocator();
}

}  // namespace
}  // namespace qv
