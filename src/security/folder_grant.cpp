#include "security/folder_grant.h"

#include <algorithm>
#include <exception>
#include <memory>

#include "framework/errors.h"
#include "security/dacl.h"
#include "security/security_exception.h"

namespace qv {

namespace {

constexpr std::uint8_t kInheritedByAll = ace::kObjectInherit | ace::kContainerInherit;

// True when the list already holds what the grant would add: an explicit plain allow entry for
// Everyone with every bit of full control that applies to the folder itself and is inherited by
// files and subfolders at every depth. An inherit-only entry does not apply to the folder, and one
// that does not propagate stops at the folder's direct children, so neither counts; nor does an
// inherited entry, which goes when the folder's parent changes.
bool HoldsEveryoneFullControl(const Dacl& dacl) {
  return std::ranges::any_of(dacl.Entries(), [](const AccessEntry& entry) {
    const std::uint8_t flags = entry.Flags();
    return entry.Type() == ace::kAccessAllowed && !entry.IsInherited() &&
           (flags & kInheritedByAll) == kInheritedByAll &&
           (flags & (ace::kInheritOnly | ace::kNoPropagateInherit)) == 0 &&
           (*entry.Mask() & kFileAllAccess) == kFileAllAccess && entry.Trustee() == EveryoneSid();
  });
}

void Grant(IFolderSecurity& folders, const AnsiString& path) {
  if (path.empty()) throw SecurityError("No folder named");
  FolderIdentity identity;
  const std::unique_ptr<IOpenedFolder> opened = folders.OpenFolder(path, identity);
  if (identity.error != 0 || !opened) {
    throw GrantFailure(identity.error);
  }
  // Checked on the very handle that is written through: a swap at the path after the caller's
  // own checks cannot steer the grant elsewhere.
  if ((identity.attributes & kFileAttributeDirectory) == 0 || ElsewhereTarget(path, identity)) {
    throw SecurityError("The path does not lead to the folder itself");
  }
  const FolderDacl folder = opened->ReadDacl();
  if (folder.error != 0) {
    throw GrantFailure(folder.error);
  }
  // No DACL, or a NULL DACL: there is no list to add to.
  if (!folder.present || folder.dacl.empty()) {
    throw SecurityError("The folder has no DACL to add to");
  }
  Dacl dacl = Dacl::Read(folder.dacl);
  // Sharing the same folder again must not pile up equal entries.
  if (HoldsEveryoneFullControl(dacl)) return;
  dacl.InsertBeforeInherited(
      AccessEntry(ace::kAccessAllowed, kInheritedByAll, kFileAllAccess, EveryoneSid()));
  const std::uint32_t code = opened->WriteDacl(DaclWriteInformation(folder.control), dacl.Build());
  if (code != 0) throw GrantFailure(code);
}

}  // namespace

bool GrantEveryoneFullControl(IFolderSecurity& folders, const AnsiString& path) {
  try {
    Grant(folders, path);
    return true;
  } catch (const GrantFailure&) {
    throw;
  } catch (const std::exception&) {
    // What failed is not passed on: the user gets one message for all of it.
    throw GrantFailure(0);
  }
}

GrantFailure::GrantFailure(std::uint32_t systemCode)
    : Exception("フォルダへのEveryone権限の付与に失敗しました。"), systemCode_(systemCode) {}

}  // namespace qv
