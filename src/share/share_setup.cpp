#include "share/share_setup.h"

#include <memory>

#include "framework/errors.h"
#include "security/everyone_access.h"
#include "security/folder_grant.h"
#include "security/share_descriptor.h"
#include "share/edition.h"
#include "share/share_input.h"

namespace qv {

namespace {
// The folder holding path, without a trailing backslash but for a drive's root; "" above a root.
AnsiString ParentOf(const AnsiString& path) {
  if (IsDriveRoot(path)) return {};
  AnsiString parent = DropTrailingBackslashes(ExtractFilePath(path));
  return parent == path ? AnsiString() : parent;
}

AnsiString Joined(const AnsiString& head, const AnsiString& tail) {
  if (tail.empty()) return head;
  return (HasTrailingBackslash(head) ? head : head + "\\") + tail;
}

AnsiString Comparable(const AnsiString& path) {
  return AnsiUpperCase(DropTrailingBackslashes(path));
}

// Whether a share's own permissions already let Everyone do everything. A share without them
// gets the server's default (Everyone: read); permissions that cannot be read are not trusted.
bool GivesEveryoneFullControl(const ShareDetails& share) {
  if (share.descriptorUnreadable || share.descriptor.empty()) return false;
  try {
    bool nullDacl = false;
    std::optional<Bytes> dacl = DaclOfSelfRelativeDescriptor(share.descriptor, nullDacl);
    // A descriptor without a list, or with a NULL one, stops nobody.
    const std::uint32_t rights = dacl ? EveryoneRights(*dacl, false) : kFullControl;
    return (rights & kFullControl) == kFullControl;
  } catch (const Exception&) {
    return false;
  }
}
}  // namespace

ShareSetup::ShareSetup(ISharePlatform& platform, IFolderSecurity& folders)
    : platform_(platform), folders_(folders) {}

ShareRefusal ShareSetup::ResolvePath(ShareRequest& request) {
  if (ShareRefusal refusal = CheckSharePath(request); refusal != ShareRefusal::None) return refusal;
  const AnsiString full = platform_.FullPath(request.path);
  if (full.empty()) return ShareRefusal::UnsuitablePath;
  const AnsiString resolved = DropTrailingBackslashes(LongForm(full));
  // C:\.. and the like end where the typed text did not say.
  if (!IsLocalAbsolutePath(resolved)) return ShareRefusal::UnsuitablePath;
  request.path = resolved;
  return ShareRefusal::None;
}

AnsiString ShareSetup::LongForm(const AnsiString& fullPath) {
  // Only what exists has a long form: expand the deepest existing folder, keep the rest as given.
  AnsiString head = DropTrailingBackslashes(fullPath);
  AnsiString tail;
  while (!head.empty()) {
    AnsiString longHead = platform_.LongPath(head);
    if (!longHead.empty()) return Joined(DropTrailingBackslashes(longHead), tail);
    AnsiString parent = ParentOf(head);
    if (parent.empty()) break;
    tail = Joined(ExtractFileName(head), tail);
    head = parent;
  }
  return fullPath;
}

std::optional<AnsiString> ShareSetup::LinkTarget(const AnsiString& path) {
  // The deepest existing folder's final path resolves every link above it as well.
  AnsiString head = path;
  AnsiString tail;
  while (!head.empty()) {
    if (platform_.FileAttributes(head) != kInvalidFileAttributes) {
      FolderIdentity identity;
      auto look = platform_.OpenFolder(head, FolderOpening::Look, identity);
      // What cannot be opened now is opened again before the share, and refused then.
      if (identity.error != 0) return std::nullopt;
      std::optional<AnsiString> target = ElsewhereTarget(head, identity);
      if (!target) return std::nullopt;
      return Joined(*target, tail);
    }
    AnsiString parent = ParentOf(head);
    if (parent.empty()) break;
    tail = Joined(ExtractFileName(head), tail);
    head = parent;
  }
  return std::nullopt;
}

bool ShareSetup::DriveCanServe(const AnsiString& path) {
  const DriveFacts drive = platform_.DriveOf(path);
  if (drive.type == kDriveNoRootDir) return true;
  if (drive.type != kDriveFixed && drive.type != kDriveRemovable) return false;
  // A subst letter stands for a folder path; a real volume for a device.
  return !drive.device.view().starts_with("\\??\\");
}

bool ShareSetup::RunsElevated() {
  const TokenRights rights = platform_.ProcessTokenRights();
  return rights.administrator && (!rights.elevationKnown || rights.elevated);
}

bool ShareSetup::IsSystemLocation(const AnsiString& path) {
  if (IsDriveRoot(path)) return true;
  AnsiString chosen = Comparable(path);
  for (const AnsiString& folder : platform_.SystemFolders()) {
    if (Comparable(folder) == chosen) return true;
  }
  // System32 and the installed programs are opened to everyone as surely as their parents are.
  for (const AnsiString& tree : platform_.SystemTrees()) {
    AnsiString top = Comparable(tree);
    if (!top.empty() && chosen.view().starts_with((top + "\\").view())) return true;
  }
  AnsiString profiles = platform_.ProfilesFolder();
  if (profiles.empty()) return false;
  // The folder holding the profiles, and any one user's profile directly inside it.
  return Comparable(profiles) == chosen ||
         Comparable(profiles) == Comparable(ExtractFilePath(chosen));
}

bool ShareSetup::DirectoryExists(const AnsiString& path) {
  std::uint32_t attributes = platform_.FileAttributes(path);
  return attributes != kInvalidFileAttributes && (attributes & kFileAttributeDirectory) != 0;
}

bool ShareSetup::EnsureFolder(const AnsiString& path, std::uint32_t* error) {
  std::uint32_t code = 0;
  bool exists = true;
  if (!DirectoryExists(path)) {
    // A bare drive that is not there cannot be made.
    exists =
        ExtractFileDrive(path) != ExcludeTrailingBackslash(path) && ForceDirectories(path, code);
  }
  if (error) *error = exists ? 0 : code;
  return exists;
}

bool ShareSetup::ForceDirectories(const AnsiString& path, std::uint32_t& error) {
  AnsiString dir = ExcludeTrailingBackslash(path);
  AnsiString parent = ExtractFilePath(dir);
  if (dir.size() < 3 || DirectoryExists(dir) || parent == dir) return true;
  if (!ForceDirectories(parent, error)) return false;
  error = platform_.MakeDirectory(dir);
  return error == 0;
}

ShareOutcome ShareSetup::Run(const ShareRequest& request, std::int32_t edition,
                             TakenShareName taken) {
  ShareOutcome outcome;
  try {
    Share(request, edition, taken, outcome);
  } catch (const GrantFailure& failure) {
    outcome.error = std::current_exception();
    if (failure.SystemCode() != 0) {
      outcome.errorDetail = MessageWithCode(platform_, failure.SystemCode());
    }
  } catch (...) {
    outcome.error = std::current_exception();
  }
  return outcome;
}

void ShareSetup::FolderFailed(const AnsiString& folder, std::uint32_t error,
                              ShareOutcome& outcome) {
  outcome.failedFolder = folder;
  outcome.folderError = error;
  outcome.systemText = platform_.SystemMessageText(error);
}

void ShareSetup::Share(const ShareRequest& request, std::int32_t edition, TakenShareName taken,
                       ShareOutcome& outcome) {
  ShareInfo502 share;
  share.shi502_netname = request.name;
  share.shi502_type = kStypeDisktree;
  share.shi502_remark = EditionRemarkPrefix(edition) + request.name;
  share.shi502_permissions = 0;
  share.shi502_max_uses = 0xFFFFFFFFu;  // no limit on connections
  share.shi502_current_uses = 0;
  share.shi502_passwd = "";
  // Without a descriptor of its own the server gives a new share Everyone: Read, and users on
  // other computers could open the data but not save it.
  share.shi502_security_descriptor = ShareDescriptorEveryoneFullControl();

  // A root such as D:\ gives D:\\quarnelvelto, which the folder functions accept.
  const AnsiString subfolder = request.path + "\\" + EditionSubfolder(edition);
  std::uint32_t error = 0;
  // Without the folder, the share call would publish whatever is at the path (a file, or
  // nothing) and the user would hear of the share or the grant instead of the cause.
  if (!EnsureFolder(request.path, &error)) {
    // A drive that is not there is not even tried: the system says the same of it.
    return FolderFailed(request.path, error != 0 ? error : kErrorPathNotFound, outcome);
  }
  // Held from here to the grant: the folder checked is the folder shared and granted, and
  // nobody can swap a link in at its path meanwhile.
  FolderIdentity identity;
  const std::unique_ptr<IFolderHold> hold =
      platform_.OpenFolder(request.path, FolderOpening::Keep, identity);
  if (identity.error == 0 && (identity.attributes & kFileAttributeDirectory) == 0) {
    identity.error = kErrorDirectory;
  }
  if (identity.error != 0) return FolderFailed(request.path, identity.error, outcome);
  if (std::optional<AnsiString> target = ElsewhereTarget(request.path, identity)) {
    outcome.linkTarget = *target;
    return;
  }
  const AnsiString sharePath = WithoutLongPathPrefix(identity.finalPath);
  // A share folder that exists without its subfolder would be shared half made.
  if (!EnsureFolder(subfolder, &error)) return FolderFailed(subfolder, error, outcome);
  share.shi502_path = sharePath;
  outcome.shareResult = platform_.AddShare(share, outcome.shareBadParameter);
  if (outcome.shareResult == kNerrDuplicateShare && taken == TakenShareName::AdoptSameFolder) {
    AdoptExistingShare(request.name, identity.finalPath, outcome);
  }
  if (outcome.shareResult != 0) {
    outcome.systemText = MessageTextOf(platform_, outcome.shareResult);
    return;
  }
  outcome.shareMade = !outcome.shareExisted;
  // FAT32 and exFAT have no list to add to; the share's own permission is the one control.
  if (platform_.VolumeKeepsAcls(sharePath)) {
    GrantEveryoneFullControl(folders_, sharePath);
  } else {
    outcome.grantSkipped = true;
  }
  platform_.AnnounceShare(sharePath);
}

void ShareSetup::AdoptExistingShare(const AnsiString& name, const AnsiString& folderFinalPath,
                                    ShareOutcome& outcome) {
  const ShareDetails existing = platform_.ReadShare(name);
  // A path code page 932 cannot hold would name another folder: none is compared instead.
  if (existing.result != 0 || existing.path.empty() || !existing.pathRepresentable) return;
  // Compared as the system resolves both, so that another spelling of this folder is the same
  // folder and a link elsewhere (or a share of another folder) is not.
  FolderIdentity identity;
  const std::unique_ptr<IFolderHold> look =
      platform_.OpenFolder(existing.path, FolderOpening::Look, identity);
  if (identity.error != 0 || !SamePath(identity.finalPath, folderFinalPath)) return;
  if (!GivesEveryoneFullControl(existing)) {
    std::uint32_t badParameter = 0;
    const std::uint32_t result =
        platform_.SetSharePermissions(name, ShareDescriptorEveryoneFullControl(), badParameter);
    if (result != 0) {
      outcome.shareResult = result;
      outcome.shareBadParameter = badParameter;
      return;
    }
  }
  outcome.shareResult = 0;
  outcome.shareBadParameter = 0;
  outcome.shareExisted = true;
}

}  // namespace qv
