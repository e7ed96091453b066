// The security platforms on Windows: the SID, ACL and token functions of advapi32 and the named
// object security calls, wide variants with texts converted with code page 932. They translate,
// call and report; every decision stays in the portable model.
#pragma once

#include "security/file_security_platform.h"
#include "security/security_platform.h"

namespace qv::win {

class WinSecurityPlatform : public ISecurityPlatform {
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

class WinFileSecurityPlatform : public IFileSecurityPlatform {
 public:
  std::uint32_t ReadNamedSecurity(const AnsiString& path, TSecurityObjectType type,
                                  std::uint32_t securityInformation,
                                  TPlatformDescriptor* descriptor) override;
  std::uint32_t WriteNamedSecurity(const AnsiString& path, TSecurityObjectType type,
                                   std::uint32_t securityInformation, TBytes owner, TBytes group,
                                   TBytes dacl, TBytes sacl) override;
  bool DescriptorControl(TPlatformDescriptor descriptor, std::uint16_t& control) override;
  bool DescriptorOwner(TPlatformDescriptor descriptor, TBytes& sid, bool& defaulted) override;
  bool DescriptorGroup(TPlatformDescriptor descriptor, TBytes& sid, bool& defaulted) override;
  bool DescriptorDacl(TPlatformDescriptor descriptor, bool& present, TBytes& acl,
                      bool& defaulted) override;
  bool DescriptorSacl(TPlatformDescriptor descriptor, bool& present, TBytes& acl,
                      bool& defaulted) override;
  void LocalFree(TPlatformDescriptor descriptor) override;
};

// Makes both of them the process-wide platforms. Call once at program start, before the first
// grant.
void InstallWindowsSecurityPlatform();

}  // namespace qv::win
