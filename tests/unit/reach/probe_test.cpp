#include "reach/probe.h"

#include <gtest/gtest.h>

#include "app/command_line.h"
#include "reach/reach_fakes.h"

namespace qv {
namespace {

class Lines : public IRunReport {
 public:
  void Tell(const AnsiString& text) override { lines.push_back(text.bytes()); }
  bool Has(const AnsiString& text) const {
    return std::find(lines.begin(), lines.end(), text.bytes()) != lines.end();
  }
  std::vector<std::string> lines;
};

struct ProbeCase {
  const char* what;
  std::uint32_t createCode, writeCode, readCode, removeCode;
  bool corrupt;
  int exit;
  const char* verdict;
  const char* cause;  // "" when the code has no cause of its own
};

class ProbeTest : public testing::TestWithParam<ProbeCase> {};

TEST_P(ProbeTest, NamesTheCauseChoosesTheExitAndCleansUp) {
  const ProbeCase& c = GetParam();
  FakeShareFiles files;
  files.WillAnswer(c.createCode, c.writeCode, c.readCode, c.removeCode, c.corrupt);
  Lines report;

  EXPECT_EQ(RunProbe("\\\\KEIRI-PC\\VeltoData", files, report), c.exit);

  EXPECT_EQ(report.lines.front(), AnsiString("接続先: \\\\KEIRI-PC\\VeltoData").bytes());
  EXPECT_TRUE(report.Has(AnsiString(c.verdict))) << c.what;
  EXPECT_EQ(report.lines.back(), AnsiString(c.verdict).bytes());
  EXPECT_EQ(report.Has("原因: " + AnsiString(c.cause)), *c.cause != 0) << c.what;
  // Nothing stays on the share unless the removal itself failed, and then the user is told.
  EXPECT_EQ(files.onShare.empty(), c.removeCode == 0);
  EXPECT_EQ(report.Has("確認用のファイルを削除できませんでした。手で削除してください: "
                       "\\\\KEIRI-PC\\VeltoData\\qvsetshare-test.tmp"),
            c.removeCode != 0 && c.createCode == 0);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ProbeTest,
    testing::Values(
        ProbeCase{"passes", 0, 0, 0, 0, false, 0, "判定: この共有フォルダに保存できます。", ""},
        ProbeCase{"no computer", 53, 0, 0, 0, false, 10, "判定: この共有フォルダに接続できません。",
                  "共有先のパソコンが見つかりません。"},
        ProbeCase{"unreachable network", 1231, 0, 0, 0, false, 10,
                  "判定: この共有フォルダに接続できません。", "共有先のパソコンが見つかりません。"},
        ProbeCase{"no share", 67, 0, 0, 0, false, 10, "判定: この共有フォルダに接続できません。",
                  "その共有名の共有フォルダがありません。"},
        ProbeCase{"path not found", 3, 0, 0, 0, false, 10,
                  "判定: この共有フォルダに接続できません。",
                  "その共有名の共有フォルダがありません。"},
        ProbeCase{"denied", 5, 0, 0, 0, false, 11, "判定: 接続できますが、保存できません。",
                  "共有フォルダまたはフォルダに書き込みが許可されていません。"},
        ProbeCase{"read-only medium on write", 0, 19, 0, 0, false, 11,
                  "判定: 接続できますが、保存できません。",
                  "共有フォルダまたはフォルダに書き込みが許可されていません。"},
        ProbeCase{"disk full", 0, 112, 0, 0, false, 11, "判定: 接続できますが、保存できません。",
                  "共有先のディスクに空きがありません。"},
        ProbeCase{"bad password", 1326, 0, 0, 0, false, 10,
                  "判定: この共有フォルダに接続できません。",
                  "アカウントまたはパスワードで接続できません。"},
        ProbeCase{"locked out", 1909, 0, 0, 0, false, 10,
                  "判定: この共有フォルダに接続できません。",
                  "アカウントまたはパスワードで接続できません。"},
        ProbeCase{"guest blocked", 1272, 0, 0, 0, false, 10,
                  "判定: この共有フォルダに接続できません。",
                  "このパソコンが Guest での接続を拒否しています。"},
        ProbeCase{"other code", 87, 0, 0, 0, false, 12, "判定: 確認できませんでした。", ""},
        ProbeCase{"read fails", 0, 0, 59, 0, false, 12, "判定: 確認できませんでした。", ""},
        ProbeCase{"read differs", 0, 0, 0, 0, true, 12, "判定: 確認できませんでした。", ""},
        ProbeCase{"remove denied", 0, 0, 0, 5, false, 11, "判定: 接続できますが、保存できません。",
                  "共有フォルダまたはフォルダに書き込みが許可されていません。"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(ProbeTest, EachStepShowsItsTimeAndTheTransfersTheirRate) {
  FakeShareFiles files;  // every step takes 0.25 s on the fake clock
  Lines report;
  ASSERT_EQ(RunProbe("\\\\KEIRI-PC\\VeltoData\\", files, report), 0);
  const std::vector<std::string> expected = {
      AnsiString("接続先: \\\\KEIRI-PC\\VeltoData").bytes(),
      AnsiString("確認用のファイル: \\\\KEIRI-PC\\VeltoData\\qvsetshare-test.tmp").bytes(),
      AnsiString("作成: 成功 (0.250 秒)").bytes(),
      AnsiString("書き込み (1 MB): 成功 (0.250 秒、4.0 MB/秒)").bytes(),
      AnsiString("読み戻しと比較 (1 MB): 成功 (0.250 秒、4.0 MB/秒)").bytes(),
      AnsiString("削除: 成功 (0.250 秒)").bytes(),
      AnsiString("判定: この共有フォルダに保存できます。").bytes(),
  };
  EXPECT_EQ(report.lines, expected);
  EXPECT_EQ(files.stored.size(), kProbeBytes);
}

TEST(ProbeTest, AFailedStepShowsTheSystemText) {
  FakeShareFiles files;
  files.writeCode = 5;
  Lines report;
  RunProbe("\\\\KEIRI-PC\\VeltoData", files, report);
  EXPECT_TRUE(report.Has("書き込み (1 MB): 失敗 (0.250 秒) アクセスが拒否されました。(code=5)"));
  EXPECT_TRUE(
      report.Has("対処: 共有先のパソコンで、共有とフォルダのアクセス許可に書き込みを含め"
                 "てください。"));
}

TEST(ProbeTest, OnlyAUncPathToAShareIsTried) {
  const struct {
    const char* argument;
    const char* folder;  // "" when refused
  } cases[] = {
      {"\\\\KEIRI-PC\\VeltoData", "\\\\KEIRI-PC\\VeltoData"},
      {"\\\\KEIRI-PC\\VeltoData\\", "\\\\KEIRI-PC\\VeltoData"},
      {"\\\\192.168.1.20\\VeltoData\\quarnelvelto", "\\\\192.168.1.20\\VeltoData\\quarnelvelto"},
      // ソ ends in the byte of a backslash; it is part of the name, not a separator.
      {"\\\\ソフト\\共有", "\\\\ソフト\\共有"},
      {"\\\\ソ", ""},
      {"\\\\KEIRI-PC", ""},
      {"\\\\KEIRI-PC\\", ""},
      {"\\\\KEIRI-PC\\\\VeltoData", ""},
      {"C:\\VeltoData", ""},
      {"\\VeltoData", ""},
      {"", ""},
      {"\\\\?\\C:\\VeltoData", ""},
      {"\\\\.\\pipe\\x", ""},
      {"\\\\KEIRI-PC\\Velto*", ""},
      {"\\\\KEIRI-PC\\Velto\nData", ""},
      {"//KEIRI-PC/VeltoData", ""},
      {"\\\\KEIRI-PC\\VeltoData\\..\\Other", ""},
      {"\\\\KEIRI-PC\\.\\VeltoData", ""},
  };
  for (const auto& c : cases) {
    const ProbeTarget t = ParseProbeTarget(AnsiString(c.argument));
    EXPECT_EQ(t.folder.bytes(), c.folder) << c.argument;
    EXPECT_EQ(t.error.empty(), *c.folder != 0) << c.argument;
  }
  FakeShareFiles files;
  Lines report;
  EXPECT_EQ(RunProbe("C:\\VeltoData", files, report), kExitUsage);
  EXPECT_TRUE(files.created.empty());
}

}  // namespace
}  // namespace qv
