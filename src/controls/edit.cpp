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
EditBox::EditBox(IEditHost& host) : host_(host) {
  baseHandler_ = windowProc_;
  windowProc_ = &EditBox::PasteFilter;
  entryHandler_ = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Properties

void EditBox::SetAlignment(TextAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  host_.RecreateWindow();
}

std::uint32_t EditBox::AlignmentStyle() const {
  switch (alignment_) {
    case TextAlignment::Right:
      return 2;
    case TextAlignment::Center:
      return 1;
    case TextAlignment::Left:
      break;
  }
  return 0;
}

void EditBox::SetKeyEdit3D(BorderStyle value) {
  if (value == keyEdit3D_) return;
  keyEdit3D_ = value;
  ctl3D_ = value == BorderStyle::Single;
  parentCtl3D_ = ctl3D_;
  host_.RecreateWindow();
}

void EditBox::SetCtl3D(bool value) {
  if (value == ctl3D_) return;
  ctl3D_ = value;
  host_.RecreateWindow();
}

void EditBox::SetKeyStyles(FocusKeys value) {
  const FocusKeys fiveBits = FocusKeys::FromBits(value.Bits() & 0x1F);
  if (fiveBits == keyStyles_) return;
  keyStyles_ = fiveBits;
}

std::int32_t EditBox::Long() const { return ParseInteger(host_.Text().view()).value_or(0); }

// Writing 0 leaves the text alone, so that a stored 0 never empties a field.
void EditBox::SetLong(std::int32_t value) {
  if (value == 0) return;
  host_.SetText(AnsiString(std::to_string(value)));
}

Currency EditBox::Curr() const {
  return ParseCurrency(host_.Text().view(), host_.DecimalSeparator()).value_or(Currency{0});
}

void EditBox::SetCurr(Currency value) {
  if (value.Scaled == 0) return;
  host_.SetText(FormatCurrency(value, host_.DecimalSeparator()));
}

AnsiString EditBox::KatakanaReading() const {
  if (reading_.empty()) return AnsiString();
  const AnsiString katakana = UpToZero(
      host_.MapReading(reading_, ReadingMapping::Katakana, ReadingBufferBytes(reading_.size())));
  return UpToZero(
      host_.MapReading(katakana, ReadingMapping::HalfWidth, ReadingBufferBytes(katakana.size())));
}

void EditBox::SetReading(const AnsiString& value) {
  if (!value.empty()) reading_ = value;
}

// ---------------------------------------------------------------------------------------------
// Message handlers

void EditBox::StandardWindowProc(WindowMessage& message) { host_.DefaultHandler(message); }

// Where the input method is disabled, pasting and the right button (its context menu offers
// pasting) are turned into an empty message.
void EditBox::PasteFilter(WindowMessage& message) {
  if (killPaste_ && imeMode_ == InputMethodMode::Disable &&
      (message.Msg == kWmRButtonDown || message.Msg == kWmPaste)) {
    message.Msg = 0;
    message.WParam = 0;
    message.LParam = 0;
  }
  (this->*baseHandler_)(message);
}

void EditBox::ReadingCapture(WindowMessage& message) {
  if (message.Msg == kWmChar || message.Msg == kWmImeEndComposition) CaptureMessage(message);
  (this->*(entryHandler_ ? entryHandler_ : &EditBox::PasteFilter))(message);
}

// Typed characters count only while the input method is closed (what it composes arrives as
// its committed reading), and control characters never do.
void EditBox::CaptureMessage(const WindowMessage& message) {
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

void EditBox::DoEnter() {
  if (OnEnter) OnEnter(*this);
  const std::int32_t length = host_.TextLength();
  switch (cursorPos_) {
    case EntryCaret::Left:
      host_.SetSelection(0, 0);
      break;
    case EntryCaret::Right:
      host_.SetSelection(length, length);
      break;
    case EntryCaret::SelectAll:
      host_.SetSelection(0, length);
      break;
  }
  reading_.clear();
  // A second entry without a loss in between finds the capture still in place: take it off
  // first, so that it is never saved as its own successor.
  if (windowProc_ == &EditBox::ReadingCapture && entryHandler_) windowProc_ = entryHandler_;
  entryHandler_ = windowProc_;
  if (capturesReading_) windowProc_ = &EditBox::ReadingCapture;
}

void EditBox::DoExit() {
  if (OnExit) OnExit(*this);
  if (entryHandler_) windowProc_ = entryHandler_;
}

// Without a form the key is still cleared: the field keeps it from the EDIT control.
void EditBox::MoveFocus(bool previous) {
  if (host_.HasForm()) host_.SendNextDlgCtl(previous);
}

void EditBox::KeyPress(std::uint16_t& key) {
  if (OnKeyPress) OnKeyPress(*this, key);
  if (key == kVkReturn && keyStyles_.Contains(FocusKey::Enter) && host_.HasForm()) {
    key = 0;
    host_.SendNextDlgCtl(false);
  }
}

// Left leaves the field only from its first position (or with the whole text selected); Right
// looks at the selection alone, so it leaves only a field whose whole text is selected. Up and
// Down leave wherever the caret is, but only a field on a form.
void EditBox::KeyDown(std::uint16_t& key, ShiftState shift) {
  if (OnKeyDown) OnKeyDown(*this, key, shift);
  if (shift.Contains(ShiftFlag::Shift) || shift.Contains(ShiftFlag::Ctrl) ||
      shift.Contains(ShiftFlag::Alt))
    return;

  std::int32_t start = 0;
  std::int32_t end = 0;
  switch (key) {
    case kVkLeft:
      if (!keyStyles_.Contains(FocusKey::Left)) return;
      host_.GetSelection(start, end);
      if (start == 0 && (end == start || end - start == host_.TextLength())) {
        key = 0;
        MoveFocus(true);
      }
      break;
    case kVkUp:
      if (keyStyles_.Contains(FocusKey::Up) && host_.HasForm()) {
        key = 0;
        host_.SendNextDlgCtl(true);
      }
      break;
    case kVkRight:
      if (!keyStyles_.Contains(FocusKey::Right)) return;
      host_.GetSelection(start, end);
      if (end - start == host_.TextLength()) {
        key = 0;
        MoveFocus(false);
      }
      break;
    case kVkDown:
      if (keyStyles_.Contains(FocusKey::Down) && host_.HasForm()) {
        key = 0;
        host_.SendNextDlgCtl(false);
      }
      break;
    default:
      break;
  }
}

}  // namespace qv
