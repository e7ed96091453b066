#include "win/reach/win_share_files.h"

#include <windows.h>

#include <algorithm>

#include "win/framework/cp932.h"
#include "win/framework/os_error.h"

namespace qv::win {

namespace {
// Large enough for a good rate over the network, small enough for one call's limits.
constexpr DWORD kChunk = 256 * 1024;
}  // namespace

std::uint32_t WinShareFiles::Create(const AnsiString& path) {
  // CREATE_NEW: a file of that name is never someone else's file overwritten. Write-through, so
  // that the time measured is the time the server took to keep the data.
  file_ =
      FileHandle(CreateFileW(ToWide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
  return file_ ? 0 : GetLastError();
}

std::uint32_t WinShareFiles::Write(const std::vector<std::uint8_t>& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const DWORD part = static_cast<DWORD>(std::min<std::size_t>(kChunk, data.size() - done));
    DWORD written = 0;
    if (!WriteFile(file_.get(), data.data() + done, part, &written, nullptr)) {
      return GetLastError();
    }
    if (written == 0) return ERROR_WRITE_FAULT;
    done += written;
  }
  return FlushFileBuffers(file_.get()) ? 0 : GetLastError();
}

std::uint32_t WinShareFiles::ReadBack(std::size_t size, std::vector<std::uint8_t>& into) {
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN)) return GetLastError();
  into.assign(size, 0);
  std::size_t done = 0;
  while (done < size) {
    const DWORD part = static_cast<DWORD>(std::min<std::size_t>(kChunk, size - done));
    DWORD read = 0;
    if (!ReadFile(file_.get(), into.data() + done, part, &read, nullptr)) return GetLastError();
    if (read == 0) break;  // the end of the file: fewer bytes came back than were written
    done += read;
  }
  into.resize(done);
  return 0;
}

void WinShareFiles::Close() { file_.reset(); }

std::uint32_t WinShareFiles::Remove(const AnsiString& path) {
  return DeleteFileW(ToWide(path).c_str()) ? 0 : GetLastError();
}

double WinShareFiles::Seconds() {
  LARGE_INTEGER now{}, frequency{};
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

AnsiString WinShareFiles::UniqueFileName() {
  // The computer, the process and the moment: no two runs anywhere pick the same name.
  wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = L"";
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(computer, &size)) computer[0] = L'\0';
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  return "~qvsetshare-" + ToAnsi(computer) +
         Format("-%lX-%llX.tmp", GetCurrentProcessId(),
                static_cast<unsigned long long>(now.QuadPart));
}

AnsiString WinShareFiles::SystemText(std::uint32_t code) { return SystemErrorText(code); }

}  // namespace qv::win
