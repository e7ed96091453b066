#include <algorithm>

#include <gtest/gtest.h>

#include "dialog_fakes.h"
#include "framework/errors.h"

namespace qv {
namespace {

using test::DialogRig;
using test::EventLog;
using test::FakeFolderBrowser;
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
  // Every item list the browser returned went back to the allocator, which was let go.
  void TearDown() override {
    EXPECT_EQ(rig.browser.allocatorsHeld, 0);
    std::vector<ItemIdList> freed = rig.browser.freed;
    std::sort(freed.begin(), freed.end());
    EXPECT_EQ(freed, rig.browser.returned);
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
  rig.form.btnSansyoClick();

  EXPECT_EQ(rig.form.Fields().SharePath, "D:\\Work\\Accounting");
  EXPECT_EQ(rig.form.Fields().ShareName, "Accounting");
  EXPECT_EQ(rig.view.sharePath, "D:\\Work\\Accounting");
  EXPECT_EQ(rig.view.shareName, "Accounting");
  EXPECT_TRUE(rig.boxes.shown.empty());

  ASSERT_EQ(rig.browser.opened.size(), 1u);
  const BrowseInfo& info = rig.browser.opened[0];
  EXPECT_EQ(info.title, "共有場所の参照");
  EXPECT_EQ(info.flags, 0x43u);
  EXPECT_EQ(info.owner, FakeFolderBrowser::kForeground);
  EXPECT_EQ(info.root, 0u);
  EXPECT_EQ(rig.browser.selections, (std::vector<AnsiString>{"C:\\VeltoData"}));
  EXPECT_EQ(rig.browser.statusTexts, (std::vector<AnsiString>{"D:\\Work\\Accounting"}));
}

TEST_F(BrowseClickTest, BlankPathFieldStartsAtTheSystemDriveRoot) {
  rig.view.sharePath = " \t";
  rig.browser.WillCancel();
  rig.form.btnSansyoClick();
  EXPECT_EQ(rig.browser.selections, (std::vector<AnsiString>{"C:\\"}));
}

TEST_F(BrowseClickTest, CancelChangesNothing) {
  rig.browser.WillCancel();
  rig.form.btnSansyoClick();
  ExpectUnchanged();
  EXPECT_EQ(rig.browser.opened.size(), 1u);
}

TEST_F(BrowseClickTest, NoShellAllocatorDoesNothingVisible) {
  rig.browser.allocatorAvailable = false;
  rig.browser.WillPick("D:\\Work");
  rig.form.btnSansyoClick();
  EXPECT_TRUE(rig.browser.opened.empty());
  EXPECT_TRUE(rig.probes.openedKeys.empty());
  ExpectUnchanged();
}

TEST_F(BrowseClickTest, PathLengthLimit) {
  const std::string folder255 = "D:\\" + std::string(252, 'a');
  const std::string folder256 = "D:\\" + std::string(253, 'a');
  rig.browser.WillPick(folder256);
  rig.form.btnSansyoClick();
  ASSERT_EQ(rig.boxes.shown.size(), 1u);
  EXPECT_EQ(rig.boxes.shown[0].text, kTooLongMessage);
  EXPECT_EQ(rig.boxes.shown[0].type, MsgDlgType::mtError);
  EXPECT_EQ(rig.boxes.shown[0].buttons, unsigned{mbOK});
  EXPECT_EQ(rig.browser.opened.size(), 1u) << "the browser is not opened again";
  ExpectUnchanged();

  rig.browser.WillPick(folder255);
  rig.form.btnSansyoClick();
  EXPECT_EQ(rig.form.Fields().SharePath, folder255);
  EXPECT_EQ(rig.form.Fields().ShareName, std::string(80, 'a'));
}

TEST_F(BrowseClickTest, PathThatCodePage932CannotSpellIsRefused) {
  rig.browser.WillPick("D:\\Caf?", false);
  rig.form.btnSansyoClick();
  ASSERT_EQ(rig.boxes.shown.size(), 1u);
  EXPECT_EQ(rig.boxes.shown[0].text, kUnrepresentableMessage);
  EXPECT_EQ(rig.boxes.shown[0].type, MsgDlgType::mtError);
  EXPECT_EQ(rig.boxes.shown[0].buttons, unsigned{mbOK});
  EXPECT_EQ(rig.browser.opened.size(), 1u);
  ExpectUnchanged();
}

TEST_F(BrowseClickTest, ItemWithoutAFileSystemPathIsACancel) {
  rig.browser.picks.push_back(0x9999);  // no path known for it
  rig.form.btnSansyoClick();
  ExpectUnchanged();
  EXPECT_EQ(rig.browser.freed, (std::vector<ItemIdList>{0x9999}));
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
    rig.boxes.answers = {mrYes};
    rig.browser.WillPick(c.picked);
    rig.form.btnSansyoClick();
    EXPECT_EQ(rig.boxes.shown.size(), c.asked ? 1u : 0u);
    if (c.asked) {
      EXPECT_EQ(rig.boxes.shown[0].text, kRootQuestion);
      EXPECT_EQ(rig.boxes.shown[0].type, MsgDlgType::mtWarning);
      EXPECT_EQ(rig.boxes.shown[0].buttons, unsigned{mbYes | mbNo});
      EXPECT_EQ(rig.form.Fields().SharePath, "C:\\Users\\taro\\Documents");
      EXPECT_EQ(rig.form.Fields().ShareName, "Documents");
    } else {
      EXPECT_EQ(rig.form.Fields().SharePath, c.picked);
    }
  }
}

TEST_F(BrowseClickTest, NoAtTheRootQuestionBrowsesAgainFromTheSameStart) {
  rig.boxes.answers = {mrNo};
  rig.browser.WillPick("C:\\");
  rig.browser.WillCancel();
  rig.form.btnSansyoClick();
  EXPECT_EQ(rig.browser.opened.size(), 2u);
  EXPECT_EQ(rig.browser.selections, (std::vector<AnsiString>{"C:\\VeltoData", "C:\\VeltoData"}));
  EXPECT_EQ(rig.probes.openedKeys.size(), 1u) << "the control value is read once";
  ExpectUnchanged();
}

TEST_F(BrowseClickTest, RootIsTakenWhenUserAccountControlIsOff) {
  struct Case {
    const char* why;
    int version;
    std::optional<std::uint32_t> enableLua;
  } cases[] = {
      {"EnableLUA 0", 6, 0u},
      {"EnableLUA 2", 6, 2u},
      {"EnableLUA missing", 6, std::nullopt},
      {"version 5", 5, 1u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    rig.probes.registry.clear();
    if (c.enableLua) rig.probes.SetEnableLua(FakeProbePlatform::Dword(*c.enableLua));
    rig.probes.majorVersion = c.version;
    rig.browser.WillPick("C:\\");
    rig.form.btnSansyoClick();
    EXPECT_TRUE(rig.boxes.shown.empty());
    EXPECT_EQ(rig.form.Fields().SharePath, "C:\\");
    EXPECT_EQ(rig.form.Fields().ShareName, "");
  }
}

TEST_F(BrowseClickTest, DocumentsFolderThatCodePage932CannotSpellIsRefused) {
  rig.probes.documents = {"C:\\Users\\?\\Documents", false};
  rig.boxes.answers = {mrYes};
  rig.browser.WillPick("C:\\");
  rig.form.btnSansyoClick();
  ASSERT_EQ(rig.boxes.shown.size(), 2u);
  EXPECT_EQ(rig.boxes.shown[1].text, kUnrepresentableMessage);
  ExpectUnchanged();
}

TEST_F(BrowseClickTest, LongJapaneseFolderNameIsFitted) {
  std::string kai40, kai41;
  for (int i = 0; i < 40; ++i) kai40 += "会";  // 89 EF: a trail byte in the lead range
  kai41 = kai40 + "会";
  struct Case {
    std::string folder, shareName;
  } cases[] = {
      {kai41, kai40},
      {"A" + kai40, "A" + kai40.substr(0, 78)},  // the 80th byte is a lead byte
      {"  " + kai40, "  " + kai40.substr(0, 78)},
  };
  for (const Case& c : cases) {
    rig.browser.WillPick("D:\\" + c.folder);
    rig.form.btnSansyoClick();
    EXPECT_EQ(rig.form.Fields().SharePath, "D:\\" + c.folder);
    EXPECT_EQ(rig.form.Fields().ShareName, Trim(c.shareName));
    EXPECT_EQ(rig.view.shareName, Trim(c.shareName));
  }
}

TEST_F(BrowseClickTest, RegistryValueOfTheWrongTypeLeavesTheHandler) {
  rig.probes.SetEnableLua({1, {std::byte{'1'}, std::byte{0}}});
  rig.browser.WillPick("D:\\Work");
  try {
    rig.form.btnSansyoClick();
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
  EXPECT_TRUE(rig.form.SelectFolder("", path, true, 0x77));
  EXPECT_EQ(path, "C:\\");
  EXPECT_TRUE(rig.probes.openedKeys.empty());
  EXPECT_TRUE(rig.boxes.shown.empty());
  ASSERT_EQ(rig.browser.opened.size(), 1u);
  EXPECT_EQ(rig.browser.opened[0].title, "フォルダを選択して下さい");
  EXPECT_EQ(rig.browser.opened[0].root, 0x77u);
  EXPECT_EQ(rig.browser.opened[0].callbackData, "C:\\Start");
}

TEST(BrowseCallbackTest, Messages) {
  DialogRig rig;
  rig.browser.paths[0x10] = {"D:\\Work"};
  const WindowHandle w = FakeFolderBrowser::kBrowserWindow;
  EXPECT_EQ(rig.form.BrowseCallback(w, 1, 0, "C:\\VeltoData"), 0);
  EXPECT_EQ(rig.form.BrowseCallback(w, 2, 0x10, "C:\\VeltoData"), 0);
  EXPECT_EQ(rig.form.BrowseCallback(w, 2, 0x11, "C:\\VeltoData"), 0);  // no file-system path
  EXPECT_EQ(rig.form.BrowseCallback(w, 3, 0x10, "C:\\VeltoData"), 0);
  EXPECT_EQ(rig.browser.selections, (std::vector<AnsiString>{"C:\\VeltoData"}));
  EXPECT_EQ(rig.browser.statusTexts, (std::vector<AnsiString>{"D:\\Work", ""}));
}

}  // namespace
}  // namespace qv
