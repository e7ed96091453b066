// The health check's questions to the system: the share as the server keeps it, the folder and
// its volume.
#pragma once

#include "app/share_check.h"

namespace qv::win {

class WinShareLookup : public IShareLookup {
 public:
  ShareDetails GetShare(const AnsiString& name) override;
  bool FolderExists(const AnsiString& path) override;
  VolumeDetails Volume(const AnsiString& path) override;
};

}  // namespace qv::win
