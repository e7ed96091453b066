#include <gtest/gtest.h>

#include <algorithm>

#include "app/unattended.h"
#include "dialog/dialog_fakes.h"
#include "framework/errors.h"
#include "security/folder_grant.h"
#include "security/share_descriptor.h"
#include "share/share_texts.h"

namespace qv {
namespace {

using test::EventLog;

class QuietHost : public ISingleInstance {
 public:
  explicit QuietHost(EventLog& log) : log_(log) {}
  MutexCreation CreateSingleInstanceMutex(const AnsiString& name) override {
    log_.push_back("mutex " + name);
    return mutex;
  }
  MutexCreation mutex = MutexCreation::Created;

 private:
  EventLog& log_;
};

class RecordingReport : public IRunReport {
 public:
  void Tell(const AnsiString& text) override { told.push_back(text); }
  void LogOnly(const AnsiString& text) override { logged.push_back(text); }
  std::vector<AnsiString> told, logged;
};

class QuietShareTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* d : {"C:\\", "D:\\", "C:\\Windows", "C:\\Users"})
      shares.AddDirectory(AnsiString(d));
  }
  int Run(const AnsiString& path, const AnsiString& name, bool yes = false) {
    return RunQuietShare({path, name, yes}, host, probes, setup, report);
  }
  EventLog log;
  test::FakeSharePlatform shares{log};
  test::FakeProbePlatform probes;
  test::FakeGrantFolders folders{&log};
  ShareSetup setup{shares, folders};
  QuietHost host{log};
  RecordingReport report;
};

TEST_F(QuietShareTest, SharesWithoutAskingAndSaysSo) {
  EXPECT_EQ(Run("C:\\VeltoData\\", " VeltoData "), kExitDone);
  EXPECT_EQ(log, (EventLog{"mutex MOLOKAU_101", "mkdir C:\\VeltoData",
                           "mkdir C:\\VeltoData\\quarnelvelto", "share", "volume C:\\VeltoData",
                           "grant C:\\VeltoData", "announce C:\\VeltoData"}));
  ASSERT_EQ(shares.shares.size(), 1u);
  EXPECT_EQ(shares.shares[0].shi502_netname, "VeltoData");
  EXPECT_EQ(shares.shares[0].shi502_remark, "Quarnel財務 共有フォルダ:VeltoData");
  EXPECT_EQ(shares.shares[0].shi502_security_descriptor.size(), 48u);
  EXPECT_EQ(report.told, (std::vector<AnsiString>{"共有フォルダを設定しました。"}));
}

TEST_F(QuietShareTest, RefusedInputMakesNothing) {
  struct Case {
    AnsiString path, name;
    bool yes;
    int code;
    AnsiString told;
  } cases[] = {
      {"", "Data", false, kExitRefused, "管理する場所を参照してください。\r"},
      {"foo", "Data", false, kExitRefused, share_text::kUnsuitableLocation},
      {"\\\\server\\x", "Data", false, kExitRefused, share_text::kUnsuitableLocation},
      {"C:\\Data", "  ", false, kExitRefused, "共有名を入力してください。\r"},
      {"C:\\Data", "M?ller", false, kExitRefused, "共有名に使用できない文字が含まれています。\r"},
      {"C:\\Data", AnsiString(81, 'N'), false, kExitRefused,
       "共有名が長すぎます。\r全角40文字、半角80文字以内で入力してください。\r"},
      {"C:\\", "Data", false, kExitRefused,
       "選択した場所には、ドライブ全体またはシステムのフォルダが含まれています。\r"
       "この場所を共有するには /yes を指定してください。\r"},
      {"C:\\Users\\bob", "Data", false, kExitRefused,
       "選択した場所には、ドライブ全体またはシステムのフォルダが含まれています。\r"
       "この場所を共有するには /yes を指定してください。\r"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.bytes());
    log.clear();
    report.told.clear();
    EXPECT_EQ(Run(c.path, c.name, c.yes), c.code);
    EXPECT_EQ(report.told, (std::vector<AnsiString>{c.told}));
    EXPECT_TRUE(log.empty()) << "not even the single-instance guard";
    EXPECT_TRUE(shares.shares.empty());
  }
}

TEST_F(QuietShareTest, YesSharesADriveRoot) {
  EXPECT_EQ(Run("D:\\", "Data", true), kExitDone);
  ASSERT_EQ(shares.shares.size(), 1u);
  EXPECT_EQ(shares.shares[0].shi502_path, "D:\\");
}

TEST_F(QuietShareTest, AnotherCopyRunning) {
  host.mutex = MutexCreation::AlreadyExists;
  EXPECT_EQ(Run("C:\\Data", "Data"), kExitAlreadyRunning);
  EXPECT_EQ(report.told, (std::vector<AnsiString>{"アプリケーションは既に起動しています。"}));
  EXPECT_TRUE(shares.shares.empty());
}

TEST_F(QuietShareTest, NotAnAdministratorOnVersionFive) {
  probes.majorVersion = 5;
  probes.groupRids = {545};
  EXPECT_EQ(Run("C:\\Data", "Data"), kExitNotAllowed);
  EXPECT_EQ(
      report.told,
      (std::vector<AnsiString>{"このプログラムは、管理者権限を持つユーザーで実行して下さい。\r"}));
  EXPECT_FALSE(shares.HasDirectory("C:\\Data"));
  probes.groupRids = {544};
  EXPECT_EQ(Run("C:\\Data", "Data"), kExitDone);
}

TEST_F(QuietShareTest, OutcomesAndTheirCodes) {
  struct Case {
    std::uint32_t shareResult, badParameter;
    int code;
    AnsiString told;
  } cases[] = {
      {2118, 0, kExitNameInUse, "指定した共有名は、既に使われています。\r"},
      {5, 0, kExitNotAllowed, "管理者権限を持つユーザーで実行して下さい。\r"},
      {2116, 0, kExitFolder, share_text::kUnsuitableLocation},
      {87, 0, kExitShareFailed, "parameter\r\n(code=87)"},
      {87, 502, kExitShareFailed, "parameter\r\n(code=87, parm_err=502)"},
  };
  shares.messageTexts = {{87, "parameter\r\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shareResult);
    report.told.clear();
    shares.shareResults = {c.shareResult};
    shares.shareBadParameter = c.badParameter;
    EXPECT_EQ(Run("C:\\Data", "Data"), c.code);
    EXPECT_EQ(report.told, (std::vector<AnsiString>{c.told}));
  }
}

TEST_F(QuietShareTest, GrantFailureAfterTheShare) {
  folders.writeError = 5;
  EXPECT_EQ(Run("C:\\Data", "Data"), kExitGrantFailed);
  EXPECT_EQ(report.told,
            (std::vector<AnsiString>{"フォルダへのEveryone権限の付与に失敗しました。"}));
  EXPECT_EQ(shares.shares.size(), 1u) << "the share stays";
}

// The user is told the grant's one message; the log also keeps the system's code and text, which
// is what support needs to tell a locked folder from a full disk.
TEST_F(QuietShareTest, GrantFailureLogsTheSystemsCodeAndText) {
  shares.messageTexts = {{5, "アクセスが拒否されました。\r\n"}, {1392, ""}};
  struct Case {
    std::uint32_t code;
    std::vector<AnsiString> logged;
  } cases[] = {
      {5, {"アクセスが拒否されました。(code=5)"}},
      {1392, {"(code=1392)"}},  // a code the system has no text for
      {0, {}},                  // nothing the system said: a folder without a list
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    report.told.clear();
    report.logged.clear();
    shares.shares.clear();
    folders.writeError = c.code;
    folders.noList = c.code == 0;
    EXPECT_EQ(Run("C:\\Data", "Data"), kExitGrantFailed);
    EXPECT_EQ(report.told,
              (std::vector<AnsiString>{"フォルダへのEveryone権限の付与に失敗しました。"}));
    EXPECT_EQ(report.logged, c.logged);
  }
}

TEST_F(QuietShareTest, FolderThatCannotBeMade) {
  shares.AddDirectory("C:\\Data");
  shares.files = {test::FakeSharePlatform::Key("C:\\Data\\quarnelvelto")};
  EXPECT_EQ(Run("C:\\Data", "Data"), kExitFolder);
  ASSERT_EQ(report.told.size(), 1u);
  EXPECT_EQ(report.told[0], "フォルダを作成できませんでした。\rC:\\Data\\quarnelvelto\r(code=183)");
  EXPECT_TRUE(shares.shares.empty());
}

TEST_F(QuietShareTest, VolumeWithoutPermissions) {
  shares.fatVolume = true;
  EXPECT_EQ(Run("C:\\Data", "Data"), kExitDone);
  EXPECT_EQ(report.told, (std::vector<AnsiString>{share_text::kNoPermissionsOnVolume,
                                                  "共有フォルダを設定しました。"}));
}

// A run cut short after its share was made finds the name taken on the next run: a share of the
// same folder is taken over and the job finished; anything else stays the name's refusal.
TEST_F(QuietShareTest, ARerunTakesOverAShareOfTheSameFolder) {
  const std::vector<std::uint8_t> full = ShareDescriptorEveryoneFullControl();
  std::vector<std::uint8_t> readOnly = full;
  readOnly[32] = 0xA9;  // the entry's mask: 0x001F01FF becomes 0x001200A9
  readOnly[33] = 0x00;
  readOnly[34] = 0x12;
  using Fake = test::FakeSharePlatform;
  // Its '?' stands for a character the conversion lost, so it names some other folder.
  ShareDetails unrepresentable = Fake::Reading(0, "C:\\Data", full);
  unrepresentable.pathRepresentable = false;
  const AnsiString done = "共有フォルダは設定済みです。";
  const AnsiString taken = share_text::kDuplicateShare;
  const EventLog finished = {"grant C:\\Data", "announce C:\\Data"};
  struct Case {
    const char* what;
    ShareDetails existing;
    std::uint32_t permissionsResult;
    bool grantFails;
    int code;
    AnsiString told;
    bool permissionsGiven, granted;
  } cases[] = {
      {"same folder, Everyone full already", Fake::Reading(0, "C:\\Data", full), 0, false,
       kExitDone, done, false, true},
      {"same folder, no permissions of its own", Fake::Reading(0, "C:\\Data", {}), 0, false,
       kExitDone, done, true, true},
      {"same folder, Everyone read only", Fake::Reading(0, "C:\\Data", readOnly), 0, false,
       kExitDone, done, true, true},
      {"same folder, permissions unreadable", Fake::Reading(0, "C:\\Data", {1, 2, 3}, true), 0,
       false, kExitDone, done, true, true},
      {"same folder, malformed permissions", Fake::Reading(0, "C:\\Data", {1, 0, 4, 0x80, 9}), 0,
       false, kExitDone, done, true, true},
      {"same folder spelled otherwise", Fake::Reading(0, "c:\\DATA\\", full), 0, false, kExitDone,
       done, false, true},
      {"same folder by its short name", Fake::Reading(0, "C:\\DATA~1", full), 0, false, kExitDone,
       done, false, true},
      {"another folder", Fake::Reading(0, "C:\\Other", full), 0, false, kExitNameInUse, taken,
       false, false},
      {"a link to this folder", Fake::Reading(0, "C:\\Link", full), 0, false, kExitNameInUse, taken,
       false, false},
      {"a folder that is gone", Fake::Reading(0, "C:\\Gone", full), 0, false, kExitNameInUse, taken,
       false, false},
      {"the share cannot be read", Fake::Reading(5), 0, false, kExitNameInUse, taken, false, false},
      {"a path code page 932 cannot hold", unrepresentable, 0, false, kExitNameInUse, taken, false,
       false},
      {"its permissions cannot be written", Fake::Reading(0, "C:\\Data", readOnly), 5, false,
       kExitNotAllowed, share_text::kAccessDenied, true, false},
      {"the grant fails again", Fake::Reading(0, "C:\\Data", full), 0, true, kExitGrantFailed,
       "フォルダへのEveryone権限の付与に失敗しました。", false, true},
  };
  shares.AddDirectory("C:\\Other");
  shares.AddDirectory("C:\\Link");
  shares.links[test::FakeSharePlatform::Key("C:\\Link")] = "C:\\Data";
  shares.longNames[test::FakeSharePlatform::Key("C:\\DATA~1")] = "C:\\Data";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    log.clear();
    report.told.clear();
    shares.shareResults = {kNerrDuplicateShare};
    shares.existingShare = c.existing;
    shares.permissionsResult = c.permissionsResult;
    shares.permissionsGiven.clear();
    folders.writeError = c.grantFails ? 5 : 0;
    EXPECT_EQ(Run("C:\\Data", "Data"), c.code);
    EXPECT_EQ(report.told, (std::vector<AnsiString>{c.told}));
    EXPECT_EQ(std::count(log.begin(), log.end(), "read share Data"), 1);
    if (c.permissionsGiven) {
      EXPECT_EQ(shares.permissionsGiven, (std::vector<std::vector<std::uint8_t>>{full}));
    } else {
      EXPECT_TRUE(shares.permissionsGiven.empty());
    }
    const bool endsFinished = c.granted && !c.grantFails;
    EXPECT_EQ(EventLog(log.end() - std::min(log.size(), finished.size()), log.end()) == finished,
              endsFinished);
    EXPECT_EQ(std::count(log.begin(), log.end(), "grant C:\\Data"), c.granted ? 1 : 0);
  }
}

TEST(MessageLinesTest, Table) {
  struct Case {
    AnsiString text;
    std::vector<AnsiString> lines;
  } cases[] = {
      {"one", {"one"}},
      {"one\r", {"one"}},
      {"one\rtwo", {"one", "two"}},
      {"one\r\ntwo\r\n", {"one", "two"}},
      {"one\n\ntwo", {"one", "", "two"}},
      {"a\r\rb\r", {"a", "", "b"}},
      {"", {""}},
      {"表\r", {"表"}},
  };
  for (const Case& c : cases) EXPECT_EQ(MessageLines(c.text), c.lines) << c.text.bytes();
}

}  // namespace
}  // namespace qv
