#include "reach/reach_report.h"

#include <gtest/gtest.h>

#include <functional>

#include "reach/reach_fakes.h"

namespace qv {
namespace {

using Kinds = std::vector<NetworkKind>;

bool HasLine(const std::vector<AnsiString>& lines, const AnsiString& line) {
  for (const AnsiString& l : lines) {
    if (l.view() == line.view()) return true;
  }
  return false;
}

bool AnyContains(const std::vector<AnsiString>& lines, const AnsiString& part) {
  for (const AnsiString& l : lines) {
    if (l.find(part) != AnsiString::npos) return true;
  }
  return false;
}

struct ReachCase {
  const char* what;
  std::function<void(FakeReachPlatform&, FakeShareFiles&)> arrange;
  bool blocked;
  Kinds offered;
  std::vector<AnsiString> lines;     // each must be one of the report's lines, whole
  std::vector<AnsiString> problems;  // each must be part of one of the problems
};

const ReachCase kCases[] = {
    {"all in order",
     [](auto&, auto&) {},
     false,
     {},
     {"サーバー サービス: 実行中 (スタートアップの種類: 自動)",
      "ファイアウォール (プライベート): ファイルとプリンターの共有を許可しています",
      "ネットワーク「Office」: プライベート",
      "他のパソコンから開くアドレス: \\\\KEIRI-PC\\VeltoData",
      "他のパソコンから開くアドレス: \\\\192.168.1.20\\VeltoData",
      "他のパソコンからは、このパソコンのユーザー名とパスワードで接続します。",
      "判定 (他のパソコンから): 接続を妨げる原因は見つかりませんでした。"},
     {}},
    {"server stopped",
     [](auto& p, auto&) {
       p.service = Answer<ServiceStatus>::Of({ServiceRun::Stopped, ServiceStart::Disabled});
     },
     true,
     {},
     {"サーバー サービス: 停止 (スタートアップの種類: 無効)",
      "判定 (他のパソコンから): 接続できない原因があります。"},
     {"サーバー サービスが動いていません。"}},
    {"server paused",
     [](auto& p, auto&) {
       p.service = Answer<ServiceStatus>::Of({ServiceRun::Paused, ServiceStart::Automatic});
     },
     true,
     {},
     {},
     {"サーバー サービスが動いていません。"}},
    {"server starting",
     [](auto& p, auto&) {
       p.service = Answer<ServiceStatus>::Of({ServiceRun::Starting, ServiceStart::Automatic});
     },
     false,
     {},
     {"サーバー サービス: 開始中 (スタートアップの種類: 自動)"},
     {}},
    {"server running but disabled: a problem, not a block",
     [](auto& p, auto&) {
       p.service = Answer<ServiceStatus>::Of({ServiceRun::Running, ServiceStart::Disabled});
     },
     false,
     {},
     {},
     {"スタートアップの種類が「無効」です。"}},
    {"private rules off: offered",
     [](auto& p, auto&) { p.rulesOn[NetworkKind::Private] = Answer<bool>::Of(false); },
     true,
     {NetworkKind::Private},
     {"ファイアウォール (プライベート): ファイルとプリンターの共有を遮っています"},
     {"ファイアウォールがプライベート ネットワークで"}},
    {"domain rules off: offered",
     [](auto& p, auto&) {
       p.profiles = Answer<std::uint32_t>::Of(1);
       p.rulesOn[NetworkKind::Domain] = Answer<bool>::Of(false);
     },
     true,
     {NetworkKind::Domain},
     {},
     {"ファイアウォールがドメイン ネットワークで"}},
    {"public rules off: never offered",
     [](auto& p, auto&) {
       p.profiles = Answer<std::uint32_t>::Of(4);
       p.networks = Answer<std::vector<ConnectedNetwork>>::Of({{"Cafe", NetworkKind::Public}});
     },
     true,
     {},
     {"ファイアウォール (パブリック): ファイルとプリンターの共有を遮っています",
      "ネットワーク「Cafe」: パブリック"},
     {"ネットワーク「Cafe」の種類がパブリックです。設定でプライベートに変更してください。",
      "ネットワークの種類をプライベートに変更してください。"}},
    {"private open, public closed: not blocked, nothing offered",
     [](auto& p, auto&) { p.profiles = Answer<std::uint32_t>::Of(2 | 4); },
     false,
     {},
     {},
     {"パブリック ネットワークで"}},
    {"private and public closed: blocked, only private offered",
     [](auto& p, auto&) {
       p.profiles = Answer<std::uint32_t>::Of(2 | 4);
       p.rulesOn[NetworkKind::Private] = Answer<bool>::Of(false);
     },
     true,
     {NetworkKind::Private},
     {},
     {}},
    {"firewall off for the profile: rules do not matter",
     [](auto& p, auto&) {
       p.profiles = Answer<std::uint32_t>::Of(4);
       p.firewallOn[NetworkKind::Public] = Answer<bool>::Of(false);
     },
     false,
     {},
     {"ファイアウォール (パブリック): 無効 (共有を遮りません)"},
     {}},
    {"rules off, firewall state unknown: not counted as a block",
     [](auto& p, auto&) {
       p.rulesOn[NetworkKind::Private] = Answer<bool>::Of(false);
       p.firewallOn[NetworkKind::Private] = Answer<bool>::Unknown("E_FAIL");
     },
     false,
     {},
     {"ファイアウォール (プライベート): ファイルとプリンターの共有を許可していません (ファイアウ"
      "ォールの有効・無効は確認できません (E_FAIL))"},
     {}},
    {"no profile in use",
     [](auto& p, auto&) { p.profiles = Answer<std::uint32_t>::Of(0); },
     false,
     {},
     {"ファイアウォール: 使用中のプロファイルがありません"},
     {}},
    {"service unreadable",
     [](auto& p, auto&) {
       p.service = Answer<ServiceStatus>::Unknown("サービスがありません(code=1060)");
     },
     false,
     {},
     {"サーバー サービス: 確認できません (サービスがありません(code=1060))"},
     {}},
    {"profiles unreadable",
     [](auto& p, auto&) { p.profiles = Answer<std::uint32_t>::Unknown("no firewall"); },
     false,
     {},
     {"ファイアウォール: 確認できません (no firewall)"},
     {}},
    {"rules unreadable",
     [](auto& p, auto&) { p.rulesOn[NetworkKind::Private] = Answer<bool>::Unknown("x"); },
     false,
     {},
     {"ファイアウォール (プライベート): ファイルとプリンターの共有: 確認できません (x)"},
     {}},
    {"networks unreadable",
     [](auto& p, auto&) { p.networks = Answer<std::vector<ConnectedNetwork>>::Unknown("y"); },
     false,
     {},
     {"ネットワーク: 確認できません (y)"},
     {}},
    {"unnamed networks of one kind: one problem",
     [](auto& p, auto&) {
       p.networks = Answer<std::vector<ConnectedNetwork>>::Of(
           {{"", NetworkKind::Public}, {"", NetworkKind::Public}});
     },
     false,
     {},
     {"名前のないネットワーク: パブリック"},
     {"名前のないネットワークの種類がパブリックです。設定でプライベートに変更してください。"}},
    {"no network",
     [](auto& p, auto&) { p.networks = Answer<std::vector<ConnectedNetwork>>::Of({}); },
     false,
     {},
     {"ネットワーク: 接続中のネットワークがありません"},
     {"ネットワークに接続していません。"}},
    {"name and addresses unreadable",
     [](auto& p, auto&) {
       p.computer = Answer<AnsiString>::Unknown("n");
       p.addresses = Answer<std::vector<AnsiString>>::Unknown("a");
     },
     false,
     {},
     {"パソコン名: 確認できません (n)", "IPv4 アドレス: 確認できません (a)"},
     {}},
    {"two adapters up",
     [](auto& p, auto&) {
       p.addresses = Answer<std::vector<AnsiString>>::Of({"10.0.0.5", "192.168.1.20"});
     },
     false,
     {},
     {"他のパソコンから開くアドレス: \\\\10.0.0.5\\VeltoData",
      "他のパソコンから開くアドレス: \\\\192.168.1.20\\VeltoData"},
     {}},
    {"no adapter up",
     [](auto& p, auto&) { p.addresses = Answer<std::vector<AnsiString>>::Of({}); },
     false,
     {},
     {"IPv4 アドレス: 動作中のネットワーク アダプターにありません"},
     {}},
    {"guest enabled",
     [](auto& p, auto&) { p.guestDisabled = Answer<bool>::Of(false); },
     false,
     {},
     {"Guest アカウントが有効ですが、今の Windows は Guest での接続を拒否します。他のパソコン"
      "からは、このパソコンのユーザー名とパスワードで接続してください。"},
     {}},
    {"guest unreadable",
     [](auto& p, auto&) { p.guestDisabled = Answer<bool>::Unknown("z"); },
     false,
     {},
     {"Guest アカウント: 確認できません (z)"},
     {}},
    {"loopback save denied",
     [](auto&, auto& f) { f.createCode = 5; },
     true,
     {},
     {"このパソコン自身からの保存 (\\\\localhost\\VeltoData): できませんでした (作成: アクセス"
      "が拒否されました。(code=5))"},
     {"共有フォルダまたはフォルダに書き込みが許可されていません。"}},
    {"loopback read differs",
     [](auto&, auto& f) { f.corruptRead = true; },
     true,
     {},
     {"このパソコン自身からの保存 (\\\\localhost\\VeltoData): できませんでした (読み戻し: 書"
      "いた内容と違う内容が読み戻されました)"},
     {}},
    {"loopback file cannot be removed",
     [](auto&, auto& f) { f.removeCode = 5; },
     true,
     {},
     {},
     {"確認用のファイル \\\\localhost\\VeltoData\\qvsetshare-test.tmp を削除できませんでした。"}},
};

class ReachReportTest : public testing::TestWithParam<ReachCase> {};

TEST_P(ReachReportTest, FindsTheBlockAndTellsEachSource) {
  const ReachCase& c = GetParam();
  FakeReachPlatform platform;
  FakeShareFiles files;
  c.arrange(platform, files);

  const ReachReport report = CheckReach("VeltoData", platform, files);

  EXPECT_EQ(report.blocked, c.blocked);
  EXPECT_EQ(report.closedTrustedProfiles, c.offered);
  for (const AnsiString& l : c.lines) EXPECT_TRUE(HasLine(report.lines, l)) << l.bytes();
  for (const AnsiString& p : c.problems) EXPECT_TRUE(AnyContains(report.problems, p)) << p.bytes();
  if (!c.blocked && c.problems.empty()) {
    EXPECT_TRUE(report.problems.empty());
  }
  // Every source has its say, whatever the others answer; the verdict is last.
  EXPECT_EQ(report.lines.back().bytes(),
            AnsiString(c.blocked ? "判定 (他のパソコンから): 接続できない原因があります。"
                                 : "判定 (他のパソコンから): 接続を妨げる原因は見つかりませんで"
                                   "した。")
                .bytes());
  EXPECT_TRUE(files.onShare.size() == (files.removeCode ? 1u : 0u));
  const ReachNotice notice = NoticeFor(report);
  EXPECT_EQ(notice.show, c.blocked || !c.offered.empty());
  EXPECT_EQ(notice.offersFirewall, !c.offered.empty());
  for (const AnsiString& p : report.problems) {
    if (notice.show) {
      EXPECT_NE(notice.text.find(p), AnsiString::npos) << p.bytes();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sources, ReachReportTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(ReachReportTest, TheFirewallIsOpenedOnlyForTrustedProfiles) {
  FakeReachPlatform platform;
  FakeShareFiles files;
  platform.profiles = Answer<std::uint32_t>::Of(1 | 2 | 4);
  platform.rulesOn[NetworkKind::Domain] = Answer<bool>::Of(false);
  platform.rulesOn[NetworkKind::Private] = Answer<bool>::Of(false);
  ReachReport report = CheckReach("VeltoData", platform, files);
  ASSERT_EQ(report.closedTrustedProfiles, (Kinds{NetworkKind::Domain, NetworkKind::Private}));
  const ReachNotice notice = NoticeFor(report);
  EXPECT_NE(notice.text.find("(ドメイン、プライベート ネットワークのみ。"), AnsiString::npos);

  platform.enableFailure = "拒否(code=5)";
  const std::vector<AnsiString> lines = OpenFirewallForSharing(report, platform);
  EXPECT_EQ(platform.enabled, (Kinds{NetworkKind::Domain, NetworkKind::Private}));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].bytes(),
            AnsiString("ファイアウォール (プライベート): ファイルとプリンターの共有を許可できま"
                       "せんでした (拒否(code=5))")
                .bytes());

  // Even a report that somehow lists the public profile never opens it.
  report.closedTrustedProfiles.push_back(NetworkKind::Public);
  platform.enabled.clear();
  platform.enableFailure = "";
  OpenFirewallForSharing(report, platform);
  EXPECT_EQ(platform.enabled, (Kinds{NetworkKind::Domain, NetworkKind::Private}));
}

TEST(ReachReportTest, OneProblemForManyNetworksOfOneKind) {
  FakeReachPlatform platform;
  FakeShareFiles files;
  platform.networks = Answer<std::vector<ConnectedNetwork>>::Of(
      {{"", NetworkKind::Public}, {"", NetworkKind::Public}, {"Cafe", NetworkKind::Public}});
  const ReachReport report = CheckReach("VeltoData", platform, files);
  EXPECT_EQ(report.problems.size(), 2u);
}

TEST(ReachReportTest, NoBoxWhenNothingBlocksAndNothingIsOffered) {
  FakeReachPlatform platform;
  FakeShareFiles files;
  platform.service = Answer<ServiceStatus>::Of({ServiceRun::Running, ServiceStart::Manual});
  const ReachNotice notice = NoticeFor(CheckReach("VeltoData", platform, files));
  EXPECT_FALSE(notice.show);
  EXPECT_TRUE(notice.text.empty());
}

}  // namespace
}  // namespace qv
