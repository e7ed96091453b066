// A folder's DACL through advapi32's security calls, the path turned into UTF-16 from code page
// 932: read by name for a look, read and written through one opened handle for a change.
// Translates, calls and reports; every decision is the grant's.
#pragma once

#include <windows.h>

#include <memory>

#include "security/folder_security.h"
#include "win/framework/handles.h"

namespace qv::win {

// Opens what is at path itself, never following a reparse point in its last component, with
// the access and sharing given, and says what it is: its attributes, its final path and the final
// path reached when a reparse point is followed. The handle is empty when identity.error is set.
UniqueHandle OpenItself(const AnsiString& path, DWORD access, DWORD sharing,
                        FolderIdentity& identity);

// The access and sharing of a folder held for a change of its DACL: it can be read and written
// by others meanwhile, but not renamed, deleted or replaced.
constexpr DWORD kKeepAccess = READ_CONTROL | WRITE_DAC;
constexpr DWORD kKeepSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;

class WinFolderSecurity : public IFolderSecurity {
 public:
  FolderDacl ReadDacl(const AnsiString& path) override;
  std::unique_ptr<IOpenedFolder> OpenFolder(const AnsiString& path,
                                            FolderIdentity& identity) override;
};

}  // namespace qv::win
