// Share names are limited in bytes of code page 932, and a cut can split a double-byte character.
#pragma once

#include <cstdint>

#include "framework/ansi_string.h"

namespace qv {

// The first limit bytes of text (text trimmed when it is shorter), with every broken half of a
// double-byte character blanked.
AnsiString FitShareName(const AnsiString& text, std::int32_t limit);
// The text with a lead byte left last, or a lead byte followed by a byte that cannot follow it,
// turned into spaces; the length stays.
AnsiString BlankBrokenDbcs(const AnsiString& text);

}  // namespace qv
