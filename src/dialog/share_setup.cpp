#include "dialog/share_setup.h"

#include <stdexcept>
#include <utility>

#include "dialog/share_input.h"
#include "dialog/share_name_fitting.h"
#include "framework/errors.h"
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
}  // namespace

ShareSetup::ShareSetup(IShareCreationPlatform& platform, GrantEveryoneFn grant)
    : platform_(platform), grant_(std::move(grant)) {
  if (!grant_) throw std::invalid_argument("ShareSetup needs the Everyone grant");
}

ShareRequest ShareSetup::Prepare(const AnsiString& pathText, const AnsiString& nameText,
                                 std::int32_t nameLimit) {
  // C:\VeltoData\ would name a folder that the existence test finds but the share cannot use.
  return {DropTrailingBackslashes(pathText), Trim(FitShareName(nameText, nameLimit))};
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
    case ShareRefusal::None:
      break;
  }
  return "";
}

bool ShareSetup::IsSystemLocation(const AnsiString& path) {
  if (IsDriveRoot(path)) return true;
  auto comparable = [](const AnsiString& p) { return AnsiUpperCase(DropTrailingBackslashes(p)); };
  AnsiString chosen = comparable(path);
  for (const AnsiString& folder : platform_.SystemFolders()) {
    if (comparable(folder) == chosen) return true;
  }
  AnsiString profiles = platform_.ProfilesFolder();
  if (profiles.empty()) return false;
  // The folder holding the profiles, and any one user's profile directly inside it.
  return comparable(profiles) == chosen ||
         comparable(profiles) == comparable(ExtractFilePath(chosen));
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

ShareOutcome ShareSetup::Run(const ShareRequest& request, std::int32_t edition) {
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
    share.shi502_path = request.path;
    share.shi502_passwd = "";
    // Without a descriptor of its own the server gives a new share Everyone: Read, and users on
    // other computers could open the data but not save it.
    share.shi502_security_descriptor = ShareDescriptorEveryoneFullControl();

    // A root such as D:\ gives D:\\quarnelvelto, which the folder functions accept.
    AnsiString subfolder = request.path + "\\" + texts.subfolder;
    std::uint32_t error = 0;
    // A missing share folder itself is answered by the share call (2116); a share folder that
    // exists without its subfolder would be shared half made.
    if (!EnsureFolder(subfolder, &error) && DirectoryExists(request.path)) {
      outcome.failedFolder = subfolder;
      outcome.folderError = error;
      return outcome;
    }
    outcome.shareResult = platform_.AddShare("", share);
    if (outcome.shareResult != 0) return outcome;
    outcome.shareMade = true;
    // FAT32 and exFAT have no list to add to; the share's own permission is the one control.
    if (platform_.VolumeKeepsAcls(request.path)) {
      grant_(request.path);
    } else {
      outcome.grantSkipped = true;
    }
    platform_.NotifyShellChange(kShcneAssocchanged, kShcnfFlush, "");
    // The event that tells Explorer a folder became shared.
    platform_.NotifyShellChange(kShcneNetshare, kShcnfPathW | kShcnfFlush, request.path);
  } catch (...) {
    outcome.error = std::current_exception();
  }
  return outcome;
}

AnsiString ShareSetup::ShareErrorText(std::uint32_t code) {
  switch (code) {
    case kErrorAccessDenied:
      return share_text::kAccessDenied;
    case kNerrUnknownDevDir:
      return share_text::kUnsuitableLocation;
    case kNerrDuplicateShare:
      return share_text::kDuplicateShare;
    default:
      // The system's text usually ends in a line break, which puts the code on a line of its own.
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
