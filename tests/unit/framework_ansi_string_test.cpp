#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <type_traits>

#include "framework/ansi_string.h"
#include "framework/errors.h"

namespace qv {
namespace {

// Code page 932 text meets other byte strings only through a visible step, in both directions.
static_assert(!std::is_convertible_v<std::string, AnsiString>);
static_assert(!std::is_convertible_v<const std::string&, AnsiString>);
static_assert(!std::is_convertible_v<std::string_view, AnsiString>);
static_assert(!std::is_convertible_v<const char*, AnsiString>);
static_assert(!std::is_convertible_v<char*, AnsiString>);
static_assert(!std::is_convertible_v<char (&)[16], AnsiString>);  // a buffer filled at run time
static_assert(!std::is_convertible_v<std::wstring, AnsiString>);
static_assert(!std::is_convertible_v<AnsiString, std::string>);
static_assert(!std::is_convertible_v<AnsiString, std::string_view>);
static_assert(!std::is_convertible_v<AnsiString, const char*>);
static_assert(!std::is_assignable_v<AnsiString&, std::string>);
static_assert(!std::is_assignable_v<AnsiString&, const char*>);
static_assert(!std::is_assignable_v<std::string&, AnsiString>);
// A literal of this program is code page 932 by construction.
static_assert(std::is_convertible_v<const char (&)[4], AnsiString>);
static_assert(std::is_constructible_v<AnsiString, std::string>);
static_assert(std::is_constructible_v<AnsiString, std::string_view>);
static_assert(std::is_constructible_v<AnsiString, const char*>);

template <typename A, typename B>
concept Addable = requires(A a, B b) {
  a + b;
};
template <typename A, typename B>
concept Comparable = requires(A a, B b) {
  a == b;
};
static_assert(Addable<AnsiString, AnsiString> && Addable<AnsiString, const char (&)[2]>);
static_assert(!Addable<AnsiString, std::string> && !Addable<std::string, AnsiString>);
static_assert(!Addable<AnsiString, const char*>);
static_assert(!Comparable<AnsiString, std::string> && !Comparable<AnsiString, std::string_view>);
static_assert(!Comparable<AnsiString, const char*>);

TEST(AnsiString, ALiteralEndsAtItsFirstZeroByteAndExplicitBytesKeepEveryByte) {
  const AnsiString literal = "ab\0cd";
  EXPECT_EQ(literal.size(), 2u);
  const AnsiString counted("ab\0cd", 5);
  EXPECT_EQ(counted.size(), 5u);
  EXPECT_EQ(counted.bytes(), std::string("ab\0cd", 5));
  EXPECT_EQ(AnsiString(std::string("ab\0cd", 5)), counted);
  EXPECT_EQ(AnsiString(std::string_view("ab\0cd", 5)), counted);
  const char* pointer = "ab\0cd";
  EXPECT_EQ(AnsiString(pointer), literal);
  // A constant array spelled out byte by byte, without a terminating zero, is not read past.
  static constexpr char kUnterminated[3] = {'\x95', '\x5C', 'x'};
  const AnsiString fromArray = kUnterminated;
  EXPECT_EQ(fromArray, AnsiString("\x95\x5Cx"));
}

TEST(AnsiString, ConcatenationKeepsDoubleByteCharactersWhole) {
  // 表 is 0x95 0x5C: joining its lead byte to a backslash and to the rest must stay bytes.
  AnsiString lead(1, '\x95');
  AnsiString joined = lead + "\\";
  EXPECT_EQ(joined.bytes(), "\x95\x5C");
  EXPECT_EQ(ExtractFileName("C:\\" + joined), "\x95\x5C");
  EXPECT_FALSE(HasTrailingBackslash("C:\\" + joined));
  joined += '\\';
  EXPECT_EQ(joined.view(), std::string_view("\x95\x5C\x5C"));
  EXPECT_TRUE(HasTrailingBackslash(joined));
  AnsiString text = "x";
  text += AnsiString("\0y", 2);
  EXPECT_EQ(text.size(), 3u);
  EXPECT_EQ(text.c_str()[1], '\0');
  EXPECT_EQ(std::string(text.c_str()), "x") << "c_str() stops at the first zero byte, as ever";
}

TEST(AnsiString, OrderAndSearchAreByUnsignedBytes) {
  // Lead bytes are above 0x7F: they sort after ASCII, as std::string orders char_traits<char>.
  EXPECT_LT(AnsiString("Z"), AnsiString("\x82\xA0"));
  EXPECT_LT(AnsiString("a"), AnsiString("ab"));
  EXPECT_EQ(AnsiString("abc") <=> AnsiString("abc"), std::strong_ordering::equal);
  const AnsiString s = "a\x95\x5C\\b";
  EXPECT_EQ(s.find('\\'), 2u) << "find is a byte search, the helpers are the character-aware ones";
  EXPECT_EQ(LastDelimiter("\\", s), 3u);
  EXPECT_EQ(s.rfind("b"), 4u);
  EXPECT_EQ(s.find("zz"), AnsiString::npos);
  EXPECT_EQ(s.substr(1, 2), "\x95\x5C");
  AnsiString erased = s;
  erased.erase(1, 2);
  EXPECT_EQ(erased, "a\\b");
  int n = 0;
  for (char c : s) n += c == '\\';
  EXPECT_EQ(n, 2);
}

TEST(AnsiString, TrimRemovesControlAndSpaceBytesOnly) {
  EXPECT_EQ(Trim(AnsiString("\x01 \tab c\r\n\0", 10)), "ab c");
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
  const AnsiString path = "C:\\Data\\\x95\x5C";
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
