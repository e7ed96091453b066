// Rules on what the user gives as the folder and the share name, on code page 932 bytes. A
// character that code page 932 cannot hold arrives here as '?', which neither may contain, so
// such input is refused by the same rules.
#pragma once

#include "framework/ansi_string.h"

namespace qv {

// The path without trailing backslashes, except the one after a drive (C:\ stays C:\).
AnsiString DropTrailingBackslashes(const AnsiString& path);

// A path of this computer's file system: a drive letter, a colon, a backslash (or the forward
// slash the system reads as one), and no character
// that a folder name may not hold (* ? < > | " and no colon after the drive). Relative paths,
// drive-relative ones (C:foo) and UNC paths (\\server\share) are not.
bool IsLocalAbsolutePath(const AnsiString& path);

// A name the server accepts for a share: no \ / : * ? " < > | [ ] ; , = + and no control
// character, and none of the system's own shares (IPC$, ADMIN$, PRINT$, a drive letter and $).
bool IsUsableShareName(const AnsiString& name);

// The root of a drive (C: or C:\), whatever follows the colon being only backslashes.
bool IsDriveRoot(const AnsiString& path);

}  // namespace qv
