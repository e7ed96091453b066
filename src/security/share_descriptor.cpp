#include "security/share_descriptor.h"

#include <algorithm>

#include "security/dacl.h"
#include "security/folder_grant.h"
#include "security/folder_security.h"

namespace qv {

Bytes ShareDescriptorEveryoneFullControl() {
  Dacl dacl;
  dacl.InsertBeforeInherited(AccessEntry(ace::kAccessAllowed, 0, kFileAllAccess, EveryoneSid()));
  const Bytes acl = dacl.Build();

  // The DACL follows the header directly; owner, group and SACL are absent (offset 0).
  Bytes descriptor(layout::kSelfRelativeDescriptorHeaderSize + acl.size());
  descriptor[0] = layout::kSecurityDescriptorRevision;
  layout::WriteU16(descriptor, 2, kControlDaclPresent | kControlSelfRelative);
  layout::WriteU32(descriptor, layout::kDescriptorDaclOffsetAt,
                   static_cast<std::uint32_t>(layout::kSelfRelativeDescriptorHeaderSize));
  std::ranges::copy(acl, descriptor.begin() + layout::kSelfRelativeDescriptorHeaderSize);
  return descriptor;
}

}  // namespace qv
