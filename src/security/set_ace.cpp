#include "security/set_ace.h"

#include <algorithm>
#include <exception>

#include "framework/errors.h"
#include "security/secure_file_object.h"
#include "security/security_exception.h"

namespace qv {

namespace {

// True when the list already holds what the grant would add: an explicit plain allow entry for
// Everyone with every bit of full control that applies to the folder itself and is inherited by
// files and subfolders at every depth. An inherit-only entry does not apply to the folder, and one
// that does not propagate stops at the folder's direct children, so neither counts; nor does an
// inherited entry, which goes when the folder's parent changes.
bool HoldsEveryoneFullControl(const TDAccessControlList& dacl) {
  const TBytes everyone = EveryoneSid()->Sid();
  for (std::size_t i = 0; i < dacl.Count(); ++i) {
    const TSecurityAccessControlEntry& entry = dacl.Items(i);
    const TAceFlags flags = entry.Flags();
    if (entry.AceType() == atAccessAllowed && !entry.IsInherited() &&
        flags.Contains(afObjectInherit) && flags.Contains(afContainerInherit) &&
        !flags.Contains(afInheritOnly) && !flags.Contains(afNoPropagateInherit) &&
        (entry.AccessMask() & kFileAllAccess) == kFileAllAccess &&
        std::ranges::equal(entry.SID()->Sid(), everyone)) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool GrantEveryoneFullControl(const AnsiString& Path) {
  InitWellKnownSids();
  const TSecureFileObject folder(Path);
  try {
    // The descriptor (with its DACL and every entry in it) goes before the failure is handled.
    const std::unique_ptr<TSecurityDescriptor> descriptor = folder.GetSecurityDescriptor({siDacl});
    TDAccessControlList* dacl = descriptor->DACL();
    // No DACL, or a NULL DACL (a volume without access control): there is no list to add to.
    if (!dacl) throw ESecurityException("The folder has no DACL to add to");
    // Sharing the same folder again must not pile up equal entries.
    if (HoldsEveryoneFullControl(*dacl)) return true;
    dacl->Add(std::make_unique<TDiscretionaryAccessControlEntryAllow>(
        TAceFlags{afObjectInherit, afContainerInherit}, kFileAllAccess, EveryoneSid()));
    folder.SetSecurityDescriptor(*descriptor, {siDacl});
    return true;
  } catch (const std::exception&) {
    // What failed is not passed on: the user gets one message for all of it.
    throw Exception("フォルダへのEveryone権限の付与に失敗しました。");
  }
}

}  // namespace qv
