// A file object's security descriptor read and written by name through advapi32, the path turned
// into UTF-16 from code page 932. Translates, calls and reports; every decision is the model's.
#pragma once

#include "security/named_security.h"

namespace qv::win {

class WinNamedSecurity : public INamedSecurity {
 public:
  NamedSecurity Read(const AnsiString& path, std::uint32_t securityInformation) override;
  std::uint32_t Write(const AnsiString& path, std::uint32_t securityInformation,
                      const SecurityPieces& pieces) override;
};

}  // namespace qv::win
