#include "security/sid.h"

#include <optional>
#include <string_view>
#include <vector>

#include "security/security_exception.h"

namespace qv {

Sid::Sid(ByteView bytes) {
  const auto length = layout::SidLengthIn(bytes);
  if (!length) throw SecurityError("The SID is malformed or does not fit its bytes");
  bytes_.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(*length));
}

AnsiString Sid::Text() const {
  AnsiString text = "S-1-";
  if (bytes_[2] != 0 || bytes_[3] != 0) {
    text += "0x";
    for (int i = 2; i < 8; ++i) text += Format("%02X", bytes_[i]);
  } else {
    std::uint32_t authority = 0;
    for (int i = 4; i < 8; ++i) authority = (authority << 8) | bytes_[i];
    text += Format("%u", static_cast<unsigned>(authority));
  }
  for (std::size_t at = layout::kSidHeaderSize; at < bytes_.size(); at += 4) {
    text += Format("-%u", static_cast<unsigned>(layout::ReadU32(bytes_, at)));
  }
  return text;
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The number that fills the text, in the base given, when it is at most the limit. Leading
// zeros are taken, as the platform takes them; a sign or an empty text is not.
std::optional<std::uint64_t> Number(std::string_view text, unsigned base, std::uint64_t limit) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    unsigned digit;
    if (IsDigit(c)) {
      digit = static_cast<unsigned>(c - '0');
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else {
      return std::nullopt;
    }
    if (value > (limit - digit) / base) return std::nullopt;
    value = value * base + digit;
  }
  return value;
}

}  // namespace

Sid Sid::FromText(const AnsiString& text) {
  const auto invalid = [&] {
    return SecurityError(Format("\"%s\" is not the text of a SID", text.c_str()));
  };
  std::string_view rest = text.view();
  if (!rest.starts_with("S-1-")) throw invalid();
  rest.remove_prefix(4);
  std::vector<std::string_view> numbers;
  for (;;) {
    const std::size_t hyphen = rest.find('-');
    numbers.push_back(rest.substr(0, hyphen));
    if (hyphen == std::string_view::npos) break;
    rest.remove_prefix(hyphen + 1);
  }
  if (numbers.size() - 1 > layout::kMaxSubAuthorities) throw invalid();

  std::optional<std::uint64_t> authority;
  if (numbers[0].starts_with("0x") || numbers[0].starts_with("0X")) {
    if (numbers[0].size() != 14) throw invalid();
    authority = Number(numbers[0].substr(2), 16, 0xFFFFFFFFFFFFull);
  } else {
    authority = Number(numbers[0], 10, 0xFFFFFFFFull);
  }
  if (!authority) throw invalid();

  Bytes bytes(layout::kSidHeaderSize + 4 * (numbers.size() - 1));
  bytes[0] = layout::kSidRevision;
  bytes[1] = static_cast<std::uint8_t>(numbers.size() - 1);
  for (int i = 0; i < 6; ++i) bytes[2 + i] = static_cast<std::uint8_t>(*authority >> (8 * (5 - i)));
  for (std::size_t i = 1; i < numbers.size(); ++i) {
    const auto sub = Number(numbers[i], 10, 0xFFFFFFFFull);
    if (!sub) throw invalid();
    layout::WriteU32(bytes, layout::kSidHeaderSize + 4 * (i - 1), static_cast<std::uint32_t>(*sub));
  }
  return Sid(bytes);
}

}  // namespace qv
