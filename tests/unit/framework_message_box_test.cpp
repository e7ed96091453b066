#include <gtest/gtest.h>

#include "framework/message_box.h"

namespace qv {
namespace {

struct BoxCase {
  MsgDlgType type;
  MsgDlgButtons buttons;
  const char* caption;
  MsgIcon icon;
  std::vector<std::pair<const char*, int>> expected;  // left to right
  int defaultIndex, cancelIndex;
};

TEST(MessageBox, KindsButtonOrderDefaultAndCancel) {
  const BoxCase cases[] = {
      {MsgDlgType::mtInformation, mbOK, "情報", MsgIcon::Information, {{"OK", mrOk}}, 0, 0},
      {MsgDlgType::mtConfirmation,
       mbOK | mbCancel,
       "確認",
       MsgIcon::Question,
       {{"OK", mrOk}, {"キャンセル", mrCancel}},
       0,
       1},
      // The set's order of naming does not matter: Yes always stands left of No.
      {MsgDlgType::mtWarning,
       mbNo | mbYes,
       "警告",
       MsgIcon::Exclamation,
       {{"はい(&Y)", mrYes}, {"いいえ(&N)", mrNo}},
       0,
       1},
      {MsgDlgType::mtError, mbOK, "エラー", MsgIcon::Stop, {{"OK", mrOk}}, 0, 0},
      {MsgDlgType::mtConfirmation,
       mbYes | mbNo | mbOK | mbCancel,
       "確認",
       MsgIcon::Question,
       {{"はい(&Y)", mrYes}, {"いいえ(&N)", mrNo}, {"OK", mrOk}, {"キャンセル", mrCancel}},
       2,
       3},
      {MsgDlgType::mtWarning,
       mbYes | mbCancel,
       "警告",
       MsgIcon::Exclamation,
       {{"はい(&Y)", mrYes}, {"キャンセル", mrCancel}},
       0,
       1},
  };
  for (const BoxCase& c : cases) {
    SCOPED_TRACE(c.caption);
    MessageBoxLayout layout = BuildMessageBox(c.type, c.buttons);
    EXPECT_EQ(layout.caption, c.caption);
    EXPECT_EQ(layout.icon, c.icon);
    ASSERT_EQ(layout.buttons.size(), c.expected.size());
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
      EXPECT_EQ(layout.buttons[i].caption, c.expected[i].first);
      EXPECT_EQ(layout.buttons[i].result, c.expected[i].second);
    }
    EXPECT_EQ(layout.defaultButton, c.defaultIndex);
    EXPECT_EQ(layout.cancelButton, c.cancelIndex);
  }
}

TEST(MessageBox, ErrorBoxesOfTheFramework) {
  MessageBoxLayout handler = BuildErrorBox("共有フォルダの設定");
  EXPECT_EQ(handler.caption, "共有フォルダの設定");
  EXPECT_EQ(handler.icon, MsgIcon::Stop);
  ASSERT_EQ(handler.buttons.size(), 1u);
  EXPECT_EQ(handler.buttons[0].result, mrOk);

  MessageBoxLayout lastResort = BuildApplicationErrorBox();
  EXPECT_EQ(lastResort.caption, "アプリケーション エラー");
  EXPECT_EQ(lastResort.icon, MsgIcon::Stop);
}

}  // namespace
}  // namespace qv
