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
      // Neither OK nor Yes: the first button is the default, never an index outside the set.
      {MsgDlgType::mtConfirmation,
       mbCancel,
       "確認",
       MsgIcon::Question,
       {{"キャンセル", mrCancel}},
       0,
       0},
      {MsgDlgType::mtWarning,
       mbCancel | mbNo,
       "警告",
       MsgIcon::Exclamation,
       {{"いいえ(&N)", mrNo}, {"キャンセル", mrCancel}},
       0,
       1},
      {MsgDlgType::mtInformation, mbNo, "情報", MsgIcon::Information, {{"いいえ(&N)", mrNo}}, 0, 0},
      // No button that cancels: Esc does nothing.
      {MsgDlgType::mtConfirmation, mbYes, "確認", MsgIcon::Question, {{"はい(&Y)", mrYes}}, 0, -1},
      {MsgDlgType::mtError, 0, "エラー", MsgIcon::Stop, {}, -1, -1},
  };
  for (const BoxCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.caption << " set " << c.buttons);
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
    // Whatever the set, Enter and Esc name a button of it or none at all.
    EXPECT_LT(layout.defaultButton, static_cast<int>(layout.buttons.size()));
    EXPECT_LT(layout.cancelButton, static_cast<int>(layout.buttons.size()));
  }
}

TEST(MessageBox, EveryButtonSetHasItsDefaultAndCancelInsideTheSet) {
  for (MsgDlgButtons set = 1; set < 16; ++set) {
    SCOPED_TRACE(testing::Message() << "set " << set);
    MessageBoxLayout layout = BuildMessageBox(MsgDlgType::mtConfirmation, set);
    int count = static_cast<int>(layout.buttons.size());
    EXPECT_GE(layout.defaultButton, 0);
    EXPECT_LT(layout.defaultButton, count);
    EXPECT_GE(layout.cancelButton, -1);
    EXPECT_LT(layout.cancelButton, count);
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
