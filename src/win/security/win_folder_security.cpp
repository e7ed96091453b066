#include "win/security/win_folder_security.h"

#include <windows.h>

#include <aclapi.h>

#include <cstring>
#include <memory>
#include <string>

#include "win/framework/cp932.h"
#include "win/framework/handles.h"

namespace qv::win {

namespace {

// A failed query of a descriptor the system itself made: report its code, never success.
std::uint32_t LastErrorOr(std::uint32_t fallback) {
  const DWORD code = GetLastError();
  return code != ERROR_SUCCESS ? code : fallback;
}

}  // namespace

FolderDacl WinFolderSecurity::ReadDacl(const AnsiString& path) {
  FolderDacl folder;
  // The call allocates the descriptor with LocalAlloc for its caller.
  UniqueLocal descriptor;
  folder.error =
      GetNamedSecurityInfoW(ToWide(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                            nullptr, nullptr, nullptr, nullptr, descriptor.put());
  if (folder.error != ERROR_SUCCESS) return folder;
  const PSECURITY_DESCRIPTOR received = descriptor.get();
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

std::uint32_t WinFolderSecurity::WriteDacl(const AnsiString& path,
                                           std::uint32_t securityInformation, ByteView dacl) {
  // A null list would be a NULL DACL, which grants everyone everything: never pass one.
  if (dacl.size() < sizeof(ACL)) return ERROR_INVALID_ACL;
  // The call takes the list as writable memory: it gets its own copy, aligned for an ACL.
  std::wstring name = ToWide(path);
  auto list = std::make_unique<DWORD[]>((dacl.size() + sizeof(DWORD) - 1) / sizeof(DWORD));
  std::memcpy(list.get(), dacl.data(), dacl.size());
  return SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, securityInformation, nullptr, nullptr,
                               reinterpret_cast<PACL>(list.get()), nullptr);
}

}  // namespace qv::win
