#include "win/framework/os_error.h"

#include <string_view>

#include "framework/errors.h"
#include "win/framework/cp932.h"
#include "win/framework/handles.h"

namespace qv::win {

AnsiString FormattedMessage(DWORD source, HMODULE module, DWORD code) {
  // With ALLOCATE_BUFFER the call allocates the text with LocalAlloc and stores its address.
  UniqueLocal buffer;
  DWORD n = FormatMessageW(source | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
                           module, code, 0, reinterpret_cast<LPWSTR>(buffer.put()), 0, nullptr);
  if (n == 0 || !buffer) return {};
  return ToAnsi(std::wstring_view(static_cast<const wchar_t*>(buffer.get()), n));
}

AnsiString SystemErrorText(DWORD code) {
  AnsiString text = FormattedMessage(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.pop_back();
  return text;
}

void RaiseLastOSError() {
  DWORD code = GetLastError();
  throw OsError(code, code == 0 ? AnsiString() : SystemErrorText(code));
}

}  // namespace qv::win
