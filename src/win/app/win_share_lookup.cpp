#include "win/app/win_share_lookup.h"

#include <windows.h>

#include <lm.h>

#include "win/framework/cp932.h"
#include "win/share/win_share_platform.h"

namespace qv::win {

ShareDetails WinShareLookup::GetShare(const AnsiString& name) { return ReadShareDetails(name); }

bool WinShareLookup::FolderExists(const AnsiString& path) {
  DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

VolumeDetails WinShareLookup::Volume(const AnsiString& path) {
  VolumeDetails details;
  if (std::optional<VolumeFacts> volume = VolumeOf(path)) {
    details.fileSystem = volume->fileSystem;
    details.keepsAcls = (volume->flags & FILE_PERSISTENT_ACLS) != 0;
  }
  return details;
}

}  // namespace qv::win
