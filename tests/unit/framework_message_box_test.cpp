#include <gtest/gtest.h>

#include "framework/message_box.h"

namespace qv {
namespace {

struct BoxCase {
  MessageKind type;
  MessageButtons buttons;
  const char* caption;
  MessageIcon icon;
  std::vector<std::pair<const char*, int>> expected;  // left to right
  int defaultIndex, cancelIndex;
};

TEST(MessageBox, KindsButtonOrderDefaultAndCancel) {
  const BoxCase cases[] = {
      {MessageKind::Information,
       MessageButton::Ok,
       "情報",
       MessageIcon::Information,
       {{"OK", MessageResult::Ok}},
       0,
       0},
      {MessageKind::Confirmation,
       MessageButton::Ok | MessageButton::Cancel,
       "確認",
       MessageIcon::Question,
       {{"OK", MessageResult::Ok}, {"キャンセル", MessageResult::Cancel}},
       0,
       1},
      // The set's order of naming does not matter: Yes always stands left of No.
      {MessageKind::Warning,
       MessageButton::No | MessageButton::Yes,
       "警告",
       MessageIcon::Exclamation,
       {{"はい(&Y)", MessageResult::Yes}, {"いいえ(&N)", MessageResult::No}},
       0,
       1},
      {MessageKind::Error,
       MessageButton::Ok,
       "エラー",
       MessageIcon::Stop,
       {{"OK", MessageResult::Ok}},
       0,
       0},
      {MessageKind::Confirmation,
       MessageButton::Yes | MessageButton::No | MessageButton::Ok | MessageButton::Cancel,
       "確認",
       MessageIcon::Question,
       {{"はい(&Y)", MessageResult::Yes},
        {"いいえ(&N)", MessageResult::No},
        {"OK", MessageResult::Ok},
        {"キャンセル", MessageResult::Cancel}},
       2,
       3},
      {MessageKind::Warning,
       MessageButton::Yes | MessageButton::Cancel,
       "警告",
       MessageIcon::Exclamation,
       {{"はい(&Y)", MessageResult::Yes}, {"キャンセル", MessageResult::Cancel}},
       0,
       1},
      // Neither OK nor Yes: the first button is the default, never an index outside the set.
      {MessageKind::Confirmation,
       MessageButton::Cancel,
       "確認",
       MessageIcon::Question,
       {{"キャンセル", MessageResult::Cancel}},
       0,
       0},
      {MessageKind::Warning,
       MessageButton::Cancel | MessageButton::No,
       "警告",
       MessageIcon::Exclamation,
       {{"いいえ(&N)", MessageResult::No}, {"キャンセル", MessageResult::Cancel}},
       0,
       1},
      {MessageKind::Information,
       MessageButton::No,
       "情報",
       MessageIcon::Information,
       {{"いいえ(&N)", MessageResult::No}},
       0,
       0},
      // No button that cancels: Esc does nothing.
      {MessageKind::Confirmation,
       MessageButton::Yes,
       "確認",
       MessageIcon::Question,
       {{"はい(&Y)", MessageResult::Yes}},
       0,
       -1},
      {MessageKind::Error, 0, "エラー", MessageIcon::Stop, {}, -1, -1},
  };
  for (const BoxCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.caption << " set " << c.buttons);
    MessageBoxLayout layout = BuildMessageBox(c.type, c.buttons);
    EXPECT_EQ(layout.caption, AnsiString(c.caption));
    EXPECT_EQ(layout.icon, c.icon);
    ASSERT_EQ(layout.buttons.size(), c.expected.size());
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
      EXPECT_EQ(layout.buttons[i].caption, AnsiString(c.expected[i].first));
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
  for (MessageButtons set = 1; set < 16; ++set) {
    SCOPED_TRACE(testing::Message() << "set " << set);
    MessageBoxLayout layout = BuildMessageBox(MessageKind::Confirmation, set);
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
  EXPECT_EQ(handler.icon, MessageIcon::Stop);
  ASSERT_EQ(handler.buttons.size(), 1u);
  EXPECT_EQ(handler.buttons[0].result, MessageResult::Ok);

  MessageBoxLayout lastResort = BuildApplicationErrorBox();
  EXPECT_EQ(lastResort.caption, "アプリケーション エラー");
  EXPECT_EQ(lastResort.icon, MessageIcon::Stop);
}

// Ctrl+C on a box gives what the system's boxes give, so that a pasted box reads the same in a
// support mail whichever kind of box it was.
TEST(MessageBox, CopiedAsTheSystemsBoxesCopyThemselves) {
  const AnsiString rule = "---------------------------\r\n";
  struct Case {
    AnsiString text;
    MessageKind kind;
    MessageButtons buttons;
    AnsiString copied;
  } cases[] = {
      {"共有フォルダを設定しました。", MessageKind::Information, MessageButton::Ok,
       rule + "情報\r\n" + rule + "共有フォルダを設定しました。\r\n" + rule + "OK   \r\n" + rule},
      {"一行目\r二行目\r", MessageKind::Warning, MessageButton::Yes | MessageButton::No,
       rule + "警告\r\n" + rule + "一行目\r\n二行目\r\n" + rule + "はい(Y)   いいえ(N)   \r\n" +
           rule},
      {"a\r\nb\nc", MessageKind::Confirmation, MessageButton::Ok | MessageButton::Cancel,
       rule + "確認\r\n" + rule + "a\r\nb\r\nc\r\n" + rule + "OK   キャンセル   \r\n" + rule},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.c_str());
    EXPECT_EQ(MessageBoxAsText(c.text, BuildMessageBox(c.kind, c.buttons)), c.copied);
  }
  MessageBoxLayout ampersand = BuildMessageBox(MessageKind::Error, MessageButton::Ok);
  ampersand.buttons[0].caption = "R&&D(&R)";
  EXPECT_EQ(MessageBoxAsText("x", ampersand),
            rule + "エラー\r\n" + rule + "x\r\n" + rule + "R&D(R)   \r\n" + rule);
}

}  // namespace
}  // namespace qv
