#include "controls/numeric_text.h"

#include <limits>
#include <string>

namespace qv {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 0x20) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 0x20) s.remove_suffix(1);
  return s;
}

}  // namespace

std::optional<std::int32_t> ParseInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

  int base = 10;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }

  // The magnitude may reach 2^31 for the most negative value.
  const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
  std::int64_t value = 0;
  const std::size_t first = i;
  for (; i < text.size(); ++i) {
    const int d = base == 16 ? HexValue(text[i]) : (IsDigit(text[i]) ? text[i] - '0' : -1);
    if (d < 0) return std::nullopt;
    value = value * base + d;
    if (value > limit) return std::nullopt;
  }
  if (i == first) return std::nullopt;
  return static_cast<std::int32_t>(negative ? -value : value);
}

std::optional<Currency> ParseCurrency(std::string_view text, char decimalSeparator) {
  const std::string_view t = TrimBlanks(text);
  std::size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';

  std::string digits;
  long fractionDigits = 0;
  while (i < t.size() && IsDigit(t[i])) digits += t[i++];
  if (i < t.size() && t[i] == decimalSeparator) {
    ++i;
    while (i < t.size() && IsDigit(t[i])) {
      digits += t[i++];
      ++fractionDigits;
    }
  }
  if (digits.empty()) return std::nullopt;

  long exponent = 0;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    bool negativeExponent = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negativeExponent = t[i++] == '-';
    const std::size_t first = i;
    for (; i < t.size() && IsDigit(t[i]); ++i) {
      if (exponent < 100000) exponent = exponent * 10 + (t[i] - '0');
    }
    if (i == first) return std::nullopt;
    if (negativeExponent) exponent = -exponent;
  }
  if (i != t.size()) return std::nullopt;

  const std::size_t significant = digits.find_first_not_of('0');
  if (significant == std::string::npos) return Currency{0};
  digits.erase(0, significant);

  // The amount in units of 1/10,000 is digits × 10^shift.
  long shift = 4 + exponent - fractionDigits;
  std::size_t keep = digits.size();
  bool roundUp = false;
  if (shift < 0) {
    const long kept = static_cast<long>(digits.size()) + shift;
    keep = kept > 0 ? static_cast<std::size_t>(kept) : 0;
    roundUp = kept >= 0 && digits[keep] >= '5';
    shift = 0;
  }
  if (static_cast<long>(keep) + shift > 20) return std::nullopt;

  unsigned __int128 value = 0;
  for (std::size_t j = 0; j < keep; ++j)
    value = value * 10 + static_cast<unsigned>(digits[j] - '0');
  for (long j = 0; j < shift; ++j) value *= 10;
  if (roundUp) value += 1;

  const unsigned __int128 limit =
      static_cast<unsigned __int128>(std::numeric_limits<std::int64_t>::max()) + (negative ? 1 : 0);
  if (value > limit) return std::nullopt;
  const __int128 signedValue =
      negative ? -static_cast<__int128>(value) : static_cast<__int128>(value);
  return Currency{static_cast<std::int64_t>(signedValue)};
}

AnsiString FormatCurrency(Currency value, char decimalSeparator) {
  const bool negative = value.Scaled < 0;
  const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value.Scaled)
                                           : static_cast<std::uint64_t>(value.Scaled);
  AnsiString out;
  if (negative) out += '-';
  out += AnsiString(std::to_string(magnitude / Currency::kScale));
  std::uint64_t fraction = magnitude % Currency::kScale;
  if (fraction != 0) {
    std::string f = std::to_string(fraction);
    f.insert(0, 4 - f.size(), '0');
    f.erase(f.find_last_not_of('0') + 1);
    out += decimalSeparator;
    out += AnsiString(f);
  }
  return out;
}

}  // namespace qv
