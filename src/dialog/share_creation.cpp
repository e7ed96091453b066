// The share button: checks the two fields with the user, makes the folders, publishes the share,
// grants Everyone full control and offers to end. Expected failures are answered with a message;
// nothing already done is undone.
#include "dialog/set_share.h"

#include "framework/errors.h"

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
}  // namespace

void TfmSetShare::btnShareClick() {
  fields_.SharePath = view_.SharePathText();
  fields_.ShareName = Trim(FitShareName(view_.ShareNameText(), view_.ShareNameMaxLength()));

  if (Trim(fields_.SharePath).empty()) {
    boxes_.MessageDlg("管理する場所を参照してください。\r", MsgDlgType::mtInformation, mbOK);
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

  EditionTexts texts = TextsOf(fields_.Edition);
  // A root such as D:\ gives D:\\quarnelvelto, which the folder functions accept.
  // A folder that could not be made shows up in the share's result (2116 for a missing path).
  EnsureFolder(fields_.SharePath + "\\" + texts.subfolder);

  ShareInfo2 share;
  share.shi2_netname = fields_.ShareName;
  share.shi2_type = kStypeDisktree;
  share.shi2_remark = AnsiString(texts.remarkPrefix) + fields_.ShareName;
  share.shi2_permissions = 0;
  share.shi2_max_uses = 0xFFFFFFFFu;  // no limit on connections
  share.shi2_current_uses = 0;
  share.shi2_path = fields_.SharePath;
  share.shi2_passwd = "";
  std::uint32_t result = shares_.AddShare("", share);
  if (result != 0) {
    ReportShareError(result);
    return;
  }

  // The grant's error leaves this handler; the share stays in place.
  grantEveryoneFullControl_(fields_.SharePath);
  shares_.NotifyShellChange(kShcneAssocchanged, kShcnfFlush);
  if (boxes_.MessageDlg("共有フォルダを設定しました。\rこの処理を終了してもよろしいですか？",
                        MsgDlgType::mtConfirmation, mbOK | mbCancel) == mrOk) {
    view_.Close();
  }
}

void TfmSetShare::ReportShareError(std::uint32_t code) {
  AnsiString text;
  switch (code) {
    case kErrorAccessDenied:
      text = "管理者権限を持つユーザーで実行して下さい。\r";
      break;
    case kNerrUnknownDevDir:
      text =
          "管理する場所が適正ではありません。\r管理する場所には、このコンピュータ内の場所を指定して"
          "下さい。";
      break;
    case kNerrDuplicateShare:
      text = "指定した共有名は、既に使われています。\r";
      break;
    default:
      // The system's text usually ends in a line break, which puts the code on a line of its own.
      text = shares_.SystemMessageText(code) + Format("(code=%u)", code);
      break;
  }
  boxes_.MessageDlg(text, MsgDlgType::mtInformation, mbOK);
}

bool TfmSetShare::DirectoryExists(const AnsiString& path) {
  std::uint32_t attributes = shares_.FileAttributes(path);
  return attributes != kInvalidFileAttributes && (attributes & kFileAttributeDirectory) != 0;
}

bool TfmSetShare::EnsureFolder(const AnsiString& path) {
  if (DirectoryExists(path)) return true;
  // A bare drive that is not there cannot be made.
  if (ExtractFileDrive(path) == ExcludeTrailingBackslash(path)) return false;
  return ForceDirectories(path);
}

bool TfmSetShare::ForceDirectories(const AnsiString& path) {
  AnsiString dir = ExcludeTrailingBackslash(path);
  AnsiString parent = ExtractFilePath(dir);
  if (dir.size() < 3 || DirectoryExists(dir) || parent == dir) return true;
  return ForceDirectories(parent) && shares_.MakeDirectory(dir);
}

}  // namespace qv
