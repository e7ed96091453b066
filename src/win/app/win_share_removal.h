// The share removal's questions and changes to the server: the share as it is kept, its end, and
// a folder's DACL in the system's text form for the log.
#pragma once

#include "app/share_removal.h"
#include "win/app/win_share_lookup.h"

namespace qv::win {

class WinShareRemoval : public IShareRemovalPlatform {
 public:
  ShareDetails GetShare(const AnsiString& name) override;
  std::uint32_t DeleteShare(const AnsiString& name) override;
  AnsiString DaclText(std::uint16_t control, ByteView dacl) override;

 private:
  WinShareLookup lookup_;
};

}  // namespace qv::win
