// qvdriver.exe: the end-to-end driver as a command for test scripts.
//
// Texts on the command line are UTF-8 (Wine hands them to wmain as UTF-16 when its locale is
// UTF-8); a text may also be given as "u8hex:" followed by the hex bytes of its UTF-8 form, which
// survives any locale. Output is UTF-8 with "\n" line ends.
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "driver.h"

namespace {

using namespace qv::e2e;
using Args = std::vector<std::wstring>;

constexpr char kUsage[] =
    "usage: qvdriver <command> [arguments]\n"
    "  wait-window <caption> <timeout-ms>     print the window handle (exit 1 on timeout)\n"
    "  list <caption>                         one line per child window, tab-separated:\n"
    "      index parent class id left,top,right,bottom (parent client) form:l,t,r,b flags text\n"
    "  click <caption> <child>                BM_CLICK, or the mouse at the centre if self-drawn\n"
    "  settext <caption> <child> <text>       WM_SETTEXT\n"
    "  type <caption> <child> <text>          WM_CHAR for each character\n"
    "  key <caption> <child> <virtual-key>    WM_KEYDOWN + WM_KEYUP (number or RETURN, ESCAPE,\n"
    "                                         TAB, SPACE, LEFT, RIGHT, UP, DOWN, DELETE, BACK)\n"
    "  close <caption> [<timeout-ms>]         WM_CLOSE; with a timeout wait for the owning\n"
    "                                         process to end and print 'exit <code>'\n"
    "  msgbox <caption> <timeout-ms>          wait for a box; print caption, text, buttons\n"
    "  pixel <x> <y>                          the screen colour as #RRGGBB\n"
    "  screenshot <out.bmp> [<caption>]       24-bit BMP of the screen or of one window\n"
    "  memory <caption>                       peak working set of the window's process (bytes)\n"
    "  start <exe> [arguments...]             start a process, print its id\n"
    "  hold-desktop                           stay on the desktop until killed, so that it is\n"
    "                                         never closed between tests; prints 'ready'\n"
    "A <child> is its text (with or without the & markers), #<control id> or @<list index>.\n"
    "Texts are UTF-8 or u8hex:<hex bytes of UTF-8>. Unix paths (/...) are read as Z:\\...\n";

constexpr DWORD kFindTimeoutMs = 5000;

// Thrown for the ordinary "not there" outcomes that a script tests for (exit code 1).
struct NotFound {
  std::string what;
};

void Write(HANDLE stream, const std::string& text) {
  DWORD written = 0;
  WriteFile(stream, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void Out(const std::string& line) { Write(GetStdHandle(STD_OUTPUT_HANDLE), line + "\n"); }
void Err(const std::string& line) { Write(GetStdHandle(STD_ERROR_HANDLE), line + "\n"); }

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

std::wstring TextArgument(const std::wstring& argument) {
  static constexpr std::wstring_view kHex = L"u8hex:";
  if (argument.compare(0, kHex.size(), kHex) != 0) return argument;
  const std::wstring hex = argument.substr(kHex.size());
  if (hex.size() % 2 != 0) throw DriverError("odd number of hex digits in " + WideToUtf8(argument));
  std::string bytes;
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = HexValue(hex[i]), low = HexValue(hex[i + 1]);
    if (high < 0 || low < 0) throw DriverError("not a hex digit in " + WideToUtf8(argument));
    bytes.push_back(static_cast<char>(high * 16 + low));
  }
  return Utf8ToWide(bytes);
}

unsigned long Number(const std::wstring& argument) {
  wchar_t* end = nullptr;
  const unsigned long value = std::wcstoul(argument.c_str(), &end, 0);
  if (argument.empty() || *end != L'\0') {
    throw DriverError("not a number: " + WideToUtf8(argument));
  }
  return value;
}

std::string Hex(const void* pointer) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "0x%llx",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(pointer)));
  return buffer;
}

std::string RectText(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

// One line per child: control characters and backslashes escaped.
std::string Escaped(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    switch (c) {
      case L'\\':
        out += L"\\\\";
        break;
      case L'\r':
        out += L"\\r";
        break;
      case L'\n':
        out += L"\\n";
        break;
      case L'\t':
        out += L"\\t";
        break;
      default:
        out.push_back(c);
    }
  }
  return WideToUtf8(out);
}

HWND TopWindow(const std::wstring& captionArgument, DWORD timeoutMs = kFindTimeoutMs) {
  const std::wstring caption = TextArgument(captionArgument);
  HWND window = WaitForWindow(WindowQuery::Captioned(caption), timeoutMs);
  if (!window) throw NotFound{"no window captioned " + WideToUtf8(caption)};
  return window;
}

ChildWindow Child(HWND top, const std::wstring& selectorArgument) {
  const std::wstring selector = TextArgument(selectorArgument);
  std::optional<ChildWindow> child;
  if (selector.size() > 1 && selector[0] == L'#') {
    child = FindChildById(top, static_cast<int>(Number(selector.substr(1))));
  } else if (selector.size() > 1 && selector[0] == L'@') {
    const auto children = ListChildren(top);
    const unsigned long index = Number(selector.substr(1));
    if (index < children.size()) child = children[index];
  } else {
    child = FindChildByText(top, selector);
  }
  if (!child) throw NotFound{"no child " + WideToUtf8(selector)};
  return *child;
}

UINT VirtualKey(const std::wstring& name) {
  static const std::map<std::wstring, UINT> kNames = {
      {L"RETURN", VK_RETURN}, {L"ESCAPE", VK_ESCAPE}, {L"TAB", VK_TAB},   {L"SPACE", VK_SPACE},
      {L"LEFT", VK_LEFT},     {L"RIGHT", VK_RIGHT},   {L"UP", VK_UP},     {L"DOWN", VK_DOWN},
      {L"DELETE", VK_DELETE}, {L"BACK", VK_BACK},     {L"HOME", VK_HOME}, {L"END", VK_END}};
  const auto named = kNames.find(name);
  return named != kNames.end() ? named->second : static_cast<UINT>(Number(name));
}

int WaitWindowCommand(const Args& a) {
  Out(Hex(TopWindow(a.at(0), Number(a.at(1)))));
  return 0;
}

int ListCommand(const Args& a) {
  const auto children = ListChildren(TopWindow(a.at(0)));
  for (size_t i = 0; i < children.size(); ++i) {
    const ChildWindow& c = children[i];
    long parent = -1;
    for (size_t j = 0; j < i; ++j) {
      if (children[j].hwnd == c.parent) parent = static_cast<long>(j);
    }
    char flags[32];
    std::snprintf(flags, sizeof flags, "%c%c 0x%08lx", c.visible ? 'v' : '-', c.enabled ? 'e' : '-',
                  static_cast<unsigned long>(c.style));
    Out(std::to_string(i) + "\t" + std::to_string(parent) + "\t" + WideToUtf8(c.className) + "\t" +
        std::to_string(c.id) + "\t" + RectText(c.rect) + "\tform:" + RectText(c.formRect) + "\t" +
        flags + "\t" + Escaped(c.text));
  }
  return 0;
}

int ClickCommand(const Args& a) {
  ClickControl(Child(TopWindow(a.at(0)), a.at(1)));
  return 0;
}

int SetTextCommand(const Args& a) {
  SetText(Child(TopWindow(a.at(0)), a.at(1)).hwnd, TextArgument(a.at(2)));
  return 0;
}

int TypeCommand(const Args& a) {
  TypeText(Child(TopWindow(a.at(0)), a.at(1)).hwnd, TextArgument(a.at(2)));
  return 0;
}

int KeyCommand(const Args& a) {
  PressKey(Child(TopWindow(a.at(0)), a.at(1)).hwnd, VirtualKey(a.at(2)));
  return 0;
}

int CloseCommand(const Args& a) {
  HWND window = TopWindow(a.at(0));
  if (a.size() < 2) {
    Close(window);
    return 0;
  }
  // Open the process before closing, so its exit code stays readable after it ends.
  const Process process = Process::OfWindow(window);
  Close(window);
  if (!process.WaitForExit(Number(a.at(1)))) throw NotFound{"the process did not end in time"};
  Out("exit " + std::to_string(process.ExitCode()));
  return 0;
}

int MessageBoxCommand(const Args& a) {
  const std::wstring caption = TextArgument(a.at(0));
  const auto box = WaitForMessageBox(WindowQuery::Captioned(caption), Number(a.at(1)));
  if (!box) throw NotFound{"no box captioned " + WideToUtf8(caption)};
  Out("caption\t" + Escaped(box->caption));
  Out("text\t" + Escaped(box->text));
  std::string buttons = "buttons";
  for (const auto& text : box->ButtonTexts()) buttons += "\t" + Escaped(text);
  Out(buttons);
  return 0;
}

int PixelCommand(const Args& a) {
  const COLORREF c =
      ReadScreenPixel(static_cast<int>(Number(a.at(0))), static_cast<int>(Number(a.at(1))));
  char text[16];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  Out(text);
  return 0;
}

int ScreenshotCommand(const Args& a) {
  if (a.size() >= 2) {
    SaveScreenshot(TextArgument(a.at(0)), ScreenRectOf(TopWindow(a.at(1))));
  } else {
    SaveScreenshot(TextArgument(a.at(0)));
  }
  return 0;
}

int MemoryCommand(const Args& a) {
  Out(std::to_string(Process::OfWindow(TopWindow(a.at(0))).PeakWorkingSet()));
  return 0;
}

int StartCommand(const Args& a) {
  std::vector<std::wstring> arguments;
  for (size_t i = 1; i < a.size(); ++i) arguments.push_back(TextArgument(a[i]));
  const Process process = Process::Start(FromUnixPath(TextArgument(a.at(0))), arguments);
  Out(std::to_string(process.Id()));
  return 0;
}

// Wine closes its virtual desktop one second after the last program other than the desktop's own
// explorer has left it, and starts a new one for the next program. A test program that starts in
// that second can end up on the desktop being closed, where its windows, and those of the tool it
// starts, are never shown; and each new explorer holds the output of whichever test started it.
// One hidden window that refuses to close keeps the desktop, and its one explorer, for the run.
LRESULT CALLBACK HolderProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) return 0;
  return DefWindowProcW(window, message, wParam, lParam);
}

int HoldDesktopCommand(const Args&) {
  WNDCLASSW holderClass{};
  holderClass.lpfnWndProc = HolderProcedure;
  holderClass.hInstance = GetModuleHandleW(nullptr);
  holderClass.lpszClassName = L"QvDesktopHolder";
  if (!RegisterClassW(&holderClass)) throw DriverError("RegisterClassW failed", GetLastError());
  if (!CreateWindowExW(0, holderClass.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                       holderClass.hInstance, nullptr)) {
    throw DriverError("CreateWindowExW failed", GetLastError());
  }
  Out("ready");
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}

struct Command {
  size_t minArguments;
  std::function<int(const Args&)> run;
};

const std::map<std::wstring, Command>& Commands() {
  static const std::map<std::wstring, Command> kCommands = {
      {L"wait-window", {2, WaitWindowCommand}},
      {L"list", {1, ListCommand}},
      {L"click", {2, ClickCommand}},
      {L"settext", {3, SetTextCommand}},
      {L"type", {3, TypeCommand}},
      {L"key", {3, KeyCommand}},
      {L"close", {1, CloseCommand}},
      {L"msgbox", {2, MessageBoxCommand}},
      {L"pixel", {2, PixelCommand}},
      {L"screenshot", {1, ScreenshotCommand}},
      {L"memory", {1, MemoryCommand}},
      {L"start", {1, StartCommand}},
      {L"hold-desktop", {0, HoldDesktopCommand}}};
  return kCommands;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
  if (argc < 2) {
    Write(errors, kUsage);
    return 2;
  }
  const auto command = Commands().find(argv[1]);
  const Args arguments(argv + 2, argv + argc);
  if (command == Commands().end() || arguments.size() < command->second.minArguments) {
    Write(errors, kUsage);
    return 2;
  }
  try {
    return command->second.run(arguments);
  } catch (const NotFound& e) {
    Err("qvdriver: " + e.what);
    return 1;
  } catch (const std::exception& e) {
    Err(std::string("qvdriver: ") + e.what());
    return 2;
  }
}
