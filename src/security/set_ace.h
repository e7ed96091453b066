// The folder access grant: gives the built-in group Everyone full control of a folder and of
// everything below it, by one explicit inheritable allow entry in the folder's DACL.
#pragma once

#include <cstdint>
#include <functional>

#include "framework/ansi_string.h"

namespace qv {

// Reads the folder's DACL, adds the entry (allow, Everyone, object and container inherit, mask
// 0x001F01FF) before the first inherited entry, and writes the DACL back; owner, group and SACL
// are neither read nor written. A DACL that already holds such an explicit entry for Everyone
// (with every bit of the mask, not inherit-only, not stopping at the direct children) is left as
// it is: nothing is written. Returns true; never false. Any failure of the read, the add or the
// write raises one qv::Exception with the message "フォルダへのEveryone権限の付与に失敗しました。"
// and nothing is written unless all before the write succeeded. A failure to make the well-known
// identifiers (the first call in the process) is raised as it is.
bool GrantEveryoneFullControl(const AnsiString& Path);

// The grant as its callers hold it, so that their tests can put another in its place.
using TFolderGrant = std::function<bool(const AnsiString& path)>;

// The grant entry's access mask: FILE_ALL_ACCESS.
constexpr std::uint32_t kFileAllAccess = 0x001F01FF;

}  // namespace qv
