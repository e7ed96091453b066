// Every text of the share job.
#pragma once

namespace qv {

// The texts that tell how a share attempt went, as the dialog's boxes show them and /quiet writes
// them.
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
inline constexpr char kAlreadyShared[] = "共有フォルダは設定済みです。";
inline constexpr char kSystemLocationRefused[] =
    "選択した場所には、ドライブ全体またはシステムのフォルダが含まれています。\r"
    "この場所を共有するには /yes を指定してください。\r";
inline constexpr char kEndQuestion[] = "この処理を終了してもよろしいですか？";
inline constexpr char kAccessDenied[] = "管理者権限を持つユーザーで実行して下さい。\r";
inline constexpr char kDuplicateShare[] = "指定した共有名は、既に使われています。\r";
inline constexpr char kFolderNotMade[] = "フォルダを作成できませんでした。\r";
inline constexpr char kLinkElsewhere[] =
    "選択したフォルダは別の場所へのリンクです。\rリンク先のフォルダを直接選択してください。\r";
}  // namespace share_text

}  // namespace qv
