// The plain button's window: a window class of ours that forwards its messages to the button's
// model and does what the model asks of it. Its window text is the first caption, so that screen
// readers and test drivers can read it.
#pragma once

#include <windows.h>

#include "controls/form_description.h"
#include "controls/plain_button.h"
#include "win/framework/accessible_object.h"
#include "win/framework/window.h"

namespace qv::win {

inline constexpr wchar_t kPlainButtonClass[] = L"TxPlButton";

class PlainButtonWindow : public Window, private IPlainButtonHost, private IAccessibleWindow {
 public:
  PlainButtonWindow() = default;

  PlainButton& Model() { return model_; }
  const PlainButton& Model() const { return model_; }

  // Creates the window on `parent`, then reads the button's form description into it. Settings
  // the button does not keep itself (events and the like) go to `base`.
  void CreateIn(HWND parent, const FormObjectDescription& description,
                const BasePropertySink& base = {});

  bool IsTabStop() const override;
  bool DialogKey(WPARAM key, LPARAM keyData) override;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void Destroyed() override { accessible_.Disconnect(); }

 private:
  void Paint(HDC dc);

  // IPlainButtonHost
  void RepaintNow() override;
  void ScheduleRepaint() override;
  void SetFocus() override;
  bool IsActiveControl() const override;
  void SetCapture() override;
  void ReleaseCapture() override;
  bool HoldsCapture() const override;
  void TrackMouseLeave() override;
  KeyboardState ReadKeyboardState() const override;
  Point CursorClientPos() const override;
  void SetRoundShape(const Rect& bounds, int ellipseWidth, int ellipseHeight) override;
  void ClearShape() override;
  bool SetFormModalResult(std::int32_t modalResult) override;
  void ApplyBounds(int left, int top, int width, int height) override;
  void ApplyEnabled(bool enabled) override;
  void ApplyVisible(bool visible) override;
  void ApplyWindowText(const AnsiString& text) override;

  // IAccessibleWindow
  AccessibleDescription Describe() const override { return model_.Describe(); }
  bool RequestDefaultAction() override;

  PlainButton model_{*this};
  // After the model: it goes first, and with it the accessible object's way back to this window.
  AccessibleAnswer accessible_{*this};
};

}  // namespace qv::win
