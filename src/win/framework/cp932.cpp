#include "win/framework/cp932.h"

#include <windows.h>

namespace qv::win {

std::wstring ToWide(const AnsiString& ansi) {
  if (ansi.empty()) return {};
  int n = MultiByteToWideChar(kCodePage, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(kCodePage, 0, ansi.data(), static_cast<int>(ansi.size()), out.data(), n);
  return out;
}

AnsiString ToAnsi(std::wstring_view wide, bool* lossy) {
  if (lossy) *lossy = false;
  if (wide.empty()) return {};
  BOOL used_default = FALSE;
  // WC_NO_BEST_FIT_CHARS: a look-alike (e.g. a Latin letter for an accented one) would change
  // a path silently; we want to know that it is not representable.
  int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide.data(),
                              static_cast<int>(wide.size()), nullptr, 0, nullptr,
                              lossy ? &used_default : nullptr);
  AnsiString out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                      out.data(), n, nullptr, lossy ? &used_default : nullptr);
  if (lossy) *lossy = used_default != FALSE;
  return out;
}

}  // namespace qv::win
