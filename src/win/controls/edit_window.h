// The extended edit box's window: the system EDIT control, subclassed so that every message
// passes the model's handler chain first and the code page 932 byte limit is kept, and the
// model's requests carried out on it (selection, focus movement, re-creation, input method and
// locale calls with code page 932 conversion). The input method's library is bound at first use.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "controls/edit.h"
#include "controls/form_description.h"
#include "win/framework/accessible_names.h"
#include "win/framework/gdi.h"
#include "win/framework/window.h"

namespace qv::win {

class EditWindow : public Window, private IEditHost {
 public:
  EditWindow() = default;

  EditBox& Model() { return model_; }
  const EditBox& Model() const { return model_; }

  // Creates the EDIT control on `parent`, then reads the field's form description into it. The
  // window keeps Left, Top, Width, Height, ReadOnly, TabStop, MaxLength, Color and Visible
  // itself; anything else the model does not know goes to `base`.
  void CreateIn(HWND parent, const FormObjectDescription& description,
                const BasePropertySink& base = {});

  AnsiString Text() const override;
  void SetText(const AnsiString& text) override;

  // Moves the field to the Left, Top, Width and Height of `description` (its other settings are
  // left alone); a re-created field keeps the new place.
  void Place(const FormObjectDescription& description);

  HBRUSH ControlColor(HDC dc) override;
  // EN_CHANGE: the byte limit after every change, whatever route the text took.
  LRESULT Notify(WORD code) override;

  // The name screen readers announce for the field: the text of the label in front of it.
  void SetAccessibleName(std::wstring name) { accessibleName_.SetName(std::move(name)); }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  // Creation parameters the window keeps across re-creation.
  struct Settings {
    int left = 0, top = 0, width = 121, height = 21;
    bool readOnly = false;
    bool tabStop = true;
    bool visible = true;
    int maxLength = 0;
    Color color = 0xFF000005;  // clWindow
  };
  void CreateControl();
  std::wstring WindowText() const;
  bool TypedCharFits(wchar_t typed) const;
  void PasteWithinByteLimit();
  void KeepWithinByteLimit();
  void ApplyBaseProperty(const StoredProperty& property, const BasePropertySink& base);

  void GetSelection(std::int32_t& start, std::int32_t& end) const override;

  // IEditHost
  void DefaultHandler(WindowMessage& message) override;
  std::int32_t TextLength() const override;
  void SetSelection(std::int32_t start, std::int32_t end) override;
  bool HasForm() const override;
  void SendNextDlgCtl(bool previous) override;
  void RecreateWindow() override;
  std::unique_ptr<IInputContext> GetInputContext() override;
  AnsiString CharToAnsi(std::uintptr_t charCode) const override;
  AnsiString MapReading(const AnsiString& text, ReadingMapping mapping,
                        std::size_t bufferBytes) const override;
  char DecimalSeparator() const override;

  HWND parent_ = nullptr;
  Settings settings_;
  UniqueBrush brush_;
  EditBox model_{*this};
  AccessibleNameAnnotation accessibleName_;
  // What the field held after its last change that kept the byte limit.
  std::wstring lastFitting_;
  bool restoring_ = false;
};

// The user's default locale's mapping (LCMAP_KATAKANA, LCMAP_HALFWIDTH, ...) of a code page 932
// text into a buffer of `bufferBytes`, through the wide call: empty when it does not fit.
AnsiString MapStringOfUserLocale(const AnsiString& text, DWORD mapFlags, std::size_t bufferBytes);

}  // namespace qv::win
