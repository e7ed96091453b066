#include "win/share/win_share_platform.h"

#include <windows.h>

#include <knownfolders.h>
#include <lm.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <utility>

#include "win/framework/cp932.h"
#include "win/framework/handles.h"
#include "win/framework/lazy_library.h"
#include "win/framework/os_error.h"
#include "win/framework/task_memory.h"
#include "win/security/win_folder_security.h"

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

// A path function that answers with the length it wrote, or the size it needs (null included)
// when the buffer is too small, or 0 on failure. "" on failure or when code page 932 cannot hold
// the answer (it would name another path).
template <typename PathFunction>
AnsiString AskForPath(PathFunction call) {
  std::wstring buffer(MAX_PATH + 1, L'\0');
  for (int attempt = 0; attempt < 3; ++attempt) {
    const DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length >= buffer.size()) {
      buffer.assign(length, L'\0');
      continue;
    }
    buffer.resize(length);
    bool lossy = false;
    AnsiString path = ToAnsi(buffer, &lossy);
    return lossy ? AnsiString() : path;
  }
  return {};
}

// Runs in a destructor: the library is loaded whenever a buffer exists, since the buffer came
// from it; were binding to fail all the same, the buffer leaks rather than end the program.
void FreeNetBuffer(BYTE* data) noexcept {
  try {
    QV_LAZY("netapi32.dll", NetApiBufferFree)(data);
  } catch (...) {
  }
}
// A buffer the network library allocated, given back to it.
using NetBuffer = UniqueAny<BYTE*, FreeNetBuffer>;

class HeldFolder : public IFolderHold {
 public:
  explicit HeldFolder(UniqueHandle handle) : handle_(std::move(handle)) {}

 private:
  UniqueHandle handle_;
};

}  // namespace

std::uint32_t WinSharePlatform::FileAttributes(const AnsiString& path) {
  return GetFileAttributesW(ToWide(path).c_str());
}

std::uint32_t WinSharePlatform::MakeDirectory(const AnsiString& path) {
  if (CreateDirectoryW(ToWide(path).c_str(), nullptr)) return 0;
  return GetLastError();
}

std::uint32_t WinSharePlatform::AddShare(const ShareInfo502& share, std::uint32_t& badParameter) {
  // The record points into these; every text is a string, the empty password included.
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
  DWORD refusedField = 0;
  // A null name is the documented way to name this computer.
  const NET_API_STATUS result = QV_LAZY("netapi32.dll", NetShareAdd)(
      nullptr, 502, reinterpret_cast<BYTE*>(&info), &refusedField);
  // The index is documented for ERROR_INVALID_PARAMETER only; otherwise it keeps the 0 given.
  badParameter = result != NERR_Success ? refusedField : 0;
  return result;
}

ShareDetails ReadShareDetails(const AnsiString& name) {
  std::wstring netname = ToWide(name);
  NetBuffer buffer;
  ShareDetails details;
  // A null name is the documented way to name this computer.
  details.result =
      QV_LAZY("netapi32.dll", NetShareGetInfo)(nullptr, netname.data(), 502, buffer.put());
  if (details.result != NERR_Success) return details;
  if (!buffer) {
    details.result = ERROR_INVALID_DATA;
    return details;
  }
  const auto* info = reinterpret_cast<const SHARE_INFO_502*>(buffer.get());
  bool lossy = false;
  if (info->shi502_path) details.path = ToAnsi(info->shi502_path, &lossy);
  details.pathRepresentable = !lossy;
  if (info->shi502_remark) details.remark = ToAnsi(info->shi502_remark);
  PSECURITY_DESCRIPTOR descriptor = info->shi502_security_descriptor;
  if (descriptor && IsValidSecurityDescriptor(descriptor)) {
    // The server hands it out self-relative, so its bytes are the whole of it.
    const auto* bytes = static_cast<const std::uint8_t*>(descriptor);
    details.descriptor.assign(bytes, bytes + GetSecurityDescriptorLength(descriptor));
  } else if (descriptor) {
    details.descriptorUnreadable = true;
  }
  return details;
}

ShareDetails WinSharePlatform::ReadShare(const AnsiString& name) { return ReadShareDetails(name); }

std::uint32_t WinSharePlatform::SetSharePermissions(const AnsiString& name,
                                                    const std::vector<std::uint8_t>& descriptor,
                                                    std::uint32_t& badParameter) {
  std::wstring netname = ToWide(name);
  std::vector<std::uint8_t> bytes = descriptor;
  SHARE_INFO_1501 info = {};
  info.shi1501_reserved = 0;
  info.shi1501_security_descriptor = bytes.empty() ? nullptr : bytes.data();
  DWORD refusedField = 0;
  const NET_API_STATUS result = QV_LAZY("netapi32.dll", NetShareSetInfo)(
      nullptr, netname.data(), 1501, reinterpret_cast<BYTE*>(&info), &refusedField);
  // As with NetShareAdd: the index is documented for ERROR_INVALID_PARAMETER only.
  badParameter = result != NERR_Success ? refusedField : 0;
  return result;
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

void WinSharePlatform::AnnounceShare(const AnsiString& path) {
  const auto notify = QV_LAZY("shell32.dll", SHChangeNotify);
  // Explorer refreshes its views of sharing only on a flushed association change.
  notify(SHCNE_ASSOCCHANGED, SHCNF_FLUSH, nullptr, nullptr);
  // The event that puts the shared overlay on the folder where a window shows it.
  notify(SHCNE_NETSHARE, SHCNF_PATHW | SHCNF_FLUSH, ToWide(path).c_str(), nullptr);
}

AnsiString WinSystemTexts::SystemMessageText(std::uint32_t code) {
  return FormattedMessage(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code);
}

AnsiString WinSystemTexts::NetworkMessageText(std::uint32_t code) {
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

std::vector<AnsiString> WinSharePlatform::SystemTrees() {
  std::vector<AnsiString> folders;
  for (const KNOWNFOLDERID* id : {&FOLDERID_Windows, &FOLDERID_ProgramFiles,
                                  &FOLDERID_ProgramFilesX86, &FOLDERID_ProgramFilesX64}) {
    AnsiString folder = KnownFolder(*id);
    if (!folder.empty()) folders.push_back(folder);
  }
  return folders;
}

AnsiString WinSharePlatform::FullPath(const AnsiString& path) {
  const std::wstring given = ToWide(path);
  return AskForPath([&given](wchar_t* buffer, DWORD size) {
    return GetFullPathNameW(given.c_str(), size, buffer, nullptr);
  });
}

AnsiString WinSharePlatform::LongPath(const AnsiString& path) {
  const std::wstring given = ToWide(path);
  return AskForPath([&given](wchar_t* buffer, DWORD size) {
    return GetLongPathNameW(given.c_str(), buffer, size);
  });
}

std::unique_ptr<IFolderHold> WinSharePlatform::OpenFolder(const AnsiString& path,
                                                          FolderOpening opening,
                                                          FolderIdentity& identity) {
  // A look needs no right on the folder's security and keeps nobody from anything.
  UniqueHandle handle =
      opening == FolderOpening::Keep
          ? OpenItself(path, kKeepAccess, kKeepSharing, identity)
          : OpenItself(path, FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, identity);
  if (!handle) return nullptr;
  return std::make_unique<HeldFolder>(std::move(handle));
}

TokenRights WinSharePlatform::ProcessTokenRights() {
  TokenRights rights;
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  UniqueAny<PSID, ::FreeSid> administrators;
  BOOL member = FALSE;
  // The group only counts when enabled: a filtered token holds it for deny only.
  if (AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                               DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, administrators.put()) &&
      CheckTokenMembership(nullptr, administrators.get(), &member)) {
    rights.administrator = member != FALSE;
  }
  UniqueHandle token;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) {
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    if (GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof(elevation), &size)) {
      rights.elevationKnown = true;
      rights.elevated = elevation.TokenIsElevated != 0;
    }
  }
  return rights;
}

DriveFacts WinSharePlatform::DriveOf(const AnsiString& path) {
  DriveFacts drive;
  const std::wstring given = ToWide(path);
  if (given.size() < 2 || given[1] != L':') return drive;
  const std::wstring letter = given.substr(0, 2);
  drive.type = GetDriveTypeW((letter + L"\\").c_str());
  // The answer is a list of strings ending in an empty one; the first is the current mapping.
  wchar_t device[MAX_PATH + 1] = {};
  if (QueryDosDeviceW(letter.c_str(), device, MAX_PATH) != 0) drive.device = ToAnsi(device);
  return drive;
}

}  // namespace qv::win
