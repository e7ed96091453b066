#include <gtest/gtest.h>

#include "framework/errors.h"
#include "share/exit_codes.h"
#include "share/share_fakes.h"
#include "share/share_setup.h"
#include "share/share_texts.h"

namespace qv {
namespace {

using test::EventLog;

class MakeFoldersTest : public testing::Test {
 protected:
  void SetUp() override {
    shares.AddDirectory("C:\\");
    shares.AddDirectory("D:\\");
  }
  EventLog log;
  test::FakeSharePlatform shares{log};
  test::FakeGrantFolders folders;
  ShareSetup setup{shares, folders};
};

TEST_F(MakeFoldersTest, CreatesMissingParentsInOrder) {
  const AnsiString hyou = "表";  // 95 5C: its second byte is a backslash
  struct Case {
    AnsiString path;
    bool result;
    EventLog made;
  } cases[] = {
      {"C:\\", true, {}},
      {"C:\\a\\b\\c", true, {"mkdir C:\\a", "mkdir C:\\a\\b", "mkdir C:\\a\\b\\c"}},
      {"C:\\a\\b\\c", true, {}},
      {"C:\\a\\x\\", true, {"mkdir C:\\a\\x"}},
      {"D:\\\\quarnelvelto", true, {"mkdir D:\\\\quarnelvelto"}},
      {"C:\\" + hyou + "\\x", true, {"mkdir C:\\" + hyou, "mkdir C:\\" + hyou + "\\x"}},
      {"Q:\\", false, {}},
      {"Q:", false, {}},
      {"Q:\\data\\sub", false, {"mkdir Q:\\data"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.bytes());
    log.clear();
    EXPECT_EQ(setup.EnsureFolder(c.path), c.result);
    EXPECT_EQ(log, c.made);
  }
}

TEST_F(MakeFoldersTest, FirstFailureStopsTheChain) {
  shares.failingDirectories = {test::FakeSharePlatform::Key("C:\\a\\b")};
  EXPECT_FALSE(setup.EnsureFolder("C:\\a\\b\\c"));
  EXPECT_EQ(log, (EventLog{"mkdir C:\\a", "mkdir C:\\a\\b"}));
  EXPECT_TRUE(shares.HasDirectory("C:\\a"));
}

// One telling for the dialog and for /quiet: each way a share attempt ends has its text, its box,
// where the focus goes and its exit code in one place.
TEST(TellTest, EveryEndHasItsTextBoxFocusAndCode) {
  const auto refused = [](ShareRefusal r) { return ShareOutcome::Refused(r); };
  ShareOutcome folder;
  folder.failedFolder = "C:\\Data";
  folder.folderError = 5;
  folder.systemText = "アクセスが拒否されました。\r\n";
  ShareOutcome unnamedFolder = folder;
  unnamedFolder.systemText = "";
  ShareOutcome other;
  other.shareResult = 87;
  other.shareBadParameter = 4;
  other.systemText = "パラメーターが間違っています。\r\n";
  ShareOutcome taken;
  taken.shareResult = 2118;
  ShareOutcome denied;
  denied.shareResult = 5;
  ShareOutcome unknownDevice;
  unknownDevice.shareResult = 2116;
  ShareOutcome grantFailed;
  grantFailed.shareMade = true;
  grantFailed.error = std::make_exception_ptr(Exception("付与に失敗"));
  grantFailed.errorDetail = "アクセスが拒否されました。(code=5)";
  ShareOutcome failedEarly;
  failedEarly.error = std::make_exception_ptr(std::runtime_error("no library"));
  ShareOutcome shared;
  ShareOutcome sharedOnFat;
  sharedOnFat.grantSkipped = true;

  using F = ShareFocus;
  const MessageKind info = MessageKind::Information;
  struct Case {
    const char* what;
    ShareOutcome outcome;
    AnsiString text;
    MessageKind box;
    ShareFocus focus;
    int exitCode;
  } cases[] = {
      {"empty path", refused(ShareRefusal::EmptyPath), share_text::kEmptyPath, info,
       F::BrowseButton, kExitRefused},
      {"unsuitable", refused(ShareRefusal::UnsuitablePath), share_text::kUnsuitableLocation, info,
       F::BrowseButton, kExitRefused},
      {"drive", refused(ShareRefusal::DriveCannotServe), share_text::kUnsuitableLocation, info,
       F::BrowseButton, kExitFolder},
      {"system", refused(ShareRefusal::SystemLocation), share_text::kSystemLocationRefused, info,
       F::BrowseButton, kExitRefused},
      {"empty name", refused(ShareRefusal::EmptyName), share_text::kEmptyName, info, F::ShareName,
       kExitRefused},
      {"unusable", refused(ShareRefusal::UnusableName), share_text::kUnusableName, info,
       F::ShareName, kExitRefused},
      {"too long", refused(ShareRefusal::NameTooLong), share_text::kNameTooLong, info, F::ShareName,
       kExitRefused},
      {"not elevated", refused(ShareRefusal::NotElevated), share_text::kAccessDenied, info,
       F::Unchanged, kExitNotAllowed},
      {"link", ShareOutcome::LinkedTo("C:\\Windows"),
       AnsiString(share_text::kLinkElsewhere) + "C:\\Windows", MessageKind::Warning,
       F::BrowseButton, kExitRefused},
      {"folder", folder, "フォルダを作成できませんでした。\rC:\\Data\rアクセスが拒否されました。",
       info, F::Unchanged, kExitFolder},
      {"folder, no text", unnamedFolder, "フォルダを作成できませんでした。\rC:\\Data\r(code=5)",
       info, F::Unchanged, kExitFolder},
      {"other", other, "パラメーターが間違っています。\r\n(code=87, parm_err=4)", info,
       F::Unchanged, kExitShareFailed},
      {"taken", taken, share_text::kDuplicateShare, info, F::Unchanged, kExitNameInUse},
      {"denied", denied, share_text::kAccessDenied, info, F::Unchanged, kExitNotAllowed},
      {"unknown device", unknownDevice, share_text::kUnsuitableLocation, info, F::Unchanged,
       kExitFolder},
      {"grant", grantFailed, "付与に失敗", info, F::Unchanged, kExitGrantFailed},
      {"early", failedEarly, "no library", info, F::Unchanged, kExitShareFailed},
      {"shared", shared, share_text::kShared, MessageKind::Confirmation, F::Unchanged, kExitDone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ShareTelling telling = Tell(c.outcome);
    EXPECT_EQ(telling.text, c.text);
    EXPECT_EQ(telling.box, c.box);
    EXPECT_EQ(telling.focus, c.focus);
    EXPECT_EQ(telling.exitCode, c.exitCode);
    EXPECT_EQ(telling.raised, c.outcome.error != nullptr);
    EXPECT_EQ(telling.shared, c.exitCode == kExitDone);
    EXPECT_TRUE(telling.notices.empty());
  }
  EXPECT_EQ(Tell(grantFailed).logLines, std::vector<AnsiString>{grantFailed.errorDetail});
  EXPECT_EQ(Tell(sharedOnFat).notices, std::vector<AnsiString>{share_text::kNoPermissionsOnVolume});
}

}  // namespace
}  // namespace qv
