// Ansi strings: counted byte strings in code page 932 (Shift-JIS). Every helper here walks the
// bytes character by character, because the second byte of a double-byte character may be a
// backslash (0x5C) or an ASCII letter and must never be taken for one.
#pragma once

#include <compare>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace qv {

// Code page 932 text. Its own type so that it never meets UTF-8 or any other byte string
// without a visible step: only a narrow string literal becomes one implicitly (this program is
// compiled with code page 932 as its execution character set, so a literal is code page 932 by
// construction); bytes from anywhere else come in through an explicit constructor, and go out
// through bytes(), view() or c_str().
class AnsiString {
 public:
  using value_type = char;
  using size_type = std::size_t;
  using const_iterator = std::string::const_iterator;
  static constexpr size_type npos = std::string::npos;

  AnsiString() = default;
  // A literal, or a constant array spelled in the source: up to its first zero byte, as a C
  // string, and never past its end.
  template <std::size_t N>
  AnsiString(const char (&literal)[N])  // NOLINT(google-explicit-constructor)
      : AnsiString(Within{}, literal, N) {}
  // A writable char buffer holds whatever was put into it at run time: say what it is.
  template <std::size_t N>
  AnsiString(char (&buffer)[N]) = delete;

  explicit AnsiString(std::string bytes) : bytes_(std::move(bytes)) {}
  explicit AnsiString(std::string_view bytes) : bytes_(bytes) {}
  explicit AnsiString(const char* cString) : bytes_(cString) {}
  AnsiString(const char* bytes, size_type count) : bytes_(bytes, count) {}
  AnsiString(size_type count, char byte) : bytes_(count, byte) {}

  const std::string& bytes() const& noexcept { return bytes_; }
  std::string bytes() && noexcept { return std::move(bytes_); }
  std::string_view view() const noexcept { return bytes_; }
  const char* c_str() const noexcept { return bytes_.c_str(); }
  const char* data() const noexcept { return bytes_.data(); }
  char* data() noexcept { return bytes_.data(); }
  size_type size() const noexcept { return bytes_.size(); }
  bool empty() const noexcept { return bytes_.empty(); }

  char operator[](size_type i) const { return bytes_[i]; }
  char& operator[](size_type i) { return bytes_[i]; }
  char back() const { return bytes_.back(); }
  const_iterator begin() const noexcept { return bytes_.begin(); }
  const_iterator end() const noexcept { return bytes_.end(); }

  size_type find(const AnsiString& s, size_type pos = 0) const noexcept {
    return bytes_.find(s.bytes_, pos);
  }
  size_type find(char c, size_type pos = 0) const noexcept { return bytes_.find(c, pos); }
  size_type rfind(const AnsiString& s, size_type pos = npos) const noexcept {
    return bytes_.rfind(s.bytes_, pos);
  }
  AnsiString substr(size_type pos = 0, size_type count = npos) const {
    return AnsiString(bytes_.substr(pos, count));
  }

  void clear() noexcept { bytes_.clear(); }
  void reserve(size_type n) { bytes_.reserve(n); }
  void push_back(char c) { bytes_.push_back(c); }
  void pop_back() { bytes_.pop_back(); }
  AnsiString& erase(size_type pos = 0, size_type count = npos) {
    bytes_.erase(pos, count);
    return *this;
  }

  AnsiString& operator+=(const AnsiString& s) {
    bytes_ += s.bytes_;
    return *this;
  }
  AnsiString& operator+=(char c) {
    bytes_ += c;
    return *this;
  }
  friend AnsiString operator+(AnsiString a, const AnsiString& b) { return std::move(a += b); }

  friend bool operator==(const AnsiString& a, const AnsiString& b) noexcept {
    return a.bytes_ == b.bytes_;
  }
  friend std::strong_ordering operator<=>(const AnsiString& a, const AnsiString& b) noexcept {
    return a.bytes_ <=> b.bytes_;
  }

 private:
  // Out of line, so that each of the program's many literals costs a call, not a copy of the
  // search for its end.
  struct Within {};
  AnsiString(Within, const char* bytes, size_type capacity);

  std::string bytes_;
};

// Byte classes of code page 932.
constexpr bool IsCp932LeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
constexpr bool IsCp932TrailByte(unsigned char b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Removes every byte 0x00..0x20 from both ends.
AnsiString Trim(const AnsiString& s);

// Upper/lower case of the single-byte ASCII letters only; double-byte characters stay as they are.
AnsiString AnsiUpperCase(const AnsiString& s);
AnsiString AnsiLowerCase(const AnsiString& s);

// Position of the last byte of s that is one of delimiters and is not the second byte of a
// double-byte character; npos if there is none.
std::size_t LastDelimiter(const AnsiString& delimiters, const AnsiString& s);

// "C:" for "C:\Windows\system32"; "" when the path holds no drive. UNC paths give "\\server\share".
AnsiString ExtractFileDrive(const AnsiString& path);
// Everything after the last backslash or colon.
AnsiString ExtractFileName(const AnsiString& path);
// Everything up to and including the last backslash or colon.
AnsiString ExtractFilePath(const AnsiString& path);
// True if the path's last character is a single-byte backslash.
bool HasTrailingBackslash(const AnsiString& path);
// The path without one trailing backslash (if it has one).
AnsiString ExcludeTrailingBackslash(const AnsiString& path);

// Number of characters (one per single byte, one per lead+trail pair); equals the number of
// UTF-16 code units of the converted text, since every code page 932 character lies in the BMP.
std::size_t Cp932CharCount(const AnsiString& s);

// Splits s into its characters (1 or 2 bytes each); f gets each as an AnsiString.
template <typename F>
void ForEachCp932Char(const AnsiString& s, F&& f) {
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
