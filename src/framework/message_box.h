// The one modal message box every message of the program goes through. This is its portable
// half: which caption, icon and buttons a box of a given kind shows, and what each button answers.
// The Windows layer draws the box from a MessageBoxLayout.
#pragma once

#include <vector>

#include "framework/ansi_string.h"

namespace qv {

enum class MsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };

// A set of buttons: OR of these bits.
enum MsgDlgBtn : unsigned { mbYes = 1u << 0, mbNo = 1u << 1, mbOK = 1u << 2, mbCancel = 1u << 3 };
using MsgDlgButtons = unsigned;

// Answers of a box. Closing it by its close box or Alt+F4 answers mrCancel whatever its buttons.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;
constexpr int mrYes = 6;
constexpr int mrNo = 7;

enum class MsgIcon { Exclamation, Stop, Information, Question };

struct MsgButtonLayout {
  AnsiString caption;
  int result;
};

struct MessageBoxLayout {
  AnsiString caption;
  MsgIcon icon;
  std::vector<MsgButtonLayout> buttons;  // left to right
  int defaultButton;                     // index into buttons (Enter); -1 only without buttons
  int cancelButton;                      // index into buttons (Esc); -1: Esc does nothing
};

// The box of a kind with a set of buttons. The default (Enter) button is OK if the set holds it,
// else Yes; defaultResult names another button of the set instead (mrNone keeps that rule).
MessageBoxLayout BuildMessageBox(MsgDlgType type, MsgDlgButtons buttons,
                                 int defaultResult = mrNone);

// The box the message dispatch shows for an error that escapes a handler: caption the
// application title, stop icon, OK.
MessageBoxLayout BuildErrorBox(const AnsiString& applicationTitle);

// The last-resort box for an error while the main window is first shown.
MessageBoxLayout BuildApplicationErrorBox();

// Shows a message box and returns the answer. The dialog's logic depends on this interface only.
class IMessageBoxes {
 public:
  virtual ~IMessageBoxes() = default;
  virtual int MessageDlg(const AnsiString& text, MsgDlgType type, MsgDlgButtons buttons,
                         int defaultResult = mrNone) = 0;
};

}  // namespace qv
