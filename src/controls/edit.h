// The extended edit box: the standard single-line EDIT control with focus movement by Enter and
// the arrow keys, a caret rule on entry, alignment, numeric views of its text, an optional capture
// of the input method's reading, and suppression of pasting where the input method is disabled.
// The window forwards its messages to WindowProc and its key and focus events to the handlers.
#pragma once

#include <cstdint>
#include <functional>

#include "controls/control_types.h"
#include "controls/edit_host.h"
#include "controls/numeric_text.h"

namespace qv {

enum TKeyStyle : std::uint8_t { ksEnter, ksLeft, ksUp, ksRight, ksDown };
using TKeyStyles = EnumSet<TKeyStyle, std::uint8_t>;

enum class TCursorPos : std::uint8_t { cpAllSel, cpLeft, cpRight };
using TCursorPoss = TCursorPos;

enum class TBorderStyle : std::uint8_t { bsNone, bsSingle };
enum class TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
enum class TImeMode : std::uint8_t {
  imDisable,
  imClose,
  imOpen,
  imDontCare,
  imSAlpha,
  imAlpha,
  imHira,
  imSKata,
  imKata,
  imChinese,
  imSHanguel,
  imHanguel
};

class TxEdit {
 public:
  using TNotifyEvent = std::function<void(TxEdit& sender)>;
  using TKeyEvent = std::function<void(TxEdit& sender, std::uint16_t& key, TShiftState)>;
  using TKeyPressEvent = std::function<void(TxEdit& sender, std::uint16_t& key)>;
  // A window-message handler of the control.
  using TWndMethod = void (TxEdit::*)(TMessage&);

  explicit TxEdit(IEditHost& host);
  virtual ~TxEdit() = default;
  TxEdit(const TxEdit&) = delete;
  TxEdit& operator=(const TxEdit&) = delete;
  const char* ClassName() const { return "TxEdit"; }

  // --- Properties of the base ---
  const AnsiString& Name() const { return name_; }
  void SetName(const AnsiString& value) { name_ = value; }
  AnsiString Text() const { return host_.Text(); }
  void SetText(const AnsiString& value) { host_.SetText(value); }
  TImeMode ImeMode() const { return imeMode_; }
  void SetImeMode(TImeMode value) { imeMode_ = value; }
  bool Ctl3D() const { return ctl3D_; }
  // The border is a creation parameter: a change re-creates the window.
  void SetCtl3D(bool value);
  bool ParentCtl3D() const { return parentCtl3D_; }
  void SetParentCtl3D(bool value) { parentCtl3D_ = value; }

  // --- Its own properties ---
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TBorderStyle KeyEdit3D() const { return keyEdit3D_; }
  void SetKeyEdit3D(TBorderStyle value);
  TKeyStyles KeyStyles() const { return keyStyles_; }
  void SetKeyStyles(TKeyStyles value);
  TCursorPoss CursorPos() const { return cursorPos_; }
  void SetCursorPos(TCursorPoss value) { cursorPos_ = value; }
  Currency Curr() const;
  void SetCurr(Currency value);
  std::int32_t Long() const;
  void SetLong(std::int32_t value);
  AnsiString kana() const;
  void Setkana(const AnsiString& value);
  bool KanaSw() const { return kanaSw_; }
  void SetKanaSw(bool value) { kanaSw_ = value; }
  bool KillPaste() const { return killPaste_; }
  void SetKillPaste(bool value) { killPaste_ = value; }

  // The style bit of the alignment (ES_LEFT 0, ES_RIGHT 2, ES_CENTER 1), OR-ed into the window
  // style when the window is created.
  std::uint32_t AlignmentStyle() const;
  // The reading captured since the focus last arrived (code page 932), unconverted.
  const AnsiString& Reading() const { return reading_; }

  // --- Events ---
  TNotifyEvent OnEnter, OnExit;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;

  // --- What the window tells the control ---
  // Every window message passes here first.
  void WindowProc(TMessage& message) { (this->*windowProc_)(message); }
  TWndMethod CurrentWindowProc() const { return windowProc_; }
  virtual void DoEnter();
  virtual void DoExit();
  // A key cleared to 0 is not passed on to the EDIT control.
  virtual void KeyPress(std::uint16_t& key);
  virtual void KeyDown(std::uint16_t& key, TShiftState shift);

  // The control's message handlers.
  void StandardWindowProc(TMessage& message);
  void PasteFilter(TMessage& message);
  void ReadingCapture(TMessage& message);

 private:
  void CaptureMessage(const TMessage& message);
  void MoveFocus(bool previous);

  IEditHost& host_;
  AnsiString name_;
  TImeMode imeMode_ = TImeMode::imDontCare;
  bool ctl3D_ = true;
  bool parentCtl3D_ = true;
  // Own data, in declaration order.
  TAlignment alignment_ = TAlignment::taLeftJustify;
  TBorderStyle keyEdit3D_ = TBorderStyle::bsNone;
  TKeyStyles keyStyles_{ksEnter, ksUp};
  TWndMethod baseHandler_ = nullptr;
  TWndMethod entryHandler_ = nullptr;
  TCursorPoss cursorPos_ = TCursorPos::cpAllSel;
  bool kanaSw_ = false;
  AnsiString reading_;
  bool killPaste_ = true;
  TWndMethod windowProc_ = &TxEdit::StandardWindowProc;
};

}  // namespace qv
