#include "win/app/win_share_removal.h"

#include <windows.h>

#include <lm.h>
#include <sddl.h>

#include <cstring>
#include <memory>
#include <string>

#include "win/framework/cp932.h"
#include "win/framework/handles.h"
#include "win/framework/lazy_library.h"

namespace qv::win {

ShareDetails WinShareRemoval::GetShare(const AnsiString& name) { return lookup_.GetShare(name); }

std::uint32_t WinShareRemoval::DeleteShare(const AnsiString& name) {
  std::wstring wide = ToWide(name);
  return QV_LAZY("netapi32.dll", NetShareDel)(nullptr, wide.data(), 0);
}

AnsiString WinShareRemoval::DaclText(std::uint16_t control, ByteView dacl) {
  // The system reads as far as the list's own size says: never past the bytes given.
  if (dacl.size() < sizeof(ACL) || static_cast<std::size_t>(dacl[2] | (dacl[3] << 8)) > dacl.size())
    return {};
  // The calls take the list as writable memory: a copy of its own, aligned for an ACL.
  auto list = std::make_unique<DWORD[]>((dacl.size() + sizeof(DWORD) - 1) / sizeof(DWORD));
  std::memcpy(list.get(), dacl.data(), dacl.size());
  auto* acl = reinterpret_cast<PACL>(list.get());
  if (!IsValidAcl(acl)) return {};
  SECURITY_DESCRIPTOR descriptor;
  // Only the protection and the auto-inherited mark matter to whoever puts the list back: the
  // text then says P (cut off from the parent) and AI exactly when the folder did.
  constexpr SECURITY_DESCRIPTOR_CONTROL kKept = SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED;
  if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE) ||
      !SetSecurityDescriptorControl(&descriptor, kKept,
                                    static_cast<SECURITY_DESCRIPTOR_CONTROL>(control & kKept))) {
    return {};
  }
  LPWSTR text = nullptr;
  if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(
          &descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
    return {};
  }
  // The call allocates the text with LocalFree's allocator for its caller.
  const UniqueLocal owner(text);
  return ToAnsi(text);
}

}  // namespace qv::win
