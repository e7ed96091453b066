// One owner for every Windows handle and allocation: the close function is part of the type, the
// owner is move-only, and get/release/reset/put say what happens to ownership. Aliases for each
// kind of resource live next to this (here and in gdi.h).
#pragma once

#include <windows.h>

#include <utility>

namespace qv::win {

template <typename T, auto Close>
class UniqueAny {
 public:
  UniqueAny() = default;
  explicit UniqueAny(T value) : value_(value) {}
  UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;
  ~UniqueAny() { reset(); }

  T get() const { return value_; }
  explicit operator bool() const { return value_ != T{}; }
  // Gives up ownership without closing.
  T release() { return std::exchange(value_, T{}); }
  // Closes what is held and takes value instead.
  void reset(T value = T{}) {
    T old = std::exchange(value_, value);
    if (old != T{}) Close(old);
  }
  // For functions that hand out a resource through a pointer: closes what is held first.
  T* put() {
    reset();
    return &value_;
  }

 private:
  T value_{};
};

// Kernel objects. Functions that answer INVALID_HANDLE_VALUE for a failure (CreateFile) go through
// FileHandle, so that an owner holds either a real handle or nothing.
using UniqueHandle = UniqueAny<HANDLE, ::CloseHandle>;
inline UniqueHandle FileHandle(HANDLE h) {
  return UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}
// Memory the system allocated with LocalAlloc (FormatMessage, GetNamedSecurityInfo).
using UniqueLocal = UniqueAny<HLOCAL, ::LocalFree>;
using UniqueRegKey = UniqueAny<HKEY, ::RegCloseKey>;
using UniqueLibrary = UniqueAny<HMODULE, ::FreeLibrary>;

}  // namespace qv::win
