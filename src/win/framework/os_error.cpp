#include "win/framework/os_error.h"

#include <string_view>

#include "framework/errors.h"
#include "win/framework/cp932.h"

namespace qv::win {

AnsiString SystemErrorText(DWORD code) {
  wchar_t buffer[1024];
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
  std::wstring_view text(buffer, n);
  while (!text.empty() && text.back() <= L' ') text.remove_suffix(1);
  return ToAnsi(text);
}

void RaiseLastOSError() {
  DWORD code = GetLastError();
  throw OsError(code, code == 0 ? AnsiString() : SystemErrorText(code));
}

}  // namespace qv::win
