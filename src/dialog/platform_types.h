// Small value types shared by the dialog's platform interfaces.
#pragma once

#include "framework/ansi_string.h"

namespace qv {

// A path the system gave in UTF-16, converted to code page 932. representable is false when the
// conversion had to substitute a character: the text then names some other path and must not be
// used.
struct Cp932Path {
  AnsiString text;
  bool representable = true;
};

}  // namespace qv
