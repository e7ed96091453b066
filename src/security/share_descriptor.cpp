#include "security/share_descriptor.h"

#include <algorithm>
#include <memory>

#include "security/access_control_list.h"
#include "security/binary_layout.h"
#include "security/security_descriptor.h"
#include "security/security_id.h"
#include "security/set_ace.h"

namespace qv {

std::vector<std::uint8_t> ShareDescriptorEveryoneFullControl() {
  InitWellKnownSids();
  TDAccessControlList dacl;
  dacl.Add(std::make_unique<TDiscretionaryAccessControlEntryAllow>(TAceFlags{}, kFileAllAccess,
                                                                   EveryoneSid()));
  const TGlobalMemory acl = dacl.CreatePacl();
  const TBytes aclBytes = acl.Bytes();

  // The DACL follows the header directly; owner, group and SACL are absent (offset 0).
  std::vector<std::uint8_t> descriptor(layout::kSelfRelativeDescriptorHeaderSize + aclBytes.size());
  const TMutableBytes out(descriptor);
  out[0] = layout::kSecurityDescriptorRevision;
  layout::WriteU16(out, 2, ControlToWord({sdcDaclPresent, sdcSelfRelative}));
  layout::WriteU32(out, layout::kDescriptorDaclOffsetAt,
                   static_cast<std::uint32_t>(layout::kSelfRelativeDescriptorHeaderSize));
  std::ranges::copy(aclBytes, descriptor.begin() + layout::kSelfRelativeDescriptorHeaderSize);
  return descriptor;
}

}  // namespace qv
