// Shared pieces of the end-to-end scenarios: starting the tool, finding its dialog and boxes,
// and making sure no copy outlives its test.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "driver.h"

namespace qv::e2e {

// The dialog's default folder, its edition subfolder, and the two questions of a share.
inline const std::wstring kFolder = L"C:\\VeltoData";
inline const std::wstring kSubfolder = L"C:\\VeltoData\\quarnelvelto";
inline const std::wstring kCreateQuestion =
    L"選択した管理する場所にはフォルダーが存在しません。\r\n新しく作成してもよろしいですか？";
inline const std::wstring kDoneQuestion =
    L"共有フォルダを設定しました。\r\nこの処理を終了してもよろしいですか？";

inline void RemoveDefaultFolders() {
  RemoveDirectoryW(kSubfolder.c_str());
  RemoveDirectoryW(kFolder.c_str());
}

inline const std::wstring kTitle =
    L"\u5171\u6709\u30D5\u30A9\u30EB\u30C0\u306E\u8A2D\u5B9A";  // 共有フォルダの設定
inline constexpr wchar_t kDialogClass[] = L"TfmSetShare";
inline constexpr wchar_t kBoxClass[] = L"TMessageForm";
inline constexpr DWORD kShowTimeoutMs = 20000;
inline constexpr DWORD kPollLimitMs = 1000;

inline std::wstring ToolPath() { return FromUnixPath(Utf8ToWide(QV_EXE_PATH)); }
inline std::wstring BuildPath(const std::string& relative) {
  return FromUnixPath(Utf8ToWide(std::string(QV_BUILD_DIR) + "/" + relative));
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

// The box a share ends in where something keeps the other computers out. Under Wine it always
// comes: the Server service is installed disabled.
inline const std::wstring kReachOpening =
    L"他のパソコンからこの共有フォルダを使えない原因があります。";
inline bool IsReachBox(const MessageBoxContent& box) { return box.text.starts_with(kReachOpening); }

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
    HWND dialog = WaitForWindow(q, timeoutMs);
    if (!dialog && timeoutMs >= kPollLimitMs) {
      // A copy that never shows its dialog has either ended or is stuck; say which, and what
      // else is on the desktop (another copy's dialog would mean the start was refused).
      // Shorter waits are polls, whose misses are expected.
      std::string state = process_.HasExited()
                              ? "ended with code " + std::to_string(process_.ExitCode())
                              : "still running";
      std::cerr << "no dialog from the tool (process " << process_.Id() << ") within " << timeoutMs
                << " ms; it has " << state << ". Top-level windows:\n"
                << DescribeTopWindows();
    }
    return dialog;
  }

  // The next box, with the reachability box answered on the way: OK where it only tells,
  // キャンセル where it offers to open the firewall, so the test's prefix is left as it was.
  // Scenarios about the box itself use WaitForAnyBox.
  std::optional<MessageBoxContent> WaitForBox(DWORD timeoutMs = kShowTimeoutMs) const {
    const DWORD start = GetTickCount();
    std::optional<MessageBoxContent> box = WaitForAnyBox(timeoutMs);
    while (box && IsReachBox(*box)) {
      ++reachBoxesAnswered_;
      const bool offers = box->ButtonTexts().size() > 1;
      if (!AnswerBox(*box, offers ? L"キャンセル" : L"OK")) return std::nullopt;
      const DWORD spent = GetTickCount() - start;
      box = WaitForAnyBox(spent < timeoutMs ? timeoutMs - spent : 0);
    }
    return box;
  }

  std::optional<MessageBoxContent> WaitForAnyBox(DWORD timeoutMs = kShowTimeoutMs) const {
    WindowQuery q;
    q.className = kBoxClass;
    q.processId = process_.Id();
    return WaitForMessageBox(q, timeoutMs);
  }

  // How many reachability boxes WaitForBox answered.
  int ReachBoxesAnswered() const { return reachBoxesAnswered_; }

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
  mutable int reachBoxesAnswered_ = 0;
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
// The dialog's visible edit fields from top to bottom: the path field, then the name field. Found
// by their order rather than their place, which depends on the display scaling.
inline HWND NthVisibleEdit(HWND dialog, std::size_t n) {
  std::vector<ChildWindow> edits;
  for (const ChildWindow& c : ListChildren(dialog)) {
    if (c.className == L"Edit" && c.visible) edits.push_back(c);
  }
  std::sort(edits.begin(), edits.end(), [](const ChildWindow& a, const ChildWindow& b) {
    return a.formRect.top < b.formRect.top;
  });
  return n < edits.size() ? edits[n].hwnd : nullptr;
}
inline HWND PathField(HWND dialog) { return NthVisibleEdit(dialog, 0); }
inline HWND NameField(HWND dialog) { return NthVisibleEdit(dialog, 1); }

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

// A virtual screen large enough for the dialog at 200 %; the usual one again when it goes.
class LargeScreen {
 public:
  LargeScreen() {
    DEVMODEW mode{};
    mode.dmSize = sizeof(mode);
    mode.dmPelsWidth = 1280;
    mode.dmPelsHeight = 1024;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    changed_ =
        ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr) == DISP_CHANGE_SUCCESSFUL;
  }
  ~LargeScreen() {
    if (changed_) ChangeDisplaySettingsExW(nullptr, nullptr, nullptr, 0, nullptr);
  }
  LargeScreen(const LargeScreen&) = delete;
  LargeScreen& operator=(const LargeScreen&) = delete;
  bool Changed() const { return changed_ && ScreenSize().cx >= 1280; }

 private:
  bool changed_ = false;
};

}  // namespace qv::e2e
