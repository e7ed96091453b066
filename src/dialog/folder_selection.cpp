// The browse button: the shell's folder browser, with three rules on what may be picked: a path of
// at most 255 bytes, one that code page 932 can spell, and the system drive's root only after a
// question when user account control is on.
#include "dialog/share_dialog.h"
#include "share/share_name_fitting.h"

#include "framework/errors.h"

namespace qv {

namespace {
constexpr std::size_t kMaxSharePathBytes = 255;
// Code page 932 cannot name the folder: any conversion would name another one.
constexpr char kUnrepresentablePathText[] =
    "選択した場所(パス)に使用できない文字が含まれています。\r別の場所を選択して下さい。\r";
constexpr char kPoliciesSystemKey[] =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

}  // namespace

void ShareDialog::OnBrowseClick() {
  AnsiString path = view_.SharePathText();
  if (Trim(path).empty()) path = fields_.SystemDriveRoot;
  if (!SelectFolder("共有場所の参照", path, false)) return;

  fields_.SharePath = path;
  // The folder's own name; empty for the root of a drive.
  AnsiString lastName = ExtractFileName(fields_.SharePath);
  fields_.ShareName = Trim(FitShareName(lastName, view_.ShareNameMaxLength()));
  view_.SetSharePathText(fields_.SharePath);
  view_.SetShareNameText(fields_.ShareName);
}

bool ShareDialog::SelectFolder(const AnsiString& title, AnsiString& path, bool skipCheck) {
  const AnsiString systemDriveRoot = SystemDriveRootOf(probes_.GetSystemDir());
  std::int32_t userAccountControl =
      skipCheck
          ? 0
          : probes_.ReadRegInteger(RegistryRoot::LocalMachine, kPoliciesSystemKey, "EnableLUA");
  const AnsiString browserTitle = title.empty() ? AnsiString("フォルダを選択して下さい") : title;
  const AnsiString startPath = path;  // every opening starts at the folder given on entry

  for (;;) {
    std::optional<Cp932Path> picked = browser_.BrowseForFolder(browserTitle, startPath);
    if (!picked) return false;
    if (!picked->representable) {
      boxes_.ShowMessage(kUnrepresentablePathText, MessageKind::Error, MessageButton::Ok);
      return false;
    }
    if (picked->text.size() > kMaxSharePathBytes) {
      boxes_.ShowMessage(
          "選択した場所(パス)の文字長が処理できる範囲を超えました。\r別の場所を選択して下さい。\r",
          MessageKind::Error, MessageButton::Ok);
      return false;
    }
    if (userAccountControl != 1 || AnsiUpperCase(picked->text) != systemDriveRoot) {
      path = picked->text;
      return true;
    }
    int answer = boxes_.ShowMessage(
        "この場所に保存するアクセス許可がありません。\r管理者に連絡してアクセス許可を取得してくださ"
        "い。\r\r"
        "代わりに［ドキュメント］フォルダに保存しますか？\r",
        MessageKind::Warning, MessageButton::Yes | MessageButton::No);
    if (answer == MessageResult::Yes) {
      Cp932Path documents = probes_.GetDocumentsDir();
      if (!documents.representable) {
        boxes_.ShowMessage(kUnrepresentablePathText, MessageKind::Error, MessageButton::Ok);
        return false;
      }
      path = documents.text;
      return true;
    }
  }
}

}  // namespace qv
