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
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "driver.h"
#include "e2e_support.h"

namespace qv::e2e {

// The share's own permissions, self-relative: header (owner, group and SACL absent, DACL at 20),
// an ACL of one entry, and that entry allowing Everyone (S-1-1-0) 0x001F01FF.
inline const std::wstring kEveryoneFullControlHex =
    L"0100048000000000000000000000000014000000"
    L"02001c0001000000"
    L"00001400ff011f00"
    L"010100000000000100000000";

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

inline bool IsDirectory(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

inline std::wstring SystemText(DWORD code) {
  wchar_t buf[512] = {0};
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                 512, nullptr);
  return buf;
}

// One block of the double's log: a NetShareAdd ("call"), a NetShareGetInfo ("query"), a
// NetShareDel ("delete") or a NetShareSetInfo ("setinfo").
struct NetapiRecord {
  std::string kind;
  std::map<std::string, std::wstring> fields;
};

inline std::vector<NetapiRecord> NetapiRecords(const std::wstring& log) {
  std::ifstream in(WideToUtf8(log).c_str(), std::ios::binary);
  std::vector<NetapiRecord> records;
  std::string line;
  while (std::getline(in, line)) {
    if (line == "call" || line == "query" || line == "delete" || line == "setinfo") {
      records.push_back({line, {}});
      continue;
    }
    auto eq = line.find('=');
    if (eq != std::string::npos && !records.empty()) {
      records.back().fields[line.substr(0, eq)] = Utf8ToWide(line.substr(eq + 1));
    }
  }
  return records;
}

// The fields of the last record of one kind, and the number of records of that kind under
// "calls".
inline std::map<std::string, std::wstring> LastNetapiRecord(const std::wstring& log,
                                                            const std::string& kind) {
  std::map<std::string, std::wstring> last;
  int count = 0;
  for (const NetapiRecord& r : NetapiRecords(log)) {
    if (r.kind != kind) continue;
    ++count;
    last = r.fields;
  }
  last["calls"] = std::to_wstring(count);
  return last;
}

// The fields of the last NetShareAdd call the double recorded in a log.
inline std::map<std::string, std::wstring> LastNetapiCall(const std::wstring& log) {
  return LastNetapiRecord(log, "call");
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

// For as long as it lives: the double in the system folder, the tool told to load it, and a fresh
// log (in the build folder under `dir`) named to it through QV_NETAPI_LOG. The answers set with
// Answer() and AnswerQuery() are taken back at the end.
class NetapiDoubleSession {
 public:
  explicit NetapiDoubleSession(const std::string& dir) {
    InstallNetapiDouble();
    std::wstring folder = BuildPath(dir);
    CreateDirectoryW(folder.c_str(), nullptr);
    log_ = folder + L"\\netapi.log";
    DeleteFileW(log_.c_str());
    logVariable_.emplace(L"QV_NETAPI_LOG", log_);
    override_.emplace();
  }
  ~NetapiDoubleSession() {
    for (const wchar_t* name :
         {L"QV_NETAPI_RESULT", L"QV_NETAPI_DELAY_MS", L"QV_NETAPI_GETINFO_RESULT",
          L"QV_NETAPI_DEL_RESULT", L"QV_NETAPI_PARM_ERR", L"QV_NETAPI_SETINFO_RESULT"}) {
      SetEnvironmentVariableW(name, nullptr);
    }
  }
  NetapiDoubleSession(const NetapiDoubleSession&) = delete;
  NetapiDoubleSession& operator=(const NetapiDoubleSession&) = delete;

  const std::wstring& Log() const { return log_; }
  void ClearLog() const { DeleteFileW(log_.c_str()); }
  // What NetShareAdd returns from now on.
  void Answer(DWORD code) const {
    SetEnvironmentVariableW(L"QV_NETAPI_RESULT", std::to_wstring(code).c_str());
  }
  // The field a failing NetShareAdd names as refused; 0 names none.
  void AnswerRefusedField(DWORD field) const {
    SetEnvironmentVariableW(L"QV_NETAPI_PARM_ERR",
                            field != 0 ? std::to_wstring(field).c_str() : nullptr);
  }
  // How long NetShareAdd holds before it answers.
  void Delay(DWORD ms) const {
    SetEnvironmentVariableW(L"QV_NETAPI_DELAY_MS", std::to_wstring(ms).c_str());
  }
  std::map<std::string, std::wstring> LastCall() const { return LastNetapiCall(log_); }
  std::map<std::string, std::wstring> LastQuery() const { return LastNetapiRecord(log_, "query"); }
  std::map<std::string, std::wstring> LastDelete() const {
    return LastNetapiRecord(log_, "delete");
  }
  std::map<std::string, std::wstring> LastSetInfo() const {
    return LastNetapiRecord(log_, "setinfo");
  }

 private:
  std::wstring log_;
  std::optional<ScopedEnvironment> logVariable_;
  std::optional<NativeNetapiOverride> override_;
};

}  // namespace qv::e2e
