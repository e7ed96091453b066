#include "win/security/win_security_platform.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <cstring>
#include <memory>

#include "win/framework/cp932.h"

namespace qv::win {

namespace {

struct LocalDeleter {
  void operator()(void* p) const { ::LocalFree(p); }
};
template <typename T>
using LocalPtr = std::unique_ptr<T, LocalDeleter>;

struct HandleCloser {
  void operator()(HANDLE h) const { ::CloseHandle(h); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

PSID AsSid(TBytes sid) { return const_cast<std::uint8_t*>(sid.data()); }
PACL AsAcl(TBytes acl) { return reinterpret_cast<PACL>(const_cast<std::uint8_t*>(acl.data())); }

// The platform's SID functions read as far as the SID's count byte says; only whole SIDs reach
// them.
bool HoldsSid(TBytes sid) { return layout::SidLengthIn(sid).has_value(); }

// The length of a SID the platform handed out, which it vouches for.
TBytes PlatformSid(PSID sid) {
  if (!sid) return {};
  return {static_cast<const std::uint8_t*>(sid), ::GetLengthSid(sid)};
}

bool PlatformList(PACL acl, TBytes& out) {
  out = acl ? TBytes(reinterpret_cast<const std::uint8_t*>(acl), acl->AclSize) : TBytes{};
  return true;
}

std::vector<std::uint8_t> CopyOf(TBytes bytes) { return {bytes.begin(), bytes.end()}; }

}  // namespace

std::optional<std::vector<std::uint8_t>> WinSecurityPlatform::StringToSid(const AnsiString& text) {
  PSID sid = nullptr;
  if (!ConvertStringSidToSidW(ToWide(text).c_str(), &sid)) return std::nullopt;
  const LocalPtr<void> owned(sid);
  return CopyOf(PlatformSid(sid));
}

std::optional<AnsiString> WinSecurityPlatform::SidToString(TBytes sid) {
  if (!HoldsSid(sid)) return std::nullopt;
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(AsSid(sid), &text)) return std::nullopt;
  const LocalPtr<wchar_t> owned(text);
  return ToAnsi(text);
}

bool WinSecurityPlatform::CopySid(TMutableBytes dest, TBytes source) {
  if (!HoldsSid(source)) return false;
  return ::CopySid(static_cast<DWORD>(dest.size()), dest.data(), AsSid(source)) != FALSE;
}

std::uint32_t WinSecurityPlatform::GetLengthSid(TBytes sid) {
  // GetLengthSid's result is undefined for a SID that IsValidSid refuses. It sets no error code:
  // whatever GetLastError holds afterwards is older than the call.
  if (sid.size() < layout::kSidHeaderSize || !::IsValidSid(AsSid(sid))) return 0;
  return ::GetLengthSid(AsSid(sid));
}

bool WinSecurityPlatform::IsValidAcl(TBytes acl) {
  return acl.size() >= layout::kAclHeaderSize && ::IsValidAcl(AsAcl(acl)) != FALSE;
}

std::optional<std::size_t> WinSecurityPlatform::GetAce(TBytes acl, std::uint32_t index) {
  void* ace = nullptr;
  if (acl.size() < layout::kAclHeaderSize || !::GetAce(AsAcl(acl), index, &ace)) {
    return std::nullopt;
  }
  const auto* at = static_cast<const std::uint8_t*>(ace);
  if (at < acl.data() || at >= acl.data() + acl.size()) return std::nullopt;
  return static_cast<std::size_t>(at - acl.data());
}

bool WinSecurityPlatform::InitializeAcl(TMutableBytes acl, std::uint32_t revision) {
  return ::InitializeAcl(reinterpret_cast<PACL>(acl.data()), static_cast<DWORD>(acl.size()),
                         revision) != FALSE;
}

bool WinSecurityPlatform::AddAce(TMutableBytes acl, std::uint32_t aceRevision,
                                 std::uint32_t startIndex, TBytes aces) {
  return ::AddAce(reinterpret_cast<PACL>(acl.data()), aceRevision, startIndex,
                  const_cast<std::uint8_t*>(aces.data()), static_cast<DWORD>(aces.size())) != FALSE;
}

bool WinSecurityPlatform::AddObjectAce(std::uint8_t aceType, TMutableBytes acl,
                                       std::uint32_t aceRevision, std::uint8_t flags,
                                       std::uint32_t mask, const TGuid* objectType,
                                       const TGuid* inheritedObjectType, TBytes sid) {
  if (!HoldsSid(sid)) return false;
  GUID guids[2] = {};
  GUID* objectGuid = nullptr;
  GUID* inheritedGuid = nullptr;
  if (objectType) {
    std::memcpy(&guids[0], objectType->Bytes.data(), sizeof(GUID));
    objectGuid = &guids[0];
  }
  if (inheritedObjectType) {
    std::memcpy(&guids[1], inheritedObjectType->Bytes.data(), sizeof(GUID));
    inheritedGuid = &guids[1];
  }
  const auto list = reinterpret_cast<PACL>(acl.data());
  switch (aceType) {
    case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
      return AddAccessAllowedObjectAce(list, aceRevision, flags, mask, objectGuid, inheritedGuid,
                                       AsSid(sid)) != FALSE;
    case ACCESS_DENIED_OBJECT_ACE_TYPE:
      return AddAccessDeniedObjectAce(list, aceRevision, flags, mask, objectGuid, inheritedGuid,
                                      AsSid(sid)) != FALSE;
    case SYSTEM_AUDIT_OBJECT_ACE_TYPE:
      // The audit call takes the two access flags as arguments of their own.
      return AddAuditAccessObjectAce(list, aceRevision,
                                     flags & ~(SUCCESSFUL_ACCESS_ACE_FLAG | FAILED_ACCESS_ACE_FLAG),
                                     mask, objectGuid, inheritedGuid, AsSid(sid),
                                     (flags & SUCCESSFUL_ACCESS_ACE_FLAG) != 0,
                                     (flags & FAILED_ACCESS_ACE_FLAG) != 0) != FALSE;
    default:
      return false;
  }
}

void* WinSecurityPlatform::GlobalAlloc(std::uint32_t flags, std::size_t size) {
  return ::GlobalAlloc(flags, size);
}

void WinSecurityPlatform::GlobalFree(void* memory) { ::GlobalFree(memory); }

std::optional<std::vector<std::uint8_t>> WinSecurityPlatform::TokenUserSid(
    TTokenSource source, std::uint32_t desiredAccess) {
  HANDLE token = nullptr;
  const BOOL opened = source == tsThread
                          ? OpenThreadToken(GetCurrentThread(), desiredAccess, TRUE, &token)
                          : OpenProcessToken(GetCurrentProcess(), desiredAccess, &token);
  if (!opened) return std::nullopt;
  const UniqueHandle owned(token);
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  if (size < sizeof(TOKEN_USER)) return std::nullopt;
  // TOKEN_USER holds a pointer: keep the buffer aligned for it.
  std::vector<std::uint64_t> buffer((size + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
  if (!GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return std::nullopt;
  const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
  if (!::IsValidSid(user->User.Sid)) return std::nullopt;
  return CopyOf(PlatformSid(user->User.Sid));
}

std::uint32_t WinFileSecurityPlatform::ReadNamedSecurity(const AnsiString& path,
                                                         TSecurityObjectType type,
                                                         std::uint32_t securityInformation,
                                                         TPlatformDescriptor* descriptor) {
  PSECURITY_DESCRIPTOR received = nullptr;
  const DWORD code =
      GetNamedSecurityInfoW(ToWide(path).c_str(), static_cast<SE_OBJECT_TYPE>(type),
                            securityInformation, nullptr, nullptr, nullptr, nullptr, &received);
  *descriptor = received;
  return code;
}

std::uint32_t WinFileSecurityPlatform::WriteNamedSecurity(const AnsiString& path,
                                                          TSecurityObjectType type,
                                                          std::uint32_t securityInformation,
                                                          TBytes owner, TBytes group, TBytes dacl,
                                                          TBytes sacl) {
  std::wstring name = ToWide(path);
  return SetNamedSecurityInfoW(
      name.data(), static_cast<SE_OBJECT_TYPE>(type), securityInformation,
      owner.data() ? AsSid(owner) : nullptr, group.data() ? AsSid(group) : nullptr,
      dacl.data() ? AsAcl(dacl) : nullptr, sacl.data() ? AsAcl(sacl) : nullptr);
}

bool WinFileSecurityPlatform::DescriptorControl(TPlatformDescriptor descriptor,
                                                std::uint16_t& control) {
  SECURITY_DESCRIPTOR_CONTROL word = 0;
  DWORD revision = 0;
  if (!GetSecurityDescriptorControl(descriptor, &word, &revision)) return false;
  control = word;
  return true;
}

bool WinFileSecurityPlatform::DescriptorOwner(TPlatformDescriptor descriptor, TBytes& sid,
                                              bool& defaulted) {
  PSID owner = nullptr;
  BOOL isDefaulted = FALSE;
  if (!GetSecurityDescriptorOwner(descriptor, &owner, &isDefaulted)) return false;
  if (owner && !::IsValidSid(owner)) return false;
  sid = PlatformSid(owner);
  defaulted = isDefaulted != FALSE;
  return true;
}

bool WinFileSecurityPlatform::DescriptorGroup(TPlatformDescriptor descriptor, TBytes& sid,
                                              bool& defaulted) {
  PSID group = nullptr;
  BOOL isDefaulted = FALSE;
  if (!GetSecurityDescriptorGroup(descriptor, &group, &isDefaulted)) return false;
  if (group && !::IsValidSid(group)) return false;
  sid = PlatformSid(group);
  defaulted = isDefaulted != FALSE;
  return true;
}

bool WinFileSecurityPlatform::DescriptorDacl(TPlatformDescriptor descriptor, bool& present,
                                             TBytes& acl, bool& defaulted) {
  BOOL isPresent = FALSE, isDefaulted = FALSE;
  PACL list = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor, &isPresent, &list, &isDefaulted)) return false;
  present = isPresent != FALSE;
  defaulted = isDefaulted != FALSE;
  return PlatformList(list, acl);
}

bool WinFileSecurityPlatform::DescriptorSacl(TPlatformDescriptor descriptor, bool& present,
                                             TBytes& acl, bool& defaulted) {
  BOOL isPresent = FALSE, isDefaulted = FALSE;
  PACL list = nullptr;
  if (!GetSecurityDescriptorSacl(descriptor, &isPresent, &list, &isDefaulted)) return false;
  present = isPresent != FALSE;
  defaulted = isDefaulted != FALSE;
  return PlatformList(list, acl);
}

void WinFileSecurityPlatform::LocalFree(TPlatformDescriptor descriptor) { ::LocalFree(descriptor); }

void InstallWindowsSecurityPlatform() {
  static WinSecurityPlatform security;
  static WinFileSecurityPlatform files;
  SetSecurityPlatform(&security);
  SetFileSecurityPlatform(&files);
}

}  // namespace qv::win
