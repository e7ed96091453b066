// Share names are limited in bytes, and a cut can split a double-byte character. These keep the
// length of the text and blank out every half character instead.
#include "share/share_name_fitting.h"

namespace qv {

AnsiString BlankBrokenDbcs(const AnsiString& text) {
  AnsiString out = text;
  bool afterLead = false;
  for (std::size_t i = 0; i < out.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(out[i]);
    if (!afterLead) {
      afterLead = IsCp932LeadByte(b);
      if (afterLead && i + 1 == out.size()) out[i] = ' ';
    } else {
      if (!IsCp932TrailByte(b)) {
        out[i - 1] = ' ';
        out[i] = ' ';
      }
      // Taken as the second half either way; a byte that fails the trail test is no lead byte.
      afterLead = false;
    }
  }
  return out;
}

AnsiString FitShareName(const AnsiString& text, std::int32_t limit) {
  AnsiString fitted;
  if (static_cast<std::int64_t>(text.size()) < limit) {
    fitted = Trim(text);
  } else if (limit > 0) {
    fitted = text.substr(0, static_cast<std::size_t>(limit));
  }
  return BlankBrokenDbcs(fitted);
}

}  // namespace qv
