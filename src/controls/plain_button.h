// The plain button: a self-drawn push button with up to two caption lines, a picture, five looks
// and a vertical colour gradation, with keyboard, mouse and focus handling of its own. The window
// that shows it forwards its messages here (see IPlainButtonHost for the other direction).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "controls/accessible.h"
#include "controls/canvas.h"
#include "controls/control_types.h"
#include "controls/linked_components.h"
#include "controls/persistent.h"
#include "controls/plain_button_host.h"

namespace qv {

enum class PlainButtonStyle : std::uint8_t {
  Normal,
  Flat,
  FlatNoFrame,
  RoundRect,
  RoundRectNoFrame
};
enum class FrameType : std::uint8_t { Flat, Etched, Bump };
enum class CaptionAlignment : std::uint8_t { Center, Left, Right, Even };

class PlainButton;

// One caption line of a button.
class PlainButtonCaption : public Persistent {
 public:
  explicit PlainButtonCaption(PlainButton& owner) : owner_(owner) {}
  const char* ClassName() const override { return "TxPlBtnCaption"; }

  // Copies another caption's settings and repaints the owner, whether anything changed or not.
  void Assign(const Persistent* source);

  const AnsiString& Caption() const { return caption_; }
  CaptionAlignment Alignment() const { return alignment_; }
  int Left() const { return left_; }
  int Right() const { return right_; }
  void SetCaption(const AnsiString& value);
  void SetAlignment(CaptionAlignment value);
  void SetLeft(int value);
  void SetRight(int value);

 private:
  PlainButton& owner_;
  AnsiString caption_;
  CaptionAlignment alignment_ = CaptionAlignment::Center;
  int left_ = 0;
  int right_ = 0;
};

// The button's picture and its placement.
class PlainButtonImage : public Persistent {
 public:
  explicit PlainButtonImage(PlainButton& owner) : owner_(owner) {}
  const char* ClassName() const override { return "TxPlBtnImage"; }

  // Copies another image's picture and settings; the button's Image setter repaints afterwards.
  void Assign(const Persistent* source);

  const qv::Picture& Picture() const { return picture_; }
  // The picture itself, changed in place (no check of its kind, no repaint).
  qv::Picture& Picture() { return picture_; }
  int Left() const { return left_; }
  int Top() const { return top_; }
  bool Visible() const { return visible_; }
  bool Transparent() const { return transparent_; }
  bool VertCenter() const { return vertCenter_; }
  bool HorzCenter() const { return horzCenter_; }
  // Keeps only a bitmap or an icon (and then repaints); any other graphic empties the picture.
  void SetPicture(const qv::Picture& value);
  void SetLeft(int value);
  void SetTop(int value);
  void SetVisible(bool value);
  void SetTransparent(bool value);
  void SetVertCenter(bool value);
  void SetHorzCenter(bool value);

 private:
  friend class PlainButton;  // painting stores the centred position
  PlainButton& owner_;
  qv::Picture picture_;
  int left_ = 10;
  int top_ = 0;
  bool transparent_ = false;
  bool visible_ = true;
  bool vertCenter_ = true;
  bool horzCenter_ = false;
};

class PlainButton : public Persistent, public IAccessibleControl {
 public:
  using NotifyHandler = std::function<void(PlainButton& sender)>;
  using KeyHandler = std::function<void(PlainButton& sender, std::uint16_t& key, ShiftState)>;
  using KeyPressHandler = std::function<void(PlainButton& sender, std::uint16_t& key)>;
  using MouseHandler =
      std::function<void(PlainButton& sender, MouseButton, ShiftState, int x, int y)>;
  using MouseMoveHandler = std::function<void(PlainButton& sender, ShiftState, int x, int y)>;

  static constexpr int kRoundSize = 10;

  explicit PlainButton(IPlainButtonHost& host);
  ~PlainButton() override;
  PlainButton(const PlainButton&) = delete;
  PlainButton& operator=(const PlainButton&) = delete;
  const char* ClassName() const override { return "TxPlButton"; }

  // --- Properties of the bases ---
  const AnsiString& Name() const { return name_; }
  void SetName(const AnsiString& value) { name_ = value; }
  std::intptr_t Tag() const { return tag_; }
  void SetTag(std::intptr_t value) { tag_ = value; }
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetBounds(int left, int top, int width, int height);
  void SetLeft(int value) { SetBounds(value, top_, width_, height_); }
  void SetTop(int value) { SetBounds(left_, value, width_, height_); }
  void SetWidth(int value) { SetBounds(left_, top_, value, height_); }
  void SetHeight(int value) { SetBounds(left_, top_, width_, value); }
  qv::Color Color() const { return color_; }
  void SetColor(qv::Color value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  const qv::Font& Font() const { return font_; }
  void SetFont(const qv::Font& value);
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool value) { parentFont_ = value; }
  int TabOrder() const { return tabOrder_; }
  void SetTabOrder(int value) { tabOrder_ = value; }
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value) { tabStop_ = value; }
  // The window shows it over the button (see SystemCursorOf).
  CursorId Cursor() const { return cursor_; }
  void SetCursor(CursorId value) { cursor_ = value; }
  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& value) { hint_ = value; }
  // Setting the button's own ShowHint to another value stops it following its parent's.
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool value) { parentShowHint_ = value; }
  void ParentShowHintChanged(bool parentShowHint);
  // Outside reading a description, a keyword makes the help found by keyword and a context
  // number by context; a stored kind is kept as stored.
  HelpKind HelpType() const { return helpType_; }
  void SetHelpType(HelpKind value) { helpType_ = value; }
  const AnsiString& HelpKeyword() const { return helpKeyword_; }
  void SetHelpKeyword(const AnsiString& value);
  std::int32_t HelpContext() const { return helpContext_; }
  void SetHelpContext(std::int32_t value);
  // A linked action is what a click runs (see RaiseClickEvent); linking one to a button without
  // a click handler of its own makes the action's handler the button's.
  const std::shared_ptr<ActionItem>& Action() const { return action_; }
  void SetAction(std::shared_ptr<ActionItem> value);
  AnchorSides Anchors() const { return anchors_; }
  void SetAnchors(AnchorSides value) { anchors_ = value; }
  DockAlign Align() const { return align_; }
  void SetAlign(DockAlign value) { align_ = value; }
  const std::shared_ptr<PopupMenuItem>& PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(std::shared_ptr<PopupMenuItem> value) { popupMenu_ = std::move(value); }

  // A description is being read into the button: its stored values are taken as they are.
  void BeginReading() { reading_ = true; }
  // The description has been read.
  void Loaded() { reading_ = false; }

  // --- Its own properties ---
  PlainButtonStyle ButtonStyle() const { return buttonStyle_; }
  void SetButtonStyle(PlainButtonStyle value);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  bool Gradation() const { return gradation_; }
  void SetGradation(bool value);
  qv::Color GradBeginColor() const { return gradBeginColor_; }
  void SetGradBeginColor(qv::Color value);
  qv::Color GradEndColor() const { return gradEndColor_; }
  void SetGradEndColor(qv::Color value);
  bool HasFocus() const { return hasFocus_; }
  void SetHasFocus(bool value);
  std::int32_t ModalResult() const { return modalResult_; }
  void SetModalResult(std::int32_t value) { modalResult_ = value; }
  PlainButtonImage& Image() { return image_; }
  const PlainButtonImage& Image() const { return image_; }
  void SetImage(const Persistent* value);
  PlainButtonCaption& CaptionA() { return captionA_; }
  const PlainButtonCaption& CaptionA() const { return captionA_; }
  void SetCaptionA(const Persistent* value);
  PlainButtonCaption& CaptionB() { return captionB_; }
  const PlainButtonCaption& CaptionB() const { return captionB_; }
  void SetCaptionB(const Persistent* value);
  int CaptionLineSpace() const { return captionLineSpace_; }
  void SetCaptionLineSpace(int value);
  int CaptionTop() const { return captionTop_; }
  void SetCaptionTop(int value);
  bool CaptionVertCenter() const { return captionVertCenter_; }
  void SetCaptionVertCenter(bool value);
  FrameType FlatFrameType() const { return flatFrameType_; }
  void SetFlatFrameType(FrameType value);

  // The DPI the button is drawn for (96 unless the window says otherwise). Its bounds and caption
  // offsets come already scaled from its description; this scales what painting adds itself:
  // caption margins, the press shift, frame and focus widths, the rounded corners.
  int Dpi() const { return dpi_; }
  void SetDpi(int dpi);

  // --- State readable for the window and the tests ---
  bool Pressed() const { return pressed_; }
  const Rect& FrameRect() const { return frameRect_; }
  // The size the rounded window shape was built for, while one is held.
  const std::optional<Point>& ShapeRegion() const { return shapeRegion_; }
  bool CaptionFromNameDone() const { return captionFromNameDone_; }

  // --- Events ---
  NotifyHandler OnClick, OnDblClick, OnEnter, OnExit, OnResize;
  KeyPressHandler OnKeyPress;
  KeyHandler OnKeyDown;
  MouseHandler OnMouseDown, OnMouseUp;
  MouseMoveHandler OnMouseMove, OnMouseEnter, OnMouseLeave;

  // --- What the framework and the window tell the button ---
  // The button is placed on a parent (or taken off it).
  void SetParent(bool hasParent);
  // The window's size has changed (WM_SIZE).
  void SizeChanged(int width, int height);
  void ParentColorChanged(qv::Color parentColor);
  void ParentFontChanged(const qv::Font& parentFont);
  // Enter or Escape offered by the form before it reaches the focused control; true if claimed.
  // keyData is the key message's data (its bit 29 tells Alt).
  bool DialogKey(std::uint16_t charCode, std::uint32_t keyData);
  virtual void KeyDown(std::uint16_t& key, ShiftState shift);
  virtual void KeyUp(std::uint16_t& key, ShiftState shift);
  void KeyPress(std::uint16_t& key);
  // Mouse messages on the window; the second press of a double click comes with doubleClick.
  void HandleMouseDown(MouseButton button, ShiftState shift, int x, int y, bool doubleClick);
  void HandleMouseUp(MouseButton button, ShiftState shift, int x, int y);
  void HandleMouseMove(ShiftState shift, int x, int y);
  // The window's notification that the cursor has left it (requested by TrackMouseLeave).
  void HandleMouseLeaveMessage();
  // The cursor has entered or left the button (also passed up by a child control).
  void MouseEnterNotification();
  void MouseLeaveNotification();
  virtual void MouseDown(MouseButton button, ShiftState shift, int x, int y);
  virtual void MouseUp(MouseButton button, ShiftState shift, int x, int y);
  virtual void MouseEnter(ShiftState shift, int x, int y);
  virtual void MouseLeave(ShiftState shift, int x, int y);
  virtual void DoEnter();
  virtual void DoExit();
  virtual void Click();

  // --- Assistive technology ---
  // A push button named by its caption lines, its state taken from the model and the window.
  AccessibleDescription Describe() const override;
  // The default action (also BM_CLICK): the click a mouse click gives, focus included; nothing
  // while the button is disabled.
  bool DoDefaultAction() override;

  // --- Painting ---
  // Composes the face off-screen and copies it to `target` (directly with ParentColor).
  void Paint(ICanvas& target);
  void DrawButton(ICanvas& canvas);
  void DrawGradation(ICanvas& canvas);
  void DrawImage(ICanvas& canvas);
  void DrawCaption(ICanvas& canvas, const PlainButtonCaption& caption, int top);
  void DrawFrame(ICanvas& canvas);
  void DrawFocus(ICanvas& canvas);

 private:
  friend class PlainButtonCaption;
  friend class PlainButtonImage;
  void CaptionChanged(const PlainButtonCaption& caption);
  void RepaintNow() { host_.RepaintNow(); }
  bool IsRoundStyle() const;
  void BuildShape();
  void RemoveShape();
  void RaiseClickEvent();
  bool ClickHandlerIsActions() const;
  bool PressShift() const { return pressed_ && hasFocus_; }
  int Scaled(int designed) const;
  void DrawFrameEdge(ICanvas& canvas, unsigned edge, unsigned flags);

  IPlainButtonHost& host_;
  // Bases.
  AnsiString name_;
  std::intptr_t tag_ = 0;
  int left_ = 0, top_ = 0, width_ = 75, height_ = 26;
  qv::Color color_ = clBtnFace;
  bool parentColor_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  qv::Font font_;
  bool parentFont_ = true;
  int tabOrder_ = -1;
  bool tabStop_ = true;
  CursorId cursor_ = kCursorDefault;
  AnsiString hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  HelpKind helpType_ = HelpKind::Context;
  AnsiString helpKeyword_;
  std::int32_t helpContext_ = 0;
  std::shared_ptr<ActionItem> action_;
  AnchorSides anchors_ = kDefaultAnchors;
  DockAlign align_ = DockAlign::None;
  std::shared_ptr<PopupMenuItem> popupMenu_;
  bool reading_ = false;
  bool hasParent_ = false;
  // The framework's mouse bookkeeping: a single left press on the button awaits its release, and
  // whether the cursor was last seen inside.
  bool clickPending_ = false;
  bool mouseInside_ = false;
  // Own state, in declaration order.
  PlainButtonStyle buttonStyle_ = PlainButtonStyle::Normal;
  bool cancel_ = false;
  PlainButtonCaption captionA_{*this};
  PlainButtonCaption captionB_{*this};
  int captionLineSpace_ = 4;
  int captionTop_ = 0;
  bool captionVertCenter_ = true;
  FrameType flatFrameType_ = FrameType::Flat;
  bool gradation_ = true;
  qv::Color gradBeginColor_ = clWhite;
  qv::Color gradEndColor_ = clSilver;
  bool hasFocus_ = true;
  std::int32_t modalResult_ = 0;
  PlainButtonImage image_{*this};
  Rect frameRect_;
  std::optional<Point> shapeRegion_;
  bool pressed_ = false;
  bool captionFromNameDone_ = false;
  int dpi_ = 96;
};

}  // namespace qv
