// Shared pieces of the end-to-end scenarios: starting the tool, finding its dialog and boxes,
// and making sure no copy outlives its test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "driver.h"

namespace qv::e2e {

inline const std::wstring kTitle =
    L"\u5171\u6709\u30D5\u30A9\u30EB\u30C0\u306E\u8A2D\u5B9A";  // 共有フォルダの設定
inline constexpr wchar_t kDialogClass[] = L"TfmSetShare";
inline constexpr wchar_t kBoxClass[] = L"TMessageForm";
inline constexpr DWORD kShowTimeoutMs = 20000;

inline std::wstring ToolPath() { return FromUnixPath(Utf8ToWide(QV_EXE_PATH)); }
inline std::wstring BuildPath(const std::string& relative) {
  return FromUnixPath(Utf8ToWide(std::string(QV_BUILD_DIR) + "/" + relative));
}

// A running copy of the tool; terminated at the end of the test if it is still there.
class Tool {
 public:
  explicit Tool(const std::wstring& exe = ToolPath(),
                const std::vector<std::wstring>& arguments = {}, HANDLE standardOutput = nullptr)
      : process_(Process::Start(exe, arguments, {}, standardOutput)) {}
  ~Tool() {
    if (!process_.HasExited()) process_.Terminate(99);
    process_.WaitForExit(5000);
  }
  Tool(const Tool&) = delete;
  Tool& operator=(const Tool&) = delete;

  const Process& process() const { return process_; }

  HWND WaitForDialog(DWORD timeoutMs = kShowTimeoutMs) const {
    WindowQuery q;
    q.className = kDialogClass;
    q.processId = process_.Id();
    return WaitForWindow(q, timeoutMs);
  }

  std::optional<MessageBoxContent> WaitForBox(DWORD timeoutMs = kShowTimeoutMs) const {
    WindowQuery q;
    q.className = kBoxClass;
    q.processId = process_.Id();
    return WaitForMessageBox(q, timeoutMs);
  }

  // Closes the dialog as its close box does and expects the process to end with 0.
  void CloseDialog(HWND dialog) const {
    Close(dialog);
    EXPECT_EQ(WaitForExitCode(), 0u);
  }

  // Waits for the end and returns the exit code; fails the test on timeout.
  DWORD WaitForExitCode(DWORD timeoutMs = 15000) const {
    EXPECT_TRUE(process_.WaitForExit(timeoutMs)) << "the tool did not end";
    return process_.HasExited() ? process_.ExitCode() : 0xFFFFFFFF;
  }

 private:
  Process process_;
};

// The child of the dialog whose top-left corner in the dialog's client area is (x, y).
inline std::optional<ChildWindow> ChildAt(HWND dialog, int x, int y, int tolerance = 2) {
  for (const ChildWindow& c : ListChildren(dialog)) {
    if (std::abs(c.formRect.left - x) <= tolerance && std::abs(c.formRect.top - y) <= tolerance) {
      return c;
    }
  }
  return std::nullopt;
}

inline HWND ChildHwndAt(HWND dialog, int x, int y) {
  auto c = ChildAt(dialog, x, y);
  return c ? c->hwnd : nullptr;
}

// The dialog's two fields, by their places.
inline HWND PathField(HWND dialog) { return ChildHwndAt(dialog, 136, 157); }
inline HWND NameField(HWND dialog) { return ChildHwndAt(dialog, 136, 253); }

// The window that holds the keyboard focus in the thread that owns the dialog.
inline HWND FocusOf(HWND dialog) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
  return info.hwndFocus;
}

// Waits until the focus is on `want`.
inline bool WaitForFocus(HWND dialog, HWND want) {
  for (int i = 0; i < 40; ++i) {
    if (FocusOf(dialog) == want) return true;
    Sleep(50);
  }
  return false;
}

// Runs a console command line and returns what it wrote to its standard output.
inline std::string CaptureOutput(std::wstring commandLine) {
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return {};
  UniqueHandle read(readEnd), write(writeEnd);
  SetHandleInformation(read.get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = write.get();
  si.hStdError = write.get();
  PROCESS_INFORMATION pi{};
  BOOL ok = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                           nullptr, nullptr, &si, &pi);
  write.reset();  // the child holds the only write end now, so the read ends with its output
  std::string out;
  if (ok) {
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    char buf[256];
    DWORD n = 0;
    while (ReadFile(read.get(), buf, sizeof(buf), &n, nullptr) && n > 0) out.append(buf, n);
    WaitForSingleObject(process.get(), 10000);
  }
  return out;
}

// Presses a message box button by its text.
inline void PressBoxButton(const MessageBoxContent& box, const std::wstring& text) {
  for (const ChildWindow& b : box.buttons) {
    if (b.text == text) {
      ClickControl(b);
      return;
    }
  }
  ADD_FAILURE() << "no button " << WideToUtf8(text) << " in the box";
}

// Presses a message box button by its text and waits until the box is gone.
inline bool AnswerBox(const MessageBoxContent& box, const std::wstring& text) {
  PressBoxButton(box, text);
  return WaitForWindowGone(box.hwnd, 5000);
}

}  // namespace qv::e2e
