#include "win/app/run_report.h"

#include <cstdio>

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
}  // namespace

RunReport::RunReport() {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD type = out && out != INVALID_HANDLE_VALUE ? GetFileType(out) : FILE_TYPE_UNKNOWN;
  if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) {
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
  log_ = FileHandle(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(log_);
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

}  // namespace qv::win
