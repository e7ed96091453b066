// Ansi strings: counted byte strings in code page 932 (Shift-JIS). Every helper here walks the
// bytes character by character, because the second byte of a double-byte character may be a
// backslash (0x5C) or an ASCII letter and must never be taken for one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qv {

using AnsiString = std::string;

// Byte classes of code page 932.
constexpr bool IsCp932LeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
constexpr bool IsCp932TrailByte(unsigned char b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Removes every byte 0x00..0x20 from both ends.
AnsiString Trim(std::string_view s);

// Upper/lower case of the single-byte ASCII letters only; double-byte characters stay as they are.
AnsiString AnsiUpperCase(std::string_view s);
AnsiString AnsiLowerCase(std::string_view s);

// Position of the last byte of s that is one of delimiters and is not the second byte of a
// double-byte character; npos if there is none.
std::size_t LastDelimiter(std::string_view delimiters, std::string_view s);

// "C:" for "C:\Windows\system32"; "" when the path holds no drive. UNC paths give "\\server\share".
AnsiString ExtractFileDrive(std::string_view path);
// Everything after the last backslash or colon.
AnsiString ExtractFileName(std::string_view path);
// Everything up to and including the last backslash or colon.
AnsiString ExtractFilePath(std::string_view path);
// True if the path's last character is a single-byte backslash.
bool HasTrailingBackslash(std::string_view path);
// The path without one trailing backslash (if it has one).
AnsiString ExcludeTrailingBackslash(std::string_view path);

// Number of characters (one per single byte, one per lead+trail pair); equals the number of
// UTF-16 code units of the converted text, since every code page 932 character lies in the BMP.
std::size_t Cp932CharCount(std::string_view s);

// Splits s into its characters (1 or 2 bytes each).
template <typename F>
void ForEachCp932Char(std::string_view s, F&& f) {
  std::size_t i = 0;
  while (i < s.size()) {
    std::size_t n = (IsCp932LeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
    f(s.substr(i, n));
    i += n;
  }
}

// printf-style formatting into an Ansi string.
AnsiString Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace qv
