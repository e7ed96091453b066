#include "controls/edit_byte_limit.h"

#include <algorithm>

namespace qv {

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The length in units of the character that starts `text`: a surrogate pair is one character, so
// that a limit never keeps half of it.
std::size_t CharUnits(std::u16string_view text) {
  return text.size() >= 2 && IsHighSurrogate(text[0]) && IsLowSurrogate(text[1]) ? 2 : 1;
}

std::size_t BytesOf(std::u16string_view text, const Cp932Measure& measure) {
  std::size_t bytes = 0;
  while (!text.empty()) {
    const std::size_t units = CharUnits(text);
    bytes += measure(text.substr(0, units));
    text.remove_prefix(units);
  }
  return bytes;
}

std::size_t ClampedPosition(std::int32_t position, std::size_t size) {
  return position <= 0 ? 0 : std::min(static_cast<std::size_t>(position), size);
}

}  // namespace

bool LimitsBytes(std::int32_t maxLength) { return maxLength > 0; }

std::size_t BytesBesideSelection(const EditContent& content, const Cp932Measure& measure) {
  const std::u16string_view text = content.text;
  const std::size_t from = ClampedPosition(content.selectionStart, text.size());
  const std::size_t to = std::max(from, ClampedPosition(content.selectionEnd, text.size()));
  return BytesOf(text.substr(0, from), measure) + BytesOf(text.substr(to), measure);
}

bool TypedCharFits(const EditContent& content, std::int32_t maxLength, char16_t typed,
                   const Cp932Measure& measure) {
  if (typed < 0x20 || !LimitsBytes(maxLength)) return true;
  const std::size_t bytes =
      BytesBesideSelection(content, measure) + measure(std::u16string_view(&typed, 1));
  return bytes <= static_cast<std::size_t>(maxLength);
}

// A single-line field takes the first line only, as the control itself would.
PasteFit FitPaste(const EditContent& content, std::int32_t maxLength, std::u16string_view pasted,
                  const Cp932Measure& measure) {
  const std::u16string_view line = pasted.substr(0, pasted.find_first_of(u"\r\n"));
  if (!LimitsBytes(maxLength)) return {line.size(), false};
  const auto limit = static_cast<std::size_t>(maxLength);
  std::size_t bytes = BytesBesideSelection(content, measure);
  std::size_t kept = 0;
  while (kept < line.size()) {
    const std::size_t units = CharUnits(line.substr(kept));
    bytes += measure(line.substr(kept, units));
    if (bytes > limit) return {kept, true};
    kept += units;
  }
  return {kept, false};
}

ChangedTextFit FitChangedText(std::u16string_view lastFitting, std::u16string_view changed,
                              std::int32_t maxLength, const Cp932Measure& measure) {
  if (!LimitsBytes(maxLength)) return {};
  const auto limit = static_cast<std::size_t>(maxLength);
  if (BytesOf(changed, measure) <= limit) return {};
  ChangedTextFit fit{false, {}, 0};
  if (BytesOf(lastFitting, measure) <= limit) {
    fit.restored = std::u16string(lastFitting);
  } else {
    std::size_t bytes = 0;
    std::size_t kept = 0;
    while (kept < changed.size()) {
      const std::size_t units = CharUnits(changed.substr(kept));
      bytes += measure(changed.substr(kept, units));
      if (bytes > limit) break;
      kept += units;
    }
    fit.restored = std::u16string(changed.substr(0, kept));
  }
  // Walked by whole characters, so that the caret never stands inside a surrogate pair.
  const std::u16string_view restored = fit.restored;
  std::size_t same = 0;
  while (same < restored.size() && same < changed.size()) {
    const std::size_t units = CharUnits(restored.substr(same));
    if (restored.substr(same, units) != changed.substr(same, units)) break;
    same += units;
  }
  fit.caret = static_cast<std::int32_t>(same);
  return fit;
}

}  // namespace qv
