// A file or folder named by its path, whose security descriptor is read into memory and whose
// parts are written back. Works by path only: the system resolves the path at each call, so
// what the two calls reach is what the path names at that moment (the folder grant, which must
// change the folder the administrator chose, works through a checked handle instead).
#pragma once

#include "framework/ansi_string.h"
#include "security/named_security.h"
#include "security/security_descriptor.h"

namespace qv {

class NamedFile {
 public:
  // Makes no call to the system.
  NamedFile(INamedSecurity& system, AnsiString path) : system_(system), path_(std::move(path)) {}
  const AnsiString& Path() const { return path_; }

  // A new descriptor holding the parts asked for; the ones not asked for are as in a new
  // descriptor except that the DACL is nothing unless it was read. Raises SecurityError for an
  // empty path, a failed read (naming the call and its code) and pieces that cannot be read.
  SecurityDescriptor Read(SecurityParts parts) const;

  // Writes the parts named of the descriptor in one call. The protection of each list is the
  // one the descriptor holds (as it was read), whatever the parts say, so that a write neither
  // cuts a list off from its parent nor joins it to it. The SACL is passed for the SACL and for
  // the label part. Raises SecurityError, before any call, for an empty path and for an owner,
  // group or DACL asked for that the descriptor lacks (a missing DACL is never written as a
  // NULL DACL, which would grant everyone everything) or a list that cannot be built; and for a
  // failed write, naming the call and its code. Nothing is retried or restored.
  void Write(const SecurityDescriptor& descriptor, SecurityParts parts) const;

 private:
  INamedSecurity& system_;
  AnsiString path_;
};

}  // namespace qv
