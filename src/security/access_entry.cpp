#include "security/access_entry.h"

#include <algorithm>
#include <utility>

#include "security/security_exception.h"

namespace qv {

namespace {

// Where the SID of an entry of a known layout begins, or nothing when its fixed part does not fit.
std::optional<std::size_t> SidOffset(ByteView entry) {
  if (entry.size() < layout::kPlainAceFixedSize) return std::nullopt;
  if (!IsObjectAceType(entry[0])) return layout::kPlainAceFixedSize;
  if (entry.size() < layout::kObjectAceFixedSizeNoGuids) return std::nullopt;
  const std::uint32_t present = layout::ReadU32(entry, layout::kPlainAceFixedSize);
  std::size_t at = layout::kObjectAceFixedSizeNoGuids;
  if (present & layout::kObjectTypePresent) at += layout::kGuidSize;
  if (present & layout::kInheritedObjectTypePresent) at += layout::kGuidSize;
  if (at > entry.size()) return std::nullopt;
  return at;
}

std::optional<Guid> GuidAt(ByteView entry, std::uint32_t which) {
  if (!IsObjectAceType(entry[0])) return std::nullopt;
  const std::uint32_t present = layout::ReadU32(entry, layout::kPlainAceFixedSize);
  if (!(present & which)) return std::nullopt;
  std::size_t at = layout::kObjectAceFixedSizeNoGuids;
  if (which == layout::kInheritedObjectTypePresent && (present & layout::kObjectTypePresent)) {
    at += layout::kGuidSize;
  }
  Guid guid{};
  std::copy_n(entry.begin() + static_cast<std::ptrdiff_t>(at), guid.size(), guid.begin());
  return guid;
}

}  // namespace

bool IsObjectAceType(std::uint8_t type) {
  return type == ace::kAccessAllowedObject || type == ace::kAccessDeniedObject ||
         type == ace::kSystemAuditObject || type == ace::kAccessDeniedCallbackObject ||
         type == ace::kSystemAuditCallbackObject;
}

AceFamily FamilyOf(std::uint8_t type) {
  switch (type) {
    case ace::kAccessAllowed:
    case ace::kAccessAllowedObject:
    case ace::kAccessAllowedCallback:
      return AceFamily::Allow;
    case ace::kAccessDenied:
    case ace::kAccessDeniedObject:
    case ace::kAccessDeniedCallback:
    case ace::kAccessDeniedCallbackObject:
      return AceFamily::Deny;
    case ace::kSystemAudit:
    case ace::kSystemAuditObject:
    case ace::kSystemAuditCallback:
    case ace::kSystemAuditCallbackObject:
      return AceFamily::Audit;
    case ace::kSystemMandatoryLabel:
      return AceFamily::MandatoryLabel;
    default:
      return AceFamily::Unknown;
  }
}

bool IsKnownAceType(std::uint8_t type) {
  switch (type) {
    case ace::kAccessAllowed:
    case ace::kAccessDenied:
    case ace::kSystemAudit:
    case ace::kAccessAllowedObject:
    case ace::kAccessDeniedObject:
    case ace::kSystemAuditObject:
    case ace::kAccessAllowedCallback:
    case ace::kAccessDeniedCallback:
    case ace::kAccessDeniedCallbackObject:
    case ace::kSystemAuditCallback:
    case ace::kSystemAuditCallbackObject:
    case ace::kSystemMandatoryLabel:
      return true;
    default:
      return false;
  }
}

bool IsSystemAceType(std::uint8_t type) {
  return type == ace::kSystemAudit || type == ace::kSystemAuditObject ||
         type == ace::kSystemAuditCallback || type == ace::kSystemAuditCallbackObject ||
         type == ace::kSystemMandatoryLabel;
}

AccessEntry::AccessEntry(std::uint8_t type, std::uint8_t flags, std::uint32_t mask,
                         const Sid& trustee) {
  if (!IsKnownAceType(type) || IsObjectAceType(type)) {
    throw SecurityError(
        Format("Type 0x%02X is not a plain access-control entry", static_cast<unsigned>(type)));
  }
  const ByteView sid = trustee.View();
  bytes_.resize(layout::kPlainAceFixedSize + sid.size());
  bytes_[0] = type;
  bytes_[1] = flags;
  layout::WriteU16(bytes_, 2, static_cast<std::uint16_t>(bytes_.size()));
  layout::WriteU32(bytes_, 4, mask);
  std::copy(sid.begin(), sid.end(), bytes_.begin() + layout::kPlainAceFixedSize);
}

AccessEntry::AccessEntry(std::uint8_t type, std::uint8_t flags, std::uint32_t mask,
                         const std::optional<Guid>& objectType,
                         const std::optional<Guid>& inheritedObjectType, const Sid& trustee) {
  if (!IsObjectAceType(type)) {
    throw SecurityError(
        Format("Type 0x%02X is not an object access-control entry", static_cast<unsigned>(type)));
  }
  const ByteView sid = trustee.View();
  bytes_.resize(layout::kObjectAceFixedSizeNoGuids);
  bytes_[0] = type;
  bytes_[1] = flags;
  layout::WriteU32(bytes_, 4, mask);
  std::uint32_t present = 0;
  for (const auto& [guid, bit] :
       {std::pair{&objectType, layout::kObjectTypePresent},
        std::pair{&inheritedObjectType, layout::kInheritedObjectTypePresent}}) {
    if (!*guid) continue;
    present |= bit;
    bytes_.insert(bytes_.end(), (*guid)->begin(), (*guid)->end());
  }
  layout::WriteU32(bytes_, layout::kPlainAceFixedSize, present);
  bytes_.insert(bytes_.end(), sid.begin(), sid.end());
  layout::WriteU16(bytes_, 2, static_cast<std::uint16_t>(bytes_.size()));
}

AccessEntry AccessEntry::Read(ByteView bytes) {
  if (bytes.size() < layout::kAceHeaderSize || layout::ReadU16(bytes, 2) != bytes.size()) {
    throw SecurityError("An access-control entry's size field does not match its bytes");
  }
  if (IsKnownAceType(bytes[0])) {
    const auto sidAt = SidOffset(bytes);
    if (!sidAt) throw SecurityError("An access-control entry is shorter than its fields");
    if (!layout::SidLengthIn(bytes.subspan(*sidAt))) {
      throw SecurityError("An access-control entry's SID is malformed or runs past it");
    }
  }
  return AccessEntry(Bytes(bytes.begin(), bytes.end()));
}

std::optional<std::uint32_t> AccessEntry::Mask() const {
  if (!IsKnownAceType(Type())) return std::nullopt;
  return layout::ReadU32(bytes_, 4);
}

std::optional<Sid> AccessEntry::Trustee() const {
  if (!IsKnownAceType(Type())) return std::nullopt;
  return Sid(ByteView(bytes_).subspan(*SidOffset(bytes_)));
}

std::optional<Guid> AccessEntry::ObjectType() const {
  return GuidAt(bytes_, layout::kObjectTypePresent);
}

std::optional<Guid> AccessEntry::InheritedObjectType() const {
  return GuidAt(bytes_, layout::kInheritedObjectTypePresent);
}

std::uint8_t AccessEntry::MinimumAclRevision() const {
  return IsObjectAceType(Type()) ? layout::kAclRevisionDs : layout::kAclRevision;
}

}  // namespace qv
