// The pictures of the administrators' guide, taken from the finished program as it runs: the
// dialog, the folder browser, the creation question, the final question (the share made through
// the netapi32 double) and the network path typed into the system's Run dialog. Each picture is
// the window's own rectangle, saved as a BMP under the build folder; scripts/release.sh turns them
// into PNG files beside the guide.
//
// Pictures go to screenshots/guide/<dpi>dpi/, the DPI being the display scaling the prefix is set
// to, so that pictures taken at another scaling sit beside these and none overwrites another.
#include <windows.h>
// windows.h first: the shell header builds on it.
#include <gtest/gtest.h>
#include <shellapi.h>

#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "e2e_support.h"
#include "netapi_double_support.h"

namespace qv::e2e {
namespace {

// The name of the computer in the picture is an example, the same on every machine that takes
// it: the guide tells the reader to put their own computer's name there.
const std::wstring kExampleNetworkPath = L"\\\\KEIRI-PC\\VeltoData";

// The display scaling of the prefix: "LogPixels" as the control panel stores it, 96 when unset.
// Read from the registry rather than from a device context, which Wine scales to the DPI
// awareness of the asking process.
DWORD DisplayDpi() {
  DWORD dpi = 0;
  DWORD size = sizeof(dpi);
  if (RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", RRF_RT_REG_DWORD,
                   nullptr, &dpi, &size) != ERROR_SUCCESS ||
      dpi == 0) {
    return 96;
  }
  return dpi;
}

std::string GuideFolder() { return "screenshots/guide/" + std::to_string(DisplayDpi()) + "dpi"; }

void MakeGuideFolder() {
  std::string path;
  for (const char* part : {"screenshots", "/guide", ""}) {
    path += part;
    if (*part) CreateDirectoryW(BuildPath(path).c_str(), nullptr);
  }
  CreateDirectoryW(BuildPath(GuideFolder()).c_str(), nullptr);
}

// Width and height of a BMP file as its header states them; {0, 0} when it is not one.
SIZE BmpSize(const std::wstring& path) {
  std::ifstream in(WideToUtf8(path).c_str(), std::ios::binary);
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  if (!in.read(reinterpret_cast<char*>(&file), sizeof(file)) ||
      !in.read(reinterpret_cast<char*>(&info), sizeof(info)) || file.bfType != 0x4D42) {
    return SIZE{0, 0};
  }
  return SIZE{info.biWidth, info.biHeight};
}

// Saves the window as it stands on the screen, once its painting has settled, and checks that
// the file holds a picture of the window's size.
void Photograph(HWND window, const std::string& name) {
  ASSERT_NE(window, nullptr) << name;
  ASSERT_TRUE(IsWindowVisible(window)) << name;
  // Painting in the tool's process runs after the window shows; two idle passes are plenty.
  Sleep(700);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(300);
  const RECT rect = ScreenRectOf(window);
  const std::wstring path = BuildPath(GuideFolder() + "/" + name + ".bmp");
  DeleteFileW(path.c_str());
  SaveScreenshot(path, rect);
  const SIZE size = BmpSize(path);
  EXPECT_EQ(size.cx, rect.right - rect.left) << name;
  EXPECT_EQ(size.cy, rect.bottom - rect.top) << name;
}

HWND ClickAndWaitForBrowser(const Tool& tool, HWND dialog) {
  auto button = FindChildByText(dialog, L"参照");
  if (!button) return nullptr;
  ClickControl(*button);
  WindowQuery q;
  q.className = L"#32770";
  q.processId = tool.process().Id();
  return WaitForWindow(q, kShowTimeoutMs);
}

// The browser fills its tree after it shows; a picture is taken once the tree has its items.
bool WaitForTreeFilled(HWND browser) {
  for (int i = 0; i < 100; ++i) {
    for (const ChildWindow& c : ListChildren(browser)) {
      if (c.className == L"SysTreeView32" && SendMessageW(c.hwnd, 0x1100 + 5, 0, 0) > 0) {
        return true;  // TVM_GETCOUNT
      }
    }
    Sleep(50);
  }
  return false;
}

class GuideScreenshots : public ::testing::Test {
 protected:
  void SetUp() override {
    // Above 100 % the dialog and the boxes outgrow the usual 800 x 600 screen.
    if (DisplayDpi() > 96) {
      screen_.emplace();
      ASSERT_TRUE(screen_->Changed()) << "the virtual screen cannot be made larger";
    }
    RemoveDefaultFolders();
    RemoveNativeNetapiOverride();
    MakeGuideFolder();
  }
  void TearDown() override { RemoveDefaultFolders(); }
  std::optional<LargeScreen> screen_;
};

TEST_F(GuideScreenshots, DialogBrowserAndBothQuestionsOfOneShare) {
  NetapiDoubleSession session("e2e-guide");
  ASSERT_FALSE(HasFatalFailure());
  session.Answer(0);

  Tool tool;
  HWND dialog = tool.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(PathField(dialog) ? TextOf(PathField(dialog)) : L"", kFolder);
  auto share = FindChildByText(dialog, L"共有");
  ASSERT_TRUE(share.has_value());
  Photograph(dialog, "1-dialog");

  HWND browser = ClickAndWaitForBrowser(tool, dialog);
  ASSERT_NE(browser, nullptr);
  EXPECT_TRUE(FindChildByText(browser, L"共有場所の参照").has_value());
  ASSERT_TRUE(WaitForTreeFilled(browser));
  Photograph(browser, "2-browse");
  auto cancel = FindChildByText(browser, L"キャンセル");
  ASSERT_TRUE(cancel.has_value());
  Click(cancel->hwnd);
  ASSERT_TRUE(WaitForWindowGone(browser, 5000));
  EXPECT_EQ(TextOf(PathField(dialog)), kFolder) << "the browser's cancel changed the field";

  ClickControl(*share);
  auto question = tool.WaitForBox();
  ASSERT_TRUE(question.has_value());
  EXPECT_EQ(question->text, kCreateQuestion);
  Photograph(question->hwnd, "3-create-question");
  ASSERT_TRUE(AnswerBox(*question, L"OK"));

  // Wine's Server service is installed disabled: the reachability box always comes here.
  auto reach = tool.WaitForAnyBox();
  ASSERT_TRUE(reach.has_value());
  ASSERT_TRUE(IsReachBox(*reach)) << WideToUtf8(reach->text);
  Photograph(reach->hwnd, "6-reach-box");
  ASSERT_TRUE(AnswerBox(*reach, reach->ButtonTexts().size() > 1 ? L"キャンセル" : L"OK"));

  auto done = tool.WaitForAnyBox();
  ASSERT_TRUE(done.has_value());
  EXPECT_EQ(done->text, kDoneQuestion);
  EXPECT_EQ(session.LastCall()["netname"], L"VeltoData");
  EXPECT_TRUE(IsDirectory(kSubfolder));
  Photograph(done->hwnd, "4-done-question");
  PressBoxButton(*done, L"OK");
  EXPECT_EQ(tool.WaitForExitCode(), 0u);
}

// The system's Run dialog (shell32's RunFileDlg, ordinal 61 on every version), opened by this
// test itself on a thread of its own, since its loop holds the thread until it is closed.
using RunFileDlgFn = void(WINAPI*)(HWND, HICON, LPCWSTR, LPCWSTR, LPCWSTR, UINT);

TEST_F(GuideScreenshots, NetworkPathTypedIntoTheRunDialog) {
  HMODULE shell = LoadLibraryW(L"shell32.dll");
  ASSERT_NE(shell, nullptr);
  auto runFileDlg = reinterpret_cast<RunFileDlgFn>(
      reinterpret_cast<void*>(GetProcAddress(shell, MAKEINTRESOURCEA(61))));
  ASSERT_NE(runFileDlg, nullptr);
  std::thread dialogThread(
      [runFileDlg] { runFileDlg(nullptr, nullptr, nullptr, nullptr, nullptr, 0); });
  struct Joiner {
    std::thread& t;
    HWND window = nullptr;
    ~Joiner() {
      if (window && IsWindow(window)) Close(window);
      t.join();
    }
  } joiner{dialogThread};

  WindowQuery q;
  q.className = L"#32770";
  q.processId = GetCurrentProcessId();
  HWND run = WaitForWindow(q, kShowTimeoutMs);
  ASSERT_NE(run, nullptr);
  joiner.window = run;

  HWND edit = nullptr;
  HWND ok = nullptr;
  for (const ChildWindow& c : ListChildren(run)) {
    if (c.className == L"Edit") edit = c.hwnd;
    if (c.text == L"OK") ok = c.hwnd;
  }
  ASSERT_NE(edit, nullptr);
  ASSERT_NE(ok, nullptr);
  SetText(edit, kExampleNetworkPath);
  EXPECT_EQ(TextOf(edit), kExampleNetworkPath);
  // The focus on the OK button, as after a Tab: no caret blinks in the field.
  PostMessageW(run, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(ok), TRUE);
  Photograph(run, "5-network-path");

  auto cancel = FindChildByText(run, L"キャンセル");
  ASSERT_TRUE(cancel.has_value());
  Click(cancel->hwnd);
  EXPECT_TRUE(WaitForWindowGone(run, 5000));
}

}  // namespace
}  // namespace qv::e2e
