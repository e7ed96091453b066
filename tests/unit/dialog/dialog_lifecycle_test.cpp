#include <type_traits>

#include <gtest/gtest.h>

#include "dialog_fakes.h"
#include "framework/errors.h"

namespace qv {
namespace {

using test::DialogRig;
using test::EventLog;

TEST(DialogCreateTest, SystemDriveRootAndDefaults) {
  struct Case {
    const char* systemDir;
    bool throws;
    AnsiString root, path;
  } cases[] = {
      {"C:\\WINDOWS\\system32", false, "C:\\", "C:\\VeltoData"},
      {"d:\\winnt\\system32", false, "D:\\", "D:\\VeltoData"},
      {"\\windows\\system32", false, "C:\\", "C:\\VeltoData"},
      {"", false, "C:\\", "C:\\VeltoData"},
      {"E:\\windows\\system32", true, "C:\\", "C:\\VeltoData"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.systemDir);
    DialogRig rig;
    rig.probes.systemDirectory = AnsiString(c.systemDir);
    rig.probes.systemDirectoryThrows = c.throws;
    rig.form.OnCreate();
    const ShareDialogFields& f = rig.form.Fields();
    EXPECT_EQ(f.SystemDriveRoot, c.root);
    EXPECT_EQ(f.SharePath, c.path);
    EXPECT_EQ(f.ShareName, "VeltoData");
    EXPECT_EQ(rig.view.sharePath, c.path);
    EXPECT_EQ(rig.view.shareName, "VeltoData");
  }
}

// The comparison is on the lower-cased name after the last backslash, and on the whole of it.
TEST(DialogCreateTest, EditionFromTheExecutablesName) {
  struct Case {
    const char* exe;
    int edition;
  } cases[] = {
      {"C:\\Tools\\qvsetshare.exe", 1},
      {"C:\\Tools\\QvSetShare.EXE", 1},
      {"qvsetshare.exe", 1},
      {"\\\\pc1\\配布\\QVSETSHARE.exe", 1},
      {"C:\\Tools\\qvsetshare2.exe", 0},
      {"C:\\Tools\\setshare.exe", 0},
      {"C:\\qvsetshare.exe\\other.exe", 0},
      {"C:\\Tools\\qvsetshare.exe.bak", 0},
      {"C:\\Tools\\ｑｖsetshare.exe", 0},
      {"", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.exe);
    DialogRig rig;
    rig.form.Fields().Edition = 7;
    rig.probes.executable = {AnsiString(c.exe), true};
    rig.form.OnCreate();
    EXPECT_EQ(rig.form.Fields().Edition, c.edition);
  }
}

// A name from the command line that the field cannot hold never leaves another name in its place.
TEST(DialogCreateTest, APrefilledNameIsKeptOnlyWhenTheFieldCanHoldIt) {
  const struct {
    AnsiString given, field;
  } cases[] = {
      {AnsiString("売上表"), AnsiString("売上表")},
      {AnsiString(80, 'a'), AnsiString(80, 'a')},
      {AnsiString(81, 'a'), AnsiString("")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.given.bytes());
    DialogRig rig;
    rig.form.OnCreate();
    rig.form.Prefill(std::nullopt, c.given);
    EXPECT_EQ(rig.view.shareName, c.field);
    EXPECT_EQ(rig.form.Fields().ShareName, c.field);
  }
}

TEST(DialogCreateTest, FontTextsAndColours) {
  DialogRig rig;
  rig.view.iconTitleFont = "Yu Gothic UI";
  rig.form.OnCreate();
  EXPECT_EQ(rig.view.fontName, "Yu Gothic UI");
  EXPECT_EQ(rig.view.top1,
            "このコンピュータで管理する財務会計データを、ネットワーク上の他のコンピュータから");
  EXPECT_EQ(rig.view.top2, "利用できるようにするための設定を行います。");
  EXPECT_EQ(rig.view.top3, "管理する場所を選択した後に[共有]ボタンを押してください。");
  EXPECT_EQ(rig.view.exampleColor, 0xFF0000u);  // blue in $00BBGGRR
  EXPECT_TRUE(rig.view.captionsCentred);
}

TEST(DialogCreateTest, FontFallbacks) {
  DialogRig rejected;
  rejected.view.iconTitleFont = "Broken Face";
  rejected.view.fontName = "designed";
  rejected.view.rejectedFonts = {"Broken Face"};
  rejected.form.OnCreate();
  EXPECT_EQ(rejected.view.fontName, "ＭＳ Ｐゴシック");

  DialogRig unreadable;
  unreadable.view.iconTitleFont = "";
  unreadable.view.fontName = "designed";
  unreadable.form.OnCreate();
  EXPECT_EQ(unreadable.view.fontName, "designed");
  EXPECT_TRUE(unreadable.view.fontNamesTried.empty());
}

const char kAdminMessage[] = "このプログラムは、管理者権限を持つユーザーで実行して下さい。\r";

TEST(ShowingChangedTest, VersionFiveNonMemberIsToldOnceAndTheDialogCloses) {
  DialogRig rig;
  rig.Create();
  rig.probes.majorVersion = 5;
  rig.probes.groupRids = {545};

  rig.view.visible = true;
  rig.form.ShowingChanged();
  ASSERT_EQ(rig.boxes.shown.size(), 1u);
  EXPECT_EQ(rig.boxes.shown[0].text, kAdminMessage);
  EXPECT_EQ(rig.boxes.shown[0].type, MessageKind::Information);
  EXPECT_EQ(rig.boxes.shown[0].buttons, unsigned{MessageButton::Ok});
  EXPECT_EQ(rig.view.closeCount, 1);
  EXPECT_EQ(rig.form.Fields().OsMajorVersion, 5);

  // The hiding at shutdown runs the handler again; the user is not asked a second time.
  rig.view.visible = false;
  rig.log.clear();
  rig.form.ShowingChanged();
  EXPECT_EQ(rig.boxes.shown.size(), 1u);
  EXPECT_EQ(rig.view.closeCount, 1);
  EXPECT_EQ(rig.probes.askedGroups.size(), 1u) << "the token is read only once";
  EXPECT_EQ(rig.log, (EventLog{"cursor"}));
}

TEST(ShowingChangedTest, MembersAndVersionSixSeeNothing) {
  struct Case {
    int version;
    std::vector<std::int32_t> groups;
    bool tokenRead;
  } cases[] = {
      {5, {544}, true},
      {4, {545, 544}, true},
      {6, {545}, false},
      {10, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    DialogRig rig;
    rig.Create();
    rig.probes.majorVersion = c.version;
    rig.probes.groupRids = c.groups;
    rig.form.ShowingChanged();
    EXPECT_TRUE(rig.boxes.shown.empty());
    EXPECT_EQ(rig.view.closeCount, 0);
    EXPECT_EQ(!rig.probes.askedGroups.empty(), c.tokenRead);
    EXPECT_EQ(rig.form.Fields().OsMajorVersion, c.version);
    EXPECT_EQ(rig.log, (EventLog{"repaint", "cursor"}));
  }
}

TEST(ShowingChangedTest, FailingMembershipTestLeavesTheHandler) {
  DialogRig rig;
  rig.Create();
  rig.probes.majorVersion = 5;
  rig.probes.groupError = 1314;
  EXPECT_THROW(rig.form.ShowingChanged(), OsError);
  EXPECT_TRUE(rig.boxes.shown.empty());
  EXPECT_EQ(rig.view.closeCount, 0);
}

TEST(DialogTest, CancelCloses) {
  DialogRig rig;
  rig.Create();
  rig.form.OnCancelClick();
  EXPECT_EQ(rig.log, (EventLog{"close"}));
  EXPECT_TRUE(rig.boxes.shown.empty());
}

// The grant reaches the dialog only as part of the share job, which holds the folders' security
// by reference: a dialog without it cannot be made.
static_assert(!std::is_constructible_v<ShareDialog, test::FakeView&, test::FakeMessageBoxes&,
                                       test::FakeProbePlatform&, test::FakeFolderBrowser&,
                                       std::nullptr_t, FakeReachPlatform&, FakeShareFiles&>);

}  // namespace
}  // namespace qv
