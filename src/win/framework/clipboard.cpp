#include "win/framework/clipboard.h"

#include <cstring>
#include <string_view>

#include "win/framework/handles.h"

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

bool WriteClipboardText(HWND window, const std::wstring& text) {
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  // Ours until the clipboard takes it; freed here on every path where it does not.
  UniqueAny<HGLOBAL, ::GlobalFree> memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
  if (!memory) return false;
  if (void* data = GlobalLock(memory.get())) {
    std::memcpy(data, text.c_str(), bytes);
    GlobalUnlock(memory.get());
  } else {
    return false;
  }
  const OpenedClipboard clipboard(window);
  if (!clipboard.IsOpen() || !EmptyClipboard()) return false;
  if (!SetClipboardData(CF_UNICODETEXT, memory.get())) return false;
  memory.release();  // the system owns it now
  return true;
}

}  // namespace qv::win
