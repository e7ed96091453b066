// The program's exit codes. The share job's outcome decides most of them, so they live with it;
// the command line's own codes stand here too, so that no two runs give one number two meanings.
#pragma once

namespace qv {

// Exit codes of the program, the same for every kind of run.
enum ExitCode : int {
  kExitDone = 0,            // share and grant in place (for /check: everything in order)
  kExitUsage = 1,           // unknown option, missing value, options that do not go together
  kExitRefused = 2,         // unusable path or name, or the drive-root question without /yes
  kExitNameInUse = 3,       // the share name is already in use
  kExitNotAllowed = 4,      // not an administrator, or access denied
  kExitFolder = 5,          // the folder cannot be shared or could not be made
  kExitShareFailed = 6,     // another failure of the share call
  kExitGrantFailed = 7,     // the share was made but the folder's permissions could not be set
  kExitAlreadyRunning = 8,  // another copy of the program is running
  kExitCheckFailed = 9,     // /check: the share is missing or something is not in order
};

// Exit codes of /probe, run on another computer of the office.
enum ProbeExit : int {
  kProbePassed = 0,
  kProbeUnreachable = 10,  // the computer, the share or this user's logon is not accepted
  kProbeNotWritable = 11,  // reached, but the file cannot be saved there
  kProbeOther = 12,
};

}  // namespace qv
