// The list reader on any bytes: it either reads a list or raises ESecurityException; it never
// reads outside the bytes (the sanitizers see to that) and never fails in another way.
#include <cstddef>
#include <cstdint>

#include "security/access_control_list.h"
#include "security/security_exception.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const qv::TBytes bytes(data, size);
  try {
    qv::TDAccessControlList dacl(bytes);
  } catch (const qv::ESecurityException&) {
  }
  try {
    qv::TSAccessControlList sacl(bytes);
  } catch (const qv::ESecurityException&) {
  }
  return 0;
}
