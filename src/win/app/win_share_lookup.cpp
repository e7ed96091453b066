#include "win/app/win_share_lookup.h"

#include <windows.h>

#include <lm.h>

#include "win/framework/cp932.h"
#include "win/framework/handles.h"
#include "win/framework/lazy_library.h"
#include "win/share/win_share_platform.h"

namespace qv::win {

namespace {
// Runs in a destructor: the library is loaded whenever a buffer exists, since the buffer came
// from it; were binding to fail all the same, the buffer leaks rather than end the program.
void FreeNetBuffer(BYTE* data) noexcept {
  try {
    QV_LAZY("netapi32.dll", NetApiBufferFree)(data);
  } catch (...) {
  }
}
// A buffer the network library allocated, given back to it.
using NetBuffer = UniqueAny<BYTE*, FreeNetBuffer>;
}  // namespace

ShareDetails WinShareLookup::GetShare(const AnsiString& name) {
  std::wstring wide = ToWide(name);
  NetBuffer buffer;
  ShareDetails details;
  details.result =
      QV_LAZY("netapi32.dll", NetShareGetInfo)(nullptr, wide.data(), 502, buffer.put());
  if (details.result != 0 || !buffer) return details;
  const auto* info = reinterpret_cast<const SHARE_INFO_502*>(buffer.get());
  details.path = info->shi502_path ? ToAnsi(info->shi502_path) : AnsiString();
  details.remark = info->shi502_remark ? ToAnsi(info->shi502_remark) : AnsiString();
  PSECURITY_DESCRIPTOR sd = info->shi502_security_descriptor;
  if (sd && IsValidSecurityDescriptor(sd)) {
    // The server hands it out self-relative, so its bytes are the whole of it.
    const auto* bytes = static_cast<const std::uint8_t*>(sd);
    details.descriptor.assign(bytes, bytes + GetSecurityDescriptorLength(sd));
  } else if (sd) {
    details.descriptorUnreadable = true;
  }
  return details;
}

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
