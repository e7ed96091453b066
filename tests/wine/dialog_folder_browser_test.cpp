// The folder browser against the real shell under Wine: it opens at the folder it is given, gives
// back the folder picked in code page 932 (or says that code page 932 cannot spell it), and a
// cancel gives nothing.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog/folder_browser.h"
#include "win/dialog/win_folder_browser_platform.h"
#include "win/framework/cp932.h"

namespace qv {
namespace {

constexpr wchar_t kTitle[] = L"\u5171\u6709\u5834\u6240\u306E\u53C2\u7167";  // 共有場所の参照

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

// Drives the browser from a timer on the browser's own (modal) message loop: once the tree shows
// the expected folder selected, it presses OK, or Cancel when asked to. Wine's browser now and then
// stops at a parent folder while it fills its tree, so the selection is asked for again a few
// times; a browser that never gets there is cancelled.
struct BrowserDriver {
  std::wstring target, leaf;
  bool cancel = false;
  int ticks = 0;
  bool pressedOk = false;
};
BrowserDriver g_driver;

std::wstring SelectedTreeText(HWND browser) {
  HWND tree = FindWindowExW(browser, nullptr, WC_TREEVIEWW, nullptr);
  if (!tree) return {};
  auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (!item) return {};
  wchar_t text[MAX_PATH] = {};
  TVITEMW tv = {};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = text;
  tv.cchTextMax = MAX_PATH;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
  return text;
}

void CALLBACK DriveBrowser(HWND, UINT, UINT_PTR, DWORD) {
  // The browser is the one dialog of this thread.
  HWND browser = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM out) -> BOOL {
        wchar_t cls[16] = {};
        GetClassNameW(w, cls, 16);
        if (std::wstring(cls) == L"#32770" && IsWindowVisible(w)) {
          *reinterpret_cast<HWND*>(out) = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&browser));
  if (!browser || g_driver.pressedOk) return;
  ++g_driver.ticks;
  if (g_driver.cancel || g_driver.ticks > 40) {
    PostMessageW(browser, WM_COMMAND, IDCANCEL, 0);
    g_driver.pressedOk = true;
  } else if (SelectedTreeText(browser) == g_driver.leaf) {
    PostMessageW(browser, WM_COMMAND, IDOK, 0);
    g_driver.pressedOk = true;
  } else if (g_driver.ticks % 4 == 0) {
    SendMessageW(browser, BFFM_SETSELECTIONW, TRUE,
                 reinterpret_cast<LPARAM>(g_driver.target.c_str()));
  }
}

std::optional<Cp932Path> Browse(win::WinFolderBrowserPlatform& platform, const std::wstring& start,
                                const std::wstring& leaf, bool cancel) {
  g_driver = BrowserDriver{start, leaf, cancel, 0, false};
  UINT_PTR timer = SetTimer(nullptr, 0, 100, DriveBrowser);
  std::optional<Cp932Path> picked =
      platform.BrowseForFolder(win::ToAnsi(kTitle), win::ToAnsi(start));
  KillTimer(nullptr, timer);
  return picked;
}

TEST_F(FolderBrowserTest, OpensAtTheFolderItIsGivenAndReturnsIt) {
  struct Case {
    std::wstring name;
    bool representable;
  } cases[] = {
      {L"\u5171\u6709\u8868", true},  // 共有表: 表 ends in byte 0x5C
      {L"Caf\u00E9", false},          // é has no code page 932 form
  };
  for (const Case& c : cases) {
    std::wstring path = MakeFolder(c.name);
    std::optional<Cp932Path> picked = Browse(platform, path, c.name, false);
    ASSERT_TRUE(picked.has_value()) << "the browser never showed the folder";
    EXPECT_EQ(picked->representable, c.representable);
    if (c.representable) {
      EXPECT_EQ(picked->text, win::ToAnsi(path));
    }
    EXPECT_LT(g_driver.ticks, 40);
  }
}

TEST_F(FolderBrowserTest, CancelGivesNothing) {
  std::wstring path = MakeFolder(L"Accounting");
  EXPECT_FALSE(Browse(platform, path, L"Accounting", true).has_value());
  EXPECT_GE(g_driver.ticks, 1) << "the browser was shown";
}

}  // namespace
}  // namespace qv
