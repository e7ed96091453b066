#include "framework/ansi_string.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace qv {

namespace {
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

template <typename Map>
AnsiString MapSingleBytes(std::string_view s, Map map) {
  AnsiString out;
  out.reserve(s.size());
  ForEachCp932Char(s, [&](std::string_view ch) {
    if (ch.size() == 1) {
      out.push_back(map(ch[0]));
    } else {
      out.append(ch);
    }
  });
  return out;
}
}  // namespace

AnsiString Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return AnsiString(s.substr(b, e - b));
}

AnsiString AnsiUpperCase(std::string_view s) {
  return MapSingleBytes(s, [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; });
}

AnsiString AnsiLowerCase(std::string_view s) {
  return MapSingleBytes(s, [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; });
}

std::size_t LastDelimiter(std::string_view delimiters, std::string_view s) {
  std::size_t found = std::string_view::npos;
  std::size_t pos = 0;
  ForEachCp932Char(s, [&](std::string_view ch) {
    if (ch.size() == 1 && delimiters.find(ch[0]) != std::string_view::npos) found = pos;
    pos += ch.size();
  });
  return found;
}

AnsiString ExtractFileDrive(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':' && !IsCp932LeadByte(static_cast<unsigned char>(path[0]))) {
    return AnsiString(path.substr(0, 2));
  }
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    // \\server\share: the drive is everything before the backslash that ends the share name.
    int separators = 0;
    std::size_t pos = 2, end = path.size();
    ForEachCp932Char(path.substr(2), [&](std::string_view ch) {
      if (end == path.size() && ch.size() == 1 && ch[0] == '\\' && ++separators == 2) end = pos;
      pos += ch.size();
    });
    return AnsiString(path.substr(0, end));
  }
  return {};
}

AnsiString ExtractFileName(std::string_view path) {
  std::size_t i = LastDelimiter("\\:", path);
  return AnsiString(i == std::string_view::npos ? path : path.substr(i + 1));
}

AnsiString ExtractFilePath(std::string_view path) {
  std::size_t i = LastDelimiter("\\:", path);
  return i == std::string_view::npos ? AnsiString() : AnsiString(path.substr(0, i + 1));
}

bool HasTrailingBackslash(std::string_view path) {
  return !path.empty() && LastDelimiter("\\", path) == path.size() - 1;
}

AnsiString ExcludeTrailingBackslash(std::string_view path) {
  return AnsiString(HasTrailingBackslash(path) ? path.substr(0, path.size() - 1) : path);
}

std::size_t Cp932CharCount(std::string_view s) {
  std::size_t n = 0;
  ForEachCp932Char(s, [&](std::string_view) { ++n; });
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
    out.assign(buf.data(), static_cast<std::size_t>(n));
  }
  va_end(args);
  return out;
}

}  // namespace qv
