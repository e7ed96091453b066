#include "security/named_file.h"

#include "security/security_exception.h"

namespace qv {

namespace {

const char* CallOf(SecurityQuery query) {
  switch (query) {
    case SecurityQuery::Read:
      return "GetNamedSecurityInfo";
    case SecurityQuery::Control:
      return "GetSecurityDescriptorControl";
    case SecurityQuery::Owner:
      return "GetSecurityDescriptorOwner";
    case SecurityQuery::Group:
      return "GetSecurityDescriptorGroup";
    case SecurityQuery::Dacl:
      return "GetSecurityDescriptorDacl";
    case SecurityQuery::Sacl:
      return "GetSecurityDescriptorSacl";
  }
  return "?";
}

std::optional<Sid> SidOf(const std::optional<Bytes>& bytes) {
  if (!bytes) return std::nullopt;
  return Sid(*bytes);
}

}  // namespace

SecurityDescriptor NamedFile::Read(SecurityParts parts) const {
  if (path_.empty()) throw SecurityError("The file object has no path");
  const NamedSecurity read = system_.Read(path_, SecurityInformationOf(parts));
  if (read.error != 0) {
    throw SecurityError(Format("%s failed with code %u", CallOf(read.failedQuery), read.error));
  }
  SecurityDescriptor descriptor;
  descriptor.control = ControlFlagsOf(read.control);
  descriptor.owner = SidOf(read.owner);
  descriptor.ownerDefaulted = read.ownerDefaulted;
  descriptor.group = SidOf(read.group);
  descriptor.groupDefaulted = read.groupDefaulted;
  descriptor.daclDefaulted = read.daclDefaulted;
  descriptor.dacl.reset();
  if (read.daclPresent && read.dacl) descriptor.dacl = Dacl::Read(*read.dacl);
  descriptor.saclDefaulted = read.saclDefaulted;
  if (read.saclPresent && read.sacl) descriptor.sacl = Sacl::Read(*read.sacl);
  return descriptor;
}

void NamedFile::Write(const SecurityDescriptor& descriptor, SecurityParts parts) const {
  for (const auto protection : {SecurityPart::ProtectedDacl, SecurityPart::ProtectedSacl,
                                SecurityPart::UnprotectedDacl, SecurityPart::UnprotectedSacl}) {
    parts.Exclude(protection);
  }
  if (descriptor.GetProtectedState(0) == Protection::Protected) {
    parts.Include(SecurityPart::ProtectedDacl);
  }
  if (descriptor.GetProtectedState(1) == Protection::Protected) {
    parts.Include(SecurityPart::ProtectedSacl);
  }
  if (path_.empty()) throw SecurityError("The file object has no path");

  SecurityPieces pieces;
  const auto sidPiece = [&](SecurityPart part, const std::optional<Sid>& sid, const char* name) {
    if (!parts.Contains(part)) return std::optional<Bytes>();
    if (!sid) throw SecurityError(Format("The descriptor has no %s to write", name));
    return std::optional<Bytes>(Bytes(sid->View().begin(), sid->View().end()));
  };
  pieces.owner = sidPiece(SecurityPart::Owner, descriptor.owner, "owner");
  pieces.group = sidPiece(SecurityPart::Group, descriptor.group, "group");
  if (parts.Contains(SecurityPart::Dacl)) {
    // Passing no list would ask for a NULL DACL; leaving the part out would report a write that
    // never happened.
    if (!descriptor.dacl) throw SecurityError("The descriptor has no DACL to write");
    pieces.dacl = descriptor.dacl->Build();
  }
  if (parts.Contains(SecurityPart::Sacl) || parts.Contains(SecurityPart::Label)) {
    pieces.sacl = descriptor.sacl.Build();
  }
  const std::uint32_t code = system_.Write(path_, SecurityInformationOf(parts), pieces);
  if (code != 0) throw SecurityError(Format("SetNamedSecurityInfo failed with code %u", code));
}

}  // namespace qv
