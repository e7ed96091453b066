#include "reach/save_failure.h"

namespace qv {

SaveFailureAdvice AdviseOnSaveFailure(std::uint32_t code) {
  using enum SaveFailureKind;
  switch (code) {
    case 53:    // the network path was not found
    case 1231:  // the network location cannot be reached
      return {Unreachable, "共有先のパソコンが見つかりません。",
              "パソコン名、ネットワークの接続、共有先のパソコンのファイアウォールを確認してくださ"
              "い。"};
    case 67:  // the network name cannot be found
    // A missing server or share surfaces as "path not found" where the redirector resolves the
    // UNC name itself; our file lies directly in the share, so only the share can be missing.
    case 3:
      return {Unreachable, "その共有名の共有フォルダがありません。",
              "共有名を確認し、共有先のパソコンで共有フォルダを設定してください。"};
    case 5:   // access denied
    case 19:  // write protected
      return {NotWritable, "共有フォルダまたはフォルダに書き込みが許可されていません。",
              "共有先のパソコンで、共有とフォルダのアクセス許可に書き込みを含めてください。"};
    case 112:  // disk full
      return {NotWritable, "共有先のディスクに空きがありません。",
              "共有先のパソコンのディスクの空きを増やしてください。"};
    case 1326:  // unknown user name or bad password
    case 1907:  // the password must be changed
    case 1909:  // the account is locked out
      return {Unreachable, "アカウントまたはパスワードで接続できません。",
              "共有先のパソコンにこのユーザー名とパスワードのアカウントを作るか、資格情報マネ"
              "ージャーに共有先のユーザー名とパスワードを登録してください。"};
    case 1272:  // guest access blocked by this client
    case 3235:  // the server requires signing, guest sessions cannot sign
      return {Unreachable, "このパソコンが Guest での接続を拒否しています。",
              "共有先のパソコンにユーザー名とパスワードのアカウントを作り、それで接続してくださ"
              "い。"};
    default:
      return {Other, "", ""};
  }
}

}  // namespace qv
