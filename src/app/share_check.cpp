#include "app/share_check.h"

#include "app/command_line.h"
#include "framework/errors.h"
#include "security/everyone_access.h"
#include "share/edition.h"
#include "share/share_outcome.h"
#include "share/share_platform.h"

namespace qv {

namespace {
constexpr std::uint32_t kNerrNetNameNotFound = 2310;

// How much the rights reach, in the words of Explorer's dialogs.
AnsiString RightsName(std::uint32_t rights) {
  if ((rights & kFullControl) == kFullControl) return "フル コントロール";
  if ((rights & kModify) == kModify) return "変更";
  if ((rights & kReadAndExecute) == kReadAndExecute) return "読み取り";
  return "なし";
}

bool CanChange(std::uint32_t rights) { return (rights & kModify) == kModify; }

constexpr char kShareRightsLabel[] = "共有のアクセス許可 (Everyone): ";
constexpr char kFolderRightsLabel[] = "フォルダのアクセス許可 (Everyone): ";
constexpr char kUnreadable[] = "読み取れません";

// One line of Everyone's rights, as found by rightsOf; false when they do not reach "change" or
// cannot be read.
template <typename RightsOf>
bool TellRights(IRunReport& report, const AnsiString& label, RightsOf rightsOf) {
  try {
    const std::uint32_t rights = rightsOf();
    report.Tell(label + RightsName(rights));
    return CanChange(rights);
  } catch (const Exception&) {
    report.Tell(label + kUnreadable);
    return false;
  }
}

// The subfolders the share's folder must hold: the one of the edition its remark names, or,
// for a share whose remark names none, either edition's.
std::vector<std::int32_t> EditionsOfRemark(const AnsiString& remark) {
  for (std::int32_t edition : {kFirstEdition, kSecondEdition}) {
    if (remark.rfind(EditionRemarkPrefix(edition), 0) == 0) return {edition};
  }
  return {kFirstEdition, kSecondEdition};
}

bool HasEditionSubfolder(IShareLookup& shares, const ShareDetails& share) {
  for (std::int32_t edition : EditionsOfRemark(share.remark)) {
    if (shares.FolderExists(share.path + "\\" + EditionSubfolder(edition))) return true;
  }
  return false;
}
}  // namespace

int RunShareCheck(const AnsiString& name, IShareLookup& shares, IFolderSecurity& folders,
                  ISystemTexts& texts, IRunReport& report) {
  report.Tell("共有名: " + name);
  // A name the share step would refuse is never one it made, and asking the server about it
  // could answer for another share (a cut name) or be refused by the server with a less
  // telling code.
  if (ShareRefusal refusal = CheckShareName({AnsiString(), name}); refusal != ShareRefusal::None) {
    const ShareTelling telling = Tell(ShareOutcome::Refused(refusal));
    report.Tell(telling.text);
    return telling.exitCode;
  }
  ShareDetails share = shares.GetShare(name);
  if (share.result == kNerrNetNameNotFound) {
    report.Tell("共有: ありません");
    report.Tell("判定: 共有が設定されていません。");
    return kExitCheckFailed;
  }
  if (share.result != 0) {
    report.Tell("共有: 読み取れません " + MessageWithCode(texts, share.result));
    report.Tell("判定: 共有の状態を確認できません。");
    // Not being allowed to look is the caller's to mend (run as administrator), not the share's.
    return share.result == kErrorAccessDenied ? kExitNotAllowed : kExitCheckFailed;
  }
  bool inOrder = true;
  report.Tell("共有のパス: " + share.path);
  report.Tell("共有のコメント: " + share.remark);

  // The share's own permission for Everyone.
  if (share.descriptorUnreadable) {
    report.Tell(AnsiString(kShareRightsLabel) + kUnreadable);
    inOrder = false;
  } else if (share.descriptor.empty()) {
    report.Tell(AnsiString(kShareRightsLabel) + "指定なし (既定では読み取りのみ)");
    inOrder = false;
  } else {
    inOrder &= TellRights(report, kShareRightsLabel, [&share] {
      bool nullDacl = false;
      std::optional<Bytes> dacl = DaclOfSelfRelativeDescriptor(share.descriptor, nullDacl);
      // A descriptor without a list, or with a NULL one, stops nobody.
      return dacl ? EveryoneRights(*dacl, false) : kFullControl;
    });
  }

  if (!shares.FolderExists(share.path)) {
    report.Tell("フォルダ: ありません");
    report.Tell("判定: 問題があります。");
    return kExitCheckFailed;
  }
  report.Tell("フォルダ: あります");
  // Without it the program on the other computers finds no data where it looks.
  if (HasEditionSubfolder(shares, share)) {
    report.Tell("データのフォルダ: あります");
  } else {
    report.Tell("データのフォルダ: ありません");
    inOrder = false;
  }

  VolumeDetails volume = shares.Volume(share.path);
  report.Tell("ファイル システム: " +
              (volume.fileSystem.empty() ? AnsiString("不明") : volume.fileSystem));
  if (!volume.keepsAcls) {
    // FAT32 and exFAT: the share's permission is the one control.
    report.Tell(AnsiString(kFolderRightsLabel) + "このドライブの形式にはありません");
  } else {
    FolderDacl read = folders.ReadDacl(share.path);
    if (read.error != 0) {
      report.Tell(AnsiString(kFolderRightsLabel) + kUnreadable + " " +
                  MessageWithCode(texts, read.error));
      inOrder = false;
    } else {
      inOrder &= TellRights(report, kFolderRightsLabel, [&read] {
        // No list at all denies nobody anything.
        return !read.present || read.dacl.empty() ? kFullControl : EveryoneRights(read.dacl, true);
      });
    }
  }
  report.Tell(inOrder ? "判定: 問題ありません。" : "判定: 問題があります。");
  return inOrder ? kExitDone : kExitCheckFailed;
}

}  // namespace qv
