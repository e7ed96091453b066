// Memory the shell hands out from the COM task allocator (item lists, known-folder paths), owned
// like every other handle. The allocator's library is bound lazily, as the shell itself is.
#pragma once

#include <windows.h>

#include <objbase.h>

#include "win/framework/handles.h"
#include "win/framework/lazy_library.h"

namespace qv::win {

// Runs in destructors: a library that cannot be bound leaks the block rather than end the
// program. It is loaded already whenever a block exists, since the block came from it.
inline void FreeTaskMemory(void* memory) noexcept {
  if (!memory) return;
  try {
    QV_LAZY("ole32.dll", CoTaskMemFree)(memory);
  } catch (...) {
  }
}

template <typename T>
using UniqueTaskMemory = UniqueAny<T*, FreeTaskMemory>;

}  // namespace qv::win
