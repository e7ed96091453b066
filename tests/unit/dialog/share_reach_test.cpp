// The reachability box after the dialog's share: gathered in the share's work, shown on the
// dialog's thread after the share's own boxes and before the final question, a question only
// where the firewall of a trusted network can be opened.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>

#include "dialog_fakes.h"

namespace qv {
namespace {

using test::DialogRig;
using test::EventLog;
using test::kCreateQuestion;
using test::kDoneQuestion;

const char kFatVolume[] =
    "このドライブの形式ではフォルダのアクセス許可を設定できません。\r"
    "フォルダのアクセス許可は変更せずに、共有の設定を続けます。\r";
const char kReachOpening[] = "他のパソコンからこの共有フォルダを使えない原因があります。\r";
const char kLoopbackFile[] = "\\\\localhost\\VeltoData\\qvsetshare-test.tmp";

bool IsReachBox(const test::ShownMessage& m) { return m.text.view().starts_with(kReachOpening); }

void ServerStopped(FakeReachPlatform& p) {
  p.service = Answer<ServiceStatus>::Of({ServiceRun::Stopped, ServiceStart::Disabled});
}
void RulesOff(FakeReachPlatform& p, NetworkKind kind) { p.rulesOn[kind] = Answer<bool>::Of(false); }

// A dialog as start-up leaves it on a computer with drive C:, the rest of it as arranged.
std::unique_ptr<DialogRig> Fresh(const std::function<void(DialogRig&)>& arrange = {}) {
  auto rig = std::make_unique<DialogRig>();
  rig->shares.AddDirectory("C:\\");
  rig->Create();
  if (arrange) arrange(*rig);
  return rig;
}

class ShareReachTest : public testing::Test {
 protected:
  void SetUp() override {
    rig.shares.AddDirectory("C:\\");
    rig.Create();
  }
  // The texts of the boxes shown, the creation question left out.
  std::vector<AnsiString> Shown() const {
    std::vector<AnsiString> texts;
    for (const test::ShownMessage& m : rig.boxes.shown) {
      if (m.text != kCreateQuestion) texts.push_back(m.text);
    }
    return texts;
  }
  DialogRig rig;
};

TEST_F(ShareReachTest, AClearBlockIsToldInOneInformationBoxBeforeTheFinalQuestion) {
  const struct {
    const char* what;
    void (*arrange)(DialogRig&);
  } cases[] = {
      {"server stopped", [](DialogRig& r) { ServerStopped(r.reach); }},
      {"loopback save refused", [](DialogRig& r) { r.shareFiles.createCode = 5; }},
      {"public network closed",
       [](DialogRig& r) { r.reach.profiles = Answer<std::uint32_t>::Of(4); }},
  };
  for (const auto& c : cases) {
    const auto fresh = Fresh(c.arrange);
    DialogRig& rig = *fresh;
    rig.form.OnShareClick();
    ASSERT_EQ(rig.boxes.shown.size(), 3u) << c.what;
    EXPECT_EQ(rig.boxes.shown[0].text, kCreateQuestion) << c.what;
    const test::ShownMessage& reach = rig.boxes.shown[1];
    EXPECT_TRUE(IsReachBox(reach)) << c.what << ": " << reach.text.bytes();
    EXPECT_EQ(reach.type, MessageKind::Information) << c.what;
    EXPECT_EQ(reach.buttons, unsigned{MessageButton::Ok}) << c.what;
    // Each problem on a line of its own, with what to do.
    EXPECT_NE(reach.text.view().find("\r・"), std::string_view::npos) << c.what;
    EXPECT_EQ(rig.boxes.shown[2].text, kDoneQuestion) << c.what;
    EXPECT_TRUE(rig.reach.enabled.empty()) << c.what << ": nothing offered, nothing opened";
    EXPECT_EQ(rig.view.closeCount, 1) << c.what << ": the final question still decides";
  }
}

TEST_F(ShareReachTest, TheBoxComesAfterTheVolumeBox) {
  rig.shares.fatVolume = true;
  ServerStopped(rig.reach);
  rig.form.OnShareClick();
  const std::vector<AnsiString> shown = Shown();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0], kFatVolume);
  EXPECT_TRUE(shown[1].view().starts_with(kReachOpening));
  EXPECT_EQ(shown[2], kDoneQuestion);
}

TEST_F(ShareReachTest, NothingClearFoundShowsNoBox) {
  const struct {
    const char* what;
    void (*arrange)(DialogRig&);
  } cases[] = {
      {"reachable", [](DialogRig&) {}},
      // Told by /check, but no reason that others cannot get in now.
      {"service set to start by hand",
       [](DialogRig& r) {
         r.reach.service = Answer<ServiceStatus>::Of({ServiceRun::Running, ServiceStart::Manual});
       }},
      {"every source unreadable",
       [](DialogRig& r) {
         r.reach.service = Answer<ServiceStatus>::Unknown("x");
         r.reach.profiles = Answer<std::uint32_t>::Unknown("x");
         r.reach.networks = Answer<std::vector<ConnectedNetwork>>::Unknown("x");
         r.reach.guestDisabled = Answer<bool>::Unknown("x");
       }},
  };
  for (const auto& c : cases) {
    const auto fresh = Fresh(c.arrange);
    DialogRig& rig = *fresh;
    rig.form.OnShareClick();
    ASSERT_EQ(rig.boxes.shown.size(), 2u) << c.what;
    EXPECT_EQ(rig.boxes.shown[1].text, kDoneQuestion) << c.what;
    // The report was made all the same: the save went through the share.
    EXPECT_EQ(rig.shareFiles.created, std::vector<AnsiString>{kLoopbackFile}) << c.what;
  }
}

TEST_F(ShareReachTest, AClosedTrustedNetworkIsOfferedAndOpenedOnlyOnOk) {
  const struct {
    const char* what;
    std::uint32_t profiles;
    std::vector<NetworkKind> closed;
    int answer;
    std::vector<NetworkKind> opened;
  } cases[] = {
      {"private, OK", 2, {NetworkKind::Private}, MessageResult::Ok, {NetworkKind::Private}},
      {"private, Cancel", 2, {NetworkKind::Private}, MessageResult::Cancel, {}},
      {"domain, OK", 1, {NetworkKind::Domain}, MessageResult::Ok, {NetworkKind::Domain}},
      // The public network is closed too, and stays so.
      {"private and public, OK",
       2 | 4,
       {NetworkKind::Private, NetworkKind::Public},
       MessageResult::Ok,
       {NetworkKind::Private}},
      {"domain and private, OK",
       1 | 2,
       {NetworkKind::Domain, NetworkKind::Private},
       MessageResult::Ok,
       {NetworkKind::Domain, NetworkKind::Private}},
  };
  for (const auto& c : cases) {
    const auto fresh = Fresh();
    DialogRig& rig = *fresh;
    rig.reach.profiles = Answer<std::uint32_t>::Of(c.profiles);
    for (NetworkKind k : c.closed) RulesOff(rig.reach, k);
    rig.boxes.answers = {MessageResult::Ok, c.answer, MessageResult::Ok, MessageResult::Ok};
    rig.form.OnShareClick();

    EXPECT_EQ(rig.reach.enabled, c.opened) << c.what;
    ASSERT_GE(rig.boxes.shown.size(), 3u) << c.what;
    const test::ShownMessage& offer = rig.boxes.shown[1];
    EXPECT_TRUE(IsReachBox(offer)) << c.what;
    EXPECT_EQ(offer.type, MessageKind::Confirmation) << c.what;
    EXPECT_EQ(offer.buttons, unsigned{MessageButton::Ok | MessageButton::Cancel}) << c.what;
    EXPECT_NE(offer.text.view().find("パブリック ネットワークは変更しません"),
              std::string_view::npos)
        << c.what;
    if (c.opened.empty()) {
      ASSERT_EQ(rig.boxes.shown.size(), 3u) << c.what;
    } else {
      // What was opened is told before the final question.
      ASSERT_EQ(rig.boxes.shown.size(), 4u) << c.what;
      const test::ShownMessage& told = rig.boxes.shown[2];
      EXPECT_EQ(told.type, MessageKind::Information) << c.what;
      EXPECT_EQ(told.text.view().find("パブリック"), std::string_view::npos) << c.what;
      EXPECT_NE(told.text.view().find("ファイルとプリンターの共有を許可しました"),
                std::string_view::npos)
          << c.what;
    }
    EXPECT_EQ(rig.boxes.shown.back().text, kDoneQuestion) << c.what;
  }
}

TEST_F(ShareReachTest, AFailedOpeningIsToldWithItsReason) {
  RulesOff(rig.reach, NetworkKind::Private);
  rig.reach.enableFailure = "アクセスが拒否されました。(code=0x80070005)";
  rig.form.OnShareClick();
  ASSERT_EQ(rig.boxes.shown.size(), 4u);
  EXPECT_EQ(rig.boxes.shown[2].text,
            "ファイアウォール (プライベート): ファイルとプリンターの共有を許可できませんでした "
            "(アクセスが拒否されました。(code=0x80070005))");
  EXPECT_EQ(rig.boxes.shown[3].text, kDoneQuestion);
}

TEST_F(ShareReachTest, TheReportIsGatheredInTheWorkAndShownWhenItHasEnded) {
  ServerStopped(rig.reach);
  rig.view.holdWork = true;
  rig.form.OnShareClick();
  ASSERT_TRUE(rig.view.pendingWork);
  rig.view.pendingWork();
  EXPECT_EQ(rig.shareFiles.created, std::vector<AnsiString>{kLoopbackFile});
  EXPECT_EQ(rig.boxes.shown.size(), 1u) << "a box was shown from the work";
  EXPECT_TRUE(rig.view.busy);
  auto done = std::move(rig.view.pendingDone);
  rig.view.pendingDone = nullptr;
  done(nullptr);
  ASSERT_EQ(rig.boxes.shown.size(), 3u);
  EXPECT_TRUE(IsReachBox(rig.boxes.shown[1]));
}

TEST_F(ShareReachTest, NoReportWhereNothingWasShared) {
  const struct {
    const char* what;
    void (*arrange)(DialogRig&);
  } cases[] = {
      {"name taken", [](DialogRig& r) { r.shares.shareResults = {2118}; }},
      {"grant failed", [](DialogRig& r) { r.folders.writeError = 5; }},
  };
  for (const auto& c : cases) {
    const auto fresh = Fresh();
    DialogRig& rig = *fresh;
    ServerStopped(rig.reach);
    c.arrange(rig);
    try {
      rig.form.OnShareClick();
    } catch (const Exception&) {
      // The grant's error leaves the handler, as the dialog shows any other.
    }
    EXPECT_TRUE(rig.shareFiles.created.empty()) << c.what;
    for (const test::ShownMessage& m : rig.boxes.shown) {
      EXPECT_FALSE(IsReachBox(m)) << c.what;
      EXPECT_NE(m.text, kDoneQuestion) << c.what;
    }
  }
}

// Files whose every call fails by raising, as a failed allocation would.
class RaisingShareFiles : public FakeShareFiles {
 public:
  std::uint32_t Create(const AnsiString&) override { throw std::runtime_error("no memory"); }
};

TEST(ShareReachRaisingTest, AReportThatCannotBeHadLeavesTheShareAndItsQuestion) {
  EventLog log;
  test::FakeView view{log};
  test::FakeMessageBoxes boxes{log};
  test::FakeProbePlatform probes;
  test::FakeSharePlatform shares{log};
  test::FakeFolderBrowser browser{log};
  test::FakeGrantFolders folders;
  ShareSetup job{shares, folders};
  FakeReachPlatform reach;
  ServerStopped(reach);
  RaisingShareFiles files;
  test::LoopedDialog form{view, boxes, probes, browser, job, reach, files};
  shares.AddDirectory("C:\\");
  form.OnCreate();
  form.OnShareClick();
  EXPECT_TRUE(view.shownErrors.empty());
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[1].text, kDoneQuestion);
}

}  // namespace
}  // namespace qv
