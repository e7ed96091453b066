// Reading and writing text on the clipboard. The clipboard is open, and its memory locked, only
// inside these scopes, so an error while the text is copied cannot leave either behind for the
// other programs that share them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

namespace qv::win {

// OpenClipboard / CloseClipboard. Opening fails while another window holds the clipboard open.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND window) : open_(OpenClipboard(window) != FALSE) {}
  ~OpenedClipboard() {
    if (open_) CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  bool IsOpen() const { return open_; }

 private:
  bool open_;
};

// GlobalLock / GlobalUnlock of a memory object the caller does not own (the clipboard's).
class LockedGlobal {
 public:
  explicit LockedGlobal(HGLOBAL memory)
      : memory_(memory), data_(memory ? GlobalLock(memory) : nullptr) {}
  ~LockedGlobal() {
    if (data_) GlobalUnlock(memory_);
  }
  LockedGlobal(const LockedGlobal&) = delete;
  LockedGlobal& operator=(const LockedGlobal&) = delete;
  // Null when the object could not be locked (discarded, or of zero size).
  const void* Data() const { return data_; }
  std::size_t Size() const { return data_ ? GlobalSize(memory_) : 0; }

 private:
  HGLOBAL memory_;
  void* data_;
};

// The clipboard's text (up to its terminating zero, never beyond its memory block); nothing when
// the clipboard cannot be opened or holds no text. `window` is the one that opens it.
std::optional<std::wstring> ReadClipboardText(HWND window);

// Puts text on the clipboard in place of what was there; false, with the clipboard unchanged
// where it could not be opened, when the text could not be put there.
bool WriteClipboardText(HWND window, const std::wstring& text);

}  // namespace qv::win
