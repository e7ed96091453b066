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

int IndexOfResult(const std::vector<MsgButtonLayout>& buttons, int result) {
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    if (buttons[i].result == result) return static_cast<int>(i);
  }
  return -1;
}
}  // namespace

MessageBoxLayout BuildMessageBox(MsgDlgType type, MsgDlgButtons set, int defaultResult) {
  KindLook look = LookOf(type);
  MessageBoxLayout layout{look.caption, look.icon, {}, -1, -1};
  // Fixed left-to-right order, whatever order the caller thinks of.
  if (set & mbYes) layout.buttons.push_back({"はい(&Y)", mrYes});
  if (set & mbNo) layout.buttons.push_back({"いいえ(&N)", mrNo});
  if (set & mbOK) layout.buttons.push_back({"OK", mrOk});
  if (set & mbCancel) layout.buttons.push_back({"キャンセル", mrCancel});

  layout.defaultButton =
      defaultResult != mrNone ? IndexOfResult(layout.buttons, defaultResult) : -1;
  if (layout.defaultButton < 0) layout.defaultButton = IndexOfResult(layout.buttons, mrOk);
  if (layout.defaultButton < 0) layout.defaultButton = IndexOfResult(layout.buttons, mrYes);
  // A set without OK or Yes (Cancel alone, No with Cancel): the first button, as the system's
  // own boxes do, so that Enter always has a button to press.
  if (layout.defaultButton < 0 && !layout.buttons.empty()) layout.defaultButton = 0;
  layout.cancelButton = IndexOfResult(layout.buttons, mrCancel);
  if (layout.cancelButton < 0) layout.cancelButton = IndexOfResult(layout.buttons, mrNo);
  if (layout.cancelButton < 0) layout.cancelButton = IndexOfResult(layout.buttons, mrOk);
  return layout;
}

MessageBoxLayout BuildErrorBox(const AnsiString& applicationTitle) {
  MessageBoxLayout layout = BuildMessageBox(MsgDlgType::mtError, mbOK);
  layout.caption = applicationTitle;
  return layout;
}

MessageBoxLayout BuildApplicationErrorBox() {
  MessageBoxLayout layout = BuildMessageBox(MsgDlgType::mtError, mbOK);
  layout.caption = "アプリケーション エラー";
  return layout;
}

}  // namespace qv
