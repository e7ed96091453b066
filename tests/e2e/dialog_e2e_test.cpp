// The dialog as a user meets it: started, laid out, read, closed; and the single-instance guard.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace qv::e2e {
namespace {

struct ExpectedControl {
  const char* name;
  int x, y;
  int w, h;  // -1: sized to its text
  const wchar_t* text;
  bool visible;
};

// Positions in the dialog's client area (the top panel starts at its origin).
const ExpectedControl kLayout[] = {
    {"Image1", 32, 16, 32, 32, L"", true},
    {"LabelTop1", 88, 16, -1, -1,
     L"このコンピュータで管理する財務会計データを、ネットワーク上の他のコンピュータから", true},
    {"LabelTop2", 88, 40, -1, -1, L"利用できるようにするための設定を行います。", true},
    {"LabelTop3", 88, 64, -1, -1, L"管理する場所を選択した後に[共有]ボタンを押してください。",
     true},
    {"Label3", 40, 128, -1, -1, L"このコンピュータで管理する場所を[参照]ボタンより選択します:",
     true},
    {"Label2", 40, 160, -1, -1, L"管理する場所:", true},
    {"txtSharePath", 136, 157, 265, 18, L"C:\\VeltoData", true},
    {"btnSansyo", 408, 155, 49, 23, L"参照", true},
    {"Label6", 136, 184, -1, -1, L"例） C:\\VeltoData", true},
    {"Label4", 40, 224, -1, -1, L"他のコンピュータで表示させる共有フォルダの名前を入力します:",
     true},
    {"Label1", 40, 256, -1, -1, L"共有名:", true},
    {"txtShareName", 136, 253, 137, 18, L"VeltoData", true},
    {"Label7", 136, 280, -1, -1, L"例） VeltoData", true},
    {"btnShare", 360, 304, 81, 26, L"共有", true},
    {"btnCancel", 472, 304, 81, 26, L"キャンセル", true},
    {"Memo1", 8, 296, 185, 49, L"Memo1", false},
};

TEST(DialogE2E, WindowCaptionSizeAndCentring) {
  Tool tool;
  HWND dialog = tool.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(TextOf(dialog), kTitle);
  RECT r = ScreenRectOf(dialog);
  EXPECT_EQ(r.right - r.left, 612);
  EXPECT_EQ(r.bottom - r.top, 388);
  SIZE screen = ScreenSize();
  EXPECT_NEAR(r.left, (screen.cx - 612) / 2, 1);
  EXPECT_NEAR(r.top, (screen.cy - 388) / 2, 1);
  LONG style = GetWindowLongW(dialog, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  tool.CloseDialog(dialog);
}

TEST(DialogE2E, EveryControlAtItsPlaceWithItsText) {
  Tool tool;
  HWND dialog = tool.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  for (const ExpectedControl& e : kLayout) {
    SCOPED_TRACE(e.name);
    auto c = ChildAt(dialog, e.x, e.y);
    ASSERT_TRUE(c.has_value()) << "nothing at " << e.x << "," << e.y;
    EXPECT_EQ(c->text, e.text);
    EXPECT_EQ(c->visible, e.visible);
    int w = c->rect.right - c->rect.left, h = c->rect.bottom - c->rect.top;
    if (e.w >= 0) {
      EXPECT_EQ(w, e.w);
      EXPECT_EQ(h, e.h);
    } else {
      EXPECT_GT(w, 0);
      EXPECT_GT(h, 0);
    }
  }
  // The top panel lies across the whole client width, 97 pixels high.
  auto panel = ChildAt(dialog, 0, 0, 0);
  ASSERT_TRUE(panel.has_value());
  RECT client;
  GetClientRect(dialog, &client);
  EXPECT_EQ(panel->rect.right - panel->rect.left, client.right);
  EXPECT_EQ(panel->rect.bottom - panel->rect.top, 97);

  CreateDirectoryW(BuildPath("screenshots").c_str(), nullptr);
  SaveScreenshot(BuildPath("screenshots/dialog.bmp"));
  tool.CloseDialog(dialog);
}

TEST(DialogE2E, ExampleLabelsAreDrawnBlue) {
  Tool tool;
  HWND dialog = tool.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  Sleep(300);  // let the first paint finish
  for (int y : {184, 280}) {
    auto label = ChildAt(dialog, 136, y);
    ASSERT_TRUE(label.has_value());
    RECT r = ScreenRectOf(label->hwnd);
    int blue = 0, red = 0;
    for (int py = r.top; py < r.bottom; ++py) {
      for (int px = r.left; px < r.right; ++px) {
        COLORREF c = ReadScreenPixel(px, py);
        if (GetBValue(c) > 200 && GetRValue(c) < 80 && GetGValue(c) < 80) ++blue;
        if (GetRValue(c) > 200 && GetBValue(c) < 80 && GetGValue(c) < 80) ++red;
      }
    }
    EXPECT_GT(blue, 10) << "label at y=" << y;
    EXPECT_EQ(red, 0) << "label at y=" << y;
  }
  tool.CloseDialog(dialog);
}

TEST(DialogE2E, CancelEndsWithExitCodeZero) {
  Tool tool;
  HWND dialog = tool.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  auto cancel = FindChildByText(dialog, L"キャンセル");
  ASSERT_TRUE(cancel.has_value());
  ClickControl(*cancel);
  EXPECT_EQ(tool.WaitForExitCode(), 0u);
}

TEST(DialogE2E, SecondCopyIsRefusedAndFirstStaysUntouched) {
  Tool first;
  HWND dialog = first.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  RECT before = ScreenRectOf(dialog);

  Tool second;
  auto box = second.WaitForBox();
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->caption, L"情報");
  EXPECT_EQ(box->text, L"アプリケーションは既に起動しています。");
  EXPECT_EQ(box->ButtonTexts(), std::vector<std::wstring>{L"OK"});
  PressBoxButton(*box, L"OK");
  EXPECT_EQ(second.WaitForExitCode(), 0u);

  EXPECT_TRUE(IsWindow(dialog));
  RECT after = ScreenRectOf(dialog);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  EXPECT_EQ(TextOf(dialog), kTitle);
  first.CloseDialog(dialog);
}

TEST(DialogE2E, TwentyCopiesStartedAtOnceLeaveExactlyOneDialog) {
  std::vector<std::unique_ptr<Tool>> tools;
  for (int i = 0; i < 20; ++i) tools.push_back(std::make_unique<Tool>());
  // Every copy either shows the dialog or the refusal box.
  int dialogs = 0, refusals = 0;
  for (auto& t : tools) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < kShowTimeoutMs) {
      if (t->WaitForDialog(50)) {
        ++dialogs;
        break;
      }
      if (auto box = t->WaitForBox(50)) {
        ++refusals;
        PressBoxButton(*box, L"OK");
        EXPECT_EQ(t->WaitForExitCode(), 0u);
        break;
      }
    }
  }
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(refusals, 19);
  WindowQuery q;
  q.className = kDialogClass;
  EXPECT_EQ(FindTopWindows(q).size(), 1u);
  for (auto& t : tools) {
    if (HWND d = t->WaitForDialog(0)) {
      t->CloseDialog(d);
    }
  }
}

// Wine reports version 5 when its version setting is winxp: the administrator check then runs,
// and Wine's token holds the Administrators group, so no message may come.
TEST(DialogE2E, VersionFiveAdministratorSeesNoMessage) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const wchar_t version[] = L"winxp";
  RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                 sizeof(version));
  struct Restore {
    HKEY key;
    ~Restore() {
      RegDeleteValueW(key, L"Version");
      RegCloseKey(key);
    }
  } restore{key};
  // A process started now must see the old version, or this test would prove nothing.
  ASSERT_NE(CaptureOutput(L"cmd.exe /c ver").find(" 5."), std::string::npos);

  Tool tool;
  HWND dialog = tool.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(tool.WaitForBox(1500).has_value());
  EXPECT_TRUE(IsWindowVisible(dialog));
  tool.CloseDialog(dialog);
}

// The texts must not depend on the system's code page. The suite runs a second time with
// LANG=C, where Wine gives the tool (which inherits our environment) code page 1252; the layout
// test then reads the same UTF-16 texts as under the Japanese locale.
TEST(DialogE2E, RunsUnderTheCodePageTheSuiteAsksFor) {
  const char* expected = std::getenv("QV_EXPECT_ACP");
  unsigned want = expected ? static_cast<unsigned>(std::atoi(expected)) : 932u;
  EXPECT_EQ(GetACP(), want);
}

}  // namespace
}  // namespace qv::e2e
