#include "security/access_control_entry.h"

#include <algorithm>

#include "security/security_exception.h"

namespace qv {

namespace {

constexpr std::uint8_t kAceFlagBits[] = {0x01, 0x02, 0x04, 0x08, 0x10, 0x1F, 0x40, 0x80};

TGuid ReadGuid(TBytes bytes, std::size_t at) {
  TGuid guid;
  std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), guid.Bytes.size(),
              guid.Bytes.begin());
  return guid;
}

}  // namespace

bool IsSupportedAceType(std::uint8_t type) {
  switch (type) {
    case atAccessAllowed:
    case atAccessDenied:
    case atSystemAudit:
    case atAccessAllowedObject:
    case atAccessDeniedObject:
    case atSystemAuditObject:
    case atAccessAllowedCallback:
    case atAccessDeniedCallback:
    case atAccessDeniedCallbackObject:
    case atSystemAuditCallback:
    case atSystemAuditCallbackObject:
    case atSystemMandatoryLabel:
      return true;
    default:
      return false;
  }
}

bool IsObjectAceType(std::uint8_t type) {
  return type == atAccessAllowedObject || type == atAccessDeniedObject ||
         type == atSystemAuditObject || type == atAccessDeniedCallbackObject ||
         type == atSystemAuditCallbackObject;
}

TAceFlags AceFlagsFromByte(std::uint8_t bits) {
  TAceFlags flags;
  for (int m = afObjectInherit; m <= afFailedAccess; ++m) {
    if ((bits & kAceFlagBits[m]) == kAceFlagBits[m]) flags.Include(static_cast<TAceFlag>(m));
  }
  return flags;
}

std::uint8_t AceFlagsToByte(TAceFlags flags) {
  std::uint8_t bits = 0;
  for (int m = afObjectInherit; m <= afFailedAccess; ++m) {
    if (flags.Contains(static_cast<TAceFlag>(m))) bits |= kAceFlagBits[m];
  }
  return bits;
}

TSecurityAccessControlEntry::TSecurityAccessControlEntry(TAceFlags flags, std::uint32_t accessMask,
                                                         std::shared_ptr<const TSecurityId> sid,
                                                         TAceObjectTypes objectTypes,
                                                         std::uint8_t revision)
    : sid_(std::move(sid)),
      flags_(flags),
      accessMask_(accessMask),
      revision_(revision),
      objectTypes_(std::move(objectTypes)) {
  if (!sid_) throw ESecurityException("An access-control entry needs a SID");
}

std::size_t TSecurityAccessControlEntry::FixedPartSize() const {
  if (!IsObjectAceType(AceType())) return layout::kPlainAceFixedSize;
  return layout::kObjectAceFixedSizeNoGuids + (objectTypes_.ObjectType ? layout::kGuidSize : 0) +
         (objectTypes_.InheritedObjectType ? layout::kGuidSize : 0);
}

std::unique_ptr<TSecurityAccessControlEntry> CreateAccessControlEntry(
    std::uint8_t type, TAceFlags flags, std::uint32_t mask, std::shared_ptr<const TSecurityId> sid,
    const TAceObjectTypes& objects) {
  switch (type) {
    case atAccessAllowed:
      return std::make_unique<TDiscretionaryAccessControlEntryAllow>(flags, mask, std::move(sid));
    case atAccessDenied:
      return std::make_unique<TDiscretionaryAccessControlEntryDeny>(flags, mask, std::move(sid));
    case atSystemAudit:
      return std::make_unique<TAuditAccessControlEntry>(flags, mask, std::move(sid));
    case atAccessAllowedObject:
      return std::make_unique<TDiscretionaryAccessControlEntryObjectAllow>(flags, mask,
                                                                           std::move(sid), objects);
    case atAccessDeniedObject:
      return std::make_unique<TDiscretionaryAccessControlEntryObjectDeny>(flags, mask,
                                                                          std::move(sid), objects);
    case atSystemAuditObject:
      return std::make_unique<TAuditAccessControlEntryObject>(flags, mask, std::move(sid), objects);
    case atAccessAllowedCallback:
      return std::make_unique<TDiscretionaryAccessControlEntryCallbackAllow>(flags, mask,
                                                                             std::move(sid));
    case atAccessDeniedCallback:
      return std::make_unique<TDiscretionaryAccessControlEntryCallbackDeny>(flags, mask,
                                                                            std::move(sid));
    case atAccessDeniedCallbackObject:
      return std::make_unique<TDiscretionaryAccessControlEntryCallbackObjectDeny>(
          flags, mask, std::move(sid), objects);
    case atSystemAuditCallback:
      return std::make_unique<TAuditAccessControlEntryCallback>(flags, mask, std::move(sid));
    case atSystemAuditCallbackObject:
      return std::make_unique<TAuditAccessControlEntryCallbackObject>(flags, mask, std::move(sid),
                                                                      objects);
    case atSystemMandatoryLabel:
      return std::make_unique<TSystemMandatoryAccessControlEntry>(flags, mask, std::move(sid));
    default:
      throw ESecurityException(Format("Access-control entry type 0x%02X is not supported", type));
  }
}

std::unique_ptr<TSecurityAccessControlEntry> CreateACE(TBytes entry) {
  if (entry.size() < layout::kPlainAceFixedSize) {
    throw ESecurityException("An access-control entry is shorter than its fixed part");
  }
  const std::uint8_t type = entry[0];
  if (!IsSupportedAceType(type)) {
    throw ESecurityException(Format("Access-control entry type 0x%02X is not supported", type));
  }
  if (layout::ReadU16(entry, 2) != entry.size()) {
    throw ESecurityException("An access-control entry's size field does not match its bytes");
  }
  std::size_t sidAt = layout::kPlainAceFixedSize;
  TAceObjectTypes objects;
  if (IsObjectAceType(type)) {
    if (entry.size() < layout::kObjectAceFixedSizeNoGuids) {
      throw ESecurityException("An object entry is shorter than its object fields");
    }
    const std::uint32_t present = layout::ReadU32(entry, layout::kPlainAceFixedSize);
    sidAt = layout::kObjectAceFixedSizeNoGuids;
    for (auto [bit, guid] :
         {std::pair{layout::kObjectTypePresent, &objects.ObjectType},
          std::pair{layout::kInheritedObjectTypePresent, &objects.InheritedObjectType}}) {
      if (!(present & bit)) continue;
      if (entry.size() - sidAt < layout::kGuidSize) {
        throw ESecurityException("An object entry's GUIDs do not fit the entry");
      }
      *guid = ReadGuid(entry, sidAt);
      sidAt += layout::kGuidSize;
    }
  }
  const TBytes sid = entry.subspan(sidAt);
  if (!layout::SidLengthIn(sid)) {
    throw ESecurityException("An access-control entry's SID is malformed or runs past the entry");
  }
  return CreateAccessControlEntry(type, AceFlagsFromByte(entry[1]), layout::ReadU32(entry, 4),
                                  std::make_shared<TSecurityId>(sid), objects);
}

}  // namespace qv
