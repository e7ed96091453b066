// Numeric views of a field's text: a signed 32-bit integer and a currency amount.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "framework/ansi_string.h"

namespace qv {

// Signed 64-bit fixed point with four decimals.
struct Currency {
  static constexpr std::int64_t kScale = 10000;
  std::int64_t Scaled = 0;
  bool operator==(const Currency&) const = default;
};

// Leading spaces, an optional sign, then decimal digits, or hexadecimal digits after "$", "x" or
// "0x", and nothing after them; no value outside the 32-bit range.
std::optional<std::int32_t> ParseInteger(std::string_view text);

// Blanks around, an optional sign, digits with at most one decimal separator, an optional
// exponent; rounded to four decimals (halves away from zero); no value outside the range.
std::optional<Currency> ParseCurrency(std::string_view text, char decimalSeparator);

// The shortest general form: no thousands separators, no trailing zeros, at most four decimals.
AnsiString FormatCurrency(Currency value, char decimalSeparator);

}  // namespace qv
