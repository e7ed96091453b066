// The one modal message box every message of the program goes through. This is its portable
// half: which caption, icon and buttons a box of a given kind shows, and what each button answers.
// The Windows layer draws the box from a MessageBoxLayout.
#pragma once

#include <vector>

#include "framework/ansi_string.h"

namespace qv {

enum class MessageKind { Warning, Error, Information, Confirmation };

// A set of buttons: OR of these bits, as in MessageButton::Ok | MessageButton::Cancel.
using MessageButtons = unsigned;
struct MessageButton {
  enum : MessageButtons { Yes = 1u << 0, No = 1u << 1, Ok = 1u << 2, Cancel = 1u << 3 };
};

// Answers of a box. Closing it by its close box or Alt+F4 answers Cancel whatever its buttons.
struct MessageResult {
  enum : int { None = 0, Ok = 1, Cancel = 2, Yes = 6, No = 7 };
};

enum class MessageIcon { Exclamation, Stop, Information, Question };

struct MessageButtonLayout {
  AnsiString caption;
  int result;
};

struct MessageBoxLayout {
  AnsiString caption;
  MessageIcon icon;
  std::vector<MessageButtonLayout> buttons;  // left to right
  int defaultButton;                         // index into buttons (Enter); -1 only without buttons
  int cancelButton;                          // index into buttons (Esc); -1: Esc does nothing
  bool fixedPitch;                           // text in columns: a font of equal widths
};

// The box of a kind with a set of buttons. The default (Enter) button is OK if the set holds it,
// else Yes; defaultResult names another button of the set instead (MessageResult::None keeps that
// rule).
MessageBoxLayout BuildMessageBox(MessageKind type, MessageButtons buttons,
                                 int defaultResult = MessageResult::None);

// The box the message dispatch shows for an error that escapes a handler: caption the
// application title, stop icon, OK.
MessageBoxLayout BuildErrorBox(const AnsiString& applicationTitle);

// The last-resort box for an error while the main window is first shown.
MessageBoxLayout BuildApplicationErrorBox();

// The box as plain text in the form the system's own boxes copy to the clipboard on Ctrl+C:
// caption, text and buttons between dashed lines, CR LF line ends.
AnsiString MessageBoxAsText(const AnsiString& text, const MessageBoxLayout& layout);

// Shows a message box and returns the answer. The dialog's logic depends on this interface only.
class IMessageBoxes {
 public:
  virtual ~IMessageBoxes() = default;
  virtual int ShowMessage(const AnsiString& text, MessageKind type, MessageButtons buttons,
                          int defaultResult = MessageResult::None) = 0;
};

}  // namespace qv
