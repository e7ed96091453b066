// Small value types shared by the dialog's platform interfaces. Handles are opaque numbers here;
// only the Windows layer knows what they point at.
#pragma once

#include <cstdint>

#include "framework/ansi_string.h"

namespace qv {

using OsHandle = std::uintptr_t;      // kernel object, SID, registry key; 0 is none
using WindowHandle = std::uintptr_t;  // 0 is none
using ItemIdList = std::uintptr_t;    // shell item identifier list; 0 is none

// A path the system gave in UTF-16, converted to code page 932. representable is false when the
// conversion had to substitute a character: the text then names some other path and must not be
// used.
struct Cp932Path {
  AnsiString text;
  bool representable = true;
};

}  // namespace qv
