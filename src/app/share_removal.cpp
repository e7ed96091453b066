#include "app/share_removal.h"

#include <memory>

#include "app/command_line.h"
#include "framework/errors.h"
#include "security/dacl.h"
#include "security/folder_grant.h"
#include "security/folder_identity.h"
#include "security/sid.h"
#include "share/share_platform.h"

namespace qv {

namespace {

constexpr std::uint32_t kErrorFileNotFound = 2;       // ERROR_FILE_NOT_FOUND
constexpr std::uint32_t kNerrNetNameNotFound = 2310;  // NERR_NetNameNotFound

int ExitFor(std::uint32_t code) {
  if (code == kErrorAccessDenied) return kExitNotAllowed;
  return code == kNerrNetNameNotFound ? kExitNameInUse : kExitShareFailed;
}

// The folder as found before anything is changed: held open when it exists, so that the folder
// written later is the one checked now.
struct FolderPlan {
  std::unique_ptr<IOpenedFolder> opened;
  std::uint16_t control = 0;
  Dacl without;           // the DACL less the share job's entries
  std::size_t found = 0;  // how many of those there were
};

}  // namespace

bool IsShareJobEntry(const AccessEntry& entry) {
  constexpr std::uint8_t kInheritedByAll = ace::kObjectInherit | ace::kContainerInherit;
  return entry.Type() == ace::kAccessAllowed && entry.Flags() == kInheritedByAll &&
         entry.Mask() == kFileAllAccess && entry.Trustee() == EveryoneSid();
}

int RunShareRemoval(const RemovalRequest& request, IShareRemovalPlatform& shares,
                    IFolderSecurity& folders, IMessageBoxes& boxes, ISystemTexts& texts,
                    IRunReport& report) {
  report.Tell("共有名: " + request.name);
  const ShareDetails share = shares.GetShare(request.name);
  if (share.result == kNerrNetNameNotFound) {
    report.Tell("共有がありません。何も変更していません。");
    return kExitNameInUse;
  }
  if (share.result != 0) {
    report.Tell("共有を読み取れません。何も変更していません。 " +
                MessageWithCode(texts, share.result));
    return ExitFor(share.result);
  }
  report.Tell("共有のパス: " + share.path);

  FolderPlan plan;
  FolderIdentity identity;
  plan.opened = folders.OpenFolder(share.path, identity);
  // A folder deleted since it was shared leaves only the share to remove.
  const bool folderGone =
      identity.error == kErrorFileNotFound || identity.error == kErrorPathNotFound;
  if (!folderGone) {
    if (identity.error != 0 || !plan.opened) {
      report.Tell("フォルダを開けません。何も変更していません。 " +
                  MessageWithCode(texts, identity.error));
      return ExitFor(identity.error);
    }
    // The share's path may now lead through a link planted since; a change there would land on
    // whatever it points at.
    if ((identity.attributes & kFileAttributeDirectory) == 0) {
      report.Tell("共有のパスはフォルダではありません。何も変更していません。");
      return kExitShareFailed;
    }
    if (std::optional<AnsiString> target = ElsewhereTarget(share.path, identity)) {
      report.Tell("共有のフォルダは別の場所へのリンクです。何も変更していません。");
      report.Tell("リンク先: " + WithoutLongPathPrefix(*target));
      return kExitShareFailed;
    }
    const FolderDacl folder = plan.opened->ReadDacl();
    if (folder.error != 0) {
      report.Tell("フォルダのアクセス許可を読み取れません。何も変更していません。 " +
                  MessageWithCode(texts, folder.error));
      return ExitFor(folder.error);
    }
    plan.control = folder.control;
    if (folder.present && !folder.dacl.empty()) {
      report.Tell("変更前のフォルダのアクセス許可 (SDDL): " +
                  shares.DaclText(folder.control, folder.dacl));
      try {
        plan.without = Dacl::Read(folder.dacl);
      } catch (const Exception&) {
        report.Tell("フォルダのアクセス許可を読み取れません。何も変更していません。");
        return kExitShareFailed;
      }
      plan.found = plan.without.RemoveWhere(IsShareJobEntry);
    }
  }

  if (!request.yes) {
    const AnsiString question = "共有「" + request.name + "」を削除し、フォルダ「" + share.path +
                                "」から Everyone のフル コントロールを外します。\r"
                                "フォルダとその中のファイルは削除しません。\r"
                                "よろしいですか?\r";
    if (boxes.ShowMessage(question, MessageKind::Confirmation,
                          MessageButton::Ok | MessageButton::Cancel,
                          MessageResult::Cancel) != MessageResult::Ok) {
      report.Tell("中止しました。何も変更していません。");
      return kExitRefused;
    }
  }

  if (const std::uint32_t code = shares.DeleteShare(request.name); code != 0) {
    report.Tell("共有を削除できません。何も変更していません。 " + MessageWithCode(texts, code));
    return ExitFor(code);
  }
  report.Tell("共有を削除しました。");

  int exitCode = kExitDone;
  if (folderGone) {
    report.Tell("フォルダがないため、アクセス許可は変更していません。");
  } else if (plan.found == 0) {
    report.Tell(
        "フォルダにはこのプログラムが付ける Everyone の許可がないため、フォルダはそのままです。");
  } else if (const std::uint32_t code =
                 plan.opened->WriteDacl(DaclWriteInformation(plan.control), plan.without.Build());
             code != 0) {
    report.Tell("フォルダから Everyone の許可を外せません。 " + MessageWithCode(texts, code));
    exitCode = code == kErrorAccessDenied ? kExitNotAllowed : kExitShareFailed;
  } else {
    report.Tell("フォルダから Everyone のフル コントロールを外しました。");
  }
  report.Tell("フォルダとその中のファイルは削除していません。");
  return exitCode;
}

}  // namespace qv
