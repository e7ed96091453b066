#include "win/framework/clipboard.h"

#include <string_view>

namespace qv::win {

std::optional<std::wstring> ReadClipboardText(HWND window) {
  const OpenedClipboard clipboard(window);
  if (!clipboard.IsOpen()) return std::nullopt;
  // The system renders Unicode text from any other text format that is on the clipboard.
  const LockedGlobal memory(static_cast<HGLOBAL>(GetClipboardData(CF_UNICODETEXT)));
  if (!memory.Data()) return std::nullopt;
  // Another program wrote the block: its zero terminator is not to be relied on.
  const std::wstring_view block(static_cast<const wchar_t*>(memory.Data()),
                                memory.Size() / sizeof(wchar_t));
  return std::wstring(block.substr(0, block.find(L'\0')));
}

}  // namespace qv::win
