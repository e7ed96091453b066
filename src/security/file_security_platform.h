// The platform operations for the security descriptor of a named file object: the read and the
// write by path, the queries of a descriptor the read returned, and its release.
//
// Nothing is installed by default: the program installs the Windows implementation at start
// (InstallWindowsSecurityPlatform in win/security), host tests a fake
// (TScopedFileSecurityPlatform). Using the descriptor model without one raises ESecurityException.
#pragma once

#include <cstdint>

#include "framework/ansi_string.h"
#include "security/binary_layout.h"

namespace qv {

// SE_OBJECT_TYPE values.
enum TSecurityObjectType : std::uint32_t { otUnknownObject = 0, otFileObject = 1 };

// A descriptor as the platform returned it; only the platform looks inside.
using TPlatformDescriptor = void*;

class IFileSecurityPlatform {
 public:
  virtual ~IFileSecurityPlatform() = default;

  // GetNamedSecurityInfo with null owner, group, DACL and SACL pointers: 0 and the descriptor in
  // *descriptor, or the error code.
  virtual std::uint32_t ReadNamedSecurity(const AnsiString& path, TSecurityObjectType type,
                                          std::uint32_t securityInformation,
                                          TPlatformDescriptor* descriptor) = 0;
  // SetNamedSecurityInfo; a part whose bytes have a null data pointer is passed as null.
  // Returns 0 or the error code.
  virtual std::uint32_t WriteNamedSecurity(const AnsiString& path, TSecurityObjectType type,
                                           std::uint32_t securityInformation, TBytes owner,
                                           TBytes group, TBytes dacl, TBytes sacl) = 0;

  // The descriptor queries; false when the call fails. A null SID or list comes back as bytes
  // with a null data pointer; otherwise the bytes are the SID's or list's own (by its length).
  virtual bool DescriptorControl(TPlatformDescriptor descriptor, std::uint16_t& control) = 0;
  virtual bool DescriptorOwner(TPlatformDescriptor descriptor, TBytes& sid, bool& defaulted) = 0;
  virtual bool DescriptorGroup(TPlatformDescriptor descriptor, TBytes& sid, bool& defaulted) = 0;
  virtual bool DescriptorDacl(TPlatformDescriptor descriptor, bool& present, TBytes& acl,
                              bool& defaulted) = 0;
  virtual bool DescriptorSacl(TPlatformDescriptor descriptor, bool& present, TBytes& acl,
                              bool& defaulted) = 0;

  // LocalFree of a descriptor from ReadNamedSecurity.
  virtual void LocalFree(TPlatformDescriptor descriptor) = 0;
};

// The installed platform; raises ESecurityException when none is installed.
IFileSecurityPlatform& FileSecurityPlatform();
// Installs platform (null: none) and returns the one installed before.
IFileSecurityPlatform* SetFileSecurityPlatform(IFileSecurityPlatform* platform);

class TScopedFileSecurityPlatform {
 public:
  explicit TScopedFileSecurityPlatform(IFileSecurityPlatform& platform)
      : previous_(SetFileSecurityPlatform(&platform)) {}
  ~TScopedFileSecurityPlatform() { SetFileSecurityPlatform(previous_); }
  TScopedFileSecurityPlatform(const TScopedFileSecurityPlatform&) = delete;
  TScopedFileSecurityPlatform& operator=(const TScopedFileSecurityPlatform&) = delete;

 private:
  IFileSecurityPlatform* previous_;
};

}  // namespace qv
