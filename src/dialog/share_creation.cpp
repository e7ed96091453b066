// The share button: checks the two fields with the user, makes the folders, publishes the share,
// grants Everyone full control and offers to end. The folders, the share and the grant run in the
// background (a grant on a large tree can take minutes); every question and answer stays on the
// dialog's thread. Expected failures are answered with a message; nothing already done is undone.
#include <exception>
#include <memory>
#include <utility>

#include "dialog/set_share.h"
#include "dialog/share_input.h"
#include "framework/errors.h"
#include "security/share_descriptor.h"

namespace qv {

namespace {
struct EditionTexts {
  const char* subfolder;
  const char* remarkPrefix;
};

EditionTexts TextsOf(std::int32_t edition) {
  if (edition == 1) return {"quarnelvelto", "Quarnel財務 共有フォルダ:"};
  return {"BrevakVelto", "ブレバク財務 共有フォルダ:"};
}

constexpr char kUnsuitableLocation[] =
    "管理する場所が適正ではありません。\r管理する場所には、このコンピュータ内の場所を指定して"
    "下さい。";

// Sets a flag for as long as it lives, unless told to leave it to someone else.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(&flag) { flag = true; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;
  ~FlagScope() {
    if (flag_) *flag_ = false;
  }
  void HandOver() { flag_ = nullptr; }

 private:
  bool* flag_;
};

AnsiString WithoutTrailingLineBreaks(AnsiString text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
  return text;
}
}  // namespace

// What the background part of the share button found, read back on the dialog's thread.
struct TfmSetShare::ShareOutcome {
  AnsiString failedFolder;  // not empty: this folder could not be made, nothing was shared
  std::uint32_t folderError = 0;
  std::uint32_t shareResult = 0;
  bool grantSkipped = false;  // the volume keeps no access-control lists
  std::exception_ptr error;   // raised in the background: a library that failed to bind, the grant
};

void TfmSetShare::btnShareClick() {
  // Clicks and Enter that arrive while this handler's own boxes are open, or while its work runs.
  if (shareRunning_) return;
  FlagScope running(shareRunning_);

  // C:\VeltoData\ would name a folder that the existence test finds but the share cannot use.
  fields_.SharePath = DropTrailingBackslashes(view_.SharePathText());
  fields_.ShareName = Trim(FitShareName(view_.ShareNameText(), view_.ShareNameMaxLength()));

  if (Trim(fields_.SharePath).empty()) {
    boxes_.MessageDlg("管理する場所を参照してください。\r", MsgDlgType::mtInformation, mbOK);
    view_.FocusBrowseButton();
    return;
  }
  // A relative path would make folders wherever the program was started; a network path is not
  // this computer's to share.
  if (!IsLocalAbsolutePath(fields_.SharePath)) {
    boxes_.MessageDlg(kUnsuitableLocation, MsgDlgType::mtInformation, mbOK);
    view_.FocusBrowseButton();
    return;
  }
  // The grant below reaches every file under the folder and cannot be undone by this program.
  if (IsSystemLocation(fields_.SharePath) &&
      boxes_.MessageDlg(
          "選択した場所には、ドライブ全体またはシステムのフォルダが含まれています。\r"
          "この場所のすべてのファイルとフォルダが、ネットワーク上のすべてのユーザーから変更できる"
          "ようになります。\rこの場所を共有してもよろしいですか？",
          MsgDlgType::mtWarning, mbOK | mbCancel, mrCancel) != mrOk) {
    view_.FocusBrowseButton();
    return;
  }
  if (!DirectoryExists(fields_.SharePath)) {
    int answer = boxes_.MessageDlg(
        "選択した管理する場所にはフォルダーが存在しません。\r新しく作成してもよろしいですか？",
        MsgDlgType::mtConfirmation, mbOK | mbCancel);
    if (answer != mrOk) {
      view_.FocusBrowseButton();
      return;
    }
  }
  if (fields_.ShareName.empty()) {
    boxes_.MessageDlg("共有名を入力してください。\r", MsgDlgType::mtInformation, mbOK);
    view_.FocusShareName();
    return;
  }
  if (!IsUsableShareName(fields_.ShareName)) {
    boxes_.MessageDlg("共有名に使用できない文字が含まれています。\r", MsgDlgType::mtInformation,
                      mbOK);
    view_.FocusShareName();
    return;
  }

  EditionTexts texts = TextsOf(fields_.Edition);
  ShareInfo502 share;
  share.shi502_netname = fields_.ShareName;
  share.shi502_type = kStypeDisktree;
  share.shi502_remark = AnsiString(texts.remarkPrefix) + fields_.ShareName;
  share.shi502_permissions = 0;
  share.shi502_max_uses = 0xFFFFFFFFu;  // no limit on connections
  share.shi502_current_uses = 0;
  share.shi502_path = fields_.SharePath;
  share.shi502_passwd = "";
  // Without a descriptor of its own the server gives a new share Everyone: Read, and users on
  // other computers could open the data but not save it.
  share.shi502_security_descriptor = ShareDescriptorEveryoneFullControl();
  // A root such as D:\ gives D:\\quarnelvelto, which the folder functions accept.
  AnsiString subfolder = fields_.SharePath + "\\" + texts.subfolder;

  auto outcome = std::make_shared<ShareOutcome>();
  auto finishing = std::make_shared<bool>(false);
  view_.SetBusy(true);
  running.HandOver();
  try {
    view_.RunInBackground([this, folder = fields_.SharePath, subfolder, share,
                           outcome] { CreateShare(folder, subfolder, share, *outcome); },
                          [this, outcome, finishing] {
                            *finishing = true;
                            FlagScope stillRunning(shareRunning_);
                            view_.SetBusy(false);
                            FinishShare(*outcome);
                          });
  } catch (...) {
    // The work could not even start: the dialog takes input again.
    if (!*finishing) {
      shareRunning_ = false;
      view_.SetBusy(false);
    }
    throw;
  }
}

// In the background: only the platform and the grant are touched here, never the dialog.
void TfmSetShare::CreateShare(const AnsiString& folder, const AnsiString& subfolder,
                              const ShareInfo502& share, ShareOutcome& outcome) {
  try {
    std::uint32_t error = 0;
    // A missing share folder itself is answered by the share call (2116); a share folder that
    // exists without its subfolder would be shared half made.
    if (!EnsureFolder(subfolder, &error) && DirectoryExists(folder)) {
      outcome.failedFolder = subfolder;
      outcome.folderError = error;
      return;
    }
    outcome.shareResult = shares_.AddShare("", share);
    if (outcome.shareResult != 0) return;
    // FAT32 and exFAT have no list to add to; the share's own permission is the one control.
    if (shares_.VolumeKeepsAcls(folder)) {
      grantEveryoneFullControl_(folder);
    } else {
      outcome.grantSkipped = true;
    }
    shares_.NotifyShellChange(kShcneAssocchanged, kShcnfFlush, "");
    // The event that tells Explorer a folder became shared.
    shares_.NotifyShellChange(kShcneNetshare, kShcnfPathW | kShcnfFlush, folder);
  } catch (...) {
    outcome.error = std::current_exception();
  }
}

void TfmSetShare::FinishShare(const ShareOutcome& outcome) {
  bool closeAfterwards = std::exchange(closeRequested_, false);
  // The grant's error (or a library that could not be bound) leaves this handler as it would
  // have without the background; a share already made stays in place.
  if (outcome.error) std::rethrow_exception(outcome.error);
  if (!outcome.failedFolder.empty()) {
    AnsiString text = WithoutTrailingLineBreaks(shares_.SystemMessageText(outcome.folderError));
    if (text.empty()) text = Format("(code=%u)", outcome.folderError);
    boxes_.MessageDlg("フォルダを作成できませんでした。\r" + outcome.failedFolder + "\r" + text,
                      MsgDlgType::mtInformation, mbOK);
  } else if (outcome.shareResult != 0) {
    ReportShareError(outcome.shareResult);
  } else {
    if (outcome.grantSkipped) {
      boxes_.MessageDlg(
          "このドライブの形式ではフォルダのアクセス許可を設定できません。\r"
          "フォルダのアクセス許可は変更せずに、共有の設定を続けます。\r",
          MsgDlgType::mtInformation, mbOK);
    }
    // The user is asked here in any case; that answer decides, not a close asked for earlier.
    if (boxes_.MessageDlg("共有フォルダを設定しました。\rこの処理を終了してもよろしいですか？",
                          MsgDlgType::mtConfirmation, mbOK | mbCancel) == mrOk) {
      view_.Close();
    }
    return;
  }
  if (closeAfterwards) view_.Close();
}

bool TfmSetShare::CloseQuery() {
  if (!shareRunning_) return true;
  closeRequested_ = true;
  return false;
}

void TfmSetShare::ReportShareError(std::uint32_t code) {
  AnsiString text;
  switch (code) {
    case kErrorAccessDenied:
      text = "管理者権限を持つユーザーで実行して下さい。\r";
      break;
    case kNerrUnknownDevDir:
      text = kUnsuitableLocation;
      break;
    case kNerrDuplicateShare:
      text = "指定した共有名は、既に使われています。\r";
      break;
    default:
      // The system's text usually ends in a line break, which puts the code on a line of its own.
      text = MessageTextOf(code) + Format("(code=%u)", code);
      break;
  }
  boxes_.MessageDlg(text, MsgDlgType::mtInformation, mbOK);
}

AnsiString TfmSetShare::MessageTextOf(std::uint32_t code) {
  // The system's own table has no texts for network codes; the network library has.
  if (code >= kNerrBase && code <= kMaxNerr) {
    AnsiString text = shares_.NetworkMessageText(code);
    if (!text.empty()) return text;
  }
  return shares_.SystemMessageText(code);
}

bool TfmSetShare::IsSystemLocation(const AnsiString& path) {
  if (IsDriveRoot(path)) return true;
  auto comparable = [](const AnsiString& p) { return AnsiUpperCase(DropTrailingBackslashes(p)); };
  AnsiString chosen = comparable(path);
  for (const AnsiString& folder : shares_.SystemFolders()) {
    if (comparable(folder) == chosen) return true;
  }
  AnsiString profiles = shares_.ProfilesFolder();
  if (profiles.empty()) return false;
  // The folder holding the profiles, and any one user's profile directly inside it.
  return comparable(profiles) == chosen ||
         comparable(profiles) == comparable(ExtractFilePath(chosen));
}

bool TfmSetShare::DirectoryExists(const AnsiString& path) {
  std::uint32_t attributes = shares_.FileAttributes(path);
  return attributes != kInvalidFileAttributes && (attributes & kFileAttributeDirectory) != 0;
}

bool TfmSetShare::EnsureFolder(const AnsiString& path, std::uint32_t* error) {
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

bool TfmSetShare::ForceDirectories(const AnsiString& path, std::uint32_t& error) {
  AnsiString dir = ExcludeTrailingBackslash(path);
  AnsiString parent = ExtractFilePath(dir);
  if (dir.size() < 3 || DirectoryExists(dir) || parent == dir) return true;
  if (!ForceDirectories(parent, error)) return false;
  error = shares_.MakeDirectory(dir);
  return error == 0;
}

}  // namespace qv
