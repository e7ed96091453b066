#include "security/portable_security_platform.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace qv {

namespace {

// One decimal (or, for the authority, "0x" hexadecimal) number of a string SID, up to the next
// hyphen or the end; nothing if it is empty, malformed or larger than limit.
std::optional<std::uint64_t> ParseSidNumber(std::string_view& rest, std::uint64_t limit,
                                            bool allowHex) {
  const std::size_t end = std::min(rest.find('-'), rest.size());
  std::string_view digits = rest.substr(0, end);
  int base = 10;
  if (allowHex && digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    digits.remove_prefix(2);
    base = 16;
  }
  std::uint64_t value = 0;
  if (digits.empty()) return std::nullopt;
  const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (ec != std::errc() || ptr != digits.data() + digits.size() || value > limit) {
    return std::nullopt;
  }
  rest.remove_prefix(end);
  return value;
}

bool IsSupportedRevision(std::uint32_t revision) {
  return revision >= layout::kMinAclRevision && revision <= layout::kMaxAclRevision;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> TPortableSecurityPlatform::StringToSid(
    const AnsiString& text) {
  std::string_view rest = text;
  if (rest.size() < 4 || (rest[0] != 'S' && rest[0] != 's') || rest.substr(1, 3) != "-1-") {
    return std::nullopt;
  }
  rest.remove_prefix(4);
  const auto authority = ParseSidNumber(rest, 0xFFFFFFFFFFFFull, true);
  if (!authority) return std::nullopt;
  std::vector<std::uint8_t> sid(layout::kSidHeaderSize);
  sid[0] = layout::kSidRevision;
  for (int i = 0; i < 6; ++i) sid[2 + i] = static_cast<std::uint8_t>(*authority >> (8 * (5 - i)));
  while (!rest.empty()) {
    rest.remove_prefix(1);  // the hyphen
    if (sid[1] == layout::kMaxSubAuthorities) return std::nullopt;
    const auto sub = ParseSidNumber(rest, 0xFFFFFFFFu, false);
    if (!sub) return std::nullopt;
    sid.resize(sid.size() + 4);
    layout::WriteU32(sid, sid.size() - 4, static_cast<std::uint32_t>(*sub));
    ++sid[1];
  }
  return sid;
}

std::optional<AnsiString> TPortableSecurityPlatform::SidToString(TBytes sid) {
  const auto length = layout::SidLengthIn(sid);
  if (!length) return std::nullopt;
  AnsiString text = "S-1-";
  if (sid[2] != 0 || sid[3] != 0) {
    // Authorities beyond 32 bits are written as 12 hexadecimal digits, as the platform does.
    text += "0x";
    for (int i = 2; i < 8; ++i) text += Format("%02X", sid[i]);
  } else {
    const std::uint32_t authority = (std::uint32_t{sid[4]} << 24) | (std::uint32_t{sid[5]} << 16) |
                                    (std::uint32_t{sid[6]} << 8) | std::uint32_t{sid[7]};
    text += Format("%u", authority);
  }
  for (std::size_t at = layout::kSidHeaderSize; at < *length; at += 4) {
    text += Format("-%u", layout::ReadU32(sid, at));
  }
  return text;
}

bool TPortableSecurityPlatform::CopySid(TMutableBytes dest, TBytes source) {
  const auto length = layout::SidLengthIn(source);
  if (!length || *length > dest.size()) return false;
  std::memcpy(dest.data(), source.data(), *length);
  return true;
}

std::uint32_t TPortableSecurityPlatform::GetLengthSid(TBytes sid) {
  // The real call trusts the count byte; here a SID that does not fit its bytes has no length.
  const auto length = layout::SidLengthIn(sid);
  return length ? static_cast<std::uint32_t>(*length) : 0;
}

bool TPortableSecurityPlatform::IsValidAcl(TBytes acl) {
  const auto walked = layout::WalkAcl(acl);
  return walked && IsSupportedRevision(walked->Revision);
}

std::optional<std::size_t> TPortableSecurityPlatform::GetAce(TBytes acl, std::uint32_t index) {
  const auto walked = layout::WalkAcl(acl);
  if (!walked || index >= walked->AceCount) return std::nullopt;
  std::size_t offset = layout::kAclHeaderSize;
  for (std::uint32_t i = 0; i < index; ++i) offset += layout::ReadU16(acl, offset + 2);
  return offset;
}

bool TPortableSecurityPlatform::InitializeAcl(TMutableBytes acl, std::uint32_t revision) {
  if (!IsSupportedRevision(revision) || acl.size() < layout::kAclHeaderSize ||
      acl.size() > layout::kMaxAclSize) {
    return false;
  }
  std::memset(acl.data(), 0, layout::kAclHeaderSize);
  acl[0] = static_cast<std::uint8_t>(revision);
  layout::WriteU16(acl, 2, static_cast<std::uint16_t>(acl.size()));
  return true;
}

bool TPortableSecurityPlatform::AddAce(TMutableBytes acl, std::uint32_t aceRevision,
                                       std::uint32_t startIndex, TBytes aces) {
  if (!IsSupportedRevision(aceRevision) || acl.size() < layout::kAclHeaderSize) return false;
  const auto walked = layout::WalkAcl(acl);
  if (!walked || !IsSupportedRevision(walked->Revision)) return false;
  // Count the entries of the block; each must lie inside it.
  std::size_t added = 0;
  for (std::size_t at = 0; at < aces.size(); ++added) {
    if (aces.size() - at < layout::kAceHeaderSize) return false;
    const std::size_t size = layout::ReadU16(aces, at + 2);
    if (size < layout::kAceHeaderSize || size > aces.size() - at) return false;
    at += size;
  }
  if (walked->AceCount + added > 0xFFFF) return false;
  if (aces.size() > walked->AclSize - walked->FirstFree) return false;
  std::size_t insertAt = walked->FirstFree;
  if (startIndex < walked->AceCount) {
    insertAt = *TPortableSecurityPlatform::GetAce(acl, startIndex);
    std::memmove(acl.data() + insertAt + aces.size(), acl.data() + insertAt,
                 walked->FirstFree - insertAt);
  }
  if (!aces.empty()) std::memcpy(acl.data() + insertAt, aces.data(), aces.size());
  layout::WriteU16(acl, 4, static_cast<std::uint16_t>(walked->AceCount + added));
  return true;
}

bool TPortableSecurityPlatform::AddObjectAce(std::uint8_t aceType, TMutableBytes acl,
                                             std::uint32_t aceRevision, std::uint8_t flags,
                                             std::uint32_t mask, const TGuid* objectType,
                                             const TGuid* inheritedObjectType, TBytes sid) {
  if (aceType < 0x05 || aceType > 0x07) return false;
  const auto size = layout::AceSize(true, objectType, inheritedObjectType, sid);
  if (!size) return false;
  std::vector<std::uint8_t> ace(*size);
  if (!layout::WriteAce(ace, aceType, flags, mask, true, objectType, inheritedObjectType, sid)) {
    return false;
  }
  return TPortableSecurityPlatform::AddAce(acl, aceRevision, kAppendAce, ace);
}

void* TPortableSecurityPlatform::GlobalAlloc(std::uint32_t /*flags*/, std::size_t size) {
  // Always zero-filled; a zero size still gives a block of its own, as the real call does.
  return std::calloc(size == 0 ? 1 : size, 1);
}

void TPortableSecurityPlatform::GlobalFree(void* memory) { std::free(memory); }

std::optional<std::vector<std::uint8_t>> TPortableSecurityPlatform::TokenUserSid(
    TTokenSource /*source*/, std::uint32_t /*desiredAccess*/) {
  return std::nullopt;
}

}  // namespace qv
