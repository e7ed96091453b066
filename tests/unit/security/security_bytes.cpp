#include "security/security_bytes.h"

#include "framework/ansi_string.h"

namespace qv::testing {

namespace {
void Append16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Append32(Bytes& b, std::uint32_t v) {
  Append16(b, v & 0xFFFF);
  Append16(b, v >> 16);
}
}  // namespace

Bytes Ace(std::uint8_t type, std::uint8_t flags, std::uint32_t mask, const Bytes& sid,
          const Bytes& trailer) {
  Bytes b = {type, flags};
  Append16(b, static_cast<std::uint32_t>(8 + sid.size() + trailer.size()));
  Append32(b, mask);
  b.insert(b.end(), sid.begin(), sid.end());
  b.insert(b.end(), trailer.begin(), trailer.end());
  return b;
}

Bytes ObjectAce(std::uint8_t type, std::uint8_t flags, std::uint32_t mask,
                const std::optional<Guid>& objectType, const std::optional<Guid>& inheritedType,
                const Bytes& sid) {
  Bytes body;
  Append32(body, mask);
  Append32(body, (objectType ? 1u : 0u) | (inheritedType ? 2u : 0u));
  for (const auto* guid : {&objectType, &inheritedType}) {
    if (*guid) body.insert(body.end(), (*guid)->begin(), (*guid)->end());
  }
  body.insert(body.end(), sid.begin(), sid.end());
  Bytes b = {type, flags};
  Append16(b, static_cast<std::uint32_t>(4 + body.size()));
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

Bytes Acl(std::uint8_t revision, const std::vector<Bytes>& aces, std::size_t spare) {
  std::size_t size = 8 + spare;
  for (const auto& a : aces) size += a.size();
  Bytes b = {revision, 0};
  Append16(b, static_cast<std::uint32_t>(size));
  Append16(b, static_cast<std::uint32_t>(aces.size()));
  Append16(b, 0);
  for (const auto& a : aces) b.insert(b.end(), a.begin(), a.end());
  b.resize(size, 0);
  return b;
}

std::string Hex(ByteView bytes) {
  std::string s;
  for (std::uint8_t b : bytes) s += Format("%s%02X", s.empty() ? "" : " ", b).bytes();
  return s;
}

}  // namespace qv::testing
