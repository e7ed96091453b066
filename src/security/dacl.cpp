#include "security/dacl.h"

#include <algorithm>

#include "security/security_exception.h"

namespace qv {

Dacl Dacl::Read(ByteView bytes) {
  const auto shape = layout::WalkAcl(bytes);
  if (!shape) throw SecurityError("The access-control list does not fit its bytes");
  if (shape->Revision < layout::kAclRevision || shape->Revision > layout::kAclRevisionDs) {
    throw SecurityError(Format("Access-control list revision %u is not supported",
                               static_cast<unsigned>(shape->Revision)));
  }
  Dacl dacl;
  dacl.revision_ = shape->Revision;
  std::size_t offset = layout::kAclHeaderSize;
  for (std::uint32_t i = 0; i < shape->AceCount; ++i) {
    const std::size_t size = layout::ReadU16(bytes, offset + 2);
    AccessEntry entry = AccessEntry::Read(bytes.subspan(offset, size));
    if (IsSystemAceType(entry.Type())) {
      throw SecurityError(Format("An entry of type 0x%02X does not belong in a DACL",
                                 static_cast<unsigned>(entry.Type())));
    }
    dacl.entries_.push_back(std::move(entry));
    offset += size;
  }
  return dacl;
}

std::size_t Dacl::InsertBeforeInherited(AccessEntry entry) {
  const auto at = std::ranges::find_if(entries_, &AccessEntry::IsInherited);
  const auto index = static_cast<std::size_t>(at - entries_.begin());
  entries_.insert(at, std::move(entry));
  return index;
}

std::size_t Dacl::RemoveWhere(const std::function<bool(const AccessEntry&)>& matches) {
  return std::erase_if(entries_, matches);
}

Bytes Dacl::Build() const {
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
