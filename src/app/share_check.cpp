#include "app/share_check.h"

#include "app/command_line.h"
#include "framework/errors.h"
#include "security/everyone_access.h"

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

AnsiString ErrorWithCode(ShareSetup& texts, std::uint32_t code) {
  AnsiString text = Trim(texts.MessageTextOf(code));
  return text + Format("(code=%u)", code);
}
}  // namespace

int RunShareCheck(const AnsiString& name, IShareLookup& shares, IFolderSecurity& folders,
                  ShareSetup& texts, IRunReport& report) {
  report.Tell("共有名: " + name);
  ShareDetails share = shares.GetShare(name);
  if (share.result == kNerrNetNameNotFound) {
    report.Tell("共有: ありません");
    report.Tell("判定: 共有が設定されていません。");
    return kExitCheckFailed;
  }
  if (share.result != 0) {
    report.Tell("共有: 読み取れません " + ErrorWithCode(texts, share.result));
    report.Tell("判定: 共有の状態を確認できません。");
    return kExitCheckFailed;
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
                  ErrorWithCode(texts, read.error));
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
