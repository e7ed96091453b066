// A list that was read can be built again, and the built list reads back into equal entries;
// building that again gives the same bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "security/access_control_list.h"
#include "security/security_exception.h"

namespace {

void Require(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "round trip broken: %s\n", what);
    std::abort();
  }
}

std::unique_ptr<qv::TSecurityAccessControlList> Read(bool discretionary, qv::TBytes bytes) {
  if (discretionary) return std::make_unique<qv::TDAccessControlList>(bytes);
  return std::make_unique<qv::TSAccessControlList>(bytes);
}

bool SameEntry(const qv::TSecurityAccessControlEntry& a, const qv::TSecurityAccessControlEntry& b) {
  const auto sa = a.SID()->Sid();
  const auto sb = b.SID()->Sid();
  return a.AceType() == b.AceType() && a.Flags() == b.Flags() && a.AccessMask() == b.AccessMask() &&
         a.ObjectTypes() == b.ObjectTypes() && a.Revision() == b.Revision() &&
         sa.size() == sb.size() && std::equal(sa.begin(), sa.end(), sb.begin()) &&
         a.SID()->StringSid() == b.SID()->StringSid();
}

void RoundTrip(bool discretionary, qv::TBytes input) {
  std::unique_ptr<qv::TSecurityAccessControlList> first;
  try {
    first = Read(discretionary, input);
  } catch (const qv::ESecurityException&) {
    return;  // not a list: the reader fuzzer covers these
  }
  qv::TGlobalMemory built;
  try {
    built = first->CreatePacl();
  } catch (const qv::ESecurityException& e) {
    std::fprintf(stderr, "%s\n", e.what());
    Require(false, "a list that was read could not be built");
  }
  const auto bytes = built.Bytes();
  Require(bytes.size() <= static_cast<std::size_t>(qv::layout::ReadU16(input, 2)),
          "the built list is longer than the one read");
  std::unique_ptr<qv::TSecurityAccessControlList> second;
  try {
    second = Read(discretionary, bytes);
  } catch (const qv::ESecurityException& e) {
    std::fprintf(stderr, "%s\n", e.what());
    Require(false, "a built list could not be read");
  }
  Require(second->Revision() == first->Revision(), "revision");
  Require(second->Count() == first->Count(), "entry count");
  for (std::size_t i = 0; i < first->Count(); ++i) {
    Require(SameEntry(first->Items(i), second->Items(i)), "entries differ");
  }
  const qv::TGlobalMemory again = second->CreatePacl();
  Require(again.Bytes().size() == bytes.size() &&
              std::equal(bytes.begin(), bytes.end(), again.Bytes().begin()),
          "building twice gives different bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  RoundTrip(true, qv::TBytes(data, size));
  RoundTrip(false, qv::TBytes(data, size));
  return 0;
}
