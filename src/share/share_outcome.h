// How a share attempt ended, and the one way of telling it: the dialog shows the telling in its
// boxes, /quiet writes it and ends with its code, so a text or a code is changed in one place.
#pragma once

#include <cstdint>
#include <exception>
#include <vector>

#include "framework/ansi_string.h"
#include "framework/message_box.h"
#include "share/share_request.h"

namespace qv {

// What the job did, or why it was not started. A failure stops the job at its step; nothing
// already done is undone.
struct ShareOutcome {
  ShareRefusal refusal = ShareRefusal::None;  // refused before anything was made
  AnsiString linkTarget;    // not empty: the folder is a link to here, nothing was shared
  AnsiString failedFolder;  // not empty: this folder could not be made, nothing was shared
  std::uint32_t folderError = 0;
  std::uint32_t shareResult = 0;        // the share call's answer
  std::uint32_t shareBadParameter = 0;  // the field the server refused, when it named one
  AnsiString systemText;   // the system's text for folderError or shareResult, as it came
  bool shareMade = false;  // the share call succeeded
  // The name was already a share of this very folder, taken over in place of a new one (its own
  // permissions made Everyone: full control where they were less); shareResult is then 0.
  bool shareExisted = false;
  bool grantSkipped = false;  // the volume keeps no access-control lists
  std::exception_ptr error;   // raised on the way: the grant's error, a library not bound
  AnsiString errorDetail;     // for the log: the system's text and code behind error, if any

  static ShareOutcome Refused(ShareRefusal refusal);
  static ShareOutcome LinkedTo(const AnsiString& target);
};

// Where the dialog puts the focus once the box is closed.
enum class ShareFocus { Unchanged, BrowseButton, ShareName };

struct ShareTelling {
  std::vector<AnsiString> notices;  // told first, each in an information box of its own
  MessageKind box = MessageKind::Information;
  AnsiString text;
  ShareFocus focus = ShareFocus::Unchanged;
  int exitCode = 0;
  std::vector<AnsiString> logLines;  // what only a log keeps
  bool shared = false;  // the share is in place: the dialog's final question follows text
  bool raised = false;  // text is what error says: the dialog shows it as it shows any error
};

ShareTelling Tell(const ShareOutcome& outcome);

}  // namespace qv
