#include "security/sid.h"

#include "security/security_exception.h"

namespace qv {

Sid::Sid(ByteView bytes) {
  const auto length = layout::SidLengthIn(bytes);
  if (!length) throw SecurityError("The SID is malformed or does not fit its bytes");
  bytes_.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(*length));
}

AnsiString Sid::Text() const {
  AnsiString text = "S-1-";
  if (bytes_[2] != 0 || bytes_[3] != 0) {
    text += "0x";
    for (int i = 2; i < 8; ++i) text += Format("%02X", bytes_[i]);
  } else {
    std::uint32_t authority = 0;
    for (int i = 4; i < 8; ++i) authority = (authority << 8) | bytes_[i];
    text += Format("%u", static_cast<unsigned>(authority));
  }
  for (std::size_t at = layout::kSidHeaderSize; at < bytes_.size(); at += 4) {
    text += Format("-%u", static_cast<unsigned>(layout::ReadU32(bytes_, at)));
  }
  return text;
}

const Sid& EveryoneSid() {
  static const Sid everyone(Bytes{1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0});
  return everyone;
}

}  // namespace qv
