// What the folder grant asks of the system: a folder's DACL, read and written as bytes by path.
// Owner, group and SACL are never read or written by this system.
#pragma once

#include <cstdint>

#include "framework/ansi_string.h"
#include "security/binary_layout.h"

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

struct FolderDacl {
  std::uint32_t error = 0;    // 0, or the system's error code: then nothing else counts
  std::uint16_t control = 0;  // the descriptor's control word
  bool present = false;       // the descriptor has a DACL
  Bytes dacl;                 // its bytes; none for a NULL DACL (a volume without access control)
};

class IFolderSecurity {
 public:
  virtual ~IFolderSecurity() = default;

  // The DACL part of the folder's security descriptor.
  virtual FolderDacl ReadDacl(const AnsiString& path) = 0;
  // Writes the DACL with the SECURITY_INFORMATION value given (the DACL bit and any protection
  // bits); the system applies its inheritable entries to what the folder holds. Returns 0 or
  // the system's error code.
  virtual std::uint32_t WriteDacl(const AnsiString& path, std::uint32_t securityInformation,
                                  ByteView dacl) = 0;
};

}  // namespace qv
