// What the administrator asked to share, and the checks it must pass before anything is made.
#pragma once

#include <cstddef>

#include "framework/ansi_string.h"

namespace qv {

// The most bytes of code page 932 a share name may have; the name field holds no more.
constexpr std::size_t kShareNameByteLimit = 80;

// What was given, made ready: the path without trailing backslashes, the name trimmed (never
// cut: a name that does not fit is refused, not shared under another name).
struct ShareRequest {
  AnsiString path;
  AnsiString name;
};

// Why a request was refused before anything was made; the path's reasons come first, in the
// order the dialog tests them.
enum class ShareRefusal {
  None,
  EmptyPath,
  UnsuitablePath,
  DriveCannotServe,  // a network, subst or other drive whose folders the server cannot share
  SystemLocation,    // a drive's root or a system folder, not confirmed
  EmptyName,
  UnusableName,
  NameTooLong,
  NotElevated,  // the token is not an elevated administrator's
};

ShareRequest PrepareShareRequest(const AnsiString& pathText, const AnsiString& nameText);
// The path's checks on the text alone; the system's view of it is the job's ResolvePath.
ShareRefusal CheckSharePath(const ShareRequest& request);
ShareRefusal CheckShareName(const ShareRequest& request);

}  // namespace qv
