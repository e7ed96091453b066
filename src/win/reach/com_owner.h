// Owners for COM interface pointers and system strings, in the one owner template, so that every
// object an interface hands out is released on every path.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include "win/framework/handles.h"
#include "win/framework/lazy_library.h"

namespace qv::win {

template <typename Interface>
void ReleaseInterface(Interface* object) noexcept {
  object->Release();
}

template <typename Interface>
using UniqueInterface = UniqueAny<Interface*, ReleaseInterface<Interface>>;

// Runs in destructors: oleaut32 is loaded whenever a string exists, since it made the string.
inline void FreeSystemString(BSTR text) noexcept {
  try {
    QV_LAZY("oleaut32.dll", SysFreeString)(text);
  } catch (...) {
  }
}

using UniqueSystemString = UniqueAny<BSTR, FreeSystemString>;

}  // namespace qv::win
