#include "security/access_list.h"

#include <algorithm>

#include "security/security_exception.h"

namespace qv {

namespace {

// A known kind from the other kind of list would change what the list means: an audit entry
// in a DACL grants nothing, an allow entry in a SACL audits nothing.
bool BelongsIn(ListKind kind, std::uint8_t type) {
  switch (FamilyOf(type)) {
    case AceFamily::Allow:
    case AceFamily::Deny:
      return kind == ListKind::Discretionary;
    case AceFamily::Audit:
    case AceFamily::MandatoryLabel:
      return kind == ListKind::System;
    case AceFamily::Unknown:
      return true;
  }
  return false;
}

const char* NameOf(ListKind kind) { return kind == ListKind::Discretionary ? "DACL" : "SACL"; }

}  // namespace

AccessList AccessList::Read(ListKind kind, ByteView bytes) {
  const auto shape = layout::WalkAcl(bytes);
  if (!shape) throw SecurityError("The access-control list does not fit its bytes");
  if (shape->Revision < layout::kAclRevision || shape->Revision > layout::kAclRevisionDs) {
    throw SecurityError(Format("Access-control list revision %u is not supported",
                               static_cast<unsigned>(shape->Revision)));
  }
  AccessList list(kind);
  list.revision_ = shape->Revision;
  std::size_t offset = layout::kAclHeaderSize;
  for (std::uint32_t i = 0; i < shape->AceCount; ++i) {
    const std::size_t size = layout::ReadU16(bytes, offset + 2);
    AccessEntry entry = AccessEntry::Read(bytes.subspan(offset, size));
    if (!BelongsIn(kind, entry.Type())) {
      throw SecurityError(Format("An entry of type 0x%02X does not belong in a %s",
                                 static_cast<unsigned>(entry.Type()), NameOf(kind)));
    }
    list.entries_.push_back(std::move(entry));
    offset += size;
  }
  return list;
}

void AccessList::CheckPlaceable(const std::unique_ptr<AccessEntry>& entry) const {
  if (!entry) throw SecurityError("No access-control entry given");
  if (!BelongsIn(kind_, entry->Type())) {
    throw SecurityError(Format("An entry of type 0x%02X does not belong in a %s",
                               static_cast<unsigned>(entry->Type()), NameOf(kind_)));
  }
}

void AccessList::Insert(std::size_t index, std::unique_ptr<AccessEntry>& entry) {
  CheckPlaceable(entry);
  if (index > entries_.size()) {
    throw SecurityError(Format("Index %llu lies beyond the list's %llu entries",
                               static_cast<unsigned long long>(index),
                               static_cast<unsigned long long>(entries_.size())));
  }
  revision_ = std::max(revision_, entry->MinimumAclRevision());
  Place(index, std::move(*entry));
  entry.reset();
}

std::size_t AccessList::FirstInheritedIndex() const {
  return static_cast<std::size_t>(std::ranges::find_if(entries_, &AccessEntry::IsInherited) -
                                  entries_.begin());
}

std::size_t AccessList::Add(std::unique_ptr<AccessEntry>& entry) {
  CheckPlaceable(entry);
  std::size_t index = entries_.size();
  if (kind_ == ListKind::Discretionary) {
    const bool inherited = entry->IsInherited();
    switch (FamilyOf(entry->Type())) {
      case AceFamily::Deny:
        index = inherited ? FirstInheritedIndex() : 0;
        break;
      case AceFamily::Allow:
        if (!inherited) index = FirstInheritedIndex();
        break;
      default:
        throw SecurityError(Format("No place in a DACL for an entry of type 0x%02X",
                                   static_cast<unsigned>(entry->Type())));
    }
  }
  Place(index, std::move(*entry));
  entry.reset();
  return index;
}

Bytes AccessList::Build() const {
  std::size_t size = layout::kAclHeaderSize;
  std::uint8_t revision = revision_;
  for (const AccessEntry& entry : entries_) {
    size += entry.View().size();
    revision = std::max(revision, entry.MinimumAclRevision());
  }
  // A wrapped size would describe a different list.
  if (size > layout::kMaxAclSize) {
    throw SecurityError(Format("The access-control list needs %llu bytes, more than 65535",
                               static_cast<unsigned long long>(size)));
  }
  Bytes acl(layout::kAclHeaderSize);
  acl[0] = revision;
  layout::WriteU16(acl, 2, static_cast<std::uint16_t>(size));
  layout::WriteU16(acl, 4, static_cast<std::uint16_t>(entries_.size()));
  acl.reserve(size);
  for (const AccessEntry& entry : entries_) {
    acl.insert(acl.end(), entry.View().begin(), entry.View().end());
  }
  return acl;
}

}  // namespace qv
