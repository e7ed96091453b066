// The share job, shared by the dialog's share button and the unattended command line: the
// system's view of the chosen folder, the folders, the share with its own permissions, the
// Everyone grant and the shell's notice. Questions are the caller's: the dialog asks the user, the
// command line answers from its options.
#pragma once

#include <cstdint>
#include <optional>

#include "framework/ansi_string.h"
#include "security/folder_security.h"
#include "share/share_outcome.h"
#include "share/share_platform.h"
#include "share/share_request.h"

namespace qv {

// What the job does when the server answers that the name is already a share: tell it, or take
// over a share of that name that serves this same folder, so that a run cut short by a failed
// grant can be finished by running it again.
enum class TakenShareName { Refuse, AdoptSameFolder };

class ShareSetup {
 public:
  ShareSetup(ISharePlatform& platform, IFolderSecurity& folders);

  // The checks of CheckSharePath, then the path made what the file system resolves it to
  // (absolute, parent steps, trailing dots and spaces and short names gone), so that every later
  // rule looks at the folder the system would change and not at a spelling of it. request.path is
  // replaced only when None is returned.
  ShareRefusal ResolvePath(ShareRequest& request);
  // Where a resolved path really leads when it, or an existing folder above it, is a link to
  // somewhere else; nothing when it leads to itself.
  std::optional<AnsiString> LinkTarget(const AnsiString& path);
  // Whether the server can share a folder of the drive path lies on: a network drive, a subst
  // drive (another folder under a letter of its own), a CD or a RAM disk it cannot; a drive
  // that is not there is left to the folder's creation to tell.
  bool DriveCanServe(const AnsiString& path);
  // The token is an elevated administrator's: anything less would make the folders and then fail
  // at the share.
  bool RunsElevated();

  // The root of a drive, the Windows folder or anything in it, a Program Files folder or
  // anything in it, the folder holding the profiles or one user's profile: opening it to everyone
  // reaches far more than one folder.
  bool IsSystemLocation(const AnsiString& path);
  bool DirectoryExists(const AnsiString& path);
  // Makes sure a folder exists, creating missing parents; true if it exists afterwards. On
  // false, error (when given) holds the system's code of the creation that failed, or 0 when
  // nothing could be tried.
  bool EnsureFolder(const AnsiString& path, std::uint32_t* error = nullptr);

  // The job itself: the folder and the edition's subfolder, the share, the grant and the shell's
  // notice. It may run on another thread: it touches only the platform and the folders, and
  // raises nothing (what is raised on the way is kept in the outcome).
  ShareOutcome Run(const ShareRequest& request, std::int32_t edition,
                   TakenShareName taken = TakenShareName::Refuse);

 private:
  bool ForceDirectories(const AnsiString& dir, std::uint32_t& error);
  AnsiString LongForm(const AnsiString& fullPath);
  void Share(const ShareRequest& request, std::int32_t edition, TakenShareName taken,
             ShareOutcome& outcome);
  // After the server refused name as taken: when the share of that name leads to the folder
  // whose final path is given, makes sure its own permissions give Everyone full control and
  // marks the outcome as shareExisted; otherwise leaves the refusal, or puts in its place the
  // code of the permissions that could not be written.
  void AdoptExistingShare(const AnsiString& name, const AnsiString& folderFinalPath,
                          ShareOutcome& outcome);
  void FolderFailed(const AnsiString& folder, std::uint32_t error, ShareOutcome& outcome);

  ISharePlatform& platform_;
  IFolderSecurity& folders_;
};

}  // namespace qv
