// End-to-end driver: starts the tool, finds its windows, reads and changes them the way a user
// would, and takes pictures of the screen. Runs as a second process beside the tool (under Wine
// in the tests), so everything goes through window messages and handles, never shared memory.
//
// Texts are UTF-16 throughout; Utf8ToWide/WideToUtf8 convert at the edges.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "win/framework/handles.h"

namespace qv::e2e {

// A driver step that could not be done. The message is UTF-8.
class DriverError : public std::runtime_error {
 public:
  DriverError(const std::string& what, DWORD code = 0);
  DWORD Code() const noexcept { return code_; }

 private:
  DWORD code_;
};

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// The command line that hands these arguments to a program as they are: each quoted as the C
// runtime and CommandLineToArgvW split them.
std::wstring CommandLineOf(const std::wstring& exe, const std::vector<std::wstring>& arguments);

// "/tmp/x.bmp" -> "Z:\tmp\x.bmp" (Wine maps the Unix root to Z:); any other path is returned as is.
std::wstring FromUnixPath(std::wstring_view path);
// The Unix name of a Windows path, from Wine's own kernel32 export; "" when there is none.
std::string UnixNameOf(const std::wstring& path);

// The product's owner of kernel handles.
using win::FileHandle;
using win::UniqueHandle;

// For Process::Start: a process with no standard input, output or error.
inline const HANDLE kNoStandardHandles = INVALID_HANDLE_VALUE;

// A process started or opened by the driver. Holding the handle keeps the exit code readable
// after the process has ended.
class Process {
 public:
  // Starts exe with the given arguments (quoted as the C runtime parses them). With an
  // inheritable standardOutput, the process writes its standard output and error there; with
  // kNoStandardHandles it gets none at all.
  static Process Start(const std::wstring& exe, const std::vector<std::wstring>& arguments = {},
                       const std::wstring& currentDirectory = {}, HANDLE standardOutput = nullptr);
  // Opens the process that owns a window (to wait for it or read its memory counters).
  static Process OfWindow(HWND window);

  DWORD Id() const noexcept { return id_; }
  HANDLE Native() const noexcept { return process_.get(); }

  // Waits until the process reads its input queue (its first window is up), or the timeout.
  bool WaitForInputIdle(DWORD timeoutMs) const;
  // True when the process ended within the timeout.
  bool WaitForExit(DWORD timeoutMs) const;
  bool HasExited() const { return WaitForExit(0); }
  // The exit code; raises DriverError while the process still runs.
  DWORD ExitCode() const;
  // Peak working set in bytes (GetProcessMemoryInfo).
  std::size_t PeakWorkingSet() const;
  // Ends the process; one that has already ended is left as it is.
  void Terminate(UINT exitCode) const;

 private:
  Process(UniqueHandle process, DWORD id) : process_(std::move(process)), id_(id) {}
  UniqueHandle process_;
  DWORD id_;
};

// The GUI objects a process holds, as far as the system lets another process count them.
// On Windows both counts come from GetGuiResources. Wine 8 does not implement it (it answers 0
// with ERROR_CALL_NOT_IMPLEMENTED); there the GDI count is the number of live entries in the
// process's own GDI handle table (which its process environment block points to, as on Windows),
// and the USER count is the number of its windows, top-level and child, hidden ones included.
struct GuiObjectCounts {
  DWORD gdi = 0;
  DWORD user = 0;
  bool fromGuiResources = false;  // false: the Wine measures above
};
GuiObjectCounts CountGuiObjects(DWORD processId);

// The process's windows, top-level and child, hidden ones included.
DWORD CountProcessWindows(DWORD processId);

// Which top-level window to look for; empty fields match anything.
struct WindowQuery {
  std::wstring caption;
  std::wstring className;
  DWORD processId = 0;
  HWND exclude = nullptr;  // e.g. the main window, when a box carries the same caption
  bool visibleOnly = true;

  static WindowQuery Captioned(std::wstring caption) {
    WindowQuery query;
    query.caption = std::move(caption);
    return query;
  }
};

std::vector<HWND> FindTopWindows(const WindowQuery& query);
// Polls until a matching window exists; nullptr when the timeout passes first.
HWND WaitForWindow(const WindowQuery& query, DWORD timeoutMs);
// One line per top-level window, hidden ones too: its process, class, caption and visibility.
// For a failure message when an expected window never came.
std::string DescribeTopWindows();
// Polls until the window is gone (destroyed or hidden); false on timeout.
bool WaitForWindowGone(HWND window, DWORD timeoutMs);

std::wstring ClassNameOf(HWND window);
// WM_GETTEXT through SendMessageTimeoutW, so a hung target cannot hang the driver.
std::wstring TextOf(HWND window);

struct ChildWindow {
  HWND hwnd = nullptr;
  HWND parent = nullptr;
  std::wstring className;
  std::wstring text;
  int id = 0;
  RECT rect{};      // in the client coordinates of its parent
  RECT formRect{};  // in the client coordinates of the top-level window
  bool visible = false;
  bool enabled = false;
  LONG style = 0;
  LONG exStyle = 0;
};

// Every descendant of the window, in EnumChildWindows order (parents before their children).
std::vector<ChildWindow> ListChildren(HWND top);
// The first descendant whose text equals `text`, or equals it once the '&' mnemonic markers are
// removed from the child's text ("はい(&Y)" matches "はい(Y)" and itself).
std::optional<ChildWindow> FindChildByText(HWND top, std::wstring_view text);
std::optional<ChildWindow> FindChildById(HWND top, int id);

// A message box as the user sees it: caption, its texts (top to bottom) and its buttons (left to
// right). Buttons are the children whose class name contains "Button"; texts are the other
// children with a non-empty text.
struct MessageBoxContent {
  HWND hwnd = nullptr;
  std::wstring caption;
  std::wstring text;  // texts joined by "\n"
  std::vector<ChildWindow> buttons;
  std::vector<std::wstring> ButtonTexts() const;
};
MessageBoxContent ReadMessageBox(HWND box);
std::optional<MessageBoxContent> WaitForMessageBox(const WindowQuery& query, DWORD timeoutMs);

// Posted, not sent: a click may open a modal box, and a sent message would block until it closed.
void Click(HWND button);         // BM_CLICK
void ClickCentre(HWND control);  // WM_LBUTTONDOWN + WM_LBUTTONUP at the client centre
void ClickAt(HWND control, POINT clientPoint);
// Clicks a standard button with BM_CLICK and anything else (self-drawn) with the mouse messages.
void ClickControl(const ChildWindow& control);
void SetText(HWND window, std::wstring_view text);  // WM_SETTEXT
// WM_KEYDOWN + WM_KEYUP with a plausible scan code. The target's TranslateMessage makes the
// WM_CHAR itself (Enter, Tab, Esc, letters), so none is posted here.
void PressKey(HWND window, UINT virtualKey);
// WM_CHAR for each UTF-16 unit: typing without key-downs, so nothing is translated twice.
void TypeText(HWND window, std::wstring_view text);
void Close(HWND window);  // WM_CLOSE

// The screen, as the desktop's device context sees it.
COLORREF ReadScreenPixel(int x, int y);
SIZE ScreenSize();
// A 24-bit bottom-up BMP of the whole screen, or of one area of it (screen coordinates).
void SaveScreenshot(const std::wstring& path);
void SaveScreenshot(const std::wstring& path, const RECT& area);

// Window rectangle in screen coordinates.
RECT ScreenRectOf(HWND window);

}  // namespace qv::e2e
