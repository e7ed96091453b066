// The system's own texts for its error codes, which every outcome that names a failure quotes.
#pragma once

#include <cstdint>

#include "framework/ansi_string.h"

namespace qv {

class ISystemTexts {
 public:
  virtual ~ISystemTexts() = default;
  // The system's text for a code, as it comes (usually ending in a line break); "" when the
  // system has none.
  virtual AnsiString SystemMessageText(std::uint32_t code) = 0;
  // The network library's text for a network code (2100-2999); "" when it has none.
  virtual AnsiString NetworkMessageText(std::uint32_t code) = 0;
};

constexpr std::uint32_t kNerrBase = 2100;  // NERR_BASE
constexpr std::uint32_t kMaxNerr = 2999;   // MAX_NERR

// The text for any code, network codes included; "" when there is none.
AnsiString MessageTextOf(ISystemTexts& texts, std::uint32_t code);
// The text on one line with its code, as the logs and the check's findings quote it.
AnsiString MessageWithCode(ISystemTexts& texts, std::uint32_t code);

}  // namespace qv
