#include "win/dialog/win_probe_platform.h"

#include <windows.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "framework/errors.h"
#include "win/framework/cp932.h"
#include "win/framework/handles.h"
#include "win/framework/lazy_library.h"
#include "win/framework/os_error.h"

namespace qv::win {

namespace {
Cp932Path PathFromWide(std::wstring_view wide) {
  bool lossy = false;
  AnsiString text = ToAnsi(wide, &lossy);
  return {text, !lossy};
}

}  // namespace

// A fixed 1,024 bytes would turn an administrator whose token lists many groups (domain users
// often need more) into a system error that ends the program; the size the system names is read
// instead. The list can grow between the two reads; a few rounds settle it.
std::vector<std::byte> ReadTokenGroups(void* token, std::size_t firstSize) {
  std::vector<std::byte> groups(firstSize);
  for (int attempt = 1;; ++attempt) {
    DWORD needed = 0;
    if (GetTokenInformation(token, TokenGroups, groups.data(), static_cast<DWORD>(groups.size()),
                            &needed)) {
      return groups;
    }
    if (attempt >= 4 || GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= groups.size()) {
      RaiseLastOSError();
    }
    groups.assign(needed, std::byte{0});
  }
}

bool WinProbePlatform::IsInBuiltinGroup(std::int32_t rid) {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) RaiseLastOSError();
  std::vector<std::byte> buffer = ReadTokenGroups(token.get());

  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  UniqueAny<PSID, ::FreeSid> sid;
  if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                static_cast<DWORD>(rid), 0, 0, 0, 0, 0, 0, sid.put())) {
    RaiseLastOSError();
  }

  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  for (DWORD i = 0; i < groups->GroupCount; ++i) {
    if (EqualSid(groups->Groups[i].Sid, sid.get())) return true;
  }
  return false;
}

AnsiString WinProbePlatform::SystemDirectory() {
  wchar_t buffer[512] = {};
  UINT n = GetSystemDirectoryW(buffer, static_cast<UINT>(std::size(buffer)));
  // 0 is a failure; a count not below the size is the size the system would have needed.
  if (n == 0 || n >= std::size(buffer)) return {};
  return ToAnsi(std::wstring_view(buffer, n));
}

Cp932Path WinProbePlatform::DocumentsFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  if (!QV_LAZY("shell32.dll", SHGetSpecialFolderPathW)(nullptr, buffer, CSIDL_PERSONAL, FALSE)) {
    return {};
  }
  return PathFromWide(buffer);
}

Cp932Path WinProbePlatform::ExecutablePath() { return ExecutableFilePath(); }

std::int32_t WinProbePlatform::OsMajorVersion() {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExW(&info);
  return static_cast<std::int32_t>(info.dwMajorVersion);
}

RegistryDword WinProbePlatform::ReadDword(RegistryRoot root, const AnsiString& subKey,
                                          const AnsiString& valueName) {
  HKEY rootKey = root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  UniqueRegKey key;
  // Reading needs no more: asking for full access would fail on a key that lets us read but not
  // write, and that refusal would read as "0", user account control off.
  if (RegOpenKeyExW(rootKey, ToWide(subKey).c_str(), 0, KEY_QUERY_VALUE, key.put()) !=
      ERROR_SUCCESS) {
    return {};
  }
  std::wstring name = ToWide(valueName);
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    return {};
  }
  if (type != REG_DWORD) return {RegistryDword::State::WrongType, 0};
  DWORD value = 0;
  size = sizeof value;
  if (RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                       &size) != ERROR_SUCCESS ||
      size != sizeof value) {
    return {RegistryDword::State::Unreadable, 0};
  }
  return {RegistryDword::State::Read, static_cast<std::int32_t>(value)};
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
