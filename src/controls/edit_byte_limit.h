// The extended edit box's maximum length counts code page 932 bytes, the unit of every text of the
// program, while the window holds its text in UTF-16. The window measures each character with the
// system's conversion; what fits is decided here, on those byte counts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qv {

// The code page 932 bytes of one character: a single UTF-16 unit or a surrogate pair.
using Cp932Measure = std::function<std::size_t(std::u16string_view character)>;

// A maximum length of 0 (or less) sets no limit of bytes.
bool LimitsBytes(std::int32_t maxLength);

// The field's text and selection as the window reports them, in UTF-16 positions.
struct EditContent {
  std::u16string_view text;
  std::int32_t selectionStart = 0;
  std::int32_t selectionEnd = 0;
};

// The bytes of the text that stay when the selection is replaced.
std::size_t BytesBesideSelection(const EditContent& content, const Cp932Measure& measure);

// Whether a typed character may replace the selection. Control characters (below a space) edit
// the text rather than add to it and always pass.
bool TypedCharFits(const EditContent& content, std::int32_t maxLength, char16_t typed,
                   const Cp932Measure& measure);

// The part of a pasted text that replaces the selection: its first line, of which as many whole
// characters as the room allows.
struct PasteFit {
  std::size_t units = 0;   // UTF-16 units kept from the start of the pasted text
  bool shortened = false;  // characters of that first line were left out for the limit
};
PasteFit FitPaste(const EditContent& content, std::int32_t maxLength, std::u16string_view pasted,
                  const Cp932Measure& measure);

// The field after its text changed by any route, the ones the typed and pasted checks never see
// included (text set from outside, the input method's result string): a text over the limit
// gives way to the last text that fitted, or, when even that one no longer fits (a limit lowered
// since), to as many whole characters of the changed text as fit. The caret goes where the
// refused change began, so that the user continues where the text stopped.
struct ChangedTextFit {
  bool fits = true;
  std::u16string restored;  // what the field holds instead, when it does not fit
  std::int32_t caret = 0;   // in the restored text's UTF-16 units
};
ChangedTextFit FitChangedText(std::u16string_view lastFitting, std::u16string_view changed,
                              std::int32_t maxLength, const Cp932Measure& measure);

}  // namespace qv
