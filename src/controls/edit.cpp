#include "controls/edit.h"

#include <string>

namespace qv {

namespace {

// A mapping's result ends at its first zero byte.
AnsiString UpToZero(AnsiString s) {
  const std::size_t zero = s.find('\0');
  if (zero != AnsiString::npos) s.erase(zero);
  return s;
}

}  // namespace

// The paste filter stays the control's handler for its whole life; the reading capture goes in
// front of it only while the field has the focus.
TxEdit::TxEdit(IEditHost& host) : host_(host) {
  baseHandler_ = windowProc_;
  windowProc_ = &TxEdit::PasteFilter;
  entryHandler_ = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Properties

void TxEdit::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  host_.RecreateWindow();
}

std::uint32_t TxEdit::AlignmentStyle() const {
  switch (alignment_) {
    case TAlignment::taRightJustify:
      return 2;
    case TAlignment::taCenter:
      return 1;
    case TAlignment::taLeftJustify:
      break;
  }
  return 0;
}

void TxEdit::SetKeyEdit3D(TBorderStyle value) {
  if (value == keyEdit3D_) return;
  keyEdit3D_ = value;
  ctl3D_ = value == TBorderStyle::bsSingle;
  parentCtl3D_ = ctl3D_;
  host_.RecreateWindow();
}

void TxEdit::SetCtl3D(bool value) {
  if (value == ctl3D_) return;
  ctl3D_ = value;
  host_.RecreateWindow();
}

void TxEdit::SetKeyStyles(TKeyStyles value) {
  const TKeyStyles fiveBits = TKeyStyles::FromBits(value.Bits() & 0x1F);
  if (fiveBits == keyStyles_) return;
  keyStyles_ = fiveBits;
}

std::int32_t TxEdit::Long() const { return ParseInteger(host_.Text()).value_or(0); }

// Writing 0 leaves the text alone, so that a stored 0 never empties a field.
void TxEdit::SetLong(std::int32_t value) {
  if (value == 0) return;
  host_.SetText(std::to_string(value));
}

Currency TxEdit::Curr() const {
  return ParseCurrency(host_.Text(), host_.DecimalSeparator()).value_or(Currency{0});
}

void TxEdit::SetCurr(Currency value) {
  if (value.Scaled == 0) return;
  host_.SetText(FormatCurrency(value, host_.DecimalSeparator()));
}

// The reading in half-width katakana. It is converted whole, however long it has grown.
AnsiString TxEdit::kana() const {
  if (reading_.empty()) return AnsiString();
  return UpToZero(host_.MapToHalfWidth(UpToZero(host_.MapToKatakana(reading_))));
}

void TxEdit::Setkana(const AnsiString& value) {
  if (!value.empty()) reading_ = value;
}

// ---------------------------------------------------------------------------------------------
// Message handlers

void TxEdit::StandardWindowProc(TMessage& message) { host_.DefaultHandler(message); }

// Where the input method is disabled, pasting and the right button (its context menu offers
// pasting) are turned into an empty message.
void TxEdit::PasteFilter(TMessage& message) {
  if (killPaste_ && imeMode_ == TImeMode::imDisable &&
      (message.Msg == kWmRButtonDown || message.Msg == kWmPaste)) {
    message.Msg = 0;
    message.WParam = 0;
    message.LParam = 0;
  }
  (this->*baseHandler_)(message);
}

void TxEdit::ReadingCapture(TMessage& message) {
  if (message.Msg == kWmChar || message.Msg == kWmImeEndComposition) CaptureMessage(message);
  (this->*(entryHandler_ ? entryHandler_ : &TxEdit::PasteFilter))(message);
}

// Typed characters count only while the input method is closed (what it composes arrives as
// its committed reading), and control characters never do.
void TxEdit::CaptureMessage(const TMessage& message) {
  const std::unique_ptr<IInputContext> context = host_.GetInputContext();
  const bool open = context && context->OpenStatus();
  if (message.Msg == kWmChar) {
    if (!open && message.WParam >= 0x20) reading_ += host_.CharToAnsi(message.WParam);
    return;
  }
  if (!context) return;
  const std::int32_t size = context->ResultReadingSize();
  if (size > 0) reading_ += context->ReadResultReading(size);
}

// ---------------------------------------------------------------------------------------------
// Focus and keys

void TxEdit::DoEnter() {
  if (OnEnter) OnEnter(*this);
  const std::int32_t length = host_.TextLength();
  switch (cursorPos_) {
    case TCursorPos::cpLeft:
      host_.SetSelection(0, 0);
      break;
    case TCursorPos::cpRight:
      host_.SetSelection(length, length);
      break;
    case TCursorPos::cpAllSel:
      host_.SetSelection(0, length);
      break;
  }
  reading_.clear();
  // A second entry without a loss in between finds the capture still in place: take it off
  // first, so that it is never saved as its own successor.
  if (windowProc_ == &TxEdit::ReadingCapture && entryHandler_) windowProc_ = entryHandler_;
  entryHandler_ = windowProc_;
  if (kanaSw_) windowProc_ = &TxEdit::ReadingCapture;
}

void TxEdit::DoExit() {
  if (OnExit) OnExit(*this);
  if (entryHandler_) windowProc_ = entryHandler_;
}

void TxEdit::MoveFocus(bool previous) {
  if (host_.HasForm()) host_.SendNextDlgCtl(previous);
}

void TxEdit::KeyPress(std::uint16_t& key) {
  if (OnKeyPress) OnKeyPress(*this, key);
  if (key == kVkReturn && keyStyles_.Contains(ksEnter) && host_.HasForm()) {
    key = 0;
    host_.SendNextDlgCtl(false);
  }
}

// Left leaves the field only from its first position (or with the whole text selected); Right
// looks at the selection alone, so it leaves only a field whose whole text is selected.
void TxEdit::KeyDown(std::uint16_t& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(*this, key, shift);
  if (shift.Contains(ssShift) || shift.Contains(ssCtrl) || shift.Contains(ssAlt)) return;

  std::int32_t start = 0;
  std::int32_t end = 0;
  switch (key) {
    case kVkLeft:
      if (!keyStyles_.Contains(ksLeft)) return;
      host_.GetSelection(start, end);
      if (start == 0 && (end == start || end - start == host_.TextLength())) {
        key = 0;
        MoveFocus(true);
      }
      break;
    case kVkUp:
      if (keyStyles_.Contains(ksUp) && host_.HasForm()) {
        key = 0;
        host_.SendNextDlgCtl(true);
      }
      break;
    case kVkRight:
      if (!keyStyles_.Contains(ksRight)) return;
      host_.GetSelection(start, end);
      if (end - start == host_.TextLength()) {
        key = 0;
        MoveFocus(false);
      }
      break;
    case kVkDown:
      if (keyStyles_.Contains(ksDown) && host_.HasForm()) {
        key = 0;
        host_.SendNextDlgCtl(false);
      }
      break;
    default:
      break;
  }
}

}  // namespace qv
