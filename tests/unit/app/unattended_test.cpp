#include <gtest/gtest.h>

#include "app/unattended.h"
#include "dialog/dialog_fakes.h"
#include "framework/errors.h"
#include "security/folder_grant.h"
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
