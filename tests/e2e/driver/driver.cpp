#include "driver.h"

#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdint>
#include <cwctype>

#include "win/framework/gdi.h"

namespace qv::e2e {

namespace {

constexpr DWORD kPollMs = 25;
constexpr UINT kMessageTimeoutMs = 2000;

[[noreturn]] void RaiseLastError(const std::string& what) {
  const DWORD code = GetLastError();
  throw DriverError(what + " failed (error " + std::to_string(code) + ")", code);
}

std::wstring Lower(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(towlower(c));
  return text;
}

// GetDC(NULL) / ReleaseDC.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {
    if (!dc_) RaiseLastError("GetDC");
  }
  ~ScreenDc() { ReleaseDC(nullptr, dc_); }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const noexcept { return dc_; }

 private:
  HDC dc_;
};

using UniqueDc = win::UniqueAny<HDC, ::DeleteDC>;
using win::UniqueBitmap;

// Selects an object into a DC and puts the previous one back on every path.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {
    if (!previous_ || previous_ == HGDI_ERROR) throw DriverError("SelectObject failed");
  }
  ~Selection() { SelectObject(dc_, previous_); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// How the C runtime splits a command line: quotes around arguments with spaces, backslashes
// doubled only where they precede a quote.
std::wstring QuoteArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') {
      quoted.append(backslashes * 2 + 1, L'\\');
    } else {
      quoted.append(backslashes, L'\\');
    }
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, L'\\');
  quoted.push_back(L'"');
  return quoted;
}

std::wstring WithoutMnemonics(std::wstring_view text) {
  std::wstring plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size()) ++i;  // "&&" stands for one '&'
    plain.push_back(text[i]);
  }
  return plain;
}

RECT MapRect(const RECT& screen, HWND to) {
  RECT mapped = screen;
  MapWindowPoints(nullptr, to, reinterpret_cast<POINT*>(&mapped), 2);
  return mapped;
}

ChildWindow Describe(HWND child, HWND top) {
  ChildWindow info;
  info.hwnd = child;
  info.parent = GetParent(child);
  info.className = ClassNameOf(child);
  info.text = TextOf(child);
  info.id = GetDlgCtrlID(child);
  const RECT screen = ScreenRectOf(child);
  info.rect = MapRect(screen, info.parent ? info.parent : top);
  info.formRect = MapRect(screen, top);
  info.visible = IsWindowVisible(child) != FALSE;
  info.enabled = IsWindowEnabled(child) != FALSE;
  info.style = GetWindowLongW(child, GWL_STYLE);
  info.exStyle = GetWindowLongW(child, GWL_EXSTYLE);
  return info;
}

bool Matches(HWND window, const WindowQuery& query) {
  if (window == query.exclude) return false;
  if (query.visibleOnly && !IsWindowVisible(window)) return false;
  if (query.processId != 0) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != query.processId) return false;
  }
  if (!query.className.empty() && ClassNameOf(window) != query.className) return false;
  return query.caption.empty() || TextOf(window) == query.caption;
}

LPARAM MousePoint(POINT p) { return MAKELPARAM(p.x, p.y); }

void Post(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  if (!PostMessageW(window, message, wp, lp)) RaiseLastError("PostMessageW");
}

void WriteAll(HANDLE file, const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  while (size > 0) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 20));
    if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0) {
      RaiseLastError("WriteFile");
    }
    bytes += written;
    size -= written;
  }
}

}  // namespace

DriverError::DriverError(const std::string& what, DWORD code)
    : std::runtime_error(what), code_(code) {}

std::wstring Utf8ToWide(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (length == 0) RaiseLastError("MultiByteToWideChar(CP_UTF8)");
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
  return wide;
}

std::string WideToUtf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (length == 0) RaiseLastError("WideCharToMultiByte(CP_UTF8)");
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

std::string UnixNameOf(const std::wstring& path) {
  using Fn = char*(CDECL*)(const wchar_t*);
  // Through void* : a FARPROC cast straight to another function type draws -Wcast-function-type.
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!fn) return {};
  char* name = fn(path.c_str());
  if (!name) return {};
  std::string result(name);
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

std::wstring FromUnixPath(std::wstring_view path) {
  if (path.empty() || path.front() != L'/') return std::wstring(path);
  std::wstring windows = L"Z:";
  for (wchar_t c : path) windows.push_back(c == L'/' ? L'\\' : c);
  return windows;
}

std::wstring CommandLineOf(const std::wstring& exe, const std::vector<std::wstring>& arguments) {
  std::wstring commandLine = QuoteArgument(exe);
  for (const auto& argument : arguments) commandLine += L' ' + QuoteArgument(argument);
  return commandLine;
}

Process Process::Start(const std::wstring& exe, const std::vector<std::wstring>& arguments,
                       const std::wstring& currentDirectory, HANDLE standardOutput) {
  std::wstring commandLine = CommandLineOf(exe, arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  const bool none = standardOutput == kNoStandardHandles;
  if (standardOutput) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = none ? nullptr : standardOutput;
    startup.hStdError = none ? nullptr : standardOutput;
  }
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr,
                      standardOutput && !none ? TRUE : FALSE, 0, nullptr,
                      currentDirectory.empty() ? nullptr : currentDirectory.c_str(), &startup,
                      &info)) {
    RaiseLastError("CreateProcessW " + WideToUtf8(exe));
  }
  UniqueHandle thread(info.hThread);
  return Process(UniqueHandle(info.hProcess), info.dwProcessId);
}

Process Process::OfWindow(HWND window) {
  DWORD pid = 0;
  if (!GetWindowThreadProcessId(window, &pid)) RaiseLastError("GetWindowThreadProcessId");
  HANDLE process = OpenProcess(
      SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE, FALSE, pid);
  if (!process) RaiseLastError("OpenProcess");
  return Process(UniqueHandle(process), pid);
}

bool Process::WaitForInputIdle(DWORD timeoutMs) const {
  return ::WaitForInputIdle(Native(), timeoutMs) == 0;
}

bool Process::WaitForExit(DWORD timeoutMs) const {
  const DWORD result = WaitForSingleObject(Native(), timeoutMs);
  if (result == WAIT_FAILED) RaiseLastError("WaitForSingleObject");
  return result == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const {
  if (!HasExited()) throw DriverError("the process " + std::to_string(id_) + " is still running");
  DWORD code = 0;
  if (!GetExitCodeProcess(Native(), &code)) RaiseLastError("GetExitCodeProcess");
  return code;
}

std::size_t Process::PeakWorkingSet() const {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  if (!GetProcessMemoryInfo(Native(), &counters, sizeof(counters))) {
    RaiseLastError("GetProcessMemoryInfo");
  }
  return counters.PeakWorkingSetSize;
}

void Process::Terminate(UINT exitCode) const {
  if (TerminateProcess(Native(), exitCode)) return;
  const DWORD code = GetLastError();
  // Ending on its own between the caller's check and this call is not a failure.
  if (HasExited()) return;
  throw DriverError("TerminateProcess failed (error " + std::to_string(code) + ")", code);
}

namespace {

BOOL CALLBACK CountOneWindow(HWND, LPARAM count) {
  ++*reinterpret_cast<DWORD*>(count);
  return TRUE;
}

struct WindowCount {
  DWORD processId;
  DWORD count = 0;
};

BOOL CALLBACK CountTreeOfProcess(HWND top, LPARAM state) {
  auto* counting = reinterpret_cast<WindowCount*>(state);
  DWORD pid = 0;
  GetWindowThreadProcessId(top, &pid);
  if (pid == counting->processId) {
    ++counting->count;
    EnumChildWindows(top, CountOneWindow, reinterpret_cast<LPARAM>(&counting->count));
  }
  return TRUE;
}

// One entry of the GDI handle table, laid out as on 64-bit Windows (Wine keeps the layout).
struct GdiHandleEntry {
  std::uint64_t object;
  std::uint16_t processId;
  std::uint16_t count;
  std::uint16_t unique;
  std::uint8_t type;
  std::uint8_t flags;
  std::uint64_t user;
};
static_assert(sizeof(GdiHandleEntry) == 24);
constexpr std::size_t kGdiHandleCount = 0x10000;
constexpr std::size_t kPebGdiSharedHandleTable = 0xF8;  // 64-bit layout
static_assert(sizeof(void*) == 8, "the table offset above is the 64-bit one");

// Live entries of the process's GDI handle table; stock objects included, which do not change.
DWORD CountGdiTableEntries(DWORD processId) {
  UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
  if (!process) RaiseLastError("OpenProcess(PROCESS_VM_READ)");
  using QueryProcess = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  if (!query) RaiseLastError("GetProcAddress(NtQueryInformationProcess)");
  PROCESS_BASIC_INFORMATION basic{};
  ULONG length = 0;
  if (query(process.get(), ProcessBasicInformation, &basic, sizeof(basic), &length) != 0) {
    throw DriverError("NtQueryInformationProcess failed");
  }
  void* table = nullptr;
  if (!ReadProcessMemory(
          process.get(),
          reinterpret_cast<const char*>(basic.PebBaseAddress) + kPebGdiSharedHandleTable, &table,
          sizeof(table), nullptr)) {
    RaiseLastError("ReadProcessMemory(PEB)");
  }
  if (!table) throw DriverError("the process has no GDI handle table");
  std::vector<GdiHandleEntry> entries(kGdiHandleCount);
  if (!ReadProcessMemory(process.get(), table, entries.data(),
                         entries.size() * sizeof(GdiHandleEntry), nullptr)) {
    RaiseLastError("ReadProcessMemory(GDI handle table)");
  }
  return static_cast<DWORD>(std::count_if(entries.begin(), entries.end(),
                                          [](const GdiHandleEntry& e) { return e.type != 0; }));
}

}  // namespace

DWORD CountProcessWindows(DWORD processId) {
  WindowCount counting{processId};
  EnumWindows(CountTreeOfProcess, reinterpret_cast<LPARAM>(&counting));
  return counting.count;
}

GuiObjectCounts CountGuiObjects(DWORD processId) {
  UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) RaiseLastError("OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION)");
  GuiObjectCounts counts;
  SetLastError(ERROR_SUCCESS);
  counts.gdi = GetGuiResources(process.get(), GR_GDIOBJECTS);
  const DWORD gdiError = GetLastError();
  counts.user = GetGuiResources(process.get(), GR_USEROBJECTS);
  if (counts.gdi != 0 || counts.user != 0) {
    counts.fromGuiResources = true;
    return counts;
  }
  if (gdiError != ERROR_CALL_NOT_IMPLEMENTED) {
    throw DriverError("GetGuiResources failed (error " + std::to_string(gdiError) + ")", gdiError);
  }
  counts.gdi = CountGdiTableEntries(processId);
  counts.user = CountProcessWindows(processId);
  return counts;
}

std::vector<HWND> FindTopWindows(const WindowQuery& query) {
  struct Search {
    const WindowQuery* query;
    std::vector<HWND> found;
  } search{&query, {}};
  EnumWindows(
      [](HWND window, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        try {
          if (Matches(window, *s->query)) s->found.push_back(window);
        } catch (...) {
          // A window that vanished while being read is simply not a match.
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindow(const WindowQuery& query, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    const auto found = FindTopWindows(query);
    if (!found.empty()) return found.front();
    if (GetTickCount64() >= deadline) return nullptr;
    Sleep(kPollMs);
  }
}

std::string DescribeTopWindows() {
  std::vector<HWND> windows;
  EnumWindows(
      [](HWND window, LPARAM lp) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  std::string lines;
  for (HWND window : windows) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    std::string line = "pid " + std::to_string(pid);
    try {
      line +=
          " class " + WideToUtf8(ClassNameOf(window)) + " \"" + WideToUtf8(TextOf(window)) + "\"";
    } catch (const DriverError& e) {
      line += std::string(" (unreadable: ") + e.what() + ")";
    }
    lines += line + (IsWindowVisible(window) ? " visible\n" : " hidden\n");
  }
  return lines;
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (IsWindow(window) && IsWindowVisible(window)) {
    if (GetTickCount64() >= deadline) return false;
    Sleep(kPollMs);
  }
  return true;
}

std::wstring ClassNameOf(HWND window) {
  wchar_t name[256];
  const int length = GetClassNameW(window, name, 256);
  if (length == 0) RaiseLastError("GetClassNameW");
  return std::wstring(name, static_cast<size_t>(length));
}

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                           &length)) {
    RaiseLastError("SendMessageTimeoutW(WM_GETTEXTLENGTH)");
  }
  // The length may be an overestimate (it can count Ansi bytes); WM_GETTEXT reports the real one.
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied)) {
    RaiseLastError("SendMessageTimeoutW(WM_GETTEXT)");
  }
  text.resize(std::min<size_t>(static_cast<size_t>(copied), text.size() - 1));
  return text;
}

std::vector<ChildWindow> ListChildren(HWND top) {
  struct Walk {
    HWND top;
    std::vector<HWND> children;
  } walk{top, {}};
  // Collect first, read afterwards: reading sends messages, and no exception may leave the
  // enumeration callback.
  EnumChildWindows(
      top,
      [](HWND child, LPARAM lp) -> BOOL {
        reinterpret_cast<Walk*>(lp)->children.push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&walk));
  std::vector<ChildWindow> result;
  result.reserve(walk.children.size());
  for (HWND child : walk.children) result.push_back(Describe(child, top));
  return result;
}

std::optional<ChildWindow> FindChildByText(HWND top, std::wstring_view text) {
  const auto children = ListChildren(top);
  for (const auto& child : children) {
    if (child.text == text) return child;
  }
  for (const auto& child : children) {
    if (WithoutMnemonics(child.text) == text) return child;
  }
  return std::nullopt;
}

std::optional<ChildWindow> FindChildById(HWND top, int id) {
  for (auto& child : ListChildren(top)) {
    if (child.id == id) return child;
  }
  return std::nullopt;
}

std::vector<std::wstring> MessageBoxContent::ButtonTexts() const {
  std::vector<std::wstring> texts;
  for (const auto& button : buttons) texts.push_back(button.text);
  return texts;
}

MessageBoxContent ReadMessageBox(HWND box) {
  MessageBoxContent content;
  content.hwnd = box;
  content.caption = TextOf(box);
  std::vector<ChildWindow> texts;
  for (auto& child : ListChildren(box)) {
    if (!child.visible) continue;
    if (Lower(child.className).find(L"button") != std::wstring::npos) {
      content.buttons.push_back(std::move(child));
    } else if (!child.text.empty()) {
      texts.push_back(std::move(child));
    }
  }
  std::stable_sort(content.buttons.begin(), content.buttons.end(),
                   [](const auto& a, const auto& b) { return a.formRect.left < b.formRect.left; });
  std::stable_sort(texts.begin(), texts.end(),
                   [](const auto& a, const auto& b) { return a.formRect.top < b.formRect.top; });
  for (const auto& t : texts) {
    if (!content.text.empty()) content.text += L'\n';
    content.text += t.text;
  }
  return content;
}

std::optional<MessageBoxContent> WaitForMessageBox(const WindowQuery& query, DWORD timeoutMs) {
  HWND box = WaitForWindow(query, timeoutMs);
  if (!box) return std::nullopt;
  return ReadMessageBox(box);
}

void Click(HWND button) { Post(button, BM_CLICK, 0, 0); }

void ClickAt(HWND control, POINT clientPoint) {
  Post(control, WM_MOUSEMOVE, 0, MousePoint(clientPoint));
  Post(control, WM_LBUTTONDOWN, MK_LBUTTON, MousePoint(clientPoint));
  Post(control, WM_LBUTTONUP, 0, MousePoint(clientPoint));
}

void ClickCentre(HWND control) {
  RECT client{};
  if (!GetClientRect(control, &client)) RaiseLastError("GetClientRect");
  ClickAt(control, POINT{(client.left + client.right) / 2, (client.top + client.bottom) / 2});
}

void ClickControl(const ChildWindow& control) {
  if (Lower(control.className) == L"button") {
    Click(control.hwnd);
  } else {
    ClickCentre(control.hwnd);
  }
}

void SetText(HWND window, std::wstring_view text) {
  const std::wstring copy(text);
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()),
                           SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result)) {
    RaiseLastError("SendMessageTimeoutW(WM_SETTEXT)");
  }
  if (!result) throw DriverError("the window refused WM_SETTEXT");
}

void PressKey(HWND window, UINT virtualKey) {
  const UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
  const LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
  const LPARAM up = down | (LPARAM{1} << 30) | (LPARAM{1} << 31);
  Post(window, WM_KEYDOWN, virtualKey, down);
  Post(window, WM_KEYUP, virtualKey, up);
}

void TypeText(HWND window, std::wstring_view text) {
  for (wchar_t c : text) Post(window, WM_CHAR, c, 1);
}

void Close(HWND window) { Post(window, WM_CLOSE, 0, 0); }

COLORREF ReadScreenPixel(int x, int y) {
  ScreenDc screen;
  const COLORREF colour = GetPixel(screen.get(), x, y);
  if (colour == CLR_INVALID) {
    throw DriverError("GetPixel(" + std::to_string(x) + ", " + std::to_string(y) +
                      ") is off-screen");
  }
  return colour;
}

SIZE ScreenSize() { return SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

void SaveScreenshot(const std::wstring& path) {
  const SIZE size = ScreenSize();
  SaveScreenshot(path, RECT{0, 0, size.cx, size.cy});
}

void SaveScreenshot(const std::wstring& path, const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) throw DriverError("empty screenshot area");

  ScreenDc screen;
  UniqueDc memory(CreateCompatibleDC(screen.get()));
  if (!memory) RaiseLastError("CreateCompatibleDC");
  UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  if (!bitmap) RaiseLastError("CreateCompatibleBitmap");
  {
    Selection selected(memory.get(), bitmap.get());
    if (!BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top,
                SRCCOPY | CAPTUREBLT)) {
      RaiseLastError("BitBlt");
    }
  }

  BITMAPINFOHEADER header{};
  header.biSize = sizeof(header);
  header.biWidth = width;
  header.biHeight = height;  // bottom-up, as BMP files are
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  std::vector<uint8_t> pixels(stride * static_cast<size_t>(height));
  header.biSizeImage = static_cast<DWORD>(pixels.size());
  BITMAPINFO info{};
  info.bmiHeader = header;
  // GetDIBits wants the bitmap not selected into a DC, hence the block above.
  if (GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(height), pixels.data(), &info,
                DIB_RGB_COLORS) != height) {
    RaiseLastError("GetDIBits");
  }

  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());

  const std::wstring target = FromUnixPath(path);
  UniqueHandle out = FileHandle(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out) RaiseLastError("CreateFileW " + WideToUtf8(target));
  WriteAll(out.get(), &file, sizeof(file));
  WriteAll(out.get(), &header, sizeof(header));
  WriteAll(out.get(), pixels.data(), pixels.size());
}

RECT ScreenRectOf(HWND window) {
  RECT rect{};
  if (!GetWindowRect(window, &rect)) RaiseLastError("GetWindowRect");
  return rect;
}

}  // namespace qv::e2e
