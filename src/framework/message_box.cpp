#include "framework/message_box.h"

namespace qv {

namespace {
struct KindLook {
  const char* caption;
  MsgIcon icon;
};

KindLook LookOf(MsgDlgType type) {
  switch (type) {
    case MsgDlgType::mtWarning:
      return {"警告", MsgIcon::Exclamation};
    case MsgDlgType::mtError:
      return {"エラー", MsgIcon::Stop};
    case MsgDlgType::mtInformation:
      return {"情報", MsgIcon::Information};
    case MsgDlgType::mtConfirmation:
      break;
  }
  return {"確認", MsgIcon::Question};
}

int IndexOfResult(const std::vector<MsgButtonSpec>& buttons, int result) {
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    if (buttons[i].result == result) return static_cast<int>(i);
  }
  return -1;
}
}  // namespace

MessageBoxSpec BuildMessageBox(MsgDlgType type, MsgDlgButtons set) {
  KindLook look = LookOf(type);
  MessageBoxSpec spec{look.caption, look.icon, {}, -1, -1};
  // Fixed left-to-right order, whatever order the caller thinks of.
  if (set & mbYes) spec.buttons.push_back({"はい(&Y)", mrYes});
  if (set & mbNo) spec.buttons.push_back({"いいえ(&N)", mrNo});
  if (set & mbOK) spec.buttons.push_back({"OK", mrOk});
  if (set & mbCancel) spec.buttons.push_back({"キャンセル", mrCancel});

  spec.defaultButton = IndexOfResult(spec.buttons, mrOk);
  if (spec.defaultButton < 0) spec.defaultButton = IndexOfResult(spec.buttons, mrYes);
  spec.cancelButton = IndexOfResult(spec.buttons, mrCancel);
  if (spec.cancelButton < 0) spec.cancelButton = IndexOfResult(spec.buttons, mrNo);
  if (spec.cancelButton < 0) spec.cancelButton = IndexOfResult(spec.buttons, mrOk);
  return spec;
}

MessageBoxSpec BuildErrorBox(const AnsiString& applicationTitle) {
  MessageBoxSpec spec = BuildMessageBox(MsgDlgType::mtError, mbOK);
  spec.caption = applicationTitle;
  return spec;
}

MessageBoxSpec BuildApplicationErrorBox() {
  MessageBoxSpec spec = BuildMessageBox(MsgDlgType::mtError, mbOK);
  spec.caption = "アプリケーション エラー";
  return spec;
}

}  // namespace qv
