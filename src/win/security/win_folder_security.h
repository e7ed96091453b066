// A folder's DACL read and written through advapi32's named-object security calls, the path
// turned into UTF-16 from code page 932. Translates, calls and reports; every decision is the
// grant's.
#pragma once

#include "security/folder_security.h"

namespace qv::win {

class WinFolderSecurity : public IFolderSecurity {
 public:
  FolderDacl ReadDacl(const AnsiString& path) override;
  std::uint32_t WriteDacl(const AnsiString& path, std::uint32_t securityInformation,
                          ByteView dacl) override;
};

}  // namespace qv::win
