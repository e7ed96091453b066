// The extended edit box: the standard single-line EDIT control with focus movement by Enter and
// the arrow keys, a caret rule on entry, alignment, numeric views of its text, an optional capture
// of the input method's reading, and suppression of pasting where the input method is disabled.
// The window forwards every message to WindowProc; the last handler of the chain hands it back to
// the window, which passes its focus and key events to the handlers below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "controls/control_types.h"
#include "controls/edit_host.h"
#include "controls/numeric_text.h"

namespace qv {

enum class FocusKey : std::uint8_t { Enter, Left, Up, Right, Down };
using FocusKeys = EnumSet<FocusKey, std::uint8_t>;

// Where the caret goes when the field gets the focus.
enum class EntryCaret : std::uint8_t { SelectAll, Left, Right };

enum class BorderStyle : std::uint8_t { None, Single };
enum class TextAlignment : std::uint8_t { Left, Right, Center };
enum class InputMethodMode : std::uint8_t {
  Disable,
  Close,
  Open,
  DontCare,
  SAlpha,
  Alpha,
  Hira,
  SKata,
  Kata,
  Chinese,
  SHanguel,
  Hanguel
};

// The buffer each locale mapping of the reading writes into. A longer reading gets a buffer of
// its own size instead, so that it is converted whole rather than cut off or lost.
constexpr std::size_t kReadingBufferBytes = 1025;
constexpr std::size_t ReadingBufferBytes(std::size_t readingBytes) {
  return readingBytes < kReadingBufferBytes ? kReadingBufferBytes : readingBytes + 1;
}

class EditBox {
 public:
  using NotifyHandler = std::function<void(EditBox& sender)>;
  using KeyHandler = std::function<void(EditBox& sender, std::uint16_t& key, ShiftState)>;
  using KeyPressHandler = std::function<void(EditBox& sender, std::uint16_t& key)>;
  // A window-message handler of the control.
  using MessageHandler = void (EditBox::*)(WindowMessage&);

  explicit EditBox(IEditHost& host);
  EditBox(const EditBox&) = delete;
  EditBox& operator=(const EditBox&) = delete;
  const char* ClassName() const { return "TxEdit"; }

  // --- Properties of the base ---
  const AnsiString& Name() const { return name_; }
  void SetName(const AnsiString& value) { name_ = value; }
  AnsiString Text() const { return host_.Text(); }
  void SetText(const AnsiString& value) { host_.SetText(value); }
  InputMethodMode ImeMode() const { return imeMode_; }
  // The window takes a disabled input method away when it is created.
  void SetImeMode(InputMethodMode value) { imeMode_ = value; }
  bool Ctl3D() const { return ctl3D_; }
  // The border is a creation parameter: a change re-creates the window.
  void SetCtl3D(bool value);
  bool ParentCtl3D() const { return parentCtl3D_; }
  void SetParentCtl3D(bool value) { parentCtl3D_ = value; }

  // --- Its own properties ---
  TextAlignment Alignment() const { return alignment_; }
  void SetAlignment(TextAlignment value);
  BorderStyle KeyEdit3D() const { return keyEdit3D_; }
  void SetKeyEdit3D(BorderStyle value);
  FocusKeys KeyStyles() const { return keyStyles_; }
  void SetKeyStyles(FocusKeys value);
  EntryCaret CursorPos() const { return cursorPos_; }
  void SetCursorPos(EntryCaret value) { cursorPos_ = value; }
  Currency Curr() const;
  void SetCurr(Currency value);
  std::int32_t Long() const;
  void SetLong(std::int32_t value);
  // The reading in half-width katakana (stored as `kana`).
  AnsiString KatakanaReading() const;
  void SetReading(const AnsiString& value);
  bool CapturesReading() const { return capturesReading_; }
  void SetCapturesReading(bool value) { capturesReading_ = value; }
  bool KillPaste() const { return killPaste_; }
  void SetKillPaste(bool value) { killPaste_ = value; }

  // The style bit of the alignment (ES_LEFT 0, ES_RIGHT 2, ES_CENTER 1), OR-ed into the window
  // style when the window is created.
  std::uint32_t AlignmentStyle() const;
  // The reading captured since the focus last arrived (code page 932), unconverted.
  const AnsiString& Reading() const { return reading_; }

  // --- Events, raised before the control's own handling ---
  NotifyHandler OnEnter, OnExit;
  KeyHandler OnKeyDown;
  KeyPressHandler OnKeyPress;

  // --- What the window tells the control ---
  // Every window message passes here first.
  void WindowProc(WindowMessage& message) { (this->*windowProc_)(message); }
  MessageHandler CurrentWindowProc() const { return windowProc_; }
  void DoEnter();
  void DoExit();
  // A key cleared to 0 is not passed on to the EDIT control.
  void KeyPress(std::uint16_t& key);
  void KeyDown(std::uint16_t& key, ShiftState shift);

  // The control's message handlers.
  void StandardWindowProc(WindowMessage& message);
  void PasteFilter(WindowMessage& message);
  void ReadingCapture(WindowMessage& message);

 private:
  void CaptureMessage(const WindowMessage& message);
  void MoveFocus(bool previous);

  IEditHost& host_;
  AnsiString name_;
  InputMethodMode imeMode_ = InputMethodMode::DontCare;
  bool ctl3D_ = true;
  bool parentCtl3D_ = true;
  // Own data, in declaration order.
  TextAlignment alignment_ = TextAlignment::Left;
  BorderStyle keyEdit3D_ = BorderStyle::None;
  FocusKeys keyStyles_{FocusKey::Enter, FocusKey::Up};
  MessageHandler baseHandler_ = nullptr;
  MessageHandler entryHandler_ = nullptr;
  EntryCaret cursorPos_ = EntryCaret::SelectAll;
  bool capturesReading_ = false;
  AnsiString reading_;
  bool killPaste_ = true;
  MessageHandler windowProc_ = &EditBox::StandardWindowProc;
};

}  // namespace qv
