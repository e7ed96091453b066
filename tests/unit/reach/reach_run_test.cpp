#include "reach/reach_run.h"

#include <gtest/gtest.h>

#include "app/command_line.h"
#include "reach/reach_fakes.h"

namespace qv {
namespace {

class Lines : public IRunReport {
 public:
  void Tell(const AnsiString& text) override { lines.push_back(text.bytes()); }
  std::vector<std::string> lines;
};

void PrivateRulesOff(FakeReachPlatform& p) {
  p.rulesOn[NetworkKind::Private] = Answer<bool>::Of(false);
}
void ServerStopped(FakeReachPlatform& p) {
  p.service = Answer<ServiceStatus>::Of({ServiceRun::Stopped, ServiceStart::Disabled});
}

TEST(ReachRunTest, TheCheckFailsForAClearBlockAndKeepsItsOwnFailure) {
  const struct {
    int checkExit;
    void (*arrange)(FakeReachPlatform&);
    int exit;
  } cases[] = {
      {kExitDone, [](FakeReachPlatform&) {}, kExitDone},
      {kExitDone, ServerStopped, kExitCheckFailed},
      {kExitDone, PrivateRulesOff, kExitCheckFailed},
      {kExitCheckFailed, [](FakeReachPlatform&) {}, kExitCheckFailed},
      // A service running but set to start by hand is told, not failed.
      {kExitDone,
       [](FakeReachPlatform& p) {
         p.service = Answer<ServiceStatus>::Of({ServiceRun::Running, ServiceStart::Manual});
       },
       kExitDone},
  };
  for (const auto& c : cases) {
    FakeReachPlatform platform;
    FakeShareFiles files;
    c.arrange(platform);
    Lines report;
    report.Tell("判定: 問題ありません。");
    EXPECT_EQ(TellReachAfterCheck(c.checkExit, "VeltoData", platform, files, report), c.exit);
    // The check's own lines come first; the report follows and ends with its verdict.
    EXPECT_EQ(report.lines.front(), AnsiString("判定: 問題ありません。").bytes());
    EXPECT_EQ(report.lines.back().rfind(AnsiString("判定 (他のパソコンから): ").bytes(), 0), 0u);
    EXPECT_TRUE(platform.enabled.empty()) << "the check changes nothing";
  }
  FakeReachPlatform platform;
  FakeShareFiles files;
  files.createCode = 5;
  Lines report;
  EXPECT_EQ(TellReachAfterCheck(kExitDone, "VeltoData", platform, files, report), kExitCheckFailed);
}

TEST(ReachRunTest, QuietOpensTheFirewallOnlyWithYes) {
  for (bool yes : {false, true}) {
    FakeReachPlatform platform;
    FakeShareFiles files;
    platform.profiles = Answer<std::uint32_t>::Of(2 | 4);
    PrivateRulesOff(platform);
    Lines report;
    TellReachAfterQuietShare("VeltoData", yes, platform, files, report);
    EXPECT_EQ(platform.enabled,
              yes ? std::vector<NetworkKind>{NetworkKind::Private} : std::vector<NetworkKind>{});
    const std::string opened =
        AnsiString("ファイアウォール (プライベート): ファイルとプリンターの共有を許可しました")
            .bytes();
    EXPECT_EQ(report.lines.back() == opened, yes);
    EXPECT_NE(std::find_if(report.lines.begin(), report.lines.end(),
                           [](const std::string& l) {
                             return l.rfind(AnsiString("問題: ").bytes(), 0) == 0;
                           }),
              report.lines.end());
  }
}

TEST(ReachRunTest, TheDialogAsksOnlyWhenThereIsSomethingToSayAndOpensOnlyOnOk) {
  const struct {
    const char* what;
    void (*arrange)(FakeReachPlatform&);
    bool answer;
    bool asked, question, opened;
  } cases[] = {
      {"nothing found", [](FakeReachPlatform&) {}, true, false, false, false},
      {"server stopped: information", ServerStopped, true, true, false, false},
      {"private closed, OK", PrivateRulesOff, true, true, true, true},
      {"private closed, Cancel", PrivateRulesOff, false, true, true, false},
      {"public closed: information, never opened",
       [](FakeReachPlatform& p) { p.profiles = Answer<std::uint32_t>::Of(4); }, true, true, false,
       false},
  };
  for (const auto& c : cases) {
    FakeReachPlatform platform;
    FakeShareFiles files;
    c.arrange(platform);
    bool asked = false, question = false;
    const std::vector<AnsiString> lines =
        OfferReachAfterShare("VeltoData", platform, files, [&](const ReachNotice& n) {
          asked = true;
          question = n.offersFirewall;
          return c.answer;
        });
    EXPECT_EQ(asked, c.asked) << c.what;
    EXPECT_EQ(question, c.question) << c.what;
    EXPECT_EQ(!platform.enabled.empty(), c.opened) << c.what;
    EXPECT_EQ(lines.size(), c.opened ? 1u : 0u) << c.what;
  }
}

}  // namespace
}  // namespace qv
