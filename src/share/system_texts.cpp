#include "share/system_texts.h"

namespace qv {

AnsiString MessageTextOf(ISystemTexts& texts, std::uint32_t code) {
  // The system's own table has no texts for network codes; the network library has.
  if (code >= kNerrBase && code <= kMaxNerr) {
    AnsiString text = texts.NetworkMessageText(code);
    if (!text.empty()) return text;
  }
  return texts.SystemMessageText(code);
}

AnsiString MessageWithCode(ISystemTexts& texts, std::uint32_t code) {
  return Trim(MessageTextOf(texts, code)) + Format("(code=%u)", code);
}

}  // namespace qv
