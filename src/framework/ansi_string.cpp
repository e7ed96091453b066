#include "framework/ansi_string.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace qv {

AnsiString::AnsiString(Within, const char* bytes, size_type capacity)
    : bytes_(bytes, static_cast<size_type>(std::find(bytes, bytes + capacity, '\0') - bytes)) {}

namespace {
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

template <typename Map>
AnsiString MapSingleBytes(const AnsiString& s, Map map) {
  AnsiString out;
  out.reserve(s.size());
  ForEachCp932Char(s, [&](const AnsiString& ch) {
    if (ch.size() == 1) {
      out.push_back(map(ch[0]));
    } else {
      out += ch;
    }
  });
  return out;
}
}  // namespace

AnsiString Trim(const AnsiString& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

AnsiString AnsiUpperCase(const AnsiString& s) {
  return MapSingleBytes(s, [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; });
}

AnsiString AnsiLowerCase(const AnsiString& s) {
  return MapSingleBytes(s, [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; });
}

std::size_t LastDelimiter(const AnsiString& delimiters, const AnsiString& s) {
  std::size_t found = AnsiString::npos;
  std::size_t pos = 0;
  ForEachCp932Char(s, [&](const AnsiString& ch) {
    if (ch.size() == 1 && delimiters.find(ch[0]) != AnsiString::npos) found = pos;
    pos += ch.size();
  });
  return found;
}

AnsiString ExtractFileDrive(const AnsiString& path) {
  if (path.size() >= 2 && path[1] == ':' && !IsCp932LeadByte(static_cast<unsigned char>(path[0]))) {
    return path.substr(0, 2);
  }
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    // \\server\share: the drive is everything before the backslash that ends the share name.
    int separators = 0;
    std::size_t pos = 2, end = path.size();
    ForEachCp932Char(path.substr(2), [&](const AnsiString& ch) {
      if (end == path.size() && ch.size() == 1 && ch[0] == '\\' && ++separators == 2) end = pos;
      pos += ch.size();
    });
    return path.substr(0, end);
  }
  return {};
}

AnsiString ExtractFileName(const AnsiString& path) {
  std::size_t i = LastDelimiter("\\:", path);
  return i == AnsiString::npos ? path : path.substr(i + 1);
}

AnsiString ExtractFilePath(const AnsiString& path) {
  std::size_t i = LastDelimiter("\\:", path);
  return i == AnsiString::npos ? AnsiString() : path.substr(0, i + 1);
}

bool HasTrailingBackslash(const AnsiString& path) {
  return !path.empty() && LastDelimiter("\\", path) == path.size() - 1;
}

AnsiString ExcludeTrailingBackslash(const AnsiString& path) {
  return HasTrailingBackslash(path) ? path.substr(0, path.size() - 1) : path;
}

std::size_t Cp932CharCount(const AnsiString& s) {
  std::size_t n = 0;
  ForEachCp932Char(s, [&](const AnsiString&) { ++n; });
  return n;
}

AnsiString Format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  AnsiString out;
  if (n > 0) {
    std::vector<char> buf(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(buf.data(), buf.size(), fmt, args);
    out = AnsiString(buf.data(), static_cast<std::size_t>(n));
  }
  va_end(args);
  return out;
}

}  // namespace qv
