#include <gtest/gtest.h>

#include "dialog_fakes.h"
#include "framework/errors.h"
#include "security/share_descriptor.h"

namespace qv {
namespace {

using test::DialogRig;
using test::EventLog;
using test::kCreateQuestion;
using test::kDoneQuestion;

const char kEmptyPathMessage[] = "管理する場所を参照してください。\r";
const char kEmptyNameMessage[] = "共有名を入力してください。\r";

class ShareClickTest : public testing::Test {
 protected:
  void SetUp() override {
    rig.shares.AddDirectory("C:\\");
    rig.shares.AddDirectory("D:\\");
    rig.Create();
  }
  DialogRig rig;
};

TEST_F(ShareClickTest, DefaultsWithTheFolderMissing) {
  rig.boxes.answers = {MessageResult::Ok, MessageResult::Ok};
  rig.form.OnShareClick();

  EXPECT_EQ(rig.log,
            (EventLog{"message", "busy", "mkdir C:\\VeltoData", "mkdir C:\\VeltoData\\quarnelvelto",
                      "share", "volume C:\\VeltoData", "grant C:\\VeltoData",
                      "announce C:\\VeltoData", "idle", "message", "close"}));
  ASSERT_EQ(rig.boxes.shown.size(), 2u);
  EXPECT_EQ(rig.boxes.shown[0].text, kCreateQuestion);
  EXPECT_EQ(rig.boxes.shown[0].type, MessageKind::Confirmation);
  EXPECT_EQ(rig.boxes.shown[0].buttons, unsigned{MessageButton::Ok | MessageButton::Cancel});
  EXPECT_EQ(rig.boxes.shown[1].text, kDoneQuestion);
  EXPECT_EQ(rig.boxes.shown[1].type, MessageKind::Confirmation);
  EXPECT_EQ(rig.boxes.shown[1].buttons, unsigned{MessageButton::Ok | MessageButton::Cancel});

  ASSERT_EQ(rig.shares.shares.size(), 1u);
  const ShareInfo502& s = rig.shares.shares[0];
  EXPECT_EQ(s.shi502_netname, "VeltoData");
  EXPECT_EQ(s.shi502_type, 0u);
  EXPECT_EQ(s.shi502_remark, "Quarnel財務 共有フォルダ:VeltoData");
  EXPECT_EQ(s.shi502_permissions, 0u);
  EXPECT_EQ(s.shi502_max_uses, 0xFFFFFFFFu);
  EXPECT_EQ(s.shi502_current_uses, 0u);
  EXPECT_EQ(s.shi502_path, "C:\\VeltoData");
  EXPECT_EQ(s.shi502_passwd, "");
  EXPECT_TRUE(rig.shares.HasDirectory("C:\\VeltoData\\quarnelvelto"));
}

TEST_F(ShareClickTest, CancelAtTheEndKeepsTheDialogAndASecondClickFindsTheNameTaken) {
  rig.boxes.answers = {MessageResult::Ok, MessageResult::Cancel};
  rig.form.OnShareClick();
  EXPECT_EQ(rig.view.closeCount, 0);

  rig.shares.shareResults = {2118};
  // Only the unattended run takes over a share of its own folder; the dialog tells the name.
  rig.shares.existingShare =
      test::FakeSharePlatform::Reading(0, "C:\\VeltoData", ShareDescriptorEveryoneFullControl());
  rig.log.clear();
  rig.form.OnShareClick();
  // The folders exist now: no question.
  EXPECT_EQ(rig.log, (EventLog{"busy", "share", "idle", "message"}));
  EXPECT_EQ(rig.boxes.shown.back().text, "指定した共有名は、既に使われています。\r");
  EXPECT_EQ(rig.view.closeCount, 0);
}

TEST_F(ShareClickTest, CancelAtTheCreationQuestion) {
  rig.boxes.answers = {MessageResult::Cancel};
  rig.form.OnShareClick();
  EXPECT_EQ(rig.log, (EventLog{"message", "focus btnSansyo"}));
  EXPECT_FALSE(rig.shares.HasDirectory("C:\\VeltoData"));
  EXPECT_TRUE(rig.shares.shares.empty());
}

TEST_F(ShareClickTest, OnlyTheSubfolderMissing) {
  rig.shares.AddDirectory("C:\\VeltoData");
  rig.form.OnShareClick();
  EXPECT_EQ(rig.boxes.shown.size(), 1u);  // the final question only
  EXPECT_EQ(rig.log[1], "mkdir C:\\VeltoData\\quarnelvelto");
  EXPECT_TRUE(rig.shares.HasDirectory("C:\\VeltoData\\quarnelvelto"));
}

TEST_F(ShareClickTest, EmptyOrBlankPath) {
  for (const char* path : {"", "   ", "\t\r\n"}) {
    SCOPED_TRACE(testing::PrintToString(path));
    rig.log.clear();
    rig.boxes.shown.clear();
    rig.view.sharePath = AnsiString(path);
    rig.form.OnShareClick();
    EXPECT_EQ(rig.log, (EventLog{"message", "focus btnSansyo"}));
    EXPECT_EQ(rig.boxes.shown[0].text, kEmptyPathMessage);
    EXPECT_EQ(rig.boxes.shown[0].type, MessageKind::Information);
    EXPECT_EQ(rig.boxes.shown[0].buttons, unsigned{MessageButton::Ok});
  }
}

TEST_F(ShareClickTest, EmptyOrBlankNameAfterTheQuestion) {
  for (const char* name : {"", "   ", " \t\x01 "}) {
    SCOPED_TRACE(testing::PrintToString(name));
    rig.log.clear();
    rig.boxes.shown.clear();
    rig.view.shareName = AnsiString(name);
    rig.form.OnShareClick();
    EXPECT_EQ(rig.log, (EventLog{"message", "message", "focus txtShareName"}));
    EXPECT_EQ(rig.boxes.shown[0].text, kCreateQuestion);
    EXPECT_EQ(rig.boxes.shown[1].text, kEmptyNameMessage);
    EXPECT_EQ(rig.boxes.shown[1].type, MessageKind::Information);
    EXPECT_FALSE(rig.shares.HasDirectory("C:\\VeltoData"));
  }
}

TEST_F(ShareClickTest, TheNameIsFittedAndTrimmed) {
  const AnsiString eighty(80, 'N');
  const AnsiString kanji = "共";  // 8B A4
  struct Case {
    const char* why;
    AnsiString typed, shared;
  } cases[] = {
      {"blanks around", "  Accounting  ", "Accounting"},
      {"exactly 80 bytes", eighty, eighty},
      {"80 bytes within blanks", "  " + eighty + " ", eighty},
      {"40 double-byte characters",
       [&] {
         AnsiString s;
         for (int i = 0; i < 40; ++i) s += kanji;
         return s;
       }(),
       [&] {
         AnsiString s;
         for (int i = 0; i < 40; ++i) s += kanji;
         return s;
       }()},
  };
  rig.shares.AddDirectory("C:\\VeltoData");
  rig.shares.AddDirectory("C:\\VeltoData\\quarnelvelto");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    rig.shares.shares.clear();
    rig.boxes.answers = {MessageResult::Cancel};
    rig.view.shareName = c.typed;
    rig.form.OnShareClick();
    ASSERT_EQ(rig.shares.shares.size(), 1u);
    EXPECT_EQ(rig.shares.shares[0].shi502_netname, c.shared);
    EXPECT_EQ(rig.shares.shares[0].shi502_remark, "Quarnel財務 共有フォルダ:" + c.shared);
    EXPECT_EQ(rig.form.Fields().ShareName, c.shared);
    EXPECT_EQ(rig.view.shareName, c.typed) << "the field is left as typed";
  }
}

// A name cut to fit would be shared under a name nobody gave: it is refused instead.
TEST_F(ShareClickTest, ANameOverEightyBytesIsRefusedNotCut) {
  const AnsiString kanji = "共";  // 8B A4
  AnsiString fortyOne, fortyFive;
  for (int i = 0; i < 41; ++i) fortyOne += kanji;
  for (int i = 0; i < 45; ++i) fortyFive += kanji;
  rig.shares.AddDirectory("C:\\VeltoData");
  for (const AnsiString& name :
       {AnsiString(81, 'N'), AnsiString(79, 'A') + kanji, fortyOne, fortyFive}) {
    SCOPED_TRACE(name.bytes());
    rig.log.clear();
    rig.boxes.shown.clear();
    rig.view.shareName = name;
    rig.form.OnShareClick();
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].text,
              "共有名が長すぎます。\r全角40文字、半角80文字以内で入力してください。\r");
    EXPECT_EQ(rig.boxes.shown[0].type, MessageKind::Information);
    EXPECT_EQ(rig.log, (EventLog{"message", "focus txtShareName"})) << "nothing made";
    EXPECT_TRUE(rig.shares.shares.empty());
  }
}

TEST_F(ShareClickTest, FirstEditionTexts) {
  rig.form.Fields().Edition = 0;
  rig.form.OnShareClick();
  EXPECT_TRUE(rig.shares.HasDirectory("C:\\VeltoData\\BrevakVelto"));
  ASSERT_EQ(rig.shares.shares.size(), 1u);
  EXPECT_EQ(rig.shares.shares[0].shi502_remark, "ブレバク財務 共有フォルダ:VeltoData");
}

TEST_F(ShareClickTest, DriveRootGivesTwoBackslashes) {
  rig.view.sharePath = "D:\\";
  rig.view.shareName = "Data";
  rig.boxes.answers = {MessageResult::Ok, MessageResult::Cancel};  // the whole drive, on purpose
  rig.form.OnShareClick();
  EXPECT_EQ(rig.log[2], "mkdir D:\\\\quarnelvelto");
  ASSERT_EQ(rig.shares.shares.size(), 1u);
  EXPECT_EQ(rig.shares.shares[0].shi502_path, "D:\\");
}

TEST_F(ShareClickTest, ShareErrorsAreToldAndTheDialogStays) {
  struct Case {
    std::uint32_t code;
    const char* message;
    std::uint32_t badParameter = 0;
  } cases[] = {
      {5, "管理者権限を持つユーザーで実行して下さい。\r"},
      {2116,
       "管理する場所が適正ではありません。\r管理する場所には、このコンピュータ内の場所を指定して下"
       "さい。"},
      {2118, "指定した共有名は、既に使われています。\r"},
      {87, "パラメーターは正しくありません。\r\n(code=87)"},
      {87, "パラメーターは正しくありません。\r\n(code=87, parm_err=1)", 1},
      {50, "要求はサポートされていません。\r\n(code=50)"},
      {2102, "(code=2102)"},  // no system text
      {2102, "(code=2102, parm_err=4)", 4},
      // The known refusals have texts of their own, with no field to name.
      {2116,
       "管理する場所が適正ではありません。\r管理する場所には、このコンピュータ内の場所を指定して下"
       "さい。",
       4},
  };
  rig.shares.messageTexts = {{87, "パラメーターは正しくありません。\r\n"},
                             {50, "要求はサポートされていません。\r\n"}};
  rig.shares.AddDirectory("C:\\VeltoData");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    rig.log.clear();
    rig.boxes.shown.clear();
    rig.shares.shareResults = {c.code};
    rig.shares.shareBadParameter = c.badParameter;
    rig.form.OnShareClick();
    EXPECT_EQ(rig.log.back(), "message");
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].text, AnsiString(c.message));
    EXPECT_EQ(rig.boxes.shown[0].type, MessageKind::Information);
    EXPECT_EQ(rig.boxes.shown[0].buttons, unsigned{MessageButton::Ok});
    EXPECT_TRUE(rig.folders.granted.empty());
    EXPECT_EQ(rig.view.closeCount, 0);
  }
  EXPECT_TRUE(rig.shares.HasDirectory("C:\\VeltoData\\quarnelvelto")) << "folders stay";
}

TEST_F(ShareClickTest, FailingGrantLeavesTheHandlerAndTheShareInPlace) {
  rig.folders.writeError = 5;  // ERROR_ACCESS_DENIED
  rig.boxes.answers = {MessageResult::Ok};
  try {
    rig.form.OnShareClick();
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(WithClosingPeriod(e.Message()), "フォルダへのEveryone権限の付与に失敗しました。.");
  }
  EXPECT_EQ(rig.shares.shares.size(), 1u);
  // No notification, no final question.
  EXPECT_EQ(rig.log,
            (EventLog{"message", "busy", "mkdir C:\\VeltoData", "mkdir C:\\VeltoData\\quarnelvelto",
                      "share", "volume C:\\VeltoData", "grant C:\\VeltoData", "idle"}));
  EXPECT_EQ(rig.boxes.shown.size(), 1u);
  EXPECT_EQ(rig.view.closeCount, 0);
}

class EnsureFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    rig.shares.AddDirectory("C:\\");
    rig.shares.AddDirectory("D:\\");
  }
  DialogRig rig;
  ShareSetup& setup = rig.job;
};

TEST_F(EnsureFolderTest, AFileIsNoFolder) {
  rig.shares.files = {test::FakeSharePlatform::Key("C:\\VeltoData")};
  EXPECT_FALSE(setup.EnsureFolder("C:\\VeltoData"));
  // The share button asks, as the folder does not exist.
  rig.Create();
  rig.boxes.answers = {MessageResult::Cancel};
  rig.form.OnShareClick();
  EXPECT_EQ(rig.boxes.shown[0].text, kCreateQuestion);
}

}  // namespace
}  // namespace qv
