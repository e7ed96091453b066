// Security identifiers: a copy of a binary SID with its string form, and the process-wide
// well-known ones.
//
// Identifiers are shared (std::shared_ptr): an entry or a descriptor keeps the identifier it
// refers to alive, and the well-known identifiers are also held by the process-wide table until
// FreeWellKnownSids, so no entry ever frees one of them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "framework/ansi_string.h"
#include "security/binary_layout.h"

namespace qv {

class TSecurityId {
 public:
  // From a string form such as "S-1-1-0" (ConvertStringSidToSid).
  explicit TSecurityId(const AnsiString& stringSid);
  // From the binary SID that begins the bytes (CopySid into a 68-byte buffer).
  explicit TSecurityId(TBytes binarySid);
  virtual ~TSecurityId() = default;
  TSecurityId(const TSecurityId&) = delete;
  TSecurityId& operator=(const TSecurityId&) = delete;

  // The SID's own bytes (8 + 4 per sub-authority).
  TBytes Sid() const { return TBytes(buffer_).first(length_); }
  // The length as the platform's GetLengthSid gives it. That call reports no errors (and leaves
  // the thread's last-error code as earlier calls set it), so only a length other than the SID's
  // own counts as a failure.
  std::uint32_t SidLength() const;
  // "S-1-..." as taken when the identifier was made.
  const AnsiString& StringSid() const { return string_; }
  // An entry or a descriptor never frees a well-known identifier.
  virtual bool IsWellKnown() const { return false; }

 protected:
  // An identifier whose SID is filled in by the derived class.
  TSecurityId() = default;
  void Assign(TBytes binarySid);

 private:
  std::array<std::uint8_t, layout::kMaxSidLength> buffer_{};
  std::size_t length_ = 0;
  AnsiString string_;
};

class TSecurityKnownSID : public TSecurityId {
 public:
  using TSecurityId::TSecurityId;
  bool IsWellKnown() const override { return true; }
};

// The user of the calling thread's access token or, for a thread without one, of the process's.
// Well-known only as the process-wide CurrentUserSid().
class TSecurityThreadUserSID : public TSecurityKnownSID {
 public:
  TSecurityThreadUserSID();
  bool IsWellKnown() const override { return wellKnown_; }

 private:
  friend const std::shared_ptr<TSecurityThreadUserSID>& CurrentUserSid();
  bool wellKnown_ = false;
};

enum TWellKnownSid {
  wsEveryone,                   // S-1-1-0
  wsAdministrators,             // S-1-5-32-544
  wsUsers,                      // S-1-5-32-545
  wsGuests,                     // S-1-5-32-546
  wsPowerUsers,                 // S-1-5-32-547
  wsLocalSystem,                // S-1-5-18
  wsRemoteInteractiveLogon,     // S-1-5-14
  wsNull,                       // S-1-0-0
  wsLocal,                      // S-1-2-0
  wsNetworkService,             // S-1-5-20
  wsLocalService,               // S-1-5-19
  wsPrincipalSelf,              // S-1-5-10
  wsLowIntegrity,               // S-1-16-4096
  wsMediumIntegrity,            // S-1-16-8192
  wsHighIntegrity,              // S-1-16-12288
  wsSystemIntegrity,            // S-1-16-16384
  wsProtectedProcessIntegrity,  // S-1-16-20480
};
constexpr int kWellKnownSidCount = wsProtectedProcessIntegrity + 1;

const char* WellKnownSidString(TWellKnownSid which);

// Creates every well-known identifier that does not exist yet; once all exist, later calls do
// nothing. A failure raises ESecurityException and keeps what was made, for the next call.
void InitWellKnownSids();
// Empty until InitWellKnownSids has made it.
const std::shared_ptr<TSecurityKnownSID>& WellKnownSid(TWellKnownSid which);
inline const std::shared_ptr<TSecurityKnownSID>& EveryoneSid() { return WellKnownSid(wsEveryone); }
// The current user's identifier, made at the first call (raises when no token gives a user).
// Not part of InitWellKnownSids: the folder grant has no use for it and must not fail for it.
const std::shared_ptr<TSecurityThreadUserSID>& CurrentUserSid();
// Lets go of the process-wide identifiers (at process end, and between tests); entries that still
// refer to one keep it alive.
void FreeWellKnownSids();

}  // namespace qv
