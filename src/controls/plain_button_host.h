// What the plain button asks of its window. The Windows layer implements it on the button's real
// window; host tests implement it with a fake.
#pragma once

#include <cstdint>

#include "controls/control_types.h"

namespace qv {

class IPlainButtonHost {
 public:
  virtual ~IPlainButtonHost() = default;

  // Invalidate the whole control and have it painted before returning.
  virtual void RepaintNow() = 0;
  // Invalidate the whole control; it is painted when the event loop next paints.
  virtual void ScheduleRepaint() = 0;

  virtual void SetFocus() = 0;
  // The application's active (focused) control is this button.
  virtual bool IsActiveControl() const = 0;

  virtual void SetCapture() = 0;
  virtual void ReleaseCapture() = 0;
  virtual bool HoldsCapture() const = 0;
  // Ask for one notification when the cursor leaves the window while nothing holds the capture.
  virtual void TrackMouseLeave() = 0;

  virtual KeyboardState ReadKeyboardState() const = 0;
  // The cursor's screen position converted to the button's client coordinates.
  virtual Point CursorClientPos() const = 0;

  // Give the window a rounded-rectangle shape from `bounds` with a corner ellipse of the given
  // size, redrawing it (creates the window if it does not exist yet); or the full rectangle again.
  virtual void SetRoundShape(const Rect& bounds, int ellipseWidth, int ellipseHeight) = 0;
  virtual void ClearShape() = 0;

  // The form that holds the button takes this modal result; false when there is no such form.
  virtual bool SetFormModalResult(std::int32_t modalResult) = 0;

  // The window mirrors the model's position, enabled state, visibility and first caption.
  virtual void ApplyBounds(int left, int top, int width, int height) = 0;
  virtual void ApplyEnabled(bool enabled) = 0;
  virtual void ApplyVisible(bool visible) = 0;
  virtual void ApplyWindowText(const AnsiString& text) = 0;
};

}  // namespace qv
