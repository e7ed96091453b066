#include "win/security/win_named_security.h"

#include <windows.h>

#include <aclapi.h>

#include <cstring>
#include <memory>
#include <string>

#include "win/framework/cp932.h"
#include "win/framework/handles.h"
#include "win/framework/lazy_library.h"

namespace qv::win {

namespace {

// A failed query of a descriptor the system itself made: report its code, never success.
std::uint32_t LastErrorOr(std::uint32_t fallback) {
  const DWORD code = GetLastError();
  return code != ERROR_SUCCESS ? code : fallback;
}

// A piece of a self-relative descriptor is copied only when all of it lies inside the
// descriptor: a damaged one must not make us read past its end.
bool Inside(PSECURITY_DESCRIPTOR descriptor, const void* piece, std::size_t size) {
  const auto* start = static_cast<const std::uint8_t*>(descriptor);
  const auto* at = static_cast<const std::uint8_t*>(piece);
  const std::size_t length = GetSecurityDescriptorLength(descriptor);
  return at >= start && static_cast<std::size_t>(at - start) <= length &&
         size <= length - static_cast<std::size_t>(at - start);
}

std::optional<Bytes> CopyOfSid(PSECURITY_DESCRIPTOR descriptor, PSID sid) {
  if (!sid) return std::nullopt;
  // The SID's own header says how long it is: look at the header only once it is inside.
  if (!Inside(descriptor, sid, 8) || !Inside(descriptor, sid, GetLengthSid(sid))) {
    return Bytes();  // the model refuses an empty SID as malformed
  }
  const auto* bytes = static_cast<const std::uint8_t*>(sid);
  return Bytes(bytes, bytes + GetLengthSid(sid));
}

std::optional<Bytes> CopyOfAcl(PSECURITY_DESCRIPTOR descriptor, PACL acl) {
  if (!acl) return std::nullopt;
  if (!Inside(descriptor, acl, sizeof(ACL)) || !Inside(descriptor, acl, acl->AclSize)) {
    return Bytes();  // the model refuses a list shorter than its header
  }
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(acl);
  return Bytes(bytes, bytes + acl->AclSize);
}

// The calls take their pieces as writable memory aligned for the structures: each gets its own
// copy.
class AlignedCopy {
 public:
  explicit AlignedCopy(const std::optional<Bytes>& bytes) {
    if (!bytes || bytes->empty()) return;
    memory_ = std::make_unique<DWORD[]>((bytes->size() + sizeof(DWORD) - 1) / sizeof(DWORD));
    std::memcpy(memory_.get(), bytes->data(), bytes->size());
  }
  void* get() const { return memory_.get(); }

 private:
  std::unique_ptr<DWORD[]> memory_;
};

NamedSecurity Failed(SecurityQuery query, std::uint32_t code) {
  NamedSecurity failed;
  failed.error = code;
  failed.failedQuery = query;
  return failed;
}

}  // namespace

NamedSecurity WinNamedSecurity::Read(const AnsiString& path, std::uint32_t securityInformation) {
  static auto* const getNamed = QV_LAZY("advapi32.dll", GetNamedSecurityInfoW);
  NamedSecurity read;
  // The call allocates the descriptor with LocalAlloc for its caller.
  UniqueLocal owner;
  const DWORD code = getNamed(ToWide(path).c_str(), SE_FILE_OBJECT, securityInformation, nullptr,
                              nullptr, nullptr, nullptr, owner.put());
  if (code != ERROR_SUCCESS) return Failed(SecurityQuery::Read, code);
  const PSECURITY_DESCRIPTOR descriptor = owner.get();
  if (!descriptor) return Failed(SecurityQuery::Read, ERROR_INVALID_SECURITY_DESCR);

  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  if (!GetSecurityDescriptorControl(descriptor, &control, &revision)) {
    return Failed(SecurityQuery::Control, LastErrorOr(ERROR_INVALID_SECURITY_DESCR));
  }
  read.control = control;

  PSID sid = nullptr;
  BOOL defaulted = FALSE;
  if (!GetSecurityDescriptorOwner(descriptor, &sid, &defaulted)) {
    return Failed(SecurityQuery::Owner, LastErrorOr(ERROR_INVALID_SECURITY_DESCR));
  }
  read.owner = CopyOfSid(descriptor, sid);
  read.ownerDefaulted = sid && defaulted;
  sid = nullptr;
  defaulted = FALSE;
  if (!GetSecurityDescriptorGroup(descriptor, &sid, &defaulted)) {
    return Failed(SecurityQuery::Group, LastErrorOr(ERROR_INVALID_SECURITY_DESCR));
  }
  read.group = CopyOfSid(descriptor, sid);
  read.groupDefaulted = sid && defaulted;

  BOOL present = FALSE;
  PACL acl = nullptr;
  defaulted = FALSE;
  if (!GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted)) {
    return Failed(SecurityQuery::Dacl, LastErrorOr(ERROR_INVALID_SECURITY_DESCR));
  }
  read.daclPresent = present != FALSE;
  read.daclDefaulted = present && defaulted;
  if (present) read.dacl = CopyOfAcl(descriptor, acl);

  present = FALSE;
  acl = nullptr;
  defaulted = FALSE;
  if (!GetSecurityDescriptorSacl(descriptor, &present, &acl, &defaulted)) {
    return Failed(SecurityQuery::Sacl, LastErrorOr(ERROR_INVALID_SECURITY_DESCR));
  }
  read.saclPresent = present != FALSE;
  read.saclDefaulted = present && defaulted;
  if (present) read.sacl = CopyOfAcl(descriptor, acl);
  return read;
}

std::uint32_t WinNamedSecurity::Write(const AnsiString& path, std::uint32_t securityInformation,
                                      const SecurityPieces& pieces) {
  static auto* const setNamed = QV_LAZY("advapi32.dll", SetNamedSecurityInfoW);
  std::wstring name = ToWide(path);
  const AlignedCopy owner(pieces.owner), group(pieces.group), dacl(pieces.dacl), sacl(pieces.sacl);
  return setNamed(name.data(), SE_FILE_OBJECT, securityInformation, owner.get(), group.get(),
                  static_cast<PACL>(dacl.get()), static_cast<PACL>(sacl.get()));
}

}  // namespace qv::win
