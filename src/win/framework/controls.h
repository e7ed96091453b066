// The framework's ordinary controls: label, panel, image, multi-line memo, and plain push button
// and edit field wrappers of the system controls.
#pragma once

#include <cstdint>
#include <string>

#include "framework/ansi_string.h"
#include "framework/color.h"
#include "win/framework/accessible_object.h"
#include "win/framework/gdi.h"
#include "win/framework/window.h"

namespace qv::win {

// The RGB value of a colour, system colours resolved through the platform's colour table.
COLORREF ColorToRGB(Color color);

// A text sized to itself, painted on its parent's colour. Its window text is its caption, so
// test drivers can read it; screen readers get it as static text from its accessible object.
class Label : public Window, private IAccessibleWindow {
 public:
  // When a label measures itself. A creator that gives every label its font right after making
  // them (a dialog whose face is chosen at creation) spares each one a measurement in the system
  // font that nobody would see: each measurement asks the window server for a device context.
  enum class Sizing : std::uint8_t { Now, WithItsFont };
  void CreateIn(HWND parent, int x, int y, const AnsiString& caption, Color background,
                Sizing sizing = Sizing::Now);
  void SetCaption(const AnsiString& caption);
  void SetFont(HFONT font);
  void SetFontColor(Color color);
  Color FontColor() const { return fontColor_; }
  const std::wstring& Text() const { return text_; }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void Destroyed() override { accessible_.Disconnect(); }

 private:
  void AutoSize();
  // Draws the whole label on dc: on screen (WM_PAINT) and wherever it is asked to print itself.
  void Paint(HDC dc);
  // IAccessibleWindow
  AccessibleDescription Describe() const override;
  bool RequestDefaultAction() override { return false; }
  std::wstring text_;
  HFONT font_ = nullptr;
  Sizing sizing_ = Sizing::Now;
  Color fontColor_ = clWindowText;
  Color background_ = clBtnFace;
  AccessibleAnswer accessible_{*this};
};

// A plain surface of one colour with a raised outer bevel; it can hold other controls.
class Panel : public Window {
 public:
  void CreateIn(HWND parent, int x, int y, int w, int h, Color color);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  Color color_ = clBtnFace;
};

// An icon drawn stretched to the control's size.
class Image : public Window {
 public:
  void CreateIn(HWND parent, int x, int y, int w, int h, int iconResourceId, Color background);
  // Takes the icon's image of `size` pixels (drawn stretched to the control if they differ).
  void UseIconSize(int size);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  // Draws the whole image on dc: on screen (WM_PAINT) and wherever it is asked to print itself.
  void Paint(HDC dc);
  UniqueIcon icon_;
  int iconResourceId_ = 0;
  int iconSize_ = 0;  // of the image held, when it is square
  Color background_ = clBtnFace;
};

// The system single-line or multi-line edit field.
class EditField : public Window {
 public:
  struct Options {
    bool readOnly = false;
    bool tabStop = true;
    bool flat = true;
    bool multiLine = false;
    bool visible = true;
    Color color = clWindow;
  };
  void CreateIn(HWND parent, int x, int y, int w, int h, const Options& options);
  AnsiString Text() const;
  void SetText(const AnsiString& text);
  HBRUSH ControlColor(HDC dc) override;

 private:
  UniqueBrush brush_;
};

}  // namespace qv::win
