#include "app/log_header.h"

#include <gtest/gtest.h>

#include "app/command_line.h"

namespace qv {
namespace {

TEST(LogHeaderTest, TheLineTellsWhatSupportAsksFirst) {
  struct Case {
    RunFacts facts;
    AnsiString line;
  } cases[] = {
      {{"1.0.1.0",
        {"/quiet", "/path", "C:\\Velto Data", "/name", "会計"},
        "admin",
        "PC1",
        true,
        540},
       "qvsetshare 1.0.1.0 引数: /quiet /path \"C:\\Velto Data\" /name 会計 ユーザー: admin "
       "コンピュータ: PC1 管理者として実行: はい UTC+09:00"},
      {{"1.0.1.0", {"/check", "/name", "x"}, "鈴木", "経理-PC", false, -210},
       "qvsetshare 1.0.1.0 引数: /check /name x ユーザー: 鈴木 コンピュータ: 経理-PC "
       "管理者として実行: いいえ UTC-03:30"},
      {{"1.0.1.0", {"/check", "/name", ""}, "u", "c", std::nullopt, 0},
       "qvsetshare 1.0.1.0 引数: /check /name \"\" ユーザー: u コンピュータ: c "
       "管理者として実行: 不明 UTC+00:00"},
      {{"1.0.1.0", {}, "u", "c", true, 345},
       "qvsetshare 1.0.1.0 引数:  ユーザー: u コンピュータ: c 管理者として実行: はい UTC+05:45"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LogHeaderLine(c.facts), c.line);
  }
}

// Each argument is written so that the system's splitter gives it back unchanged: a support
// person can paste the line to repeat the run.
TEST(LogHeaderTest, ArgumentsAreQuotedAsTheSystemSplitsThem) {
  struct Case {
    AnsiString given, written;
  } cases[] = {
      {"C:\\Data", "C:\\Data"},
      {"", "\"\""},
      {"C:\\Velto Data\\", "\"C:\\Velto Data\\\\\""},
      {"a\"b", "\"a\\\"b\""},
      {"a\\\"b", "\"a\\\\\\\"b\""},
      {"a\\\\b c", "\"a\\\\b c\""},  // backslashes before no quote stay as they are
      {"表 示", "\"表 示\""},
      {"表\"", "\"表\\\"\""},  // 表 ends in 0x5C, which is no backslash
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.given.c_str());
    EXPECT_EQ(QuotedArgument(c.given), c.written);
  }
}

}  // namespace
}  // namespace qv
