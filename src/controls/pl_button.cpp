#include "controls/pl_button.h"

namespace qv {

// ---------------------------------------------------------------------------------------------
// Caption line

void TxPlBtnCaption::Assign(const TPersistent* source) {
  auto* other = dynamic_cast<const TxPlBtnCaption*>(source);
  if (!other) RaiseAssignError(source, *this);
  alignment_ = other->alignment_;
  caption_ = other->caption_;
  left_ = other->left_;
  right_ = other->right_;
  owner_.CaptionChanged(*this);
}

void TxPlBtnCaption::SetCaption(const AnsiString& value) {
  if (value == caption_) return;
  caption_ = value;
  owner_.CaptionChanged(*this);
}

void TxPlBtnCaption::SetAlignment(TxPlBtnAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  owner_.RepaintNow();
}

void TxPlBtnCaption::SetLeft(int value) {
  if (value == left_) return;
  left_ = value;
  owner_.RepaintNow();
}

void TxPlBtnCaption::SetRight(int value) {
  if (value == right_) return;
  right_ = value;
  owner_.RepaintNow();
}

// ---------------------------------------------------------------------------------------------
// Picture

void TxPlBtnImage::Assign(const TPersistent* source) {
  auto* other = dynamic_cast<const TxPlBtnImage*>(source);
  if (!other) RaiseAssignError(source, *this);
  picture_.Assign(other->picture_);
  transParent_ = other->transParent_;
  vertCenter_ = other->vertCenter_;
  horzCenter_ = other->horzCenter_;
  top_ = other->top_;
  left_ = other->left_;
  visible_ = other->visible_;
}

void TxPlBtnImage::SetPicture(const TPicture& value) {
  if (&value == &picture_) return;
  picture_.Assign(value);
  const TGraphic* g = picture_.Graphic();
  if (g && (g->Kind() == TGraphicKind::Bitmap || g->Kind() == TGraphicKind::Icon)) {
    owner_.RepaintNow();
  } else {
    picture_.Clear();
  }
}

void TxPlBtnImage::SetLeft(int value) {
  if (value == left_) return;
  left_ = value;
  horzCenter_ = false;
  owner_.RepaintNow();
}

void TxPlBtnImage::SetTop(int value) {
  if (value == top_) return;
  top_ = value;
  vertCenter_ = false;
  owner_.RepaintNow();
}

void TxPlBtnImage::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  owner_.RepaintNow();
}

void TxPlBtnImage::SetTransParent(bool value) {
  if (value == transParent_) return;
  transParent_ = value;
  owner_.RepaintNow();
}

// Switching centring off keeps the last centred position, so nothing visible changes.
void TxPlBtnImage::SetVertCenter(bool value) {
  if (value == vertCenter_) return;
  vertCenter_ = value;
  if (value) owner_.RepaintNow();
}

void TxPlBtnImage::SetHorzCenter(bool value) {
  if (value == horzCenter_) return;
  horzCenter_ = value;
  if (value) owner_.RepaintNow();
}

// ---------------------------------------------------------------------------------------------
// Button: construction and properties

TxPlButton::TxPlButton(IPlButtonHost& host) : host_(host) {}

// The rounded shape belongs to the window once handed over; the window releases it with itself.
TxPlButton::~TxPlButton() = default;

void TxPlButton::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  left_ = left;
  top_ = top;
  host_.ApplyBounds(left, top, width, height);
  // A window that exists reports the new size back through SizeChanged; do it here for the
  // model's own sake so that the shape follows the size without a window as well.
  SizeChanged(width, height);
}

void TxPlButton::SizeChanged(int width, int height) {
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  if (OnResize) OnResize(*this);
  if (IsRoundStyle()) BuildShape();
  RepaintNow();
}

void TxPlButton::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  parentColor_ = false;
  host_.ScheduleRepaint();
}

void TxPlButton::SetParentColor(bool value) {
  if (value == parentColor_) return;
  parentColor_ = value;
  host_.ScheduleRepaint();
}

void TxPlButton::ParentColorChanged(TColor parentColor) {
  if (!parentColor_) return;
  color_ = parentColor;
  host_.ScheduleRepaint();
}

void TxPlButton::SetFont(const TFont& value) {
  if (value == font_) return;
  font_ = value;
  parentFont_ = false;
  host_.ScheduleRepaint();
}

void TxPlButton::ParentFontChanged(const TFont& parentFont) {
  if (!parentFont_ || parentFont == font_) return;
  font_ = parentFont;
  host_.ScheduleRepaint();
}

void TxPlButton::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  host_.ApplyEnabled(value);  // a control being disabled gives up the focus there
  host_.ScheduleRepaint();
}

void TxPlButton::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  host_.ApplyVisible(value);
}

bool TxPlButton::IsRoundStyle() const {
  return buttonStyle_ == TxPlButtonStyle::bsRoundRect ||
         buttonStyle_ == TxPlButtonStyle::bsRoundRectNoFrame;
}

void TxPlButton::BuildShape() {
  // The region reaches one pixel beyond the client area, so that the right and bottom edges of
  // the outline drawn from (0, 0) to (Width, Height) stay inside the shape.
  shapeRegion_.reset();
  host_.SetRoundShape(TRect{0, 0, width_ + 1, height_ + 1}, kRoundSize, kRoundSize);
  shapeRegion_ = TPoint{width_, height_};
}

void TxPlButton::RemoveShape() {
  if (!shapeRegion_) return;
  host_.ClearShape();
  shapeRegion_.reset();
}

void TxPlButton::SetButtonStyle(TxPlButtonStyle value) {
  if (value != buttonStyle_) {
    buttonStyle_ = value;
    if (IsRoundStyle()) {
      BuildShape();
    } else {
      RemoveShape();
    }
  }
  RepaintNow();
}

void TxPlButton::SetGradation(bool value) {
  if (value == gradation_) return;
  gradation_ = value;
  if (value) parentColor_ = false;
  RepaintNow();
}

void TxPlButton::SetGradBeginColor(TColor value) {
  if (value == gradBeginColor_) return;
  gradBeginColor_ = value;
  RepaintNow();
}

void TxPlButton::SetGradEndColor(TColor value) {
  if (value == gradEndColor_) return;
  gradEndColor_ = value;
  RepaintNow();
}

void TxPlButton::SetHasFocus(bool value) {
  if (value == hasFocus_) return;
  hasFocus_ = value;
  RepaintNow();
}

void TxPlButton::SetImage(const TPersistent* value) {
  image_.Assign(value);
  RepaintNow();
}

void TxPlButton::SetCaptionA(const TPersistent* value) { captionA_.Assign(value); }

void TxPlButton::SetCaptionB(const TPersistent* value) { captionB_.Assign(value); }

// The window text is the first caption, so that screen readers and test drivers can read it.
void TxPlButton::CaptionChanged(const TxPlBtnCaption& caption) {
  if (&caption == &captionA_) host_.ApplyWindowText(captionA_.Caption());
  RepaintNow();
}

void TxPlButton::SetCaptionLineSpace(int value) {
  if (value == captionLineSpace_) return;
  captionLineSpace_ = value;
  RepaintNow();
}

void TxPlButton::SetCaptionTop(int value) {
  if (value == captionTop_) return;
  captionTop_ = value;
  captionVertCenter_ = false;
  RepaintNow();
}

// Switching centring off keeps the last computed CaptionTop, so nothing visible changes.
void TxPlButton::SetCaptionVertCenter(bool value) {
  if (value == captionVertCenter_) return;
  captionVertCenter_ = value;
  if (value) RepaintNow();
}

void TxPlButton::SetFlatFrameType(TxPlBtnFrameType value) {
  if (value == flatFrameType_) return;
  flatFrameType_ = value;
  RepaintNow();
}

// A button read from a form description has its name when it gets its parent; the caption
// stored there is read afterwards and wins.
void TxPlButton::SetParent(bool hasParent) {
  hasParent_ = hasParent;
  if (hasParent && !captionFromNameDone_) {
    captionFromNameDone_ = true;
    captionA_.SetCaption(name_);
  }
}

// ---------------------------------------------------------------------------------------------
// Keys

bool TxPlButton::DialogKey(std::uint16_t charCode, std::uint32_t keyData) {
  const bool enter = charCode == kVkReturn && host_.IsActiveControl();
  const bool escape = charCode == kVkEscape && cancel_;
  if (!enter && !escape) return false;
  const TShiftState keys = ShiftStateFromKeyboard(host_.ReadKeyboardState());
  if (keys.Contains(ssShift) || keys.Contains(ssCtrl) || (keyData & kKeyDataAltDown)) return false;
  if (!hasFocus_) return false;
  Click();
  return true;
}

// Enter that was not claimed as a dialog key (with a modifier, or HasFocus off) raises the click
// event alone: no modal result, no pressed look.
void TxPlButton::KeyDown(std::uint16_t& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(*this, key, shift);
  if (enabled_ && key == kVkReturn) {
    key = 0;
    RaiseClickEvent();
  }
}

void TxPlButton::KeyUp(std::uint16_t& key, TShiftState) {
  if (key == kVkReturn) {
    pressed_ = false;
    host_.ScheduleRepaint();
  }
}

void TxPlButton::KeyPress(std::uint16_t& key) {
  if (OnKeyPress) OnKeyPress(*this, key);
}

// ---------------------------------------------------------------------------------------------
// Mouse

void TxPlButton::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y,
                                 bool doubleClick) {
  if (button == mbLeft) {
    host_.SetCapture();
    if (doubleClick) {
      // The second press of a double click never produces a second click.
      clickPending_ = false;
      if (OnDblClick) OnDblClick(*this);
      shift.Include(ssDouble);
    } else {
      clickPending_ = true;
    }
  }
  MouseDown(button, shift, x, y);
}

void TxPlButton::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    host_.ReleaseCapture();
    const bool inside = TRect{0, 0, width_, height_}.Contains({x, y});
    if (clickPending_) {
      clickPending_ = false;
      if (inside) Click();
    }
    // Without the capture the cursor is tracked by the leave notification again.
    if (inside) host_.TrackMouseLeave();
  }
  MouseUp(button, shift, x, y);
}

void TxPlButton::HandleMouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(*this, shift, x, y);
  const bool inside = TRect{0, 0, width_, height_}.Contains({x, y});
  if (inside == mouseInside_) return;
  mouseInside_ = inside;
  if (inside) {
    host_.TrackMouseLeave();
    MouseEnterNotification();
  } else {
    MouseLeaveNotification();
  }
}

void TxPlButton::HandleMouseLeaveMessage() {
  // While the capture is held the moves tell where the cursor is.
  if (!mouseInside_ || host_.HoldsCapture()) return;
  mouseInside_ = false;
  MouseLeaveNotification();
}

void TxPlButton::MouseEnterNotification() {
  const TPoint p = host_.CursorClientPos();
  MouseEnter(ShiftStateFromKeyboard(host_.ReadKeyboardState()), p.X, p.Y);
}

void TxPlButton::MouseLeaveNotification() {
  const TPoint p = host_.CursorClientPos();
  MouseLeave(ShiftStateFromKeyboard(host_.ReadKeyboardState()), p.X, p.Y);
}

void TxPlButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (hasFocus_) host_.SetFocus();
    pressed_ = true;
    RepaintNow();
  }
  if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}

void TxPlButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    pressed_ = false;
    RepaintNow();
  }
  if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}

// No hover look: entering repaints only while a press on the button holds the capture.
void TxPlButton::MouseEnter(TShiftState shift, int x, int y) {
  if (OnMouseEnter) OnMouseEnter(*this, shift, x, y);
  if (host_.HoldsCapture()) RepaintNow();
}

void TxPlButton::MouseLeave(TShiftState shift, int x, int y) {
  if (OnMouseLeave) OnMouseLeave(*this, shift, x, y);
  pressed_ = false;
  RepaintNow();
}

// ---------------------------------------------------------------------------------------------
// Focus and click

void TxPlButton::DoEnter() {
  if (!hasFocus_) return;
  if (OnEnter) OnEnter(*this);
  host_.ScheduleRepaint();
}

void TxPlButton::DoExit() {
  if (!hasFocus_) return;
  if (OnExit) OnExit(*this);
  host_.ScheduleRepaint();
}

// The modal result is copied also when it is 0, which keeps a form open.
void TxPlButton::Click() {
  pressed_ = false;
  host_.SetFormModalResult(modalResult_);
  RaiseClickEvent();
  host_.ScheduleRepaint();
}

AccessibleDescription TxPlButton::Describe() const {
  AccessibleDescription d;
  d.Role = AccessibleRole::PushButton;
  d.Name = JoinCaptionLines(captionA_.Caption(), captionB_.Caption());
  d.DefaultAction = kPressAction;
  using enum AccessibleStateFlag;
  if (host_.IsActiveControl()) d.State.Include(Focused);
  // Reached by Tab (TabStop) or by a click that takes the focus (HasFocus).
  if (enabled_ && visible_ && (tabStop_ || hasFocus_)) d.State.Include(Focusable);
  if (!enabled_) d.State.Include(Unavailable);
  if (!visible_) d.State.Include(Invisible);
  if (pressed_) d.State.Include(Pressed);
  return d;
}

// A disabled window gets no mouse click, so there is none to imitate.
bool TxPlButton::DoDefaultAction() {
  if (!enabled_) return false;
  if (hasFocus_) host_.SetFocus();
  Click();
  return true;
}

// Actions are not part of this system, so the click event is OnClick alone.
void TxPlButton::RaiseClickEvent() {
  if (OnClick) OnClick(*this);
}

}  // namespace qv
