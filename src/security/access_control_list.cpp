#include "security/access_control_list.h"

#include <algorithm>

#include "security/security_exception.h"

namespace qv {

namespace {

bool IsAllowFamily(const TSecurityAccessControlEntry& e) {
  return dynamic_cast<const TDiscretionaryAccessControlEntryAllow*>(&e) != nullptr;
}
bool IsDenyFamily(const TSecurityAccessControlEntry& e) {
  return dynamic_cast<const TDiscretionaryAccessControlEntryDeny*>(&e) != nullptr;
}
bool IsSystemEntry(const TSecurityAccessControlEntry& e) {
  return dynamic_cast<const TAuditAccessControlEntry*>(&e) != nullptr ||
         dynamic_cast<const TSystemMandatoryAccessControlEntry*>(&e) != nullptr;
}

// The kinds that the platform appends with its own object-entry calls; every other kind is
// written here and appended with AddAce.
bool HasPlatformObjectAdd(std::uint8_t type) {
  return type == atAccessAllowedObject || type == atAccessDeniedObject ||
         type == atSystemAuditObject;
}

const TGuid* OptionalGuid(const std::optional<TGuid>& guid) { return guid ? &*guid : nullptr; }

}  // namespace

TSecurityAccessControlList::TSecurityAccessControlList(bool discretionary)
    : discretionary_(discretionary) {}

TSecurityAccessControlList::TSecurityAccessControlList(bool discretionary, TBytes binaryList)
    : discretionary_(discretionary) {
  ReadEntries(binaryList);
}

TSecurityAccessControlList::~TSecurityAccessControlList() {
  for (auto& entry : entries_) entry->ownerList_ = nullptr;
}

void TSecurityAccessControlList::ReadEntries(TBytes bytes) {
  if (bytes.data() == nullptr) throw ESecurityException("No access-control list given");
  // The shape is checked here before any platform call looks at the bytes, so that neither this
  // reader nor the platform's walk can leave them.
  const auto shape = layout::WalkAcl(bytes);
  if (!shape) throw ESecurityException("The access-control list does not fit its bytes");
  const TBytes list = bytes.first(shape->AclSize);
  auto& platform = SecurityPlatform();
  if (!platform.IsValidAcl(list)) throw ESecurityException("IsValidAcl failed");
  if (shape->Revision < layout::kMinAclRevision || shape->Revision > layout::kMaxAclRevision) {
    throw ESecurityException(Format("Access-control list revision %u is not supported",
                                    static_cast<unsigned>(shape->Revision)));
  }
  revision_ = shape->Revision;
  std::size_t offset = layout::kAclHeaderSize;
  for (std::uint32_t i = 0; i < shape->AceCount; ++i) {
    const std::size_t size = layout::ReadU16(list, offset + 2);
    const auto got = platform.GetAce(list, i);
    if (!got) throw ESecurityException(Format("GetAce failed for entry %u", i));
    if (*got != offset) {
      throw ESecurityException(Format("GetAce placed entry %u outside its own bytes", i));
    }
    Insert(i, CreateACE(list.subspan(offset, size)));
    offset += size;
  }
}

void TSecurityAccessControlList::CheckPlaceable(const TSecurityAccessControlEntry* entry) const {
  if (!entry) throw ESecurityException("No access-control entry given");
  if (entry->OwnerList() == this) throw ESecurityException("The entry is already in this list");
  if (entry->OwnerList()) throw ESecurityException("The entry belongs to another list");
  const bool fits =
      discretionary_ ? (IsAllowFamily(*entry) || IsDenyFamily(*entry)) : IsSystemEntry(*entry);
  if (!fits) {
    throw ESecurityException(Format("An entry of type 0x%02X does not belong in a %s",
                                    entry->AceType(), discretionary_ ? "DACL" : "SACL"));
  }
}

void TSecurityAccessControlList::Place(std::size_t index,
                                       std::unique_ptr<TSecurityAccessControlEntry>&& entry) {
  TSecurityAccessControlEntry* placed = entry.get();
  entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(index), std::move(entry));
  placed->ownerList_ = this;
}

void TSecurityAccessControlList::Insert(std::size_t index,
                                        std::unique_ptr<TSecurityAccessControlEntry>&& entry) {
  CheckPlaceable(entry.get());
  if (index > entries_.size()) {
    throw ESecurityException(Format("Index %llu is outside the list of %llu entries",
                                    static_cast<unsigned long long>(index),
                                    static_cast<unsigned long long>(entries_.size())));
  }
  const std::uint8_t revision = entry->Revision();
  Place(index, std::move(entry));
  revision_ = std::max(revision_, revision);
}

std::size_t TSecurityAccessControlList::FirstInheritedIndex() const {
  const auto it = std::find_if(entries_.begin(), entries_.end(),
                               [](const auto& e) { return e->IsInherited(); });
  return static_cast<std::size_t>(it - entries_.begin());
}

std::size_t TSecurityAccessControlList::Add(std::unique_ptr<TSecurityAccessControlEntry>&& entry) {
  CheckPlaceable(entry.get());
  std::size_t index = entries_.size();
  if (discretionary_) {
    if (IsDenyFamily(*entry)) {
      index = entry->IsInherited() ? FirstInheritedIndex() : 0;
    } else if (!entry->IsInherited()) {
      index = FirstInheritedIndex();
    }
  }
  Place(index, std::move(entry));
  return index;
}

TGlobalMemory TSecurityAccessControlList::CreatePacl() {
  if (revision_ < layout::kMinAclRevision || revision_ > layout::kMaxAclRevision) {
    throw ESecurityException(Format("Access-control list revision %u cannot be built",
                                    static_cast<unsigned>(revision_)));
  }
  auto& platform = SecurityPlatform();
  std::vector<std::uint32_t> sidLengths;
  sidLengths.reserve(entries_.size());
  std::size_t size = layout::kAclHeaderSize;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const auto& entry = *entries_[i];
    if (!entry.SID())
      throw ESecurityException(Format("Entry %u has no SID", static_cast<unsigned>(i)));
    sidLengths.push_back(entry.SID()->SidLength());
    size += entry.FixedPartSize() + sidLengths.back();
    revision_ = std::max(revision_, entry.Revision());
  }
  // The header keeps the size in 16 bits; a wrapped size would describe a different list.
  if (size > layout::kMaxAclSize) {
    throw ESecurityException(Format("The access-control list needs %llu bytes, more than 65535",
                                    static_cast<unsigned long long>(size)));
  }
  TGlobalMemory acl(platform, size, kGmemZeroInit);
  if (!acl) throw ESecurityException("GlobalAlloc failed for the access-control list");
  if (!platform.InitializeAcl(acl.Bytes(), revision_)) {
    throw ESecurityException("InitializeAcl failed");
  }
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const auto& entry = *entries_[i];
    const TBytes sid = entry.SID()->Sid().first(sidLengths[i]);
    const TGuid* objectType = OptionalGuid(entry.ObjectTypes().ObjectType);
    const TGuid* inheritedType = OptionalGuid(entry.ObjectTypes().InheritedObjectType);
    const std::uint8_t flags = AceFlagsToByte(entry.Flags());
    bool added = false;
    if (HasPlatformObjectAdd(entry.AceType())) {
      added = platform.AddObjectAce(entry.AceType(), acl.Bytes(), entry.Revision(), flags,
                                    entry.AccessMask(), objectType, inheritedType, sid);
    } else {
      TGlobalMemory block(platform, entry.FixedPartSize() + sid.size(), kGmemZeroInit);
      added = block &&
              layout::WriteAce(block.Bytes(), entry.AceType(), flags, entry.AccessMask(),
                               IsObjectAceType(entry.AceType()), objectType, inheritedType, sid) &&
              platform.AddAce(acl.Bytes(), entry.Revision(), kAppendAce, block.Bytes());
    }
    if (!added)
      throw ESecurityException(
          Format("Entry %u could not be added to the list", static_cast<unsigned>(i)));
  }
  return acl;
}

}  // namespace qv
