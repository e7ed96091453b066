// Undoing a share (/remove): the share goes, and the one entry the share job adds to its folder
// (an explicit allow of full control for Everyone, inherited by files and subfolders) goes with
// it; every other entry, the folder and its files stay. What the folder's DACL was is told first,
// in the system's own text form, so that support can put it back.
#pragma once

#include <cstdint>

#include "app/share_check.h"
#include "app/unattended.h"
#include "framework/ansi_string.h"
#include "framework/message_box.h"
#include "security/access_entry.h"
#include "security/binary_layout.h"
#include "security/folder_security.h"
#include "share/system_texts.h"

namespace qv {

class IShareRemovalPlatform {
 public:
  virtual ~IShareRemovalPlatform() = default;
  // The share as the server keeps it (level 502).
  virtual ShareDetails GetShare(const AnsiString& name) = 0;
  // Ends the share; 0 or the server's code.
  virtual std::uint32_t DeleteShare(const AnsiString& name) = 0;
  // A DACL with the protection its descriptor's control word gives it, in the system's security
  // descriptor string form ("D:PAI(A;OICI;FA;;;WD)..."); "" when the system cannot write it.
  virtual AnsiString DaclText(std::uint16_t control, ByteView dacl) = 0;
};

struct RemovalRequest {
  AnsiString name;   // code page 932
  bool yes = false;  // no question before the change
};

// Removes the share and the folder's entry; asks through boxes first unless request.yes. Returns
// kExitDone, kExitNameInUse (here: no such share), kExitNotAllowed (access denied),
// kExitRefused (the question answered with キャンセル) or kExitShareFailed (anything else, a
// folder that is now a link among it). Nothing is changed unless the share was found and its
// folder, when it exists, was opened, checked and its DACL read; the folder's DACL is written
// only after the share is gone, through the handle that was checked.
int RunShareRemoval(const RemovalRequest& request, IShareRemovalPlatform& shares,
                    IFolderSecurity& folders, IMessageBoxes& boxes, ISystemTexts& texts,
                    IRunReport& report);

// Whether an entry is exactly the one the share job adds: explicit allow, Everyone, object and
// container inherit and no other flag, FILE_ALL_ACCESS and no other right.
bool IsShareJobEntry(const AccessEntry& entry);

}  // namespace qv
