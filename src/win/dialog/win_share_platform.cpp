#include "win/dialog/win_share_platform.h"

#include <windows.h>

#include <knownfolders.h>
#include <lm.h>
#include <shlobj.h>

#include <string>

#include "win/framework/cp932.h"
#include "win/framework/handles.h"
#include "win/framework/lazy_library.h"
#include "win/framework/os_error.h"
#include "win/framework/task_memory.h"

namespace qv::win {

namespace {

// A folder the system names; "" when it names none or code page 932 cannot hold it.
AnsiString KnownFolder(REFKNOWNFOLDERID id) {
  // Owned also when the call fails: the system may hand out memory even then.
  UniqueTaskMemory<wchar_t> path;
  HRESULT hr =
      QV_LAZY("shell32.dll", SHGetKnownFolderPath)(id, KF_FLAG_DONT_VERIFY, nullptr, path.put());
  AnsiString result;
  if (SUCCEEDED(hr) && path) {
    bool lossy = false;
    result = ToAnsi(path.get(), &lossy);
    if (lossy) result.clear();
  }
  return result;
}

}  // namespace

std::uint32_t WinSharePlatform::FileAttributes(const AnsiString& path) {
  return GetFileAttributesW(ToWide(path).c_str());
}

std::uint32_t WinSharePlatform::MakeDirectory(const AnsiString& path) {
  if (CreateDirectoryW(ToWide(path).c_str(), nullptr)) return 0;
  return GetLastError();
}

std::uint32_t WinSharePlatform::AddShare(const AnsiString& serverName, const ShareInfo502& share) {
  // The record points into these; every text is a string, the empty password included.
  std::wstring server = ToWide(serverName);
  std::wstring netname = ToWide(share.shi502_netname);
  std::wstring remark = ToWide(share.shi502_remark);
  std::wstring path = ToWide(share.shi502_path);
  std::wstring passwd = ToWide(share.shi502_passwd);
  std::vector<std::uint8_t> descriptor = share.shi502_security_descriptor;

  SHARE_INFO_502 info = {};
  info.shi502_netname = netname.data();
  info.shi502_type = share.shi502_type;
  info.shi502_remark = remark.data();
  info.shi502_permissions = share.shi502_permissions;
  info.shi502_max_uses = share.shi502_max_uses;
  info.shi502_current_uses = share.shi502_current_uses;
  info.shi502_path = path.data();
  info.shi502_passwd = passwd.data();
  info.shi502_reserved = 0;
  info.shi502_security_descriptor = descriptor.empty() ? nullptr : descriptor.data();
  DWORD badParameter = 0;
  return QV_LAZY("netapi32.dll", NetShareAdd)(server.data(), 502, reinterpret_cast<BYTE*>(&info),
                                              &badParameter);
}

std::optional<VolumeFacts> VolumeOf(const AnsiString& path) {
  wchar_t root[MAX_PATH + 1] = {};
  if (!GetVolumePathNameW(ToWide(path).c_str(), root, MAX_PATH)) return std::nullopt;
  wchar_t fileSystem[MAX_PATH + 1] = {};
  VolumeFacts facts;
  if (!GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, &facts.flags, fileSystem,
                             MAX_PATH)) {
    return std::nullopt;
  }
  facts.fileSystem = ToAnsi(fileSystem);
  return facts;
}

bool WinSharePlatform::VolumeKeepsAcls(const AnsiString& path) {
  std::optional<VolumeFacts> volume = VolumeOf(path);
  return !volume || (volume->flags & FILE_PERSISTENT_ACLS) != 0;
}

void WinSharePlatform::NotifyShellChange(std::int32_t eventId, std::uint32_t flags,
                                         const AnsiString& path) {
  std::wstring item = ToWide(path);
  QV_LAZY("shell32.dll", SHChangeNotify)
  (eventId, flags, path.empty() ? nullptr : item.c_str(), nullptr);
}

AnsiString WinSharePlatform::SystemMessageText(std::uint32_t code) {
  return FormattedMessage(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code);
}

AnsiString WinSharePlatform::NetworkMessageText(std::uint32_t code) {
  // As a data file, from system32 only: no code of it runs, and a planted copy is not read.
  UniqueLibrary netmsg(LoadLibraryExW(L"netmsg.dll", nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_SEARCH_SYSTEM32));
  if (!netmsg) return {};
  return FormattedMessage(FORMAT_MESSAGE_FROM_HMODULE, netmsg.get(), code);
}

std::vector<AnsiString> WinSharePlatform::SystemFolders() {
  std::vector<AnsiString> folders;
  for (const KNOWNFOLDERID* id :
       {&FOLDERID_Windows, &FOLDERID_ProgramFiles, &FOLDERID_ProgramFilesX86,
        &FOLDERID_ProgramFilesX64, &FOLDERID_Profile}) {
    AnsiString folder = KnownFolder(*id);
    if (!folder.empty()) folders.push_back(folder);
  }
  return folders;
}

AnsiString WinSharePlatform::ProfilesFolder() { return KnownFolder(FOLDERID_UserProfiles); }

}  // namespace qv::win
