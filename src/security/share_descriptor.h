// The security descriptor given to the network share itself (its share permissions), apart from
// the folder's own DACL. Without one, Windows applies its default share permissions (Everyone:
// read), and over the network the stricter of share and folder permissions wins: the folder's
// Everyone grant would then stay read-only for every remote user.
#pragma once

#include <cstdint>
#include <vector>

namespace qv {

// A self-relative descriptor of 48 bytes: revision 1, control SE_DACL_PRESENT | SE_SELF_RELATIVE,
// no owner, no group, no SACL, and a DACL (revision 2, right behind the 20-byte header) of one
// allow entry for Everyone with full control (0x001F01FF) and no inheritance flags, since share
// permissions are not inherited by anything.
std::vector<std::uint8_t> ShareDescriptorEveryoneFullControl();

}  // namespace qv
