#include "dialog/share_setup.h"

#include <memory>
#include <stdexcept>
#include <utility>

#include "dialog/share_input.h"
#include "framework/errors.h"
#include "security/everyone_access.h"
#include "security/share_descriptor.h"

namespace qv {

namespace {
struct EditionTexts {
  AnsiString subfolder;
  AnsiString remarkPrefix;
};

EditionTexts TextsOf(std::int32_t edition) {
  if (edition == 1) return {"quarnelvelto", "Quarnel財務 共有フォルダ:"};
  return {"BrevakVelto", "ブレバク財務 共有フォルダ:"};
}

AnsiString WithoutTrailingLineBreaks(AnsiString text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
  return text;
}

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
bool GivesEveryoneFullControl(const ShareReading& share) {
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

ShareSetup::ShareSetup(IShareCreationPlatform& platform, GrantEveryoneFn grant)
    : platform_(platform), grant_(std::move(grant)) {
  if (!grant_) throw std::invalid_argument("ShareSetup needs the Everyone grant");
}

ShareRequest ShareSetup::Prepare(const AnsiString& pathText, const AnsiString& nameText) {
  // C:\VeltoData\ would name a folder that the existence test finds but the share cannot use.
  return {DropTrailingBackslashes(pathText), Trim(nameText)};
}

ShareRefusal ShareSetup::CheckPath(const ShareRequest& request) {
  if (Trim(request.path).empty()) return ShareRefusal::EmptyPath;
  // A relative path would make folders wherever the program was started; a network path is not
  // this computer's to share.
  if (!IsLocalAbsolutePath(request.path)) return ShareRefusal::UnsuitablePath;
  return ShareRefusal::None;
}

ShareRefusal ShareSetup::CheckName(const ShareRequest& request) {
  if (request.name.empty()) return ShareRefusal::EmptyName;
  // The server would refuse these only after the folders were made.
  if (!IsUsableShareName(request.name)) return ShareRefusal::UnusableName;
  // A cut name would be shared under a name nobody gave, and /check would not find it.
  if (request.name.size() > kShareNameByteLimit) return ShareRefusal::NameTooLong;
  return ShareRefusal::None;
}

AnsiString ShareSetup::RefusalText(ShareRefusal refusal) {
  switch (refusal) {
    case ShareRefusal::EmptyPath:
      return share_text::kEmptyPath;
    case ShareRefusal::UnsuitablePath:
      return share_text::kUnsuitableLocation;
    case ShareRefusal::EmptyName:
      return share_text::kEmptyName;
    case ShareRefusal::UnusableName:
      return share_text::kUnusableName;
    case ShareRefusal::NameTooLong:
      return share_text::kNameTooLong;
    case ShareRefusal::None:
      break;
  }
  return "";
}

AnsiString ShareSetup::LinkText(const AnsiString& target) {
  return share_text::kLinkElsewhere + target;
}

ShareRefusal ShareSetup::ResolvePath(ShareRequest& request) {
  if (ShareRefusal refusal = CheckPath(request); refusal != ShareRefusal::None) return refusal;
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
    EditionTexts texts = TextsOf(edition);
    ShareInfo502 share;
    share.shi502_netname = request.name;
    share.shi502_type = kStypeDisktree;
    share.shi502_remark = AnsiString(texts.remarkPrefix) + request.name;
    share.shi502_permissions = 0;
    share.shi502_max_uses = 0xFFFFFFFFu;  // no limit on connections
    share.shi502_current_uses = 0;
    share.shi502_passwd = "";
    // Without a descriptor of its own the server gives a new share Everyone: Read, and users on
    // other computers could open the data but not save it.
    share.shi502_security_descriptor = ShareDescriptorEveryoneFullControl();

    // A root such as D:\ gives D:\\quarnelvelto, which the folder functions accept.
    AnsiString subfolder = request.path + "\\" + texts.subfolder;
    std::uint32_t error = 0;
    // Without the folder, the share call would publish whatever is at the path (a file, or
    // nothing) and the user would hear of the share or the grant instead of the cause.
    if (!EnsureFolder(request.path, &error)) {
      outcome.failedFolder = request.path;
      // A drive that is not there is not even tried: the system says the same of it.
      outcome.folderError = error != 0 ? error : kErrorPathNotFound;
      return outcome;
    }
    // Held from here to the grant: the folder checked is the folder shared and granted, and
    // nobody can swap a link in at its path meanwhile.
    FolderIdentity identity;
    const std::unique_ptr<IFolderHold> hold =
        platform_.OpenFolder(request.path, FolderOpening::Keep, identity);
    if (identity.error == 0 && (identity.attributes & kFileAttributeDirectory) == 0) {
      identity.error = kErrorDirectory;
    }
    if (identity.error != 0) {
      outcome.failedFolder = request.path;
      outcome.folderError = identity.error;
      return outcome;
    }
    if (std::optional<AnsiString> target = ElsewhereTarget(request.path, identity)) {
      outcome.linkTarget = *target;
      return outcome;
    }
    const AnsiString sharePath = WithoutLongPathPrefix(identity.finalPath);
    // A share folder that exists without its subfolder would be shared half made.
    if (!EnsureFolder(subfolder, &error)) {
      outcome.failedFolder = subfolder;
      outcome.folderError = error;
      return outcome;
    }
    share.shi502_path = sharePath;
    outcome.shareResult = platform_.AddShare("", share, outcome.shareBadParameter);
    if (outcome.shareResult == kNerrDuplicateShare && taken == TakenShareName::AdoptSameFolder) {
      AdoptExistingShare(request.name, identity.finalPath, outcome);
    }
    if (outcome.shareResult != 0) return outcome;
    outcome.shareMade = !outcome.shareExisted;
    // FAT32 and exFAT have no list to add to; the share's own permission is the one control.
    if (platform_.VolumeKeepsAcls(sharePath)) {
      grant_(sharePath);
    } else {
      outcome.grantSkipped = true;
    }
    platform_.NotifyShellChange(kShcneAssocchanged, kShcnfFlush, "");
    // The event that tells Explorer a folder became shared.
    platform_.NotifyShellChange(kShcneNetshare, kShcnfPathW | kShcnfFlush, sharePath);
  } catch (...) {
    outcome.error = std::current_exception();
  }
  return outcome;
}

void ShareSetup::AdoptExistingShare(const AnsiString& name, const AnsiString& folderFinalPath,
                                    ShareOutcome& outcome) {
  const ShareReading existing = platform_.ReadShare(name);
  if (existing.result != 0 || existing.path.empty()) return;
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

AnsiString ShareSetup::ShareErrorText(std::uint32_t code, std::uint32_t badParameter) {
  switch (code) {
    case kErrorAccessDenied:
      return share_text::kAccessDenied;
    case kNerrUnknownDevDir:
      return share_text::kUnsuitableLocation;
    case kNerrDuplicateShare:
      return share_text::kDuplicateShare;
    default:
      // The system's text usually ends in a line break, which puts the code on a line of its own.
      // Which field the server refused is what tells support a bad path from a bad remark.
      if (badParameter != 0) {
        return MessageTextOf(code) + Format("(code=%u, parm_err=%u)", code, badParameter);
      }
      return MessageTextOf(code) + Format("(code=%u)", code);
  }
}

AnsiString ShareSetup::FolderErrorText(const ShareOutcome& outcome) {
  AnsiString text = WithoutTrailingLineBreaks(platform_.SystemMessageText(outcome.folderError));
  if (text.empty()) text = Format("(code=%u)", outcome.folderError);
  return share_text::kFolderNotMade + outcome.failedFolder + "\r" + text;
}

AnsiString ShareSetup::MessageTextOf(std::uint32_t code) {
  // The system's own table has no texts for network codes; the network library has.
  if (code >= kNerrBase && code <= kMaxNerr) {
    AnsiString text = platform_.NetworkMessageText(code);
    if (!text.empty()) return text;
  }
  return platform_.SystemMessageText(code);
}

AnsiString EditionSubfolder(std::int32_t edition) { return TextsOf(edition).subfolder; }
AnsiString EditionRemarkPrefix(std::int32_t edition) { return TextsOf(edition).remarkPrefix; }

}  // namespace qv
