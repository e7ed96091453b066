#include <gtest/gtest.h>

#include "framework/ansi_string.h"
#include "framework/errors.h"

namespace qv {
namespace {

TEST(AnsiString, TrimRemovesControlAndSpaceBytesOnly) {
  EXPECT_EQ(Trim(std::string("\x01 \tab c\r\n\0", 10)), "ab c");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim("\x81\x40"), "\x81\x40");  // ideographic space is not a blank byte
}

TEST(AnsiString, CaseMappingSkipsTrailBytes) {
  // 0x83 0x61 is a katakana whose second byte is the letter 'a'.
  EXPECT_EQ(AnsiUpperCase("c:\\\x83\x61x"), "C:\\\x83\x61X");
  EXPECT_EQ(AnsiLowerCase("QVSETSHARE.EXE\x83\x41"), "qvsetshare.exe\x83\x41");
}

TEST(AnsiString, PathPartsIgnoreBackslashTrailBytes) {
  // 表 is 0x95 0x5C: its second byte is a backslash.
  const std::string path = "C:\\Data\\\x95\x5C";
  EXPECT_EQ(ExtractFileName(path), "\x95\x5C");
  EXPECT_EQ(ExtractFilePath(path), "C:\\Data\\");
  EXPECT_FALSE(HasTrailingBackslash(path));
  EXPECT_EQ(ExcludeTrailingBackslash(path), path);
  EXPECT_EQ(ExcludeTrailingBackslash("D:\\"), "D:");
  EXPECT_EQ(ExtractFileDrive(path), "C:");
  EXPECT_EQ(ExtractFileDrive("\\\\srv\\share\\dir"), "\\\\srv\\share");
  EXPECT_EQ(ExtractFileDrive("Windows"), "");
  EXPECT_EQ(ExtractFileName("D:\\"), "");
  EXPECT_EQ(ExtractFileName("D:"), "");
}

TEST(Errors, OperatingSystemErrorTexts) {
  EXPECT_EQ(OSErrorText(0, "ignored"), "OS 機能呼び出しの失敗");
  EXPECT_EQ(OSErrorText(5, "アクセスが拒否されました。\r\n"),
            "システムエラー。コード：5.\r\nアクセスが拒否されました。\r\n");
  EXPECT_EQ(OsError(122, "x").Message(), "システムエラー。コード：122.\r\nx");
}

TEST(Errors, ClosingPeriodRule) {
  EXPECT_EQ(WithClosingPeriod("フォルダへのEveryone権限の付与に失敗しました。"),
            "フォルダへのEveryone権限の付与に失敗しました。.");
  EXPECT_EQ(WithClosingPeriod("done."), "done.");
  EXPECT_EQ(WithClosingPeriod("line\r\n"), "line\r\n");
  EXPECT_EQ(WithClosingPeriod("abc"), "abc.");
  EXPECT_EQ(WithClosingPeriod(""), "");
}

}  // namespace
}  // namespace qv
