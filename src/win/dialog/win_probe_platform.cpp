#include "win/dialog/win_probe_platform.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <string>

#include "win/framework/cp932.h"
#include "win/framework/lazy_library.h"

namespace qv::win {

namespace {
HANDLE AsHandle(OsHandle h) { return reinterpret_cast<HANDLE>(h); }
HKEY AsKey(OsHandle h) { return reinterpret_cast<HKEY>(h); }

Cp932Path PathFromWide(std::wstring_view wide) {
  bool lossy = false;
  AnsiString text = ToAnsi(wide, &lossy);
  return {text, !lossy};
}

// The group list as the system wrote it, and how many of its entries lie inside the buffer.
const TOKEN_GROUPS* AsTokenGroups(std::span<const std::byte> groups, DWORD& usableCount) {
  usableCount = 0;
  if (groups.size() < offsetof(TOKEN_GROUPS, Groups)) return nullptr;
  auto* list = reinterpret_cast<const TOKEN_GROUPS*>(groups.data());
  std::size_t room = (groups.size() - offsetof(TOKEN_GROUPS, Groups)) / sizeof(SID_AND_ATTRIBUTES);
  usableCount = static_cast<DWORD>(std::min<std::size_t>(list->GroupCount, room));
  return list;
}
}  // namespace

std::uint32_t WinProbePlatform::LastError() { return GetLastError(); }

AnsiString WinProbePlatform::SystemErrorText(std::uint32_t code) {
  wchar_t buffer[1024];
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
  std::wstring_view text(buffer, n);
  while (!text.empty() && text.back() <= L' ') text.remove_suffix(1);
  return ToAnsi(text);
}

OsHandle WinProbePlatform::OpenCurrentProcessToken(std::uint32_t access) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), access, &token)) return 0;
  return reinterpret_cast<OsHandle>(token);
}

void WinProbePlatform::CloseTokenHandle(OsHandle token) { CloseHandle(AsHandle(token)); }

bool WinProbePlatform::ReadTokenGroups(OsHandle token, std::span<std::byte> buffer,
                                       std::uint32_t& returnLength) {
  DWORD length = 0;
  BOOL ok = GetTokenInformation(AsHandle(token), TokenGroups, buffer.data(),
                                static_cast<DWORD>(buffer.size()), &length);
  returnLength = length;
  return ok != FALSE;
}

std::uint32_t WinProbePlatform::TokenGroupCount(std::span<const std::byte> groups) {
  DWORD count = 0;
  AsTokenGroups(groups, count);
  return count;
}

bool WinProbePlatform::TokenGroupSidEquals(std::span<const std::byte> groups, std::uint32_t index,
                                           OsHandle sid) {
  DWORD count = 0;
  const TOKEN_GROUPS* list = AsTokenGroups(groups, count);
  if (index >= count) return false;
  return EqualSid(list->Groups[index].Sid, reinterpret_cast<PSID>(sid)) != FALSE;
}

OsHandle WinProbePlatform::AllocateSid(const SidAuthority& authority,
                                       std::span<const std::uint32_t> subAuthorities) {
  if (subAuthorities.size() > 8) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  SID_IDENTIFIER_AUTHORITY sia;
  std::copy(authority.begin(), authority.end(), sia.Value);
  DWORD s[8] = {};
  std::copy(subAuthorities.begin(), subAuthorities.end(), s);
  PSID sid = nullptr;
  if (!AllocateAndInitializeSid(&sia, static_cast<BYTE>(subAuthorities.size()), s[0], s[1], s[2],
                                s[3], s[4], s[5], s[6], s[7], &sid)) {
    return 0;
  }
  return reinterpret_cast<OsHandle>(sid);
}

void WinProbePlatform::ReleaseSid(OsHandle sid) { FreeSid(reinterpret_cast<PSID>(sid)); }

AnsiString WinProbePlatform::SystemDirectory() {
  wchar_t buffer[512] = {};
  UINT n = GetSystemDirectoryW(buffer, static_cast<UINT>(std::size(buffer)));
  // 0 is a failure; a count not below the size is the size the system would have needed.
  if (n == 0 || n >= std::size(buffer)) return {};
  return ToAnsi(std::wstring_view(buffer, n));
}

Cp932Path WinProbePlatform::SpecialFolderPath(int csidl) {
  wchar_t buffer[MAX_PATH + 1] = {};
  if (!QV_LAZY("shell32.dll", SHGetSpecialFolderPathW)(nullptr, buffer, csidl, FALSE)) return {};
  return PathFromWide(buffer);
}

Cp932Path WinProbePlatform::ExecutablePath() { return ExecutableFilePath(); }

std::int32_t WinProbePlatform::OsMajorVersion() {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExW(&info);
  return static_cast<std::int32_t>(info.dwMajorVersion);
}

OsHandle WinProbePlatform::OpenRegistryKey(RegRoot root, const AnsiString& subKey,
                                           std::uint32_t access) {
  HKEY rootKey = root == RegRoot::rkLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  HKEY key = nullptr;
  if (RegOpenKeyExW(rootKey, ToWide(subKey).c_str(), 0, access, &key) != ERROR_SUCCESS) return 0;
  return reinterpret_cast<OsHandle>(key);
}

void WinProbePlatform::CloseRegistryKey(OsHandle key) { RegCloseKey(AsKey(key)); }

RegValueInfo WinProbePlatform::QueryRegistryValue(OsHandle key, const AnsiString& valueName) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(AsKey(key), ToWide(valueName).c_str(), nullptr, &type, nullptr, &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  return {true, type, size};
}

bool WinProbePlatform::ReadRegistryData(OsHandle key, const AnsiString& valueName,
                                        std::span<std::byte> buffer, std::uint32_t& dataSize) {
  DWORD size = static_cast<DWORD>(buffer.size());
  LONG result = RegQueryValueExW(AsKey(key), ToWide(valueName).c_str(), nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(buffer.data()), &size);
  dataSize = size;
  return result == ERROR_SUCCESS;
}

Cp932Path ExecutableFilePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return PathFromWide(path);
    }
    if (path.size() >= 0x10000) return {};  // longer than any path the system allows
    path.resize(path.size() * 2);           // truncated: try a larger buffer
  }
}

}  // namespace qv::win
