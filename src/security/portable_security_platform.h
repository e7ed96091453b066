// The security platform as plain byte handling: what the host build runs on, and the default in
// every build until the Windows one is installed. Follows the documented behaviour of the real
// functions for well-formed input and refuses anything that does not fit the bytes it is given.
// Access tokens do not exist here: TokenUserSid always reports that there is none.
#pragma once

#include "security/security_platform.h"

namespace qv {

class TPortableSecurityPlatform : public ISecurityPlatform {
 public:
  std::optional<std::vector<std::uint8_t>> StringToSid(const AnsiString& text) override;
  std::optional<AnsiString> SidToString(TBytes sid) override;
  bool CopySid(TMutableBytes dest, TBytes source) override;
  std::uint32_t GetLengthSid(TBytes sid) override;
  bool IsValidAcl(TBytes acl) override;
  std::optional<std::size_t> GetAce(TBytes acl, std::uint32_t index) override;
  bool InitializeAcl(TMutableBytes acl, std::uint32_t revision) override;
  bool AddAce(TMutableBytes acl, std::uint32_t aceRevision, std::uint32_t startIndex,
              TBytes aces) override;
  bool AddObjectAce(std::uint8_t aceType, TMutableBytes acl, std::uint32_t aceRevision,
                    std::uint8_t flags, std::uint32_t mask, const TGuid* objectType,
                    const TGuid* inheritedObjectType, TBytes sid) override;
  void* GlobalAlloc(std::uint32_t flags, std::size_t size) override;
  void GlobalFree(void* memory) override;
  std::optional<std::vector<std::uint8_t>> TokenUserSid(TTokenSource source,
                                                        std::uint32_t desiredAccess) override;
};

}  // namespace qv
