// Security identifiers (SIDs), held as their own bytes: revision 1, the sub-authority count, the
// 6-byte identifier authority (big-endian), then the sub-authorities (32-bit little-endian).
#pragma once

#include "framework/ansi_string.h"
#include "security/binary_layout.h"

namespace qv {

class Sid {
 public:
  // A copy of the well-formed SID that begins the bytes; raises SecurityError otherwise.
  explicit Sid(ByteView bytes);
  // The SID that its text names: "S-1-", the authority in decimal (below 2^32) or as "0x" and
  // twelve hexadecimal digits, then up to 15 sub-authorities in decimal, each below 2^32, every
  // number after one hyphen. Raises SecurityError for any other text, so that a mistyped
  // identifier never becomes a different one.
  static Sid FromText(const AnsiString& text);

  // The SID's own bytes (8 + 4 per sub-authority).
  ByteView View() const { return bytes_; }
  // "S-1-5-32-544"; an authority beyond 32 bits in 12 hexadecimal digits
  // ("S-1-0x123456789ABC-7"), as the platform writes it.
  AnsiString Text() const;

  friend bool operator==(const Sid&, const Sid&) = default;

 private:
  Bytes bytes_;
};

// S-1-1-0, the group Everyone: the one of the well-known identifiers (well_known_sids.h).
const Sid& EveryoneSid();

}  // namespace qv
