// The folder the tool changes is the folder the administrator chose: every spelling of a path is
// decided on what the system resolves it to, links are refused before anything is made and again
// on the handle the grant goes through, and nothing is made without an elevated token.
#include <gtest/gtest.h>

#include "app/unattended.h"
#include "dialog_fakes.h"
#include "framework/errors.h"
#include "share/share_texts.h"

namespace qv {
namespace {

using test::DialogRig;
using test::EventLog;
using test::FakeSharePlatform;

const AnsiString kSystemRefused =
    "選択した場所には、ドライブ全体またはシステムのフォルダが含まれています。\r"
    "この場所を共有するには /yes を指定してください。\r";
const AnsiString kLinkText =
    "選択したフォルダは別の場所へのリンクです。\rリンク先のフォルダを直接選択してください。\r";
const AnsiString kUnsuitable =
    "管理する場所が適正ではありません。\r管理する場所には、このコンピュータ内の場所を指定して下さ"
    "い。";
const AnsiString kNotElevated = "管理者権限を持つユーザーで実行して下さい。\r";

class NoWindowHost : public ISingleInstance {
 public:
  MutexCreation CreateSingleInstanceMutex(const AnsiString&) override {
    return MutexCreation::Created;
  }
};

class Told : public IRunReport {
 public:
  void Tell(const AnsiString& text) override { lines.push_back(text); }
  std::vector<AnsiString> lines;
};

// A PC with a system drive, an ordinary data folder, a volume mounted in a folder, short names,
// and the links another user could have planted.
void Furnish(FakeSharePlatform& shares) {
  for (const char* d :
       {"C:\\", "D:\\", "C:\\VeltoData", "C:\\Data", "C:\\Data\\Sub", "C:\\Mnt", "C:\\Windows",
        "C:\\Windows\\System32", "C:\\Users", "C:\\Users\\admin", "C:\\Program Files"}) {
    shares.AddDirectory(AnsiString(d));
  }
  shares.mounts = {FakeSharePlatform::Key("C:\\Mnt")};
  shares.links = {{FakeSharePlatform::Key("C:\\VeltoLink"), "C:\\Windows"},
                  {FakeSharePlatform::Key("C:\\Hop"), "C:\\Data"},
                  {FakeSharePlatform::Key("C:\\Up"), "C:\\Windows"}};
  shares.longNames = {{FakeSharePlatform::Key("C:\\PROGRA~1"), "C:\\Program Files"},
                      {FakeSharePlatform::Key("C:\\VELTOD~1"), "C:\\VeltoData"}};
}

class ChosenFolderQuietTest : public testing::Test {
 protected:
  void SetUp() override {
    Furnish(shares);
    folders.atGrant = [this] { holdsAtGrant.push_back(shares.liveHolds); };
  }
  int Run(const AnsiString& path) {
    return RunQuietShare({path, "Data", false}, host, probes, setup, told);
  }

  EventLog log;
  FakeSharePlatform shares{log};
  test::FakeProbePlatform probes;
  std::vector<int> holdsAtGrant;
  test::FakeGrantFolders folders;
  const std::vector<AnsiString>& granted = folders.granted;
  ShareSetup setup{shares, folders};
  NoWindowHost host;
  Told told;
};

TEST_F(ChosenFolderQuietTest, EveryFormOfAPathIsDecidedOnWhatTheSystemResolves) {
  enum Result { Shared, SystemQuestion, Link, Unsuitable };
  struct Case {
    const char* typed;
    bool wineLinks;
    Result result;
    const char* resolved;  // shared path, or the link's target
  } cases[] = {
      {"C:\\VeltoData", false, Shared, "C:\\VeltoData"},
      {"C:\\VeltoData\\.\\", false, Shared, "C:\\VeltoData"},
      {"C:\\VeltoData. . ", false, Shared, "C:\\VeltoData"},
      {"C:/VeltoData", false, Shared, "C:\\VeltoData"},
      {"C:\\Fresh\\..\\VeltoData", false, Shared, "C:\\VeltoData"},
      {"C:\\VELTOD~1", false, Shared, "C:\\VeltoData"},
      {"C:\\VELTOD~1\\New", false, Shared, "C:\\VeltoData\\New"},
      {"C:\\Mnt", false, Shared, "C:\\Mnt"},  // a mounted volume is no link
      {"C:\\X\\..\\windows", false, SystemQuestion, ""},
      {"C:\\Windows.", false, SystemQuestion, ""},
      {"C:/Windows/System32", false, SystemQuestion, ""},
      {"C:\\PROGRA~1", false, SystemQuestion, ""},
      {"C:\\PROGRA~1\\Velto", false, SystemQuestion, ""},
      {"C:\\..\\..", false, SystemQuestion, ""},
      {"C:\\VeltoLink", false, Link, "C:\\Windows"},
      {"C:\\VeltoLink", true, Link, "C:\\Windows"},
      {"C:\\VeltoLink\\", true, Link, "C:\\Windows"},
      {"c:\\veltolink\\.", false, Link, "C:\\Windows"},
      {"C:\\Hop", false, Link, "C:\\Data"},  // a link to an ordinary folder is refused as well
      {"C:\\Hop\\Sub", false, Link, "C:\\Data\\Sub"},
      {"C:\\Hop\\Sub", true, Link, "C:\\Data\\Sub"},
      {"C:\\Up\\Fresh", false, Link, "C:\\Windows\\Fresh"},  // a link above the chosen folder
      {"C:\\Up\\Fresh\\More", true, Link, "C:\\Windows\\Fresh\\More"},
      {"\\\\?\\C:\\VeltoData", false, Unsuitable, ""},
      {"\\\\.\\C:\\VeltoData", false, Unsuitable, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    SCOPED_TRACE(c.wineLinks ? "Wine's links" : "Windows' links");
    shares.wineLinks = c.wineLinks;
    log.clear();
    told.lines.clear();
    shares.shares.clear();
    folders.granted.clear();
    const std::set<AnsiString> before = shares.directories;
    const int code = Run(AnsiString(c.typed));
    switch (c.result) {
      case Shared:
        EXPECT_EQ(code, kExitDone);
        ASSERT_EQ(shares.shares.size(), 1u);
        EXPECT_EQ(shares.shares[0].shi502_path, AnsiString(c.resolved));
        EXPECT_EQ(granted, std::vector<AnsiString>{AnsiString(c.resolved)});
        EXPECT_TRUE(shares.HasDirectory(AnsiString(c.resolved) + "\\quarnelvelto"));
        break;
      case SystemQuestion:
        EXPECT_EQ(code, kExitRefused);
        EXPECT_EQ(told.lines, std::vector<AnsiString>{kSystemRefused});
        break;
      case Link:
        EXPECT_EQ(code, kExitRefused);
        EXPECT_EQ(told.lines, std::vector<AnsiString>{kLinkText + AnsiString(c.resolved)});
        break;
      case Unsuitable:
        EXPECT_EQ(code, kExitRefused);
        EXPECT_EQ(told.lines, std::vector<AnsiString>{kUnsuitable});
        break;
    }
    if (c.result != Shared) {
      EXPECT_EQ(shares.directories, before) << "nothing made";
      EXPECT_TRUE(shares.shares.empty());
      EXPECT_TRUE(granted.empty());
    }
  }
}

TEST_F(ChosenFolderQuietTest, APathTheSystemCannotResolveIsRefused) {
  shares.fullPathFails = true;
  EXPECT_EQ(Run("C:\\VeltoData"), kExitRefused);
  EXPECT_EQ(told.lines, std::vector<AnsiString>{kUnsuitable});
  EXPECT_TRUE(shares.shares.empty());
}

TEST_F(ChosenFolderQuietTest, TheFolderIsHeldFromItsCheckToTheGrant) {
  EXPECT_EQ(Run("C:\\VeltoData"), kExitDone);
  EXPECT_EQ(shares.holdsAtShare, std::vector<int>{1});
  EXPECT_EQ(holdsAtGrant, std::vector<int>{1});
  EXPECT_EQ(shares.liveHolds, 0) << "let go when the job ends";
  ASSERT_FALSE(shares.opened.empty());
  EXPECT_EQ(shares.opened.back().opening, FolderOpening::Keep);
}

TEST_F(ChosenFolderQuietTest, ALinkPlantedAfterTheChecksStopsTheJobBeforeTheShare) {
  // Between the checks and the job, another user swaps a junction in.
  ShareRequest request{"C:\\Planted", "Data"};
  shares.links[FakeSharePlatform::Key("C:\\Planted")] = "C:\\Windows";
  ShareOutcome outcome = setup.Run(request, 1);
  EXPECT_EQ(outcome.linkTarget, "C:\\Windows");
  EXPECT_TRUE(shares.shares.empty());
  EXPECT_TRUE(granted.empty());
  EXPECT_FALSE(shares.HasDirectory("C:\\Windows\\quarnelvelto"));
}

TEST_F(ChosenFolderQuietTest, AFolderThatCannotBeHeldIsNotShared) {
  shares.openErrors[FakeSharePlatform::Key("C:\\VeltoData")] = 5;
  shares.messageTexts = {{5, "アクセスが拒否されました。\r\n"}};
  EXPECT_EQ(Run("C:\\VeltoData"), kExitFolder);
  EXPECT_EQ(told.lines, std::vector<AnsiString>{"フォルダを作成できませんでした。\rC:\\VeltoData\r"
                                                "アクセスが拒否されました。"});
  EXPECT_TRUE(shares.shares.empty());
}

TEST_F(ChosenFolderQuietTest, NothingIsMadeWithoutAnElevatedAdministratorsToken) {
  struct Case {
    TokenRights token;
    bool runs;
  } cases[] = {
      {{.administrator = true, .elevationKnown = true, .elevated = true}, true},
      {{.administrator = true, .elevationKnown = false, .elevated = false}, true},
      {{.administrator = true, .elevationKnown = true, .elevated = false}, false},
      {{.administrator = false, .elevationKnown = true, .elevated = true}, false},
      {{.administrator = false, .elevationKnown = false, .elevated = false}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.token.administrator << c.token.elevationKnown << c.token.elevated);
    shares.token = c.token;
    shares.shares.clear();
    told.lines.clear();
    shares.directories.erase(FakeSharePlatform::Key("C:\\Fresh"));
    const int code = Run("C:\\Fresh");
    EXPECT_EQ(shares.HasDirectory("C:\\Fresh"), c.runs);
    EXPECT_EQ(shares.shares.size(), c.runs ? 1u : 0u);
    if (!c.runs) {
      EXPECT_EQ(code, kExitNotAllowed);
      EXPECT_EQ(told.lines, std::vector<AnsiString>{kNotElevated});
    }
  }
}

TEST_F(ChosenFolderQuietTest, AFolderThatWasNotMadeIsNeverShared) {
  shares.files = {FakeSharePlatform::Key("C:\\Report.txt")};
  shares.failingDirectories = {FakeSharePlatform::Key("C:\\Locked")};
  shares.makeErrors = {{FakeSharePlatform::Key("C:\\Very long"), 206}};
  shares.messageTexts = {{3, "path\r\n"},
                         {5, "denied\r\n"},
                         {183, "exists\r\n"},
                         {206, "too long\r\n"},
                         {267, "not a folder\r\n"}};
  struct Case {
    const char* path;
    const char* failed;
    const char* cause;
  } cases[] = {
      {"C:\\Report.txt", "C:\\Report.txt", "exists"},      // a file at the chosen path
      {"Q:\\Nowhere", "Q:\\Nowhere", "path"},              // a drive that does not exist
      {"C:\\Locked\\Data", "C:\\Locked\\Data", "denied"},  // a parent that refuses
      {"C:\\Very long", "C:\\Very long", "too long"},      // a name the file system refuses
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    told.lines.clear();
    EXPECT_EQ(Run(AnsiString(c.path)), kExitFolder);
    EXPECT_EQ(told.lines,
              std::vector<AnsiString>{"フォルダを作成できませんでした。\r" + AnsiString(c.failed) +
                                      "\r" + AnsiString(c.cause)});
    EXPECT_TRUE(shares.shares.empty());
    EXPECT_TRUE(granted.empty());
  }
}

TEST_F(ChosenFolderQuietTest, DrivesTheShareCannotServeAreRefusedBeforeAnythingIsMade) {
  shares.AddDirectory("U:\\");
  shares.drives = {{"N", {4, "\\Device\\LanmanRedirector\\;N:0\\server\\data"}},
                   {"S", {3, "\\??\\C:\\Data"}},
                   {"E", {5, "\\Device\\CdRom0"}},
                   {"R", {6, "\\Device\\Ramdisk"}},
                   {"K", {0, ""}},
                   {"U", {2, "\\Device\\HarddiskVolume5"}}};
  struct Case {
    const char* path;
    bool served;
  } cases[] = {
      {"N:\\Data", false},      // a network drive
      {"S:\\Data", false},      // a subst drive
      {"E:\\Data", false},      // a CD
      {"R:\\Data", false},      // a RAM disk
      {"K:\\Data", false},      // a type the system does not know
      {"U:\\Data", true},       // a removable disk
      {"C:\\VeltoData", true},  // a fixed disk
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    told.lines.clear();
    shares.shares.clear();
    const std::set<AnsiString> before = shares.directories;
    const int code = Run(AnsiString(c.path));
    if (c.served) {
      EXPECT_EQ(code, kExitDone);
      EXPECT_EQ(shares.shares.size(), 1u);
    } else {
      EXPECT_EQ(code, kExitFolder);
      EXPECT_EQ(told.lines, std::vector<AnsiString>{kUnsuitable});
      EXPECT_EQ(shares.directories, before) << "nothing made";
      EXPECT_TRUE(shares.shares.empty());
    }
  }
}

class ChosenFolderDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    Furnish(rig.shares);
    rig.Create();
  }
  DialogRig rig;
};

TEST_F(ChosenFolderDialogTest, ALinkIsRefusedWithAWarningBeforeAnyQuestion) {
  for (bool wine : {false, true}) {
    SCOPED_TRACE(wine ? "Wine's links" : "Windows' links");
    rig.shares.wineLinks = wine;
    rig.log.clear();
    rig.boxes.shown.clear();
    rig.view.sharePath = "C:\\VeltoLink";
    rig.form.OnShareClick();
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].text, kLinkText + "C:\\Windows");
    EXPECT_EQ(rig.boxes.shown[0].type, MessageKind::Warning);
    EXPECT_EQ(rig.boxes.shown[0].buttons, unsigned{MessageButton::Ok});
    EXPECT_EQ(rig.log, (EventLog{"message", "focus btnSansyo"})) << "nothing made";
    EXPECT_TRUE(rig.folders.granted.empty());
  }
}

TEST_F(ChosenFolderDialogTest, ASpellingOfASystemFolderAsksAndTheCanonicalPathIsShared) {
  rig.view.sharePath = "C:\\X\\..\\windows";
  rig.boxes.answers = {MessageResult::Ok, MessageResult::Cancel};
  rig.form.OnShareClick();
  ASSERT_FALSE(rig.boxes.shown.empty());
  EXPECT_EQ(rig.boxes.shown[0].text, share_text::kSystemLocationQuestion);
  ASSERT_EQ(rig.shares.shares.size(), 1u);
  EXPECT_EQ(rig.shares.shares[0].shi502_path, "C:\\windows");
  EXPECT_EQ(rig.form.Fields().SharePath, "C:\\windows");
}

TEST_F(ChosenFolderDialogTest, ALinkFoundByTheJobIsToldAsALink) {
  rig.view.sharePath = "C:\\Planted";
  rig.view.holdWork = true;
  rig.boxes.answers = {MessageResult::Ok};  // create it
  rig.form.OnShareClick();
  rig.shares.links[FakeSharePlatform::Key("C:\\Planted")] = "C:\\Data";
  rig.view.FinishWork();
  ASSERT_EQ(rig.boxes.shown.size(), 2u);
  EXPECT_EQ(rig.boxes.shown[1].text, kLinkText + "C:\\Data");
  EXPECT_EQ(rig.boxes.shown[1].type, MessageKind::Warning);
  EXPECT_TRUE(rig.shares.shares.empty());
  EXPECT_EQ(rig.log.back(), "focus btnSansyo");
}

TEST_F(ChosenFolderDialogTest, WithoutElevationTheClickMakesNothing) {
  rig.shares.token.elevated = false;
  rig.view.sharePath = "C:\\Fresh";
  rig.boxes.answers = {MessageResult::Ok};
  rig.form.OnShareClick();
  ASSERT_EQ(rig.boxes.shown.size(), 2u);  // the creation question, then the refusal
  EXPECT_EQ(rig.boxes.shown[1].text, kNotElevated);
  EXPECT_EQ(rig.boxes.shown[1].type, MessageKind::Information);
  EXPECT_FALSE(rig.shares.HasDirectory("C:\\Fresh"));
  EXPECT_TRUE(rig.shares.shares.empty());
  EXPECT_FALSE(rig.view.busy);
}

TEST_F(ChosenFolderDialogTest, ANetworkDriveIsRefusedWithTheUnsuitableLocationText) {
  rig.shares.drives = {{"N", {4, ""}}};
  rig.view.sharePath = "N:\\Data";
  rig.form.OnShareClick();
  ASSERT_EQ(rig.boxes.shown.size(), 1u);
  EXPECT_EQ(rig.boxes.shown[0].text, kUnsuitable);
  EXPECT_EQ(rig.boxes.shown[0].type, MessageKind::Information);
  EXPECT_EQ(rig.log, (EventLog{"message", "focus btnSansyo"})) << "nothing made";
}

}  // namespace
}  // namespace qv
