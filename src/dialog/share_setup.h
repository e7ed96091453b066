// The share job, shared by the dialog's share button and the unattended command line: the rules on
// what was given, the folders, the share with its own permissions, the Everyone grant and the
// shell's notice, and the texts that tell the outcome. Questions are the caller's: the dialog asks
// the user, the command line answers from its options.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>

#include "dialog/share_creation.h"
#include "framework/ansi_string.h"

namespace qv {

// Adds an inheritable full-control entry for Everyone to a folder's access list. Raises
// Exception on failure; the truth value it returns is not looked at.
using GrantEveryoneFn = std::function<bool(const AnsiString& path)>;

// The texts of the share job, as the dialog's boxes show them.
namespace share_text {
inline constexpr char kEmptyPath[] = "管理する場所を参照してください。\r";
inline constexpr char kUnsuitableLocation[] =
    "管理する場所が適正ではありません。\r管理する場所には、このコンピュータ内の場所を指定して"
    "下さい。";
inline constexpr char kSystemLocationQuestion[] =
    "選択した場所には、ドライブ全体またはシステムのフォルダが含まれています。\r"
    "この場所のすべてのファイルとフォルダが、ネットワーク上のすべてのユーザーから変更できる"
    "ようになります。\rこの場所を共有してもよろしいですか？";
inline constexpr char kCreateQuestion[] =
    "選択した管理する場所にはフォルダーが存在しません。\r新しく作成してもよろしいですか？";
inline constexpr char kEmptyName[] = "共有名を入力してください。\r";
inline constexpr char kUnusableName[] = "共有名に使用できない文字が含まれています。\r";
inline constexpr char kNameTooLong[] =
    "共有名が長すぎます。\r全角40文字、半角80文字以内で入力してください。\r";
inline constexpr char kNoPermissionsOnVolume[] =
    "このドライブの形式ではフォルダのアクセス許可を設定できません。\r"
    "フォルダのアクセス許可は変更せずに、共有の設定を続けます。\r";
inline constexpr char kShared[] = "共有フォルダを設定しました。";
inline constexpr char kEndQuestion[] = "この処理を終了してもよろしいですか？";
inline constexpr char kAccessDenied[] = "管理者権限を持つユーザーで実行して下さい。\r";
inline constexpr char kDuplicateShare[] = "指定した共有名は、既に使われています。\r";
inline constexpr char kFolderNotMade[] = "フォルダを作成できませんでした。\r";
inline constexpr char kLinkElsewhere[] =
    "選択したフォルダは別の場所へのリンクです。\rリンク先のフォルダを直接選択してください。\r";
}  // namespace share_text

// What was given, made ready: the path without trailing backslashes, the name trimmed (never
// cut: a name that does not fit is refused, not shared under another name).
struct ShareRequest {
  AnsiString path;
  AnsiString name;
};

// What the checks found wrong with a request, in the order the dialog tests them.
enum class ShareRefusal { None, EmptyPath, UnsuitablePath, EmptyName, UnusableName, NameTooLong };

// The most bytes of code page 932 a share name may have.
constexpr std::size_t kShareNameByteLimit = 80;

// What the job did. A failure stops it at its step; nothing already done is undone.
struct ShareOutcome {
  AnsiString failedFolder;  // not empty: this folder could not be made, nothing was shared
  AnsiString linkTarget;    // not empty: the folder turned out to be a link to here, nothing shared
  std::uint32_t folderError = 0;
  std::uint32_t shareResult = 0;        // the share call's answer
  std::uint32_t shareBadParameter = 0;  // the field the server refused, when it named one
  bool shareMade = false;               // the share call succeeded
  // The name was already a share of this very folder, taken over in place of a new one (its own
  // permissions made Everyone: full control where they were less); shareResult is then 0.
  bool shareExisted = false;
  bool grantSkipped = false;  // the volume keeps no access-control lists
  std::exception_ptr error;   // raised on the way: the grant's error, a library not bound
};

// The subfolder an edition keeps its data in, and the start of the remark its share is given;
// the health check reads a share's edition back from them.
AnsiString EditionSubfolder(std::int32_t edition);
AnsiString EditionRemarkPrefix(std::int32_t edition);

// What the job does when the server answers that the name is already a share: tell it, or take
// over a share of that name that serves this same folder, so that a run cut short by a failed
// grant can be finished by running it again.
enum class TakenShareName { Refuse, AdoptSameFolder };

class ShareSetup {
 public:
  ShareSetup(IShareCreationPlatform& platform, GrantEveryoneFn grant);

  static ShareRequest Prepare(const AnsiString& pathText, const AnsiString& nameText);
  static ShareRefusal CheckPath(const ShareRequest& request);
  static ShareRefusal CheckName(const ShareRequest& request);
  static AnsiString RefusalText(ShareRefusal refusal);
  static AnsiString LinkText(const AnsiString& target);

  // The checks of CheckPath, then the path made what the file system resolves it to (absolute,
  // parent steps, trailing dots and spaces and short names gone), so that every later rule looks
  // at the folder the system would change and not at a spelling of it. request.path is replaced
  // only when None is returned.
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
  // notice. It may run on another thread: it touches only the platform and the grant, and raises
  // nothing (what is raised on the way is kept in the outcome).
  ShareOutcome Run(const ShareRequest& request, std::int32_t edition,
                   TakenShareName taken = TakenShareName::Refuse);

  // The text that tells a share call's failure, or a folder that could not be made.
  AnsiString ShareErrorText(std::uint32_t code, std::uint32_t badParameter = 0);
  AnsiString FolderErrorText(const ShareOutcome& outcome);
  // The system's text for an error code, network codes included; "" when there is none.
  AnsiString MessageTextOf(std::uint32_t code);

 private:
  bool ForceDirectories(const AnsiString& dir, std::uint32_t& error);
  AnsiString LongForm(const AnsiString& fullPath);
  // After the server refused name as taken: when the share of that name leads to the folder
  // whose final path is given, makes sure its own permissions give Everyone full control and
  // marks the outcome as shareExisted; otherwise leaves the refusal, or puts in its place the
  // code of the permissions that could not be written.
  void AdoptExistingShare(const AnsiString& name, const AnsiString& folderFinalPath,
                          ShareOutcome& outcome);

  IShareCreationPlatform& platform_;
  GrantEveryoneFn grant_;
};

}  // namespace qv
