// A hidden form for the Windows-layer tests of controls: the parent their windows are made in.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <utility>

#include "framework/ansi_string.h"
#include "win/framework/cp932.h"
#include "win/framework/form.h"

namespace qv::win {

class TestForm : public Form {
 public:
  void CreateHidden() {
    RegisterOnce(L"QvTestForm", CS_DBLCLKS, GetSysColorBrush(COLOR_BTNFACE));
    Create(WS_EX_CONTROLPARENT, L"QvTestForm", L"test", WS_OVERLAPPEDWINDOW, 10, 10, 400, 200,
           nullptr);
  }
};

// A control's text, converted from UTF-16 as the program converts it.
inline AnsiString WindowText(HWND hwnd) {
  wchar_t buffer[256] = {};
  GetWindowTextW(hwnd, buffer, 256);
  return ToAnsi(buffer);
}

// An edit field's selection as EM_GETSEL gives it: start and end.
inline std::pair<DWORD, DWORD> Selection(HWND hwnd) {
  DWORD start = 0, end = 0;
  SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return {start, end};
}

// Puts text on the clipboard as another program would; false when the clipboard cannot be opened.
inline bool PutTextOnClipboard(HWND owner, const std::wstring& text) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
  return true;
}

}  // namespace qv::win
