#include "win/app/run_report.h"

#include <cstdio>
#include <iterator>

#include "win/framework/cp932.h"

namespace qv::win {

namespace {
std::string Encode(const std::wstring& wide, UINT codePage) {
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

void WriteAll(HANDLE file, const std::string& bytes) {
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// A console answers GetConsoleMode; NUL and other character devices do not, and writing to them
// with WriteConsoleW would fail.
bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != FALSE;
}
}  // namespace

RunReport::RunReport() {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD type = out && out != INVALID_HANDLE_VALUE ? GetFileType(out) : FILE_TYPE_UNKNOWN;
  if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE ||
      (type == FILE_TYPE_CHAR && !IsConsole(out))) {
    redirected_ = out;
  } else if (AttachConsole(ATTACH_PARENT_PROCESS)) {
    // A program of the windows subsystem gets no standard handles from the console it attaches
    // to; the console's own output is opened by name.
    consoleOut_ = FileHandle(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         0, nullptr));
    console_ = consoleOut_.get();
  }
}

bool RunReport::OpenLog(const std::wstring& path) {
  // Reading the size needs FILE_READ_ATTRIBUTES beside the appending right.
  log_ = FileHandle(CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!log_) return false;
  // Windows PowerShell 5.1 and findstr read a file without the mark as code page 932. A log that
  // already holds lines keeps whatever it began with.
  LARGE_INTEGER size{};
  if (GetFileSizeEx(log_.get(), &size) && size.QuadPart == 0) WriteAll(log_.get(), "\xEF\xBB\xBF");
  return true;
}

void RunReport::Tell(const AnsiString& text) {
  for (const AnsiString& line : MessageLines(text)) {
    WriteLine(line);
    Log(line);
  }
}

void RunReport::LogOnly(const AnsiString& text) {
  for (const AnsiString& line : MessageLines(text)) Log(line);
}

void RunReport::WriteLine(const AnsiString& line) {
  std::wstring wide = ToWide(line) + L"\r\n";
  if (console_) {
    DWORD written = 0;
    WriteConsoleW(console_, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else if (redirected_) {
    UINT codePage = GetConsoleOutputCP();
    WriteAll(redirected_, Encode(wide, codePage != 0 ? codePage : GetOEMCP()));
  }
}

void RunReport::Log(const AnsiString& line) {
  if (!log_) return;
  SYSTEMTIME now;
  GetLocalTime(&now);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth,
                now.wDay, now.wHour, now.wMinute, now.wSecond);
  WriteAll(log_.get(), stamp + Encode(ToWide(line), CP_UTF8) + "\r\n");
}

namespace {
// GetUserNameW counts the terminating null in size and GetComputerNameW does not: the text is
// taken up to its null either way.
template <typename Get>
AnsiString NameFrom(Get get) {
  wchar_t buffer[256 + 1] = {};
  DWORD size = static_cast<DWORD>(std::size(buffer));
  return get(buffer, &size) ? ToAnsi(buffer) : AnsiString("?");
}

std::optional<bool> IsElevated() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return std::nullopt;
  UniqueHandle token(raw);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (!GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size)) {
    return std::nullopt;
  }
  return elevation.TokenIsElevated != 0;
}

// Minutes to add to UTC for the local time now: the bias is UTC minus local time, in minutes.
int UtcOffsetMinutes() {
  TIME_ZONE_INFORMATION zone{};
  LONG bias = 0;
  switch (GetTimeZoneInformation(&zone)) {
    case TIME_ZONE_ID_STANDARD:
      bias = zone.Bias + zone.StandardBias;
      break;
    case TIME_ZONE_ID_DAYLIGHT:
      bias = zone.Bias + zone.DaylightBias;
      break;
    case TIME_ZONE_ID_INVALID:
      return 0;
    default:  // no daylight saving in this zone
      bias = zone.Bias;
  }
  return -static_cast<int>(bias);
}
}  // namespace

RunFacts GatherRunFacts(const std::vector<std::wstring>& arguments) {
  RunFacts facts;
  facts.version = QV_PRODUCT_VERSION;
  for (const std::wstring& argument : arguments) facts.arguments.push_back(ToAnsi(argument));
  facts.user = NameFrom(GetUserNameW);
  facts.computer = NameFrom(GetComputerNameW);
  facts.elevated = IsElevated();
  facts.utcOffsetMinutes = UtcOffsetMinutes();
  return facts;
}

}  // namespace qv::win
