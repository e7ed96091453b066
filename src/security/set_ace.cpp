#include "security/set_ace.h"

#include <exception>

#include "framework/errors.h"
#include "security/secure_file_object.h"
#include "security/security_exception.h"

namespace qv {

bool GrantEveryoneFullControl(const AnsiString& Path) {
  InitWellKnownSids();
  const TSecureFileObject folder(Path);
  try {
    // The descriptor (with its DACL and every entry in it) goes before the failure is handled.
    const std::unique_ptr<TSecurityDescriptor> descriptor = folder.GetSecurityDescriptor({siDacl});
    auto entry = std::make_unique<TDiscretionaryAccessControlEntryAllow>(
        TAceFlags{afObjectInherit, afContainerInherit}, kFileAllAccess, EveryoneSid());
    TDAccessControlList* dacl = descriptor->DACL();
    // No DACL, or a NULL DACL (a volume without access control): there is no list to add to.
    if (!dacl) throw ESecurityException("The folder has no DACL to add to");
    dacl->Add(std::move(entry));
    folder.SetSecurityDescriptor(*descriptor, {siDacl});
    return true;
  } catch (const std::exception&) {
    // What failed is not passed on: the user gets one message for all of it.
    throw Exception("フォルダへのEveryone権限の付与に失敗しました。");
  }
}

}  // namespace qv
