#include "security/security_id.h"

#include <cstring>

#include "security/security_exception.h"
#include "security/security_platform.h"

namespace qv {

namespace {

constexpr const char* kWellKnownSidStrings[kWellKnownSidCount] = {
    "S-1-1-0",     "S-1-5-32-544", "S-1-5-32-545", "S-1-5-32-546", "S-1-5-32-547", "S-1-5-18",
    "S-1-5-14",    "S-1-0-0",      "S-1-2-0",      "S-1-5-20",     "S-1-5-19",     "S-1-5-10",
    "S-1-16-4096", "S-1-16-8192",  "S-1-16-12288", "S-1-16-16384", "S-1-16-20480",
};

struct TWellKnownTable {
  std::shared_ptr<TSecurityKnownSID> Sids[kWellKnownSidCount];
  std::shared_ptr<TSecurityThreadUserSID> CurrentUser;
  bool Initialised = false;
};

TWellKnownTable& Table() {
  static TWellKnownTable table;
  return table;
}

}  // namespace

TSecurityId::TSecurityId(const AnsiString& stringSid) {
  const auto sid = SecurityPlatform().StringToSid(stringSid);
  if (!sid) throw ESecurityException("ConvertStringSidToSid failed for " + stringSid);
  Assign(*sid);
}

TSecurityId::TSecurityId(TBytes binarySid) { Assign(binarySid); }

void TSecurityId::Assign(TBytes binarySid) {
  const auto length = layout::SidLengthIn(binarySid);
  if (!length) throw ESecurityException("The SID is malformed or does not fit its bytes");
  std::array<std::uint8_t, layout::kMaxSidLength> copy{};
  if (!SecurityPlatform().CopySid(copy, binarySid.first(*length))) {
    throw ESecurityException("CopySid failed");
  }
  auto text = SecurityPlatform().SidToString(TBytes(copy).first(*length));
  if (!text) throw ESecurityException("ConvertSidToStringSid failed");
  buffer_ = copy;
  length_ = *length;
  string_ = std::move(*text);
}

std::uint32_t TSecurityId::SidLength() const {
  const std::uint32_t length = SecurityPlatform().GetLengthSid(buffer_);
  if (length != length_) {
    throw ESecurityException(Format("GetLengthSid gave %u for %s", length, string_.c_str()));
  }
  return length;
}

TSecurityThreadUserSID::TSecurityThreadUserSID() {
  auto& platform = SecurityPlatform();
  auto sid = platform.TokenUserSid(tsThread, kTokenAllAccess);
  if (!sid) sid = platform.TokenUserSid(tsProcess, kTokenAllAccess);
  if (!sid) throw ESecurityException("No access token gives the user's SID");
  Assign(*sid);
}

const char* WellKnownSidString(TWellKnownSid which) { return kWellKnownSidStrings[which]; }

void InitWellKnownSids() {
  auto& table = Table();
  if (table.Initialised) return;
  for (int i = 0; i < kWellKnownSidCount; ++i) {
    if (!table.Sids[i])
      table.Sids[i] = std::make_shared<TSecurityKnownSID>(kWellKnownSidStrings[i]);
  }
  table.Initialised = true;
}

const std::shared_ptr<TSecurityKnownSID>& WellKnownSid(TWellKnownSid which) {
  return Table().Sids[which];
}

const std::shared_ptr<TSecurityThreadUserSID>& CurrentUserSid() {
  auto& table = Table();
  if (!table.CurrentUser) {
    auto user = std::make_shared<TSecurityThreadUserSID>();
    user->wellKnown_ = true;
    table.CurrentUser = std::move(user);
  }
  return table.CurrentUser;
}

void FreeWellKnownSids() { Table() = TWellKnownTable{}; }

}  // namespace qv
