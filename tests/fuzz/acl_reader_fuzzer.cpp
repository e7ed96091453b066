// The list reader on any bytes: it either reads a list or raises SecurityError; it never
// reads outside the bytes (the sanitizers see to that) and never fails in another way.
#include <cstddef>
#include <cstdint>

#include "security/dacl.h"
#include "security/security_exception.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const qv::Dacl dacl = qv::Dacl::Read(qv::ByteView(data, size));
    for (const qv::AccessEntry& entry : dacl.Entries()) {
      if (auto trustee = entry.Trustee()) (void)trustee->Text();
    }
  } catch (const qv::SecurityError&) {
  }
  return 0;
}
