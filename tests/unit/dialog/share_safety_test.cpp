// The share button on a real office PC: the share's own permissions, the question before opening
// a whole drive or a system folder, volumes without permissions, network message texts, the work
// in the background, and input that must be refused before anything is made.
#include <gtest/gtest.h>

#include "dialog_fakes.h"
#include "framework/errors.h"
#include "share/share_input.h"

namespace qv {
namespace {

using test::DialogRig;
using test::EventLog;
using test::kDoneQuestion;

const char kSystemLocationQuestion[] =
    "選択した場所には、ドライブ全体またはシステムのフォルダが含まれています。\r"
    "この場所のすべてのファイルとフォルダが、ネットワーク上のすべてのユーザーから変更できるよう"
    "になります。\rこの場所を共有してもよろしいですか？";
const char kNoPermissionsOnVolume[] =
    "このドライブの形式ではフォルダのアクセス許可を設定できません。\r"
    "フォルダのアクセス許可は変更せずに、共有の設定を続けます。\r";
const char kUnusableName[] = "共有名に使用できない文字が含まれています。\r";
const char kUnsuitableLocation[] =
    "管理する場所が適正ではありません。\r管理する場所には、このコンピュータ内の場所を指定して下さ"
    "い。";

class ShareSafetyTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* d : {"C:\\", "D:\\", "C:\\VeltoData", "C:\\Windows", "C:\\Users",
                          "C:\\Users\\admin", "C:\\Program Files"}) {
      rig.shares.AddDirectory(AnsiString(d));
    }
    rig.Create();
  }
  DialogRig rig;
};

TEST_F(ShareSafetyTest, TheShareCarriesEveryoneFullControlAsItsOwnPermission) {
  rig.form.OnShareClick();
  ASSERT_EQ(rig.shares.shares.size(), 1u);
  const std::vector<std::uint8_t> expected = {
      0x01, 0x00, 0x04, 0x80,                          // revision 1, DACL present, self-relative
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // no owner, no group
      0x00, 0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00,  // no SACL, DACL at 20
      0x02, 0x00, 0x1C, 0x00, 0x01, 0x00, 0x00, 0x00,  // ACL revision 2, 28 bytes, one entry
      0x00, 0x00, 0x14, 0x00, 0xFF, 0x01, 0x1F, 0x00,  // allow, no inheritance, full control
      0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00};  // S-1-1-0
  EXPECT_EQ(rig.shares.shares[0].shi502_security_descriptor, expected);
}

TEST_F(ShareSafetyTest, SuccessRunsInTheBackgroundThenTellsTheShell) {
  rig.form.OnShareClick();
  EXPECT_EQ(rig.log, (EventLog{"busy", "mkdir C:\\VeltoData\\quarnelvelto", "share",
                               "volume C:\\VeltoData", "grant C:\\VeltoData",
                               "announce C:\\VeltoData", "idle", "message", "close"}));
  EXPECT_EQ(rig.boxes.shown.back().text, kDoneQuestion);
}

TEST_F(ShareSafetyTest, AVolumeWithoutPermissionsIsSharedWithoutTheGrant) {
  rig.shares.fatVolume = true;
  rig.boxes.answers = {MessageResult::Ok, MessageResult::Cancel};
  rig.form.OnShareClick();
  EXPECT_TRUE(rig.folders.granted.empty());
  ASSERT_EQ(rig.boxes.shown.size(), 2u);
  EXPECT_EQ(rig.boxes.shown[0].text, kNoPermissionsOnVolume);
  EXPECT_EQ(rig.boxes.shown[0].type, MessageKind::Information);
  EXPECT_EQ(rig.boxes.shown[0].buttons, unsigned{MessageButton::Ok});
  EXPECT_EQ(rig.boxes.shown[1].text, kDoneQuestion);
  EXPECT_EQ(rig.view.closeCount, 0);
}

TEST_F(ShareSafetyTest, DriveRootsAndSystemFoldersAskFirst) {
  struct Case {
    const char* path;
    bool asks;
  } cases[] = {
      {"C:\\", true},
      {"D:\\", true},
      {"d:\\\\", true},
      {"C:\\Windows", true},
      {"c:\\windows\\", true},
      {"C:\\Program Files", true},
      {"C:\\PROGRAM FILES (X86)", true},
      {"C:\\Users", true},
      {"C:\\Users\\admin", true},
      {"C:\\Users\\someone else", true},
      // Everything inside the Windows and Program Files folders is the system's too.
      {"C:\\Windows\\Temp", true},
      {"C:\\windows\\system32\\drivers", true},
      {"C:\\Program Files\\Velto", true},
      {"C:\\Program Files (x86)\\Velto\\Data", true},
      {"C:\\Windows2", false},
      {"C:\\Program Files Data", false},
      {"C:\\Users\\admin\\Documents", false},
      {"C:\\VeltoData", false},
      {"C:\\Users2", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    rig.log.clear();
    rig.boxes.shown.clear();
    rig.shares.shares.clear();
    rig.boxes.answers = {MessageResult::Cancel};
    rig.view.sharePath = AnsiString(c.path);
    rig.form.OnShareClick();
    ASSERT_FALSE(rig.boxes.shown.empty());
    if (c.asks) {
      EXPECT_EQ(rig.boxes.shown[0].text, kSystemLocationQuestion);
      EXPECT_EQ(rig.boxes.shown[0].type, MessageKind::Warning);
      EXPECT_EQ(rig.boxes.shown[0].buttons, unsigned{MessageButton::Ok | MessageButton::Cancel});
      EXPECT_EQ(rig.boxes.shown[0].defaultResult, MessageResult::Cancel);
      EXPECT_EQ(rig.log, (EventLog{"message", "focus btnSansyo"})) << "nothing made";
    } else {
      EXPECT_NE(rig.boxes.shown[0].text, kSystemLocationQuestion);
    }
  }
}

TEST_F(ShareSafetyTest, OkAtTheSystemLocationQuestionGoesOn) {
  rig.view.sharePath = "D:\\";
  rig.view.shareName = "Data";
  rig.boxes.answers = {MessageResult::Ok, MessageResult::Cancel};
  rig.form.OnShareClick();
  ASSERT_EQ(rig.shares.shares.size(), 1u);
  EXPECT_EQ(rig.shares.shares[0].shi502_path, "D:\\");
  EXPECT_EQ(rig.folders.granted, (std::vector<AnsiString>{"D:\\"}));
}

TEST_F(ShareSafetyTest, NetworkCodesTakeTheNetworkLibrarysTextWhenThereIsOne) {
  rig.shares.networkTexts = {
      {2102, "ワークステーション ドライバーがインストールされていません。\r\n"}};
  rig.shares.messageTexts = {{2103, "system text\r\n"}, {87, "parameter\r\n"}};
  rig.shares.networkTexts[87] = "never asked for a system code";
  struct Case {
    std::uint32_t code;
    const char* message;
  } cases[] = {
      {2102, "ワークステーション ドライバーがインストールされていません。\r\n(code=2102)"},
      {2103, "system text\r\n(code=2103)"},  // the network library has none: as before
      {2999, "(code=2999)"},
      {87, "parameter\r\n(code=87)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    rig.boxes.shown.clear();
    rig.shares.shareResults = {c.code};
    rig.form.OnShareClick();
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].text, AnsiString(c.message));
  }
}

// The background work held until the test lets it finish.
class ShareInBackgroundTest : public ShareSafetyTest {
 protected:
  void StartHeld() {
    rig.view.holdWork = true;
    rig.form.OnShareClick();
    ASSERT_TRUE(rig.view.pendingDone);
  }
};

TEST_F(ShareInBackgroundTest, WhileTheWorkRunsTheDialogIsBusyAndIgnoresASecondClick) {
  StartHeld();
  EXPECT_TRUE(rig.view.busy);
  EXPECT_TRUE(rig.boxes.shown.empty());
  rig.form.OnShareClick();  // Enter or a click that got through
  EXPECT_EQ(rig.log, (EventLog{"busy"})) << "nothing asked, nothing started";

  rig.view.FinishWork();
  EXPECT_FALSE(rig.view.busy);
  EXPECT_EQ(rig.shares.shares.size(), 1u);
  EXPECT_EQ(rig.boxes.shown.back().text, kDoneQuestion);
}

TEST_F(ShareInBackgroundTest, TheCloseBoxWaitsForTheWork) {
  StartHeld();
  EXPECT_FALSE(rig.form.CloseQuery());
  EXPECT_EQ(rig.view.closeCount, 0);

  // A failure: its box is shown, then the close asked for comes.
  rig.shares.shareResults = {2118};
  rig.view.FinishWork();
  EXPECT_EQ(rig.boxes.shown.back().text, "指定した共有名は、既に使われています。\r");
  EXPECT_EQ(rig.log.back(), "close");
  EXPECT_TRUE(rig.form.CloseQuery());
}

TEST_F(ShareInBackgroundTest, AfterSuccessTheFinalQuestionDecidesNotTheEarlierClose) {
  StartHeld();
  EXPECT_FALSE(rig.form.CloseQuery());
  rig.boxes.answers = {MessageResult::Cancel};
  rig.view.FinishWork();
  EXPECT_EQ(rig.boxes.shown.back().text, kDoneQuestion);
  EXPECT_EQ(rig.view.closeCount, 0);
  EXPECT_TRUE(rig.form.CloseQuery()) << "idle again";
}

TEST_F(ShareInBackgroundTest, TheGrantsErrorReachesTheUserOnTheDialogsThread) {
  rig.folders.writeError = 5;  // ERROR_ACCESS_DENIED
  StartHeld();
  try {
    rig.view.FinishWork();
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "フォルダへのEveryone権限の付与に失敗しました。");
  }
  EXPECT_FALSE(rig.view.busy);
  EXPECT_TRUE(rig.form.CloseQuery()) << "a later click may run again";
  EXPECT_TRUE(rig.boxes.shown.empty());
}

TEST_F(ShareSafetyTest, WorkThatCannotStartLeavesTheDialogUsable) {
  rig.view.failToStart = true;
  EXPECT_THROW(rig.form.OnShareClick(), Exception);
  EXPECT_FALSE(rig.view.busy);
  EXPECT_TRUE(rig.shares.shares.empty());
  rig.view.failToStart = false;
  rig.form.OnShareClick();
  EXPECT_EQ(rig.shares.shares.size(), 1u) << "the next click runs";
}

TEST_F(ShareSafetyTest, AClickWhileItsOwnBoxIsOpenDoesNothing) {
  rig.view.shareName = "";
  int nested = 0;
  rig.boxes.onShow = [&] {
    if (nested++ == 0) rig.form.OnShareClick();
  };
  rig.form.OnShareClick();
  EXPECT_EQ(rig.boxes.shown.size(), 1u);
  rig.boxes.onShow = nullptr;
  rig.form.OnShareClick();
  EXPECT_EQ(rig.boxes.shown.size(), 2u) << "the next click runs again";
}

TEST_F(ShareSafetyTest, UnusableNamesAreRefusedBeforeAnythingIsMade) {
  for (const char* name : {"M?ller", "Data?", "a\\b", "a/b", "a:b", "a*", "\"q\"", "<x>", "a|b",
                           "tab\there", "del\x7f"}) {
    SCOPED_TRACE(name);
    rig.log.clear();
    rig.boxes.shown.clear();
    rig.view.sharePath = "C:\\Fresh";
    rig.view.shareName = AnsiString(name);
    rig.form.OnShareClick();
    ASSERT_EQ(rig.boxes.shown.size(), 2u);  // the creation question, then the refusal
    EXPECT_EQ(rig.boxes.shown[1].text, kUnusableName);
    EXPECT_EQ(rig.boxes.shown[1].type, MessageKind::Information);
    EXPECT_EQ(rig.log.back(), "focus txtShareName");
    EXPECT_FALSE(rig.shares.HasDirectory("C:\\Fresh"));
    EXPECT_TRUE(rig.shares.shares.empty());
  }
}

TEST_F(ShareSafetyTest, NamesTheServerRefusesAreRefusedBeforeAnythingIsMade) {
  for (const char* name :
       {"[a]", "a;b", "a,b", "a=b", "a+b", "IPC$", "ipc$", "ADMIN$", "Print$", "C$", "z$"}) {
    SCOPED_TRACE(name);
    rig.boxes.shown.clear();
    rig.shares.shares.clear();
    rig.view.sharePath = "C:\\Fresh";
    rig.view.shareName = AnsiString(name);
    rig.form.OnShareClick();
    ASSERT_EQ(rig.boxes.shown.size(), 2u);  // the creation question, then the refusal
    EXPECT_EQ(rig.boxes.shown[1].text, kUnusableName);
    EXPECT_FALSE(rig.shares.HasDirectory("C:\\Fresh"));
    EXPECT_TRUE(rig.shares.shares.empty());
  }
}

TEST_F(ShareSafetyTest, NamesThatAreFine) {
  const AnsiString hyou = "表";  // 95 5C: a backslash as second byte is no backslash
  for (AnsiString name : {AnsiString("Data$"), "会計" + hyou, AnsiString("a b.c-d_e"),
                          AnsiString("C$D"), AnsiString("IPC")}) {
    SCOPED_TRACE(name.bytes());
    rig.shares.shares.clear();
    rig.view.shareName = name;
    rig.boxes.answers = {MessageResult::Cancel};
    rig.form.OnShareClick();
    ASSERT_EQ(rig.shares.shares.size(), 1u);
    EXPECT_EQ(rig.shares.shares[0].shi502_netname, name);
  }
}

TEST_F(ShareSafetyTest, PathsThatAreNotOfThisComputerAreRefused) {
  for (const char* path :
       {"foo", ".\\foo", "\\\\server\\x", "\\VeltoData", "C:VeltoData", "C:\\Velto*", "C:\\a?b",
        "C:\\a<b", "C:\\a>b", "C:\\a|b", "C:\\a\"b", "C:\\a:b", "1:\\x"}) {
    SCOPED_TRACE(path);
    rig.log.clear();
    rig.boxes.shown.clear();
    rig.view.sharePath = AnsiString(path);
    rig.form.OnShareClick();
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].text, kUnsuitableLocation);
    EXPECT_EQ(rig.log, (EventLog{"message", "focus btnSansyo"}));
  }
}

TEST_F(ShareSafetyTest, ATrailingBackslashIsDropped) {
  rig.shares.directories.erase(test::FakeSharePlatform::Key("C:\\VeltoData"));
  rig.view.sharePath = "C:\\VeltoData\\";
  rig.boxes.answers = {MessageResult::Ok, MessageResult::Cancel};
  rig.form.OnShareClick();
  EXPECT_TRUE(rig.shares.HasDirectory("C:\\VeltoData\\quarnelvelto"));
  ASSERT_EQ(rig.shares.shares.size(), 1u);
  EXPECT_EQ(rig.shares.shares[0].shi502_path, "C:\\VeltoData");
  EXPECT_EQ(rig.folders.granted, (std::vector<AnsiString>{"C:\\VeltoData"}));
}

TEST_F(ShareSafetyTest, ASubfolderThatCannotBeMadeStopsBeforeTheShare) {
  rig.shares.files = {test::FakeSharePlatform::Key("C:\\VeltoData\\quarnelvelto")};
  rig.shares.messageTexts = {{183, "既に存在するファイルを作成することはできません。\r\n"}};
  rig.form.OnShareClick();
  ASSERT_EQ(rig.boxes.shown.size(), 1u);
  EXPECT_EQ(rig.boxes.shown[0].text,
            "フォルダを作成できませんでした。\rC:\\VeltoData\\quarnelvelto\r"
            "既に存在するファイルを作成することはできません。");
  EXPECT_EQ(rig.boxes.shown[0].type, MessageKind::Information);
  EXPECT_TRUE(rig.shares.shares.empty());
  EXPECT_TRUE(rig.folders.granted.empty());
  EXPECT_EQ(rig.view.closeCount, 0);
}

TEST_F(ShareSafetyTest, AShareFolderThatCannotBeMadeEndsBeforeTheShareCall) {
  rig.view.sharePath = "Q:\\Nowhere";
  rig.shares.messageTexts = {{3, "指定されたパスが見つかりません。\r\n"}};
  rig.form.OnShareClick();
  EXPECT_TRUE(rig.shares.shares.empty());
  EXPECT_EQ(rig.boxes.shown.back().text,
            "フォルダを作成できませんでした。\rQ:\\Nowhere\r指定されたパスが見つかりません。");
}

TEST(ShareInputTest, TrailingBackslashes) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {{"C:\\VeltoData\\", "C:\\VeltoData"},
               {"C:\\VeltoData\\\\", "C:\\VeltoData"},
               {"C:\\", "C:\\"},
               {"C:\\\\", "C:\\"},
               {"C:", "C:"},
               {"\\", ""},
               {"C:\\表", "C:\\表"}};
  for (const Case& c : cases)
    EXPECT_EQ(DropTrailingBackslashes(AnsiString(c.in)), AnsiString(c.out)) << c.in;
}

}  // namespace
}  // namespace qv
