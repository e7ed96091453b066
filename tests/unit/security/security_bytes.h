// Byte builders for the security tests, written apart from the code under test.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "security/binary_layout.h"

namespace qv::testing {

using Guid = std::array<std::uint8_t, 16>;

namespace sids {
inline const Bytes kEveryone = {1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};                // S-1-1-0
inline const Bytes kSystem = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};                 // S-1-5-18
inline const Bytes kAdmins = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 2, 0, 0};  // -544
inline const Bytes kUsers = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x21, 2, 0, 0};   // -545
inline const Bytes kGuests = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x22, 2, 0, 0};  // -546
inline const Bytes kCreatorOwner = {1, 1, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0};            // S-1-3-0
inline const Bytes kHighLabel = {1, 1, 0, 0, 0, 0, 0, 16, 0, 0x30, 0, 0};           // S-1-16-12288
}  // namespace sids

// type, flags, size, mask, SID, then whatever trailer the entry carries behind its SID.
Bytes Ace(std::uint8_t type, std::uint8_t flags, std::uint32_t mask, const Bytes& sid,
          const Bytes& trailer = {});
// An object entry: object flags say which GUIDs follow.
Bytes ObjectAce(std::uint8_t type, std::uint8_t flags, std::uint32_t mask,
                const std::optional<Guid>& objectType, const std::optional<Guid>& inheritedType,
                const Bytes& sid);
// Header (revision, 0, size, count, 0 0), the entries back to back, then spare zero bytes.
Bytes Acl(std::uint8_t revision, const std::vector<Bytes>& aces, std::size_t spare = 0);
std::string Hex(ByteView bytes);

}  // namespace qv::testing
