#include <algorithm>

#include <gtest/gtest.h>

#include "dialog_fakes.h"
#include "framework/errors.h"

namespace qv {
namespace {

using test::DialogRig;
using test::EventLog;
using test::FakeProbePlatform;

const char kTooLongMessage[] =
    "選択した場所(パス)の文字長が処理できる範囲を超えました。\r別の場所を選択して下さい。\r";
const char kUnrepresentableMessage[] =
    "選択した場所(パス)に使用できない文字が含まれています。\r別の場所を選択して下さい。\r";
const char kRootQuestion[] =
    "この場所に保存するアクセス許可がありません。\r管理者に連絡してアクセス許可を取得してください。"
    "\r\r代わりに［ドキュメント］フォルダに保存しますか？\r";

class BrowseClickTest : public testing::Test {
 protected:
  void SetUp() override {
    rig.Create();
    rig.probes.SetEnableLua(FakeProbePlatform::Dword(1));
  }
  void ExpectUnchanged() {
    EXPECT_EQ(rig.form.Fields().SharePath, "C:\\VeltoData");
    EXPECT_EQ(rig.form.Fields().ShareName, "VeltoData");
    EXPECT_EQ(rig.view.sharePath, "C:\\VeltoData");
    EXPECT_EQ(rig.view.shareName, "VeltoData");
  }
  DialogRig rig;
};

TEST_F(BrowseClickTest, PickingAFolderFillsBothFields) {
  rig.browser.WillPick("D:\\Work\\Accounting");
  rig.form.OnBrowseClick();

  EXPECT_EQ(rig.form.Fields().SharePath, "D:\\Work\\Accounting");
  EXPECT_EQ(rig.form.Fields().ShareName, "Accounting");
  EXPECT_EQ(rig.view.sharePath, "D:\\Work\\Accounting");
  EXPECT_EQ(rig.view.shareName, "Accounting");
  EXPECT_TRUE(rig.boxes.shown.empty());

  ASSERT_EQ(rig.browser.opened.size(), 1u);
  EXPECT_EQ(rig.browser.opened[0].title, "共有場所の参照");
  EXPECT_EQ(rig.browser.opened[0].startPath, "C:\\VeltoData");
}

TEST_F(BrowseClickTest, BlankPathFieldStartsAtTheSystemDriveRoot) {
  rig.view.sharePath = " \t";
  rig.browser.WillCancel();
  rig.form.OnBrowseClick();
  ASSERT_EQ(rig.browser.opened.size(), 1u);
  EXPECT_EQ(rig.browser.opened[0].startPath, "C:\\");
}

TEST_F(BrowseClickTest, CancelChangesNothing) {
  rig.browser.WillCancel();
  rig.form.OnBrowseClick();
  ExpectUnchanged();
  EXPECT_EQ(rig.browser.opened.size(), 1u);
}

TEST_F(BrowseClickTest, PathLengthLimit) {
  const AnsiString folder255 = "D:\\" + AnsiString(252, 'a');
  const AnsiString folder256 = "D:\\" + AnsiString(253, 'a');
  rig.browser.WillPick(folder256);
  rig.form.OnBrowseClick();
  ASSERT_EQ(rig.boxes.shown.size(), 1u);
  EXPECT_EQ(rig.boxes.shown[0].text, kTooLongMessage);
  EXPECT_EQ(rig.boxes.shown[0].type, MessageKind::Error);
  EXPECT_EQ(rig.boxes.shown[0].buttons, unsigned{MessageButton::Ok});
  EXPECT_EQ(rig.browser.opened.size(), 1u) << "the browser is not opened again";
  ExpectUnchanged();

  rig.browser.WillPick(folder255);
  rig.form.OnBrowseClick();
  EXPECT_EQ(rig.form.Fields().SharePath, folder255);
  EXPECT_EQ(rig.form.Fields().ShareName, AnsiString(80, 'a'));
}

TEST_F(BrowseClickTest, PathThatCodePage932CannotSpellIsRefused) {
  rig.browser.WillPick("D:\\Caf?", false);
  rig.form.OnBrowseClick();
  ASSERT_EQ(rig.boxes.shown.size(), 1u);
  EXPECT_EQ(rig.boxes.shown[0].text, kUnrepresentableMessage);
  EXPECT_EQ(rig.boxes.shown[0].type, MessageKind::Error);
  EXPECT_EQ(rig.boxes.shown[0].buttons, unsigned{MessageButton::Ok});
  EXPECT_EQ(rig.browser.opened.size(), 1u);
  ExpectUnchanged();
}

TEST_F(BrowseClickTest, SystemDriveRootWithUserAccountControlOn) {
  struct Case {
    const char* picked;
    bool asked;
  } cases[] = {
      {"C:\\", true}, {"c:\\", true}, {"C:\\Data", false}, {"D:\\", false}, {"C:", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.picked);
    rig.boxes.shown.clear();
    rig.boxes.answers = {MessageResult::Yes};
    rig.browser.WillPick(AnsiString(c.picked));
    rig.form.OnBrowseClick();
    EXPECT_EQ(rig.boxes.shown.size(), c.asked ? 1u : 0u);
    if (c.asked) {
      EXPECT_EQ(rig.boxes.shown[0].text, kRootQuestion);
      EXPECT_EQ(rig.boxes.shown[0].type, MessageKind::Warning);
      EXPECT_EQ(rig.boxes.shown[0].buttons, unsigned{MessageButton::Yes | MessageButton::No});
      EXPECT_EQ(rig.form.Fields().SharePath, "C:\\Users\\taro\\Documents");
      EXPECT_EQ(rig.form.Fields().ShareName, "Documents");
    } else {
      EXPECT_EQ(rig.form.Fields().SharePath, AnsiString(c.picked));
    }
  }
}

TEST_F(BrowseClickTest, NoAtTheRootQuestionBrowsesAgainFromTheSameStart) {
  rig.boxes.answers = {MessageResult::No};
  rig.browser.WillPick("C:\\");
  rig.browser.WillCancel();
  rig.form.OnBrowseClick();
  EXPECT_EQ(rig.browser.opened.size(), 2u);
  EXPECT_EQ(rig.browser.opened[1].startPath, "C:\\VeltoData");
  EXPECT_EQ(rig.probes.readKeys.size(), 1u) << "the control value is read once";
  ExpectUnchanged();
}

TEST_F(BrowseClickTest, RootIsTakenWhenUserAccountControlIsOff) {
  struct Case {
    const char* why;
    int version;
    std::optional<std::int32_t> enableLua;
  } cases[] = {
      {"EnableLUA 0", 6, 0},
      {"EnableLUA 2", 6, 2},
      {"EnableLUA missing", 6, std::nullopt},
      {"version 5", 5, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    rig.probes.registry.clear();
    if (c.enableLua) rig.probes.SetEnableLua(FakeProbePlatform::Dword(*c.enableLua));
    rig.probes.majorVersion = c.version;
    rig.browser.WillPick("C:\\");
    rig.form.OnBrowseClick();
    EXPECT_TRUE(rig.boxes.shown.empty());
    EXPECT_EQ(rig.form.Fields().SharePath, "C:\\");
    EXPECT_EQ(rig.form.Fields().ShareName, "");
  }
}

TEST_F(BrowseClickTest, DocumentsFolderThatCodePage932CannotSpellIsRefused) {
  rig.probes.documents = {"C:\\Users\\?\\Documents", false};
  rig.boxes.answers = {MessageResult::Yes};
  rig.browser.WillPick("C:\\");
  rig.form.OnBrowseClick();
  ASSERT_EQ(rig.boxes.shown.size(), 2u);
  EXPECT_EQ(rig.boxes.shown[1].text, kUnrepresentableMessage);
  ExpectUnchanged();
}

TEST_F(BrowseClickTest, LongJapaneseFolderNameIsFitted) {
  AnsiString kai40, kai41;
  for (int i = 0; i < 40; ++i) kai40 += "会";  // 89 EF: a trail byte in the lead range
  kai41 = kai40 + "会";
  struct Case {
    AnsiString folder, shareName;
  } cases[] = {
      {kai41, kai40},
      {"A" + kai40, "A" + kai40.substr(0, 78)},  // the 80th byte is a lead byte
      {"  " + kai40, "  " + kai40.substr(0, 78)},
  };
  for (const Case& c : cases) {
    rig.browser.WillPick("D:\\" + c.folder);
    rig.form.OnBrowseClick();
    EXPECT_EQ(rig.form.Fields().SharePath, "D:\\" + c.folder);
    EXPECT_EQ(rig.form.Fields().ShareName, Trim(c.shareName));
    EXPECT_EQ(rig.view.shareName, Trim(c.shareName));
  }
}

TEST_F(BrowseClickTest, RegistryValueOfTheWrongTypeLeavesTheHandler) {
  rig.probes.SetEnableLua({RegistryDword::State::WrongType, 0});
  rig.browser.WillPick("D:\\Work");
  try {
    rig.form.OnBrowseClick();
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "'EnableLUA' のデータ型が不正です");
  }
  EXPECT_TRUE(rig.browser.opened.empty());
  ExpectUnchanged();
}

TEST(SelectFolderTest, SkipCheckAndDefaultTitle) {
  DialogRig rig;
  rig.Create();
  rig.probes.SetEnableLua(FakeProbePlatform::Dword(1));
  rig.browser.WillPick("C:\\");
  AnsiString path = "C:\\Start";
  EXPECT_TRUE(rig.form.SelectFolder("", path, true));
  EXPECT_EQ(path, "C:\\");
  EXPECT_TRUE(rig.probes.readKeys.empty());
  EXPECT_TRUE(rig.boxes.shown.empty());
  ASSERT_EQ(rig.browser.opened.size(), 1u);
  EXPECT_EQ(rig.browser.opened[0].title, "フォルダを選択して下さい");
  EXPECT_EQ(rig.browser.opened[0].startPath, "C:\\Start");
}

}  // namespace
}  // namespace qv
