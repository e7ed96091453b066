// What a file object named by its path asks of the system: its security descriptor's pieces read
// for a SECURITY_INFORMATION value, and pieces written with one. The pieces travel as bytes; the
// system is asked nothing else, and decides nothing.
#pragma once

#include <cstdint>
#include <optional>

#include "framework/ansi_string.h"
#include "security/binary_layout.h"

namespace qv {

// The system call that failed in a read.
enum class SecurityQuery { Read, Control, Owner, Group, Dacl, Sacl };

struct NamedSecurity {
  std::uint32_t error = 0;  // 0, or the system's code: then only failedQuery counts
  SecurityQuery failedQuery = SecurityQuery::Read;
  std::uint16_t control = 0;
  std::optional<Bytes> owner, group;  // the SIDs' bytes; nothing when the descriptor has none
  bool ownerDefaulted = false, groupDefaulted = false;
  bool daclPresent = false, saclPresent = false;
  std::optional<Bytes> dacl, sacl;  // the lists' bytes; nothing for a null list
  bool daclDefaulted = false, saclDefaulted = false;
};

// What a write passes; a piece left empty is passed as null.
struct SecurityPieces {
  std::optional<Bytes> owner, group, dacl, sacl;
};

class INamedSecurity {
 public:
  virtual ~INamedSecurity() = default;

  // One read of the named file object's descriptor for the SECURITY_INFORMATION value, taken
  // apart into its pieces; the system's copy is released before this returns.
  virtual NamedSecurity Read(const AnsiString& path, std::uint32_t securityInformation) = 0;
  // One write of the pieces with the SECURITY_INFORMATION value; the system applies the
  // inheritable entries of a written DACL to the object's children. Returns 0 or the system's
  // error code.
  virtual std::uint32_t Write(const AnsiString& path, std::uint32_t securityInformation,
                              const SecurityPieces& pieces) = 0;
};

}  // namespace qv
