// A list that was read is built again to the bytes of its entries exactly, behind a header that
// differs only where the read list had room to spare or a revision too low for its entries; the
// built list reads back into the same entries and builds to the same bytes again. Adding the
// grant's entry keeps every stored entry as it was.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "security/dacl.h"
#include "security/security_exception.h"

namespace {

void Require(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "round trip broken: %s\n", what);
    std::abort();
  }
}

bool Same(qv::ByteView a, qv::ByteView b) { return std::ranges::equal(a, b); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const qv::ByteView input(data, size);
  std::optional<qv::Dacl> first;
  try {
    first = qv::Dacl::Read(input);
  } catch (const qv::SecurityError&) {
    return 0;  // not a list: the reader fuzzer covers these
  }
  const qv::Bytes built = first->Build();
  const std::size_t used = built.size() - qv::layout::kAclHeaderSize;
  Require(built.size() <= qv::layout::ReadU16(input, 2), "the built list is longer than the read");
  Require(Same(qv::ByteView(built).subspan(qv::layout::kAclHeaderSize),
               input.subspan(qv::layout::kAclHeaderSize, used)),
          "the entries' bytes changed");
  Require(built[0] >= input[0] && qv::layout::ReadU16(built, 4) == qv::layout::ReadU16(input, 4),
          "header");

  const qv::Dacl second = qv::Dacl::Read(built);
  Require(second.Entries().size() == first->Entries().size(), "entry count");
  Require(Same(second.Build(), built), "building twice gives different bytes");

  qv::Dacl granted = *first;
  const std::size_t at = granted.InsertBeforeInherited(
      qv::AccessEntry(qv::ace::kAccessAllowed, 0x03, 0x001F01FF, qv::EveryoneSid()));
  for (std::size_t i = 0; i < first->Entries().size(); ++i) {
    const std::size_t moved = i < at ? i : i + 1;
    Require(Same(granted.Entries()[moved].View(), first->Entries()[i].View()), "an entry moved");
  }
  return 0;
}
