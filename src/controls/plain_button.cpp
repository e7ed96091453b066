#include "controls/plain_button.h"

#include "framework/dpi_scale.h"

namespace qv {

// ---------------------------------------------------------------------------------------------
// Caption line

void PlainButtonCaption::Assign(const Persistent* source) {
  auto* other = dynamic_cast<const PlainButtonCaption*>(source);
  if (!other) RaiseAssignError(source, *this);
  alignment_ = other->alignment_;
  caption_ = other->caption_;
  left_ = other->left_;
  right_ = other->right_;
  owner_.CaptionChanged(*this);
}

void PlainButtonCaption::SetCaption(const AnsiString& value) {
  if (value == caption_) return;
  caption_ = value;
  owner_.CaptionChanged(*this);
}

void PlainButtonCaption::SetAlignment(CaptionAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  owner_.RepaintNow();
}

void PlainButtonCaption::SetLeft(int value) {
  if (value == left_) return;
  left_ = value;
  owner_.RepaintNow();
}

void PlainButtonCaption::SetRight(int value) {
  if (value == right_) return;
  right_ = value;
  owner_.RepaintNow();
}

// ---------------------------------------------------------------------------------------------
// Picture

void PlainButtonImage::Assign(const Persistent* source) {
  auto* other = dynamic_cast<const PlainButtonImage*>(source);
  if (!other) RaiseAssignError(source, *this);
  picture_.Assign(other->picture_);
  transparent_ = other->transparent_;
  vertCenter_ = other->vertCenter_;
  horzCenter_ = other->horzCenter_;
  top_ = other->top_;
  left_ = other->left_;
  visible_ = other->visible_;
}

void PlainButtonImage::SetPicture(const qv::Picture& value) {
  if (&value == &picture_) return;
  picture_.Assign(value);
  const Graphic* g = picture_.Graphic();
  if (g && (g->Kind() == GraphicKind::Bitmap || g->Kind() == GraphicKind::Icon)) {
    owner_.RepaintNow();
  } else {
    picture_.Clear();
  }
}

void PlainButtonImage::SetLeft(int value) {
  if (value == left_) return;
  left_ = value;
  horzCenter_ = false;
  owner_.RepaintNow();
}

void PlainButtonImage::SetTop(int value) {
  if (value == top_) return;
  top_ = value;
  vertCenter_ = false;
  owner_.RepaintNow();
}

void PlainButtonImage::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  owner_.RepaintNow();
}

void PlainButtonImage::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  owner_.RepaintNow();
}

// Switching centring off keeps the last centred position, so nothing visible changes.
void PlainButtonImage::SetVertCenter(bool value) {
  if (value == vertCenter_) return;
  vertCenter_ = value;
  if (value) owner_.RepaintNow();
}

void PlainButtonImage::SetHorzCenter(bool value) {
  if (value == horzCenter_) return;
  horzCenter_ = value;
  if (value) owner_.RepaintNow();
}

// ---------------------------------------------------------------------------------------------
// Button: construction and properties

PlainButton::PlainButton(IPlainButtonHost& host) : host_(host) {}

// The rounded shape belongs to the window once handed over; the window releases it with itself.
PlainButton::~PlainButton() = default;

void PlainButton::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  left_ = left;
  top_ = top;
  host_.ApplyBounds(left, top, width, height);
  // A window that exists reports the new size back through SizeChanged; do it here for the
  // model's own sake so that the shape follows the size without a window as well.
  SizeChanged(width, height);
}

void PlainButton::SizeChanged(int width, int height) {
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  if (OnResize) OnResize(*this);
  if (IsRoundStyle()) BuildShape();
  RepaintNow();
}

void PlainButton::SetColor(qv::Color value) {
  if (value == color_) return;
  color_ = value;
  parentColor_ = false;
  host_.ScheduleRepaint();
}

void PlainButton::SetParentColor(bool value) {
  if (value == parentColor_) return;
  parentColor_ = value;
  host_.ScheduleRepaint();
}

void PlainButton::ParentColorChanged(qv::Color parentColor) {
  if (!parentColor_) return;
  color_ = parentColor;
  host_.ScheduleRepaint();
}

void PlainButton::SetFont(const qv::Font& value) {
  if (value == font_) return;
  font_ = value;
  parentFont_ = false;
  host_.ScheduleRepaint();
}

void PlainButton::ParentFontChanged(const qv::Font& parentFont) {
  if (!parentFont_ || parentFont == font_) return;
  font_ = parentFont;
  host_.ScheduleRepaint();
}

void PlainButton::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  host_.ApplyEnabled(value);  // a control being disabled gives up the focus there
  host_.ScheduleRepaint();
}

void PlainButton::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  host_.ApplyVisible(value);
}

void PlainButton::SetShowHint(bool value) {
  if (value == showHint_) return;
  showHint_ = value;
  parentShowHint_ = false;
}

void PlainButton::ParentShowHintChanged(bool parentShowHint) {
  if (parentShowHint_) showHint_ = parentShowHint;
}

void PlainButton::SetHelpKeyword(const AnsiString& value) {
  if (!reading_) helpType_ = HelpKind::Keyword;
  helpKeyword_ = value;
}

void PlainButton::SetHelpContext(std::int32_t value) {
  if (!reading_) helpType_ = HelpKind::Context;
  helpContext_ = value;
}

void PlainButton::SetAction(std::shared_ptr<ActionItem> value) {
  if (value == action_) return;
  action_ = std::move(value);
  if (action_ && !OnClick) OnClick = ActionExecuteHandler{action_};
}

bool PlainButton::IsRoundStyle() const {
  return buttonStyle_ == PlainButtonStyle::RoundRect ||
         buttonStyle_ == PlainButtonStyle::RoundRectNoFrame;
}

void PlainButton::BuildShape() {
  // The region reaches one pixel beyond the client area, so that the right and bottom edges of
  // the outline drawn from (0, 0) to (Width, Height) stay inside the shape.
  shapeRegion_.reset();
  host_.SetRoundShape(Rect{0, 0, width_ + 1, height_ + 1}, Scaled(kRoundSize), Scaled(kRoundSize));
  shapeRegion_ = Point{width_, height_};
}

int PlainButton::Scaled(int designed) const { return ScaleToDpi(designed, dpi_); }

void PlainButton::SetDpi(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  dpi_ = dpi;
  if (IsRoundStyle()) BuildShape();
  host_.ScheduleRepaint();
}

void PlainButton::RemoveShape() {
  if (!shapeRegion_) return;
  host_.ClearShape();
  shapeRegion_.reset();
}

void PlainButton::SetButtonStyle(PlainButtonStyle value) {
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

void PlainButton::SetGradation(bool value) {
  if (value == gradation_) return;
  gradation_ = value;
  if (value) parentColor_ = false;
  RepaintNow();
}

void PlainButton::SetGradBeginColor(qv::Color value) {
  if (value == gradBeginColor_) return;
  gradBeginColor_ = value;
  RepaintNow();
}

void PlainButton::SetGradEndColor(qv::Color value) {
  if (value == gradEndColor_) return;
  gradEndColor_ = value;
  RepaintNow();
}

void PlainButton::SetHasFocus(bool value) {
  if (value == hasFocus_) return;
  hasFocus_ = value;
  RepaintNow();
}

void PlainButton::SetImage(const Persistent* value) {
  image_.Assign(value);
  RepaintNow();
}

void PlainButton::SetCaptionA(const Persistent* value) { captionA_.Assign(value); }

void PlainButton::SetCaptionB(const Persistent* value) { captionB_.Assign(value); }

// The window text is the first caption, so that screen readers and test drivers can read it.
void PlainButton::CaptionChanged(const PlainButtonCaption& caption) {
  if (&caption == &captionA_) host_.ApplyWindowText(captionA_.Caption());
  RepaintNow();
}

void PlainButton::SetCaptionLineSpace(int value) {
  if (value == captionLineSpace_) return;
  captionLineSpace_ = value;
  RepaintNow();
}

void PlainButton::SetCaptionTop(int value) {
  if (value == captionTop_) return;
  captionTop_ = value;
  captionVertCenter_ = false;
  RepaintNow();
}

// Switching centring off keeps the last computed CaptionTop, so nothing visible changes.
void PlainButton::SetCaptionVertCenter(bool value) {
  if (value == captionVertCenter_) return;
  captionVertCenter_ = value;
  if (value) RepaintNow();
}

void PlainButton::SetFlatFrameType(FrameType value) {
  if (value == flatFrameType_) return;
  flatFrameType_ = value;
  RepaintNow();
}

// A button read from a form description has its name when it gets its parent; the caption
// stored there is read afterwards and wins.
void PlainButton::SetParent(bool hasParent) {
  hasParent_ = hasParent;
  if (hasParent && !captionFromNameDone_) {
    captionFromNameDone_ = true;
    captionA_.SetCaption(name_);
  }
}

// ---------------------------------------------------------------------------------------------
// Keys

bool PlainButton::DialogKey(std::uint16_t charCode, std::uint32_t keyData) {
  const bool enter = charCode == kVkReturn && host_.IsActiveControl();
  const bool escape = charCode == kVkEscape && cancel_;
  if (!enter && !escape) return false;
  const ShiftState keys = ShiftStateFromKeyboard(host_.ReadKeyboardState());
  if (keys.Contains(ShiftFlag::Shift) || keys.Contains(ShiftFlag::Ctrl) ||
      (keyData & kKeyDataAltDown))
    return false;
  if (!hasFocus_) return false;
  Click();
  return true;
}

// Enter that was not claimed as a dialog key (with a modifier, or HasFocus off) raises the click
// event alone: no modal result, no pressed look.
void PlainButton::KeyDown(std::uint16_t& key, ShiftState shift) {
  if (OnKeyDown) OnKeyDown(*this, key, shift);
  if (enabled_ && key == kVkReturn) {
    key = 0;
    RaiseClickEvent();
  }
}

void PlainButton::KeyUp(std::uint16_t& key, ShiftState) {
  if (key == kVkReturn) {
    pressed_ = false;
    host_.ScheduleRepaint();
  }
}

void PlainButton::KeyPress(std::uint16_t& key) {
  if (OnKeyPress) OnKeyPress(*this, key);
}

// ---------------------------------------------------------------------------------------------
// Mouse

void PlainButton::HandleMouseDown(MouseButton button, ShiftState shift, int x, int y,
                                  bool doubleClick) {
  if (button == MouseButton::Left) {
    host_.SetCapture();
    if (doubleClick) {
      // The second press of a double click never produces a second click.
      clickPending_ = false;
      if (OnDblClick) OnDblClick(*this);
      shift.Include(ShiftFlag::Double);
    } else {
      clickPending_ = true;
    }
  }
  MouseDown(button, shift, x, y);
}

void PlainButton::HandleMouseUp(MouseButton button, ShiftState shift, int x, int y) {
  if (button == MouseButton::Left) {
    host_.ReleaseCapture();
    const bool inside = Rect{0, 0, width_, height_}.Contains({x, y});
    if (clickPending_) {
      clickPending_ = false;
      if (inside) Click();
    }
    // Without the capture the cursor is tracked by the leave notification again.
    if (inside) host_.TrackMouseLeave();
  }
  MouseUp(button, shift, x, y);
}

void PlainButton::HandleMouseMove(ShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(*this, shift, x, y);
  const bool inside = Rect{0, 0, width_, height_}.Contains({x, y});
  if (inside == mouseInside_) return;
  mouseInside_ = inside;
  if (inside) {
    host_.TrackMouseLeave();
    MouseEnterNotification();
  } else {
    MouseLeaveNotification();
  }
}

void PlainButton::HandleMouseLeaveMessage() {
  // While the capture is held the moves tell where the cursor is.
  if (!mouseInside_ || host_.HoldsCapture()) return;
  mouseInside_ = false;
  MouseLeaveNotification();
}

void PlainButton::MouseEnterNotification() {
  const Point p = host_.CursorClientPos();
  MouseEnter(ShiftStateFromKeyboard(host_.ReadKeyboardState()), p.X, p.Y);
}

void PlainButton::MouseLeaveNotification() {
  const Point p = host_.CursorClientPos();
  MouseLeave(ShiftStateFromKeyboard(host_.ReadKeyboardState()), p.X, p.Y);
}

void PlainButton::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
  if (button == MouseButton::Left) {
    if (hasFocus_) host_.SetFocus();
    pressed_ = true;
    RepaintNow();
  }
  if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}

void PlainButton::MouseUp(MouseButton button, ShiftState shift, int x, int y) {
  if (button == MouseButton::Left) {
    pressed_ = false;
    RepaintNow();
  }
  if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}

// No hover look: entering repaints only while a press on the button holds the capture.
void PlainButton::MouseEnter(ShiftState shift, int x, int y) {
  if (OnMouseEnter) OnMouseEnter(*this, shift, x, y);
  if (host_.HoldsCapture()) RepaintNow();
}

void PlainButton::MouseLeave(ShiftState shift, int x, int y) {
  if (OnMouseLeave) OnMouseLeave(*this, shift, x, y);
  pressed_ = false;
  RepaintNow();
}

// ---------------------------------------------------------------------------------------------
// Focus and click

void PlainButton::DoEnter() {
  if (!hasFocus_) return;
  if (OnEnter) OnEnter(*this);
  host_.ScheduleRepaint();
}

void PlainButton::DoExit() {
  if (!hasFocus_) return;
  if (OnExit) OnExit(*this);
  host_.ScheduleRepaint();
}

// The modal result is copied also when it is 0, which keeps a form open.
void PlainButton::Click() {
  pressed_ = false;
  host_.SetFormModalResult(modalResult_);
  RaiseClickEvent();
  host_.ScheduleRepaint();
}

AccessibleDescription PlainButton::Describe() const {
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
bool PlainButton::DoDefaultAction() {
  if (!enabled_) return false;
  if (hasFocus_) host_.SetFocus();
  Click();
  return true;
}

bool PlainButton::ClickHandlerIsActions() const {
  const auto* handler = OnClick.target<ActionExecuteHandler>();
  return handler && handler->action == action_;
}

// A handler of the button's own wins over its action; the action's own handler runs through the
// action, with the action as its sender.
void PlainButton::RaiseClickEvent() {
  if (OnClick && action_ && !ClickHandlerIsActions()) {
    OnClick(*this);
  } else if (action_) {
    action_->Execute();
  } else if (OnClick) {
    OnClick(*this);
  }
}

}  // namespace qv
