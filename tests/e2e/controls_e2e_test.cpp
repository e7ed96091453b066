// The dialog's own buttons and fields as the user meets them: their look, keys, mouse and paste.
#include <gtest/gtest.h>

#include <string>

#include "e2e_support.h"

namespace qv::e2e {
namespace {

TEST(ControlsE2E, ButtonsAreGradientFacesWithRaisedEdgesAndCentredCaptions) {
  Tool tool;
  HWND dialog = tool.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  Sleep(300);
  CreateDirectoryW(BuildPath("screenshots").c_str(), nullptr);
  SaveScreenshot(BuildPath("screenshots/dialog-buttons.bmp"));
  const struct {
    int x, y;
    const wchar_t* caption;
  } buttons[] = {{408, 155, L"参照"}, {360, 304, L"共有"}, {472, 304, L"キャンセル"}};
  for (const auto& b : buttons) {
    SCOPED_TRACE(WideToUtf8(b.caption));
    auto button = ChildAt(dialog, b.x, b.y);
    ASSERT_TRUE(button.has_value());
    EXPECT_EQ(button->text, b.caption);
    RECT r = ScreenRectOf(button->hwnd);
    int h = r.bottom - r.top;
    // Inside the two rings of the raised edge: the first gradient rows are white, the last
    // silver; a column near the left edge carries no caption.
    COLORREF top = ReadScreenPixel(r.left + 4, r.top + 2);
    COLORREF bottom = ReadScreenPixel(r.left + 4, r.bottom - 3);
    EXPECT_GE(GetRValue(top), 245);
    EXPECT_EQ(GetRValue(top), GetBValue(top));
    EXPECT_NEAR(GetRValue(bottom), 197, 4);
    EXPECT_EQ(GetRValue(bottom), GetGValue(bottom));
    // The raised edge: light outer top-left, dark outer bottom-right.
    COLORREF outerTop = ReadScreenPixel(r.left + 4, r.top);
    COLORREF outerBottom = ReadScreenPixel(r.left + 4, r.bottom - 1);
    EXPECT_GT(GetRValue(outerTop), GetRValue(outerBottom) + 60);
    // The caption is drawn in the middle rows: dark pixels there, none in the top rows (inside
    // the dotted focus rectangle, which lies 3 pixels in).
    int darkMiddle = 0, darkTop = 0;
    for (int x = r.left + 5; x < r.right - 5; ++x) {
      for (int y = r.top + 4; y < r.bottom - 4; ++y) {
        if (GetRValue(ReadScreenPixel(x, y)) < 100) (y < r.top + h / 4 ? darkTop : darkMiddle)++;
      }
    }
    EXPECT_GT(darkMiddle, 10);
    EXPECT_EQ(darkTop, 0);
  }
  tool.CloseDialog(dialog);
}

TEST(ControlsE2E, EnterMovesFromTheNameFieldToTheShareButtonThenClicksIt) {
  RemoveDirectoryW(L"C:\\VeltoData\\quarnelvelto");
  RemoveDirectoryW(L"C:\\VeltoData");
  Tool tool;
  HWND dialog = tool.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  HWND name = ChildHwndAt(dialog, 136, 253), share = ChildHwndAt(dialog, 360, 304);
  HWND browse = ChildHwndAt(dialog, 408, 155);
  ClickCentre(name);
  ASSERT_TRUE(WaitForFocus(dialog, name));

  PressKey(name, VK_RETURN);
  ASSERT_TRUE(WaitForFocus(dialog, share));
  EXPECT_FALSE(tool.WaitForBox(700).has_value()) << "Enter in the field clicked the button";

  PressKey(share, VK_RETURN);
  auto question = tool.WaitForBox();
  ASSERT_TRUE(question.has_value()) << "the second Enter did not click the share button";
  ASSERT_TRUE(AnswerBox(*question, L"キャンセル"));
  // Cancel at the question puts the focus on the browse button.
  EXPECT_TRUE(WaitForFocus(dialog, browse));

  ClickCentre(name);
  ASSERT_TRUE(WaitForFocus(dialog, name));
  PressKey(name, VK_UP);
  EXPECT_TRUE(WaitForFocus(dialog, browse));
  tool.CloseDialog(dialog);
}

// A click by the mouse and one by BM_CLICK (as assistive tools and test drivers send it) take the
// same way: the share button's handler answers an empty name with its box, and the dialog stays.
TEST(ControlsE2E, AClickOnAButtonNeverClosesTheDialogByItself) {
  const struct {
    const char* how;
    void (*click)(HWND button);
  } ways[] = {{"mouse", [](HWND b) { ClickCentre(b); }},
              {"BM_CLICK", [](HWND b) { PostMessageW(b, BM_CLICK, 0, 0); }}};
  for (const auto& way : ways) {
    SCOPED_TRACE(way.how);
    RemoveDirectoryW(L"C:\\VeltoData\\quarnelvelto");
    RemoveDirectoryW(L"C:\\VeltoData");
    Tool tool;
    HWND dialog = tool.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    SetText(ChildHwndAt(dialog, 136, 253), L"");
    way.click(ChildHwndAt(dialog, 360, 304));
    auto box = tool.WaitForBox();
    ASSERT_TRUE(box.has_value()) << "the click did not reach the button";
    // With the default folder missing, the creation question comes first.
    if (box->text.find(L"フォルダー") != std::wstring::npos) {
      AnswerBox(*box, L"OK");
      box = tool.WaitForBox();
      ASSERT_TRUE(box.has_value());
    }
    EXPECT_EQ(box->text, L"共有名を入力してください。\r\n");
    ASSERT_TRUE(AnswerBox(*box, L"OK"));
    EXPECT_FALSE(tool.WaitForBox(700).has_value()) << "one click gave more than one answer";
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_FALSE(tool.process().HasExited());
    tool.CloseDialog(dialog);
  }
  RemoveDirectoryW(L"C:\\VeltoData\\quarnelvelto");
  RemoveDirectoryW(L"C:\\VeltoData");
}

TEST(ControlsE2E, PasteWorksInTheShareNameField) {
  Tool tool;
  HWND dialog = tool.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  const std::wstring pasted = L"貼り付けた名前";
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (pasted.size() + 1) * sizeof(wchar_t));
  memcpy(GlobalLock(mem), pasted.c_str(), (pasted.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(mem);
  SetClipboardData(CF_UNICODETEXT, mem);
  CloseClipboard();

  HWND name = ChildHwndAt(dialog, 136, 253);
  SetText(name, L"");
  PostMessageW(name, WM_PASTE, 0, 0);
  std::wstring text;
  for (int i = 0; i < 40 && text != pasted; ++i) {
    Sleep(50);
    text = TextOf(name);
  }
  EXPECT_EQ(text, pasted);
  tool.CloseDialog(dialog);
}

}  // namespace
}  // namespace qv::e2e
