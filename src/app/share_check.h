// The health check (/check): reads how a share and its folder stand and says, one finding a line,
// whether the other computers can open and save the data. It changes nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "app/unattended.h"
#include "framework/ansi_string.h"
#include "security/folder_security.h"
#include "share/share_platform.h"
#include "share/system_texts.h"

namespace qv {

struct VolumeDetails {
  AnsiString fileSystem;  // "NTFS", "FAT32"...; "" when the system does not say
  bool keepsAcls = true;
};

class IShareLookup {
 public:
  virtual ~IShareLookup() = default;
  virtual ShareDetails GetShare(const AnsiString& name) = 0;
  virtual bool FolderExists(const AnsiString& path) = 0;
  virtual VolumeDetails Volume(const AnsiString& path) = 0;
};

// Reports each finding and the verdict; kExitDone when everything is in order, else
// kExitCheckFailed.
int RunShareCheck(const AnsiString& name, IShareLookup& shares, IFolderSecurity& folders,
                  ISystemTexts& texts, IRunReport& report);

}  // namespace qv
