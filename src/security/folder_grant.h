// The folder access grant: gives the built-in group Everyone full control of a folder and of
// everything below it, by one explicit inheritable allow entry in the folder's DACL.
#pragma once

#include <cstdint>

#include "framework/ansi_string.h"
#include "framework/errors.h"
#include "security/folder_security.h"

namespace qv {

// Opens the folder itself (a reparse point is not followed) and refuses anything that is not a
// folder or that resolves elsewhere than path; then, through that one opened folder, reads its
// DACL, puts the entry (allow, Everyone, object and container inherit, mask
// 0x001F01FF) before the first inherited entry, and writes the DACL back, every other entry byte
// for byte as it was read. The write carries the protection of the DACL (and of the SACL) as the
// read found it. A DACL that already holds such an explicit entry for Everyone (with every bit of
// the mask, not inherit-only, not stopping at the direct children) is left as it is: nothing is
// written. Returns true; never false. Any failure (no path, a failed open, a link or file at the
// path, a failed read or write, no DACL or a
// NULL DACL, a list that cannot be read or would grow too long) raises one qv::Exception with the
// message "フォルダへのEveryone権限の付与に失敗しました。", and nothing is written unless all
// before the write succeeded.
bool GrantEveryoneFullControl(IFolderSecurity& folders, const AnsiString& path);

// What the grant raises: the one message above, and for the log the system's code of the read or
// write that failed (0 when no call failed, as for a folder without a list).
class GrantFailure : public Exception {
 public:
  explicit GrantFailure(std::uint32_t systemCode);
  std::uint32_t SystemCode() const noexcept { return systemCode_; }

 private:
  std::uint32_t systemCode_;
};

// The grant entry's access mask: FILE_ALL_ACCESS.
constexpr std::uint32_t kFileAllAccess = 0x001F01FF;

}  // namespace qv
