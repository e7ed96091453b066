// The plain button: a self-drawn push button with up to two caption lines, a picture, five looks
// and a vertical colour gradation, with keyboard, mouse and focus handling of its own. The window
// that shows it forwards its messages here (see IPlButtonHost for the other direction).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "controls/accessible.h"
#include "controls/canvas.h"
#include "controls/control_types.h"
#include "controls/persistent.h"
#include "controls/pl_button_host.h"

namespace qv {

enum class TxPlButtonStyle : std::uint8_t {
  bsNormal,
  bsFlat,
  bsFlatNoFrame,
  bsRoundRect,
  bsRoundRectNoFrame
};
enum class TxPlBtnFrameType : std::uint8_t { bffFlat, bffEtched, bffBump };
enum class TxPlBtnAlignment : std::uint8_t { taCenter, taLeft, taRight, taEven };

class TxPlButton;

// One caption line of a button.
class TxPlBtnCaption : public TPersistent {
 public:
  explicit TxPlBtnCaption(TxPlButton& owner) : owner_(owner) {}
  const char* ClassName() const override { return "TxPlBtnCaption"; }

  // Copies another caption's settings and repaints the owner, whether anything changed or not.
  void Assign(const TPersistent* source);

  const AnsiString& Caption() const { return caption_; }
  TxPlBtnAlignment Alignment() const { return alignment_; }
  int Left() const { return left_; }
  int Right() const { return right_; }
  void SetCaption(const AnsiString& value);
  void SetAlignment(TxPlBtnAlignment value);
  void SetLeft(int value);
  void SetRight(int value);

 private:
  TxPlButton& owner_;
  AnsiString caption_;
  TxPlBtnAlignment alignment_ = TxPlBtnAlignment::taCenter;
  int left_ = 0;
  int right_ = 0;
};

// The button's picture and its placement.
class TxPlBtnImage : public TPersistent {
 public:
  explicit TxPlBtnImage(TxPlButton& owner) : owner_(owner) {}
  const char* ClassName() const override { return "TxPlBtnImage"; }

  // Copies another image's picture and settings; the button's Image setter repaints afterwards.
  void Assign(const TPersistent* source);

  const TPicture& Picture() const { return picture_; }
  // The picture itself, changed in place (no check of its kind, no repaint).
  TPicture& Picture() { return picture_; }
  int Left() const { return left_; }
  int Top() const { return top_; }
  bool Visible() const { return visible_; }
  bool TransParent() const { return transParent_; }
  bool VertCenter() const { return vertCenter_; }
  bool HorzCenter() const { return horzCenter_; }
  // Keeps only a bitmap or an icon (and then repaints); any other graphic empties the picture.
  void SetPicture(const TPicture& value);
  void SetLeft(int value);
  void SetTop(int value);
  void SetVisible(bool value);
  void SetTransParent(bool value);
  void SetVertCenter(bool value);
  void SetHorzCenter(bool value);

 private:
  friend class TxPlButton;  // painting stores the centred position
  TxPlButton& owner_;
  TPicture picture_;
  int left_ = 10;
  int top_ = 0;
  bool transParent_ = false;
  bool visible_ = true;
  bool vertCenter_ = true;
  bool horzCenter_ = false;
};

class TxPlButton : public TPersistent, public IAccessibleControl {
 public:
  using TNotifyEvent = std::function<void(TxPlButton& sender)>;
  using TKeyEvent = std::function<void(TxPlButton& sender, std::uint16_t& key, TShiftState)>;
  using TKeyPressEvent = std::function<void(TxPlButton& sender, std::uint16_t& key)>;
  using TMouseEvent =
      std::function<void(TxPlButton& sender, TMouseButton, TShiftState, int x, int y)>;
  using TMouseMoveEvent = std::function<void(TxPlButton& sender, TShiftState, int x, int y)>;

  static constexpr int kRoundSize = 10;

  explicit TxPlButton(IPlButtonHost& host);
  ~TxPlButton() override;
  TxPlButton(const TxPlButton&) = delete;
  TxPlButton& operator=(const TxPlButton&) = delete;
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
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& value);
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool value) { parentFont_ = value; }
  int TabOrder() const { return tabOrder_; }
  void SetTabOrder(int value) { tabOrder_ = value; }
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value) { tabStop_ = value; }
  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& value) { hint_ = value; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value) { showHint_ = value; }
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool value) { parentShowHint_ = value; }

  // --- Its own properties ---
  TxPlButtonStyle ButtonStyle() const { return buttonStyle_; }
  void SetButtonStyle(TxPlButtonStyle value);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  bool Gradation() const { return gradation_; }
  void SetGradation(bool value);
  TColor GradBeginColor() const { return gradBeginColor_; }
  void SetGradBeginColor(TColor value);
  TColor GradEndColor() const { return gradEndColor_; }
  void SetGradEndColor(TColor value);
  bool HasFocus() const { return hasFocus_; }
  void SetHasFocus(bool value);
  std::int32_t ModalResult() const { return modalResult_; }
  void SetModalResult(std::int32_t value) { modalResult_ = value; }
  TxPlBtnImage& Image() { return image_; }
  const TxPlBtnImage& Image() const { return image_; }
  void SetImage(const TPersistent* value);
  TxPlBtnCaption& CaptionA() { return captionA_; }
  const TxPlBtnCaption& CaptionA() const { return captionA_; }
  void SetCaptionA(const TPersistent* value);
  TxPlBtnCaption& CaptionB() { return captionB_; }
  const TxPlBtnCaption& CaptionB() const { return captionB_; }
  void SetCaptionB(const TPersistent* value);
  int CaptionLineSpace() const { return captionLineSpace_; }
  void SetCaptionLineSpace(int value);
  int CaptionTop() const { return captionTop_; }
  void SetCaptionTop(int value);
  bool CaptionVertCenter() const { return captionVertCenter_; }
  void SetCaptionVertCenter(bool value);
  TxPlBtnFrameType FlatFrameType() const { return flatFrameType_; }
  void SetFlatFrameType(TxPlBtnFrameType value);

  // --- State readable for the window and the tests ---
  bool Pressed() const { return pressed_; }
  const TRect& FrameRect() const { return frameRect_; }
  // The size the rounded window shape was built for, while one is held.
  const std::optional<TPoint>& ShapeRegion() const { return shapeRegion_; }
  bool CaptionFromNameDone() const { return captionFromNameDone_; }

  // --- Events ---
  TNotifyEvent OnClick, OnDblClick, OnEnter, OnExit, OnResize;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyDown;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove, OnMouseEnter, OnMouseLeave;

  // --- What the framework and the window tell the button ---
  // The button is placed on a parent (or taken off it).
  void SetParent(bool hasParent);
  // The window's size has changed (WM_SIZE).
  void SizeChanged(int width, int height);
  void ParentColorChanged(TColor parentColor);
  void ParentFontChanged(const TFont& parentFont);
  // Enter or Escape offered by the form before it reaches the focused control; true if claimed.
  // keyData is the key message's data (its bit 29 tells Alt).
  bool DialogKey(std::uint16_t charCode, std::uint32_t keyData);
  virtual void KeyDown(std::uint16_t& key, TShiftState shift);
  virtual void KeyUp(std::uint16_t& key, TShiftState shift);
  void KeyPress(std::uint16_t& key);
  // Mouse messages on the window; the second press of a double click comes with doubleClick.
  void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y, bool doubleClick);
  void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y);
  void HandleMouseMove(TShiftState shift, int x, int y);
  // The window's notification that the cursor has left it (requested by TrackMouseLeave).
  void HandleMouseLeaveMessage();
  // The cursor has entered or left the button (also passed up by a child control).
  void MouseEnterNotification();
  void MouseLeaveNotification();
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseEnter(TShiftState shift, int x, int y);
  virtual void MouseLeave(TShiftState shift, int x, int y);
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
  void DrawCaption(ICanvas& canvas, const TxPlBtnCaption& caption, int top);
  void DrawFrame(ICanvas& canvas);
  void DrawFocus(ICanvas& canvas);

 private:
  friend class TxPlBtnCaption;
  friend class TxPlBtnImage;
  void CaptionChanged(const TxPlBtnCaption& caption);
  void RepaintNow() { host_.RepaintNow(); }
  bool IsRoundStyle() const;
  void BuildShape();
  void RemoveShape();
  void RaiseClickEvent();
  bool PressShift() const { return pressed_ && hasFocus_; }

  IPlButtonHost& host_;
  // Bases.
  AnsiString name_;
  std::intptr_t tag_ = 0;
  int left_ = 0, top_ = 0, width_ = 75, height_ = 26;
  TColor color_ = clBtnFace;
  bool parentColor_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  TFont font_;
  bool parentFont_ = true;
  int tabOrder_ = -1;
  bool tabStop_ = true;
  AnsiString hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  bool hasParent_ = false;
  // The framework's mouse bookkeeping: a single left press on the button awaits its release, and
  // whether the cursor was last seen inside.
  bool clickPending_ = false;
  bool mouseInside_ = false;
  // Own state, in declaration order.
  TxPlButtonStyle buttonStyle_ = TxPlButtonStyle::bsNormal;
  bool cancel_ = false;
  TxPlBtnCaption captionA_{*this};
  TxPlBtnCaption captionB_{*this};
  int captionLineSpace_ = 4;
  int captionTop_ = 0;
  bool captionVertCenter_ = true;
  TxPlBtnFrameType flatFrameType_ = TxPlBtnFrameType::bffFlat;
  bool gradation_ = true;
  TColor gradBeginColor_ = clWhite;
  TColor gradEndColor_ = clSilver;
  bool hasFocus_ = true;
  std::int32_t modalResult_ = 0;
  TxPlBtnImage image_{*this};
  TRect frameRect_;
  std::optional<TPoint> shapeRegion_;
  bool pressed_ = false;
  bool captionFromNameDone_ = false;
};

}  // namespace qv
