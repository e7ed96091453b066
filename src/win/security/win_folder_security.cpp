#include "win/security/win_folder_security.h"

#include <windows.h>

#include <aclapi.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "win/framework/cp932.h"
#include "win/framework/handles.h"

namespace qv::win {

namespace {

// A failed query of a descriptor the system itself made: report its code, never success.
std::uint32_t LastErrorOr(std::uint32_t fallback) {
  const DWORD code = GetLastError();
  return code != ERROR_SUCCESS ? code : fallback;
}

// What a read of a descriptor gave: the call's error, or the DACL part of the descriptor the
// system allocated for us.
FolderDacl DaclOf(DWORD error, PSECURITY_DESCRIPTOR received) {
  FolderDacl folder;
  if (error != ERROR_SUCCESS) {
    folder.error = error;
    return folder;
  }
  if (!received) {
    folder.error = ERROR_INVALID_SECURITY_DESCR;
    return folder;
  }
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  if (!GetSecurityDescriptorControl(received, &control, &revision) ||
      !GetSecurityDescriptorDacl(received, &present, &dacl, &defaulted)) {
    folder.error = LastErrorOr(ERROR_INVALID_SECURITY_DESCR);
    return folder;
  }
  folder.control = control;
  folder.present = present != FALSE;
  if (folder.present && dacl) {
    // The list lies inside the self-relative descriptor: copy no byte from outside it.
    const auto* start = static_cast<const std::uint8_t*>(received);
    const auto* list = reinterpret_cast<const std::uint8_t*>(dacl);
    const std::size_t length = GetSecurityDescriptorLength(received);
    if (list < start || static_cast<std::size_t>(list - start) + dacl->AclSize > length) {
      folder.error = ERROR_INVALID_ACL;
      return folder;
    }
    folder.dacl.assign(list, list + dacl->AclSize);
  }
  return folder;
}

// The final path of what a handle is open on, as the system spells it (with \\?\); "" when the
// system does not give it.
AnsiString FinalPathOf(HANDLE handle) {
  std::wstring path(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 3; ++attempt) {
    const DWORD length =
        GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return {};
    // Too small: the answer is the size needed, terminating null included.
    if (length >= path.size()) {
      path.assign(length, L'\0');
      continue;
    }
    path.resize(length);
    return ToAnsi(path);
  }
  return {};
}

class OpenedFolder : public IOpenedFolder {
 public:
  explicit OpenedFolder(UniqueHandle handle) : handle_(std::move(handle)) {}

  FolderDacl ReadDacl() override {
    UniqueLocal descriptor;
    const DWORD error = GetSecurityInfo(handle_.get(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                        nullptr, nullptr, nullptr, nullptr, descriptor.put());
    return DaclOf(error, descriptor.get());
  }

  std::uint32_t WriteDacl(std::uint32_t securityInformation, ByteView dacl) override {
    // A null list would be a NULL DACL, which grants everyone everything: never pass one.
    if (dacl.size() < sizeof(ACL)) return ERROR_INVALID_ACL;
    // The call takes the list as writable memory: it gets its own copy, aligned for an ACL.
    auto list = std::make_unique<DWORD[]>((dacl.size() + sizeof(DWORD) - 1) / sizeof(DWORD));
    std::memcpy(list.get(), dacl.data(), dacl.size());
    return SetSecurityInfo(handle_.get(), SE_FILE_OBJECT, securityInformation, nullptr, nullptr,
                           reinterpret_cast<PACL>(list.get()), nullptr);
  }

 private:
  UniqueHandle handle_;
};

}  // namespace

UniqueHandle OpenItself(const AnsiString& path, DWORD access, DWORD sharing,
                        FolderIdentity& identity) {
  identity = {};
  const std::wstring name = ToWide(path);
  // Backup semantics open folders; the reparse flag opens a junction itself, not its target.
  UniqueHandle handle =
      FileHandle(CreateFileW(name.c_str(), access, sharing, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!handle) {
    identity.error = LastErrorOr(ERROR_OPEN_FAILED);
    return {};
  }
  BY_HANDLE_FILE_INFORMATION information = {};
  if (!GetFileInformationByHandle(handle.get(), &information)) {
    identity.error = LastErrorOr(ERROR_OPEN_FAILED);
    return {};
  }
  identity.attributes = information.dwFileAttributes;
  identity.finalPath = FinalPathOf(handle.get());
  if (identity.finalPath.empty()) {
    identity.error = LastErrorOr(ERROR_PATH_NOT_FOUND);
    return {};
  }
  identity.targetPath = identity.finalPath;
  if (identity.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    // Only to learn where it leads: no access to the target's data or its security.
    const UniqueHandle followed = FileHandle(CreateFileW(
        name.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    // A link that leads nowhere has no target to compare: "" differs from every path.
    identity.targetPath = followed ? FinalPathOf(followed.get()) : AnsiString();
  }
  return handle;
}

FolderDacl WinFolderSecurity::ReadDacl(const AnsiString& path) {
  // The call allocates the descriptor with LocalAlloc for its caller.
  UniqueLocal descriptor;
  const DWORD error =
      GetNamedSecurityInfoW(ToWide(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                            nullptr, nullptr, nullptr, nullptr, descriptor.put());
  return DaclOf(error, descriptor.get());
}

std::unique_ptr<IOpenedFolder> WinFolderSecurity::OpenFolder(const AnsiString& path,
                                                             FolderIdentity& identity) {
  UniqueHandle handle = OpenItself(path, kKeepAccess, kKeepSharing, identity);
  if (!handle) return nullptr;
  return std::make_unique<OpenedFolder>(std::move(handle));
}

}  // namespace qv::win
