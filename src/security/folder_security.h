// What the folder grant asks of the system: a folder's DACL as bytes, read by path for a look, and
// read and written through one opened folder for a change, so that what is changed is what was
// checked. Owner, group and SACL are never read or written by this system.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/ansi_string.h"
#include "security/binary_layout.h"
#include "security/folder_identity.h"

namespace qv {

// SECURITY_INFORMATION bits.
constexpr std::uint32_t kDaclSecurityInformation = 0x00000004;
constexpr std::uint32_t kProtectedDaclSecurityInformation = 0x80000000;
constexpr std::uint32_t kProtectedSaclSecurityInformation = 0x40000000;

// SECURITY_DESCRIPTOR_CONTROL bits.
constexpr std::uint16_t kControlDaclPresent = 0x0004;
constexpr std::uint16_t kControlDaclProtected = 0x1000;
constexpr std::uint16_t kControlSaclProtected = 0x2000;
constexpr std::uint16_t kControlSelfRelative = 0x8000;

// What a DACL is written with: the DACL bit and the protection of both lists as the read found
// them, so that writing it neither cuts the folder off from its parent nor joins it to it.
constexpr std::uint32_t DaclWriteInformation(std::uint16_t control) {
  std::uint32_t value = kDaclSecurityInformation;
  if (control & kControlDaclProtected) value |= kProtectedDaclSecurityInformation;
  if (control & kControlSaclProtected) value |= kProtectedSaclSecurityInformation;
  return value;
}

struct FolderDacl {
  std::uint32_t error = 0;    // 0, or the system's error code: then nothing else counts
  std::uint16_t control = 0;  // the descriptor's control word
  bool present = false;       // the descriptor has a DACL
  Bytes dacl;                 // its bytes; none for a NULL DACL (a volume without access control)
};

// A folder held open: it cannot be renamed, deleted or replaced while this lives.
class IOpenedFolder {
 public:
  virtual ~IOpenedFolder() = default;

  virtual FolderDacl ReadDacl() = 0;
  // Writes the DACL with the SECURITY_INFORMATION value given (the DACL bit and any protection
  // bits); the system applies its inheritable entries to what the folder holds. Returns 0 or
  // the system's error code.
  virtual std::uint32_t WriteDacl(std::uint32_t securityInformation, ByteView dacl) = 0;
};

class IFolderSecurity {
 public:
  virtual ~IFolderSecurity() = default;

  // The DACL part of the folder's security descriptor, looked up by path.
  virtual FolderDacl ReadDacl(const AnsiString& path) = 0;
  // Opens the object at path itself (a reparse point is not followed) for a change of its DACL,
  // and says what it is. Nothing is returned when identity.error is set.
  virtual std::unique_ptr<IOpenedFolder> OpenFolder(const AnsiString& path,
                                                    FolderIdentity& identity) = 0;
};

}  // namespace qv
