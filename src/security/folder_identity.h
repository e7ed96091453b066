// What the system says a folder really is once it has been opened: the path it resolves to and
// whether it is a reparse point. The elevated grant must land on the folder the administrator
// chose, not on wherever a junction planted by another user points, so decisions are taken on
// these answers and never on the typed path alone.
#pragma once

#include <cstdint>
#include <optional>

#include "framework/ansi_string.h"

namespace qv {

struct FolderIdentity {
  std::uint32_t error = 0;       // 0, or the system's code for the failed open: nothing else counts
  std::uint32_t attributes = 0;  // of the object opened (FILE_ATTRIBUTE_*)
  // The final path of the object opened without following a last-component reparse point, and
  // the one reached when it is followed; equal for anything that is not a reparse point. Either
  // may carry the \\?\ prefix.
  AnsiString finalPath;
  AnsiString targetPath;
};

constexpr std::uint32_t kFileAttributeDirectory = 0x10;      // FILE_ATTRIBUTE_DIRECTORY
constexpr std::uint32_t kFileAttributeReparsePoint = 0x400;  // FILE_ATTRIBUTE_REPARSE_POINT

// C:\x for \\?\C:\x and \\server\share for \\?\UNC\server\share; other paths as they are.
AnsiString WithoutLongPathPrefix(const AnsiString& path);

// Whether two paths name the same place as the file system spells it: without regard to ASCII
// case, the \\?\ prefix or a trailing backslash.
bool SamePath(const AnsiString& a, const AnsiString& b);

// Where an opened folder really lies when that is not path (a junction, a symbolic link, a
// folder swapped in); nothing when it is path itself. A volume mounted in a folder resolves to
// that folder and is therefore no link.
std::optional<AnsiString> ElsewhereTarget(const AnsiString& path, const FolderIdentity& identity);

}  // namespace qv
