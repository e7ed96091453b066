// A file or folder named by its path, whose security descriptor is read and written through the
// file security platform. Works by path only; no handle is ever opened.
#pragma once

#include <memory>

#include "framework/ansi_string.h"
#include "security/file_security_platform.h"
#include "security/security_descriptor.h"

// <windows.h> makes these two names macros for the ...W functions; keep them ours here.
#pragma push_macro("GetNamedSecurityInfo")
#pragma push_macro("SetNamedSecurityInfo")
#undef GetNamedSecurityInfo
#undef SetNamedSecurityInfo

namespace qv {

class TSecureBaseClass {
 public:
  virtual ~TSecureBaseClass() = default;

  // One read of the named object's descriptor for the parts asked for, made into a new
  // TSecurityDescriptor; the platform's descriptor is released on every path. A failed read
  // raises ESecurityException with the code.
  static std::unique_ptr<TSecurityDescriptor> GetNamedSecurityInfo(const AnsiString& path,
                                                                   TSecurityObjectType type,
                                                                   TSecurityInformation parts);
  // One write of the DACL of descriptor (built with CreatePacl and released after the call) with
  // the SECURITY_INFORMATION value of parts; owner, group and SACL are passed as null. A DACL
  // part with no DACL in the descriptor is left out of the parts, since a null DACL written would
  // grant everyone everything. Raises ESecurityException for a null descriptor, for parts that
  // ask to write the owner, group, SACL or label (this system never writes them), and for a
  // failed write, with the code.
  static void SetNamedSecurityInfo(const AnsiString& path, TSecurityObjectType type,
                                   TSecurityDescriptor* descriptor, TSecurityInformation parts);
};

class TSecureFileObject : public TSecureBaseClass {
 public:
  explicit TSecureFileObject(AnsiString path) : path_(std::move(path)) {}
  const AnsiString& Path() const { return path_; }

  // A new descriptor holding the parts asked for. Raises ESecurityException for an empty path.
  std::unique_ptr<TSecurityDescriptor> GetSecurityDescriptor(TSecurityInformation parts) const;
  // Writes the named parts of descriptor. The protection of the lists is always taken from the
  // descriptor as it was read (its control flags), never from parts. Raises ESecurityException
  // for an empty path.
  void SetSecurityDescriptor(TSecurityDescriptor& descriptor, TSecurityInformation parts) const;

 private:
  AnsiString path_;
};

}  // namespace qv

#pragma pop_macro("SetNamedSecurityInfo")
#pragma pop_macro("GetNamedSecurityInfo")
