#include <gtest/gtest.h>

#include "app/command_line.h"

namespace qv {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLineTest, RunsAndTheirValues) {
  struct Case {
    Args args;
    RunMode mode;
    std::optional<std::string> path, name, log;
    bool yes;
  } cases[] = {
      {{}, RunMode::Dialog, {}, {}, {}, false},
      {{"/path", "C:\\Data Files", "/name", "Data"},
       RunMode::Dialog,
       "C:\\Data Files",
       "Data",
       {},
       false},
      {{"-NAME", "Data"}, RunMode::Dialog, {}, "Data", {}, false},
      {{"/Quiet", "/path", "D:\\x", "/name", "x", "/LOG", "C:\\log.txt", "/yes"},
       RunMode::Quiet,
       "D:\\x",
       "x",
       "C:\\log.txt",
       true},
      {{"-quiet", "-path", "D:\\x"}, RunMode::Quiet, "D:\\x", {}, {}, false},
      {{"/check", "/name", "Data", "/log", "l"}, RunMode::Check, {}, "Data", "l", false},
      // A value is the next argument, whatever it looks like, unless it is one of our options.
      {{"/name", "-x", "/path", "/pathx"}, RunMode::Dialog, "/pathx", "-x", {}, false},
      {{"/path", ""}, RunMode::Dialog, "", {}, {}, false},
      {{"/?"}, RunMode::Usage, {}, {}, {}, false},
      {{"/HELP"}, RunMode::Usage, {}, {}, {}, false},
      {{"-h"}, RunMode::Usage, {}, {}, {}, false},
      {{"/quiet", "/name", "x", "-Help"}, RunMode::Usage, {}, "x", {}, false},
      {{"/quiet", "/path", "x", "-?"}, RunMode::Usage, "x", {}, {}, false},
      {{"/remove", "/name", "Data"}, RunMode::Remove, {}, "Data", {}, false},
      {{"-REMOVE", "/name", "Data", "/log", "l", "/yes"}, RunMode::Remove, {}, "Data", "l", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    CommandLine<std::string> got = ParseCommandLine(c.args);
    EXPECT_EQ(got.mode, c.mode);
    EXPECT_EQ(got.error, "");
    EXPECT_EQ(got.path, c.path);
    EXPECT_EQ(got.name, c.name);
    EXPECT_EQ(got.log, c.log);
    EXPECT_EQ(got.yes, c.yes);
  }
}

TEST(CommandLineTest, UsageErrors) {
  struct Case {
    Args args;
    AnsiString error;
  } cases[] = {
      {{"/bogus"}, "不明な引数があります。"},
      {{"C:\\Data"}, "不明な引数があります。"},
      {{"//path", "x"}, "不明な引数があります。"},
      {{"/pathx", "x"}, "不明な引数があります。"},
      {{"/path"}, "/path の値がありません。"},
      {{"/quiet", "/name"}, "/name の値がありません。"},
      {{"/path", "a", "/path", "b"}, "/path が二度指定されています。"},
      {{"/quiet", "/QUIET"}, "/quiet が二度指定されています。"},
      {{"/quiet", "/check", "/name", "x"}, "/quiet と /check は同時に指定できません。"},
      {{"/check", "/name", "x", "/path", "y"}, "/check には /path を指定できません。"},
      {{"/check"}, "/check には /name が必要です。"},
      {{"/check", "/name", "x", "/yes"}, "/yes は /quiet または /remove と共に指定してください。"},
      {{"/yes"}, "/yes は /quiet または /remove と共に指定してください。"},
      {{"/log", "x"}, "/log は /quiet、/check、/probe、/remove のどれかと共に指定してください。"},
      {{"/remove"}, "/remove には /name が必要です。"},
      {{"/remove", "/name", "x", "/path", "y"}, "/remove には /path を指定できません。"},
      {{"/remove", "/quiet", "/name", "x"}, "/remove は /quiet や /check と同時に指定できません。"},
      {{"/check", "/remove", "/name", "x"}, "/remove は /quiet や /check と同時に指定できません。"},
      {{"/remove", "/remove", "/name", "x"}, "/remove が二度指定されています。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    CommandLine<std::string> got = ParseCommandLine(c.args);
    EXPECT_EQ(got.mode, RunMode::Usage);
    EXPECT_EQ(got.error, c.error);
  }
}

// An option where a value belongs, or an argument that is no option, is named in the error.
TEST(CommandLineTest, TheArgumentAnErrorIsAboutIsNamed) {
  struct Case {
    Args args;
    AnsiString error;
    std::optional<std::string> culprit;
    std::optional<std::string> name;  // nothing of an option is ever taken as a value
  } cases[] = {
      {{"/name", "/path", "/path", "-x"}, "/name の値がありません。", "/path", {}},
      {{"/name", "/quiet"}, "/name の値がありません。", "/quiet", {}},
      {{"/quiet", "/path", "C:\\x", "/name", "-YES"}, "/name の値がありません。", "-YES", {}},
      {{"/check", "/name", "/log", "l"}, "/name の値がありません。", "/log", {}},
      {{"/quiet", "/log", "/check", "/name", "x"}, "/log の値がありません。", "/check", "x"},
      {{"/name", "x", "/path", "/h"}, "/path の値がありません。", "/h", "x"},
      {{"/bogus"}, "不明な引数があります。", "/bogus", {}},
      {{"/path", "C:\\Data", "Files"}, "不明な引数があります。", "Files", {}},
      // The first error is the one told, with its own argument or none.
      {{"/path", "a", "/path", "b", "/x"}, "/path が二度指定されています。", {}, {}},
      {{"/name"}, "/name の値がありません。", {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    CommandLine<std::string> got = ParseCommandLine(c.args);
    EXPECT_EQ(got.mode, RunMode::Usage);
    EXPECT_EQ(got.error, c.error);
    EXPECT_EQ(got.culprit, c.culprit);
    EXPECT_EQ(got.name, c.name);
  }
  EXPECT_EQ(UsageErrorText("不明な引数があります。", "/bogus"),
            "不明な引数があります。\r引数: /bogus");
  EXPECT_EQ(UsageErrorText("/check には /name が必要です。", std::nullopt),
            "/check には /name が必要です。");
}

TEST(CommandLineTest, WideArgumentsKeepTheirText) {
  std::vector<std::u16string> args = {u"/Path", u"C:\\\u4F1A\u8A08", u"/NAME", u"\u4F1A\u8A08"};
  CommandLine<std::u16string> got = ParseCommandLine(args);
  EXPECT_EQ(got.mode, RunMode::Dialog);
  EXPECT_EQ(got.path, std::u16string(u"C:\\\u4F1A\u8A08"));
  EXPECT_EQ(got.name, std::u16string(u"\u4F1A\u8A08"));
  // A letter outside ASCII is never folded into an option's name.
  EXPECT_EQ(ParseCommandLine(std::vector<std::u16string>{u"/p\u0430th", u"x"}).mode,
            RunMode::Usage);
}

// Only a line that is surely nothing but the program's name skips the system's splitter.
TEST(CommandLineTest, NamesOnlyTheProgram) {
  struct Case {
    std::string_view line;
    bool onlyTheName;
  } cases[] = {
      {"qvsetshare.exe", true},
      {"qvsetshare.exe \t ", true},
      {"\"C:\\Program Files\\qv\\qvsetshare.exe\"", true},
      {"\"C:\\Program Files\\qv\\qvsetshare.exe\"  ", true},
      {"\"\"", true},
      {"qvsetshare.exe /quiet", false},
      {"qvsetshare.exe \"\"", false},  // one empty argument
      {"\"C:\\a b\\qv.exe\" /path x", false},
      {"\"C:\\a b\\qv.exe\"x", false},
      {"\"C:\\a b\\qv.exe", false},  // no closing quote
      {" qvsetshare.exe", false},    // the system reads an empty name first
      {"\tqvsetshare.exe", false},
      {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line));
    EXPECT_EQ(NamesOnlyTheProgram(c.line), c.onlyTheName);
  }
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

TEST(CommandLineProbeTest, TheClientCheckTakesOnlyItsShareAndALog) {
  struct Case {
    std::vector<std::string> args;
    RunMode mode;
    std::optional<std::string> probe, log;
    AnsiString error;
  } cases[] = {
      {{"/probe", "\\\\PC1\\Data"}, RunMode::Probe, "\\\\PC1\\Data", {}, ""},
      {{"-PROBE", "\\\\PC1\\Data", "/log", "l"}, RunMode::Probe, "\\\\PC1\\Data", "l", ""},
      {{"/probe"}, RunMode::Usage, {}, {}, "/probe の値がありません。"},
      {{"/probe", "a", "/probe", "b"}, RunMode::Usage, "b", {}, "/probe が二度指定されています。"},
      {{"/probe", "a", "/check", "/name", "x"},
       RunMode::Usage,
       "a",
       {},
       "/probe には /log のほかの引数を指定できません。"},
      {{"/probe", "a", "/quiet", "/path", "p", "/name", "x"},
       RunMode::Usage,
       "a",
       {},
       "/probe には /log のほかの引数を指定できません。"},
      {{"/probe", "a", "/name", "x"},
       RunMode::Usage,
       "a",
       {},
       "/probe には /log のほかの引数を指定できません。"},
      {{"/probe", "a", "/?"}, RunMode::Usage, "a", {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    CommandLine<std::string> got = ParseCommandLine(c.args);
    EXPECT_EQ(got.mode, c.mode);
    EXPECT_EQ(got.error.bytes(), c.error.bytes());
    EXPECT_EQ(got.probe, c.probe);
    EXPECT_EQ(got.log, c.log);
  }
}

}  // namespace
}  // namespace qv
