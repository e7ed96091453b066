#include "dialog/environment_probes.h"

#include <cstring>
#include <vector>

#include "framework/errors.h"

namespace qv {

namespace {
constexpr std::uint32_t kTokenQuery = 8;  // TOKEN_QUERY
constexpr std::uint32_t kKeyAllAccess = 0xF003F;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kErrorInsufficientBuffer = 122;
constexpr std::size_t kTokenGroupsFirstSize = 1024;
// The group list can grow between the size query and the read; a few rounds settle it.
constexpr int kTokenGroupsReadAttempts = 4;
constexpr SidAuthority kSecurityNtAuthority = {0, 0, 0, 0, 0, 5};
constexpr std::uint32_t kSecurityBuiltinDomainRid = 32;

// Calls release(handle) when it goes out of scope, unless the handle is 0.
template <typename Release>
class ScopedHandle {
 public:
  ScopedHandle(OsHandle handle, Release release) : handle_(handle), release_(release) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() {
    if (handle_ != 0) release_(handle_);
  }
  OsHandle get() const { return handle_; }

 private:
  OsHandle handle_;
  Release release_;
};
}  // namespace

void EnvironmentProbes::RaiseLastOSError() {
  std::uint32_t code = platform_.LastError();
  throw EOSError(code, code == 0 ? AnsiString() : platform_.SystemErrorText(code));
}

bool EnvironmentProbes::IsInBuiltinGroup(std::int32_t rid) {
  std::vector<std::byte> groups(kTokenGroupsFirstSize);
  {
    ScopedHandle token(platform_.OpenCurrentProcessToken(kTokenQuery),
                       [this](OsHandle h) { platform_.CloseTokenHandle(h); });
    if (token.get() == 0) RaiseLastOSError();
    for (int attempt = 1;; ++attempt) {
      std::uint32_t needed = 0;
      if (platform_.ReadTokenGroups(token.get(), groups, needed)) break;
      // A long group list is no reason to fail: ask again with the size the system wants.
      bool retry = attempt < kTokenGroupsReadAttempts &&
                   platform_.LastError() == kErrorInsufficientBuffer && needed > groups.size();
      if (!retry) RaiseLastOSError();
      groups.assign(needed, std::byte{0});
    }
  }

  const std::uint32_t subAuthorities[] = {kSecurityBuiltinDomainRid,
                                          static_cast<std::uint32_t>(rid)};
  ScopedHandle sid(platform_.AllocateSid(kSecurityNtAuthority, subAuthorities),
                   [this](OsHandle h) { platform_.ReleaseSid(h); });
  if (sid.get() == 0) RaiseLastOSError();

  // Deny-only and disabled entries count too: the question is whether the group is listed.
  std::uint32_t count = platform_.TokenGroupCount(groups);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (platform_.TokenGroupSidEquals(groups, i, sid.get())) return true;
  }
  return false;
}

AnsiString EnvironmentProbes::GetSystemDir() {
  return ExcludeTrailingBackslash(platform_.SystemDirectory());
}

Cp932Path EnvironmentProbes::GetDocumentsDir() {
  Cp932Path dir = platform_.SpecialFolderPath(kCsidlPersonal);
  if (dir.text.empty()) {
    Cp932Path exe = platform_.ExecutablePath();
    std::size_t slash = LastDelimiter("\\", exe.text);
    dir.representable = exe.representable;
    // Up to the last backslash and without it; "D:" for an executable in the root of a drive.
    dir.text = slash == std::string_view::npos ? AnsiString() : exe.text.substr(0, slash);
  }
  dir.text = ExcludeTrailingBackslash(dir.text);
  return dir;
}

std::int32_t EnvironmentProbes::GetOsMajorVersion() { return platform_.OsMajorVersion(); }

std::int32_t EnvironmentProbes::ReadRegInteger(RegRoot root, const AnsiString& keyPath,
                                               const AnsiString& valueName) {
  if (GetOsMajorVersion() < 6) return 0;

  // A leading backslash means "from the root key itself", which is what the system call expects
  // of a path without one.
  AnsiString subKey = !keyPath.empty() && keyPath[0] == '\\' ? keyPath.substr(1) : keyPath;
  ScopedHandle key(platform_.OpenRegistryKey(root, subKey, kKeyAllAccess),
                   [this](OsHandle h) { platform_.CloseRegistryKey(h); });
  if (key.get() == 0) return 0;

  RegValueInfo info = platform_.QueryRegistryValue(key.get(), valueName);
  if (!info.exists) return 0;
  if (info.type != kRegDword) {
    throw Exception(Format("'%s' のデータ型が不正です", valueName.c_str()));
  }
  std::byte data[4] = {};
  std::uint32_t dataSize = 0;
  if (!platform_.ReadRegistryData(key.get(), valueName, data, dataSize) ||
      dataSize != sizeof data) {
    throw Exception(Format("'%s' の取得に失敗しました", valueName.c_str()));
  }
  std::int32_t value = 0;
  std::memcpy(&value, data, sizeof value);  // REG_DWORD is little-endian, as are both targets
  return value;
}

AnsiString SystemDriveRootOf(const AnsiString& systemDir) {
  AnsiString drive = ExtractFileDrive(systemDir);
  if (drive.empty()) return "C:\\";
  return AnsiUpperCase(drive) + "\\";
}

}  // namespace qv
