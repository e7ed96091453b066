#include "framework/message_box.h"

namespace qv {

namespace {
struct KindLook {
  AnsiString caption;
  MessageIcon icon;
};

KindLook LookOf(MessageKind type) {
  switch (type) {
    case MessageKind::Warning:
      return {"警告", MessageIcon::Exclamation};
    case MessageKind::Error:
      return {"エラー", MessageIcon::Stop};
    case MessageKind::Information:
      return {"情報", MessageIcon::Information};
    case MessageKind::Confirmation:
      break;
  }
  return {"確認", MessageIcon::Question};
}

int IndexOfResult(const std::vector<MessageButtonLayout>& buttons, int result) {
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    if (buttons[i].result == result) return static_cast<int>(i);
  }
  return -1;
}
}  // namespace

MessageBoxLayout BuildMessageBox(MessageKind type, MessageButtons set, int defaultResult) {
  KindLook look = LookOf(type);
  MessageBoxLayout layout{look.caption, look.icon, {}, -1, -1, false};
  // Fixed left-to-right order, whatever order the caller thinks of.
  if (set & MessageButton::Yes) layout.buttons.push_back({"はい(&Y)", MessageResult::Yes});
  if (set & MessageButton::No) layout.buttons.push_back({"いいえ(&N)", MessageResult::No});
  if (set & MessageButton::Ok) layout.buttons.push_back({"OK", MessageResult::Ok});
  if (set & MessageButton::Cancel) layout.buttons.push_back({"キャンセル", MessageResult::Cancel});

  layout.defaultButton =
      defaultResult != MessageResult::None ? IndexOfResult(layout.buttons, defaultResult) : -1;
  if (layout.defaultButton < 0)
    layout.defaultButton = IndexOfResult(layout.buttons, MessageResult::Ok);
  if (layout.defaultButton < 0)
    layout.defaultButton = IndexOfResult(layout.buttons, MessageResult::Yes);
  // A set without OK or Yes (Cancel alone, No with Cancel): the first button, as the system's
  // own boxes do, so that Enter always has a button to press.
  if (layout.defaultButton < 0 && !layout.buttons.empty()) layout.defaultButton = 0;
  layout.cancelButton = IndexOfResult(layout.buttons, MessageResult::Cancel);
  if (layout.cancelButton < 0)
    layout.cancelButton = IndexOfResult(layout.buttons, MessageResult::No);
  if (layout.cancelButton < 0)
    layout.cancelButton = IndexOfResult(layout.buttons, MessageResult::Ok);
  return layout;
}

MessageBoxLayout BuildErrorBox(const AnsiString& applicationTitle) {
  MessageBoxLayout layout = BuildMessageBox(MessageKind::Error, MessageButton::Ok);
  layout.caption = applicationTitle;
  return layout;
}

MessageBoxLayout BuildApplicationErrorBox() {
  MessageBoxLayout layout = BuildMessageBox(MessageKind::Error, MessageButton::Ok);
  layout.caption = "アプリケーション エラー";
  return layout;
}

AnsiString MessageBoxAsText(const AnsiString& text, const MessageBoxLayout& layout) {
  const AnsiString rule = AnsiString(27, '-') + "\r\n";
  AnsiString body;
  // Line breaks are single bytes no trail byte can be, so a byte walk is safe.
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      body += "\r\n";
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      body.push_back(text[i]);
    }
  }
  if (!body.view().ends_with("\r\n")) body += "\r\n";
  AnsiString buttons;
  for (const MessageButtonLayout& button : layout.buttons) {
    // The mnemonic's marker is not part of what the button says; && stands for one &.
    for (std::size_t i = 0; i < button.caption.size(); ++i) {
      if (button.caption[i] == '&' && i + 1 < button.caption.size()) ++i;
      buttons.push_back(button.caption[i]);
    }
    buttons += "   ";
  }
  return rule + layout.caption + "\r\n" + rule + body + rule + buttons + "\r\n" + rule;
}

}  // namespace qv
