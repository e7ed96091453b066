// The netapi32 test double in the test prefix. The tool loads the network library from the system
// folder only, so the double lives in the prefix's system32 in place of Wine's own file (a copy of
// which is kept to put back). Wine hands the file there only to a process told to load netapi32 as
// a native library; every other process keeps Wine's built-in one.
//
// Wine 8 takes WINEDLLOVERRIDES for a process it starts from the Unix environment of the wine
// command line, not from the Windows environment of the parent: a test program cannot pass the
// override to the tool that way. The override is given per program name instead
// (HKCU\Software\Wine\AppDefaults\qvsetshare.exe\DllOverrides), only while one test runs; the
// end-to-end tests never run beside each other.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>

#include "driver.h"
#include "e2e_support.h"

namespace qv::e2e {

inline std::wstring SystemNetapiPath() {
  wchar_t dir[MAX_PATH] = {};
  GetSystemDirectoryW(dir, MAX_PATH);
  return std::wstring(dir) + L"\\netapi32.dll";
}

// Wine's own system32\netapi32.dll, kept aside the first time the double replaces it.
inline std::wstring KeptWineNetapiPath() {
  wchar_t dir[MAX_PATH] = {};
  GetWindowsDirectoryW(dir, MAX_PATH);
  return std::wstring(dir) + L"\\qv-e2e-netapi32-wine.dll";
}

inline std::wstring NetapiDoublePath() { return FromUnixPath(Utf8ToWide(QV_NETAPI_DOUBLE)); }

inline std::optional<std::string> FileBytes(const std::wstring& path) {
  std::ifstream in(WideToUtf8(path).c_str(), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool SystemHoldsNetapiDouble() {
  auto installed = FileBytes(SystemNetapiPath());
  auto built = FileBytes(NetapiDoublePath());
  return installed && built && *installed == *built;
}

// Puts the double into system32; Wine's file is kept aside first if it has not been yet.
inline void InstallNetapiDouble() {
  if (!FileExists(KeptWineNetapiPath())) {
    ASSERT_FALSE(SystemHoldsNetapiDouble()) << "Wine's own netapi32.dll was lost";
    ASSERT_TRUE(CopyFileW(SystemNetapiPath().c_str(), KeptWineNetapiPath().c_str(), TRUE))
        << GetLastError();
  }
  ASSERT_TRUE(CopyFileW(NetapiDoublePath().c_str(), SystemNetapiPath().c_str(), FALSE))
      << GetLastError();
}

// Puts Wine's own file back into system32 (nothing to do if the double was never installed).
inline void RestoreWineNetapi() {
  if (FileExists(KeptWineNetapiPath())) {
    ASSERT_TRUE(CopyFileW(KeptWineNetapiPath().c_str(), SystemNetapiPath().c_str(), FALSE))
        << GetLastError();
  }
  ASSERT_FALSE(SystemHoldsNetapiDouble());
}

// Sets an environment variable for the processes the test starts from now on, and puts the old
// value back when it goes.
class ScopedEnvironment {
 public:
  ScopedEnvironment(std::wstring name, const std::wstring& value) : name_(std::move(name)) {
    wchar_t buf[4096];
    DWORD n = GetEnvironmentVariableW(name_.c_str(), buf, 4096);
    if (n > 0 && n < 4096) old_ = std::wstring(buf, n);
    SetEnvironmentVariableW(name_.c_str(), value.c_str());
  }
  ~ScopedEnvironment() { SetEnvironmentVariableW(name_.c_str(), old_ ? old_->c_str() : nullptr); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::wstring name_;
  std::optional<std::wstring> old_;
};

inline std::wstring ToolAppDefaultsKey() {
  std::wstring tool = ToolPath();
  return L"Software\\Wine\\AppDefaults\\" + tool.substr(tool.find_last_of(L'\\') + 1);
}

// Takes away the override a test that ended early may have left.
inline void RemoveNativeNetapiOverride() {
  RegDeleteTreeW(HKEY_CURRENT_USER, ToolAppDefaultsKey().c_str());
}

// For as long as it lives, the tool (under its own name, wherever it lies) loads netapi32 as a
// native library from the system folder, and fails to load it if there is only Wine's own.
class NativeNetapiOverride {
 public:
  NativeNetapiOverride() {
    HKEY key = nullptr;
    std::wstring path = ToolAppDefaultsKey() + L"\\DllOverrides";
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                     nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
      const wchar_t native[] = L"native";
      status = RegSetValueExW(key, L"netapi32", 0, REG_SZ, reinterpret_cast<const BYTE*>(native),
                              sizeof(native));
      RegCloseKey(key);
    }
    EXPECT_EQ(status, ERROR_SUCCESS) << "the native netapi32 override";
  }
  ~NativeNetapiOverride() { RemoveNativeNetapiOverride(); }
  NativeNetapiOverride(const NativeNetapiOverride&) = delete;
  NativeNetapiOverride& operator=(const NativeNetapiOverride&) = delete;
};

}  // namespace qv::e2e
