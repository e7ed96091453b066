#include "win/controls/edit_window.h"

#include <algorithm>
#include <optional>
#include <string>
#include <variant>

#include "controls/edit_byte_limit.h"
#include "framework/errors.h"
#include "win/controls/input_state.h"
#include "win/framework/clipboard.h"
#include "win/framework/controls.h"
#include "win/framework/cp932.h"
#include "win/framework/form.h"

namespace qv::win {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the window's text is UTF-16");

std::u16string ToUtf16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

std::size_t Cp932Bytes(std::u16string_view character) {
  return ToAnsi(std::wstring(character.begin(), character.end())).size();
}

[[noreturn]] void InvalidValue(const StoredProperty& p) {
  throw Exception(Format("プロパティ %s の値が無効です", p.Name.c_str()));
}

int IntOf(const StoredProperty& p) {
  const auto* v = std::get_if<std::int64_t>(&p.Value);
  if (!v || *v < INT32_MIN || *v > INT32_MAX) InvalidValue(p);
  return static_cast<int>(*v);
}

bool BoolOf(const StoredProperty& p) {
  const auto* v = std::get_if<bool>(&p.Value);
  if (!v) InvalidValue(p);
  return *v;
}

Color ColorOf(const StoredProperty& p) {
  if (const auto* id = std::get_if<FormIdent>(&p.Value)) {
    if (id->Name == "clWindow") return clWindow;
    if (id->Name == "clBtnFace") return clBtnFace;
    InvalidValue(p);
  }
  const auto* v = std::get_if<std::int64_t>(&p.Value);
  if (!v || *v < 0 || *v > 0xFFFFFFFF) InvalidValue(p);
  return static_cast<Color>(*v);
}

}  // namespace

void EditWindow::CreateIn(HWND parent, const FormObjectDescription& description,
                          const BasePropertySink& base) {
  parent_ = parent;
  // The stored settings first, then one window with all of them: creating it before would make
  // the flat border setting re-create it at once.
  ReadEditDescription(model_, description,
                      [&](const StoredProperty& p) { ApplyBaseProperty(p, base); });
  CreateControl();
}

void EditWindow::Place(const FormObjectDescription& description) {
  for (const StoredProperty& p : description.Properties) {
    if (p.Name == "Left" || p.Name == "Top" || p.Name == "Width" || p.Name == "Height") {
      ApplyBaseProperty(p, {});
    }
  }
}

void EditWindow::CreateControl() {
  DWORD style = WS_CHILD | ES_AUTOHSCROLL;
  if (settings_.visible) style |= WS_VISIBLE;
  if (settings_.tabStop) style |= WS_TABSTOP;
  if (settings_.readOnly) style |= ES_READONLY;
  DWORD exStyle = 0;
  if (model_.Ctl3D()) {
    exStyle |= WS_EX_CLIENTEDGE;
  } else {
    style |= WS_BORDER;
  }
  CreateSubclassed(exStyle, L"EDIT", L"", style, settings_.left, settings_.top, settings_.width,
                   settings_.height, parent_);
  if (!Handle()) return;
  if (settings_.maxLength > 0) SendMessageW(Handle(), EM_LIMITTEXT, settings_.maxLength, 0);
}

void EditWindow::ApplyBaseProperty(const StoredProperty& p, const BasePropertySink& base) {
  Settings& s = settings_;
  const auto move = [this] {
    if (Handle()) {
      SetWindowPos(Handle(), nullptr, settings_.left, settings_.top, settings_.width,
                   settings_.height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
  };
  if (p.Name == "Left") {
    s.left = IntOf(p);
    move();
  } else if (p.Name == "Top") {
    s.top = IntOf(p);
    move();
  } else if (p.Name == "Width") {
    s.width = IntOf(p);
    move();
  } else if (p.Name == "Height") {
    s.height = IntOf(p);
    move();
  } else if (p.Name == "ReadOnly") {
    s.readOnly = BoolOf(p);
    if (Handle()) SendMessageW(Handle(), EM_SETREADONLY, s.readOnly ? TRUE : FALSE, 0);
  } else if (p.Name == "TabStop") {
    s.tabStop = BoolOf(p);
    if (Handle()) {
      LONG style = GetWindowLongW(Handle(), GWL_STYLE);
      style = s.tabStop ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
      SetWindowLongW(Handle(), GWL_STYLE, style);
    }
  } else if (p.Name == "MaxLength") {
    s.maxLength = IntOf(p);
    if (Handle()) SendMessageW(Handle(), EM_LIMITTEXT, s.maxLength, 0);
  } else if (p.Name == "Visible") {
    s.visible = BoolOf(p);
    if (Handle()) ShowWindow(Handle(), s.visible ? SW_SHOWNA : SW_HIDE);
  } else if (p.Name == "Color") {
    s.color = ColorOf(p);
    brush_.reset(s.color == clWindow ? nullptr : CreateSolidBrush(ColorToRGB(s.color)));
    if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
  } else if (base) {
    base(p);
  } else {
    throw Exception(Format("プロパティ %s は存在しません", p.Name.c_str()));
  }
}

AnsiString EditWindow::Text() const { return ToAnsi(WindowText()); }

void EditWindow::SetText(const AnsiString& text) {
  if (Handle()) SetWindowTextW(Handle(), ToWide(text).c_str());
}

HBRUSH EditWindow::ControlColor(HDC dc) {
  if (!brush_) return nullptr;
  SetBkColor(dc, ColorToRGB(settings_.color));
  return brush_.get();
}

LRESULT EditWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  // The name is in place before the system's own object for the field answers the request.
  if (msg == WM_GETOBJECT) accessibleName_.Offer(Handle());
  if (msg == WM_DESTROY) accessibleName_.Withdraw();
  switch (msg) {
    case WM_SETFOCUS: {
      const LRESULT result = DefaultHandling(msg, wp, lp);
      model_.DoEnter();
      return result;
    }
    case WM_KEYDOWN: {
      std::uint16_t key = static_cast<std::uint16_t>(wp);
      model_.KeyDown(key, KeyShiftState(lp));
      return key ? DefaultHandling(msg, key, lp) : 0;
    }
    case WM_CHAR: {
      std::uint16_t key = static_cast<std::uint16_t>(wp);
      model_.KeyPress(key);
      if (!TypedCharFits(static_cast<wchar_t>(key))) {
        MessageBeep(MB_OK);
        key = 0;
      }
      return key ? DefaultHandling(msg, key, lp) : 0;
    }
    case WM_PASTE:
      if (LimitsBytes(settings_.maxLength) && !settings_.readOnly) {
        PasteWithinByteLimit();
        return 0;
      }
      return DefaultHandling(msg, wp, lp);
    default:
      return DefaultHandling(msg, wp, lp);
  }
}

std::wstring EditWindow::WindowText() const {
  if (!Handle()) return std::wstring();
  int n = GetWindowTextLengthW(Handle());
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  n = GetWindowTextW(Handle(), text.data(), n + 1);
  text.resize(static_cast<std::size_t>(n > 0 ? n : 0));
  return text;
}

// The window keeps UTF-16; the byte limit is decided on the code page 932 lengths of its
// characters.
bool EditWindow::TypedCharFits(wchar_t typed) const {
  if (!LimitsBytes(settings_.maxLength)) return true;
  const std::u16string text = ToUtf16(WindowText());
  EditContent content{text};
  GetSelection(content.selectionStart, content.selectionEnd);
  return qv::TypedCharFits(content, settings_.maxLength, static_cast<char16_t>(typed), Cp932Bytes);
}

// Without text on the clipboard, or with the clipboard held by another program, nothing changes.
void EditWindow::PasteWithinByteLimit() {
  const std::optional<std::wstring> clip = ReadClipboardText(Handle());
  if (!clip) return;
  const std::u16string text = ToUtf16(WindowText());
  EditContent content{text};
  GetSelection(content.selectionStart, content.selectionEnd);
  const PasteFit fit = FitPaste(content, settings_.maxLength, ToUtf16(*clip), Cp932Bytes);
  if (fit.shortened) MessageBeep(MB_OK);
  const std::wstring kept = clip->substr(0, fit.units);
  SendMessageW(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(kept.c_str()));
}

std::int32_t EditWindow::TextLength() const {
  return Handle() ? GetWindowTextLengthW(Handle()) : 0;
}

void EditWindow::GetSelection(std::int32_t& start, std::int32_t& end) const {
  DWORD s = 0, e = 0;
  if (Handle()) {
    SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  }
  start = static_cast<std::int32_t>(s);
  end = static_cast<std::int32_t>(e);
}

void EditWindow::SetSelection(std::int32_t start, std::int32_t end) {
  if (Handle()) SendMessageW(Handle(), EM_SETSEL, start, end);
}

bool EditWindow::HasForm() const {
  return Handle() && dynamic_cast<Form*>(FromHandle(GetAncestor(Handle(), GA_ROOT))) != nullptr;
}

void EditWindow::SendNextDlgCtl(bool previous) {
  if (Handle()) SendMessageW(GetAncestor(Handle(), GA_ROOT), WM_NEXTDLGCTL, previous ? 1 : 0, 0);
}

// The new window keeps the text, the font and the focus of the old one.
void EditWindow::RecreateWindow() {
  if (!Handle()) return;
  const AnsiString text = Text();
  const auto font = static_cast<WPARAM>(SendMessageW(Handle(), WM_GETFONT, 0, 0));
  const bool focused = GetFocus() == Handle();
  DestroyWindow(Handle());
  CreateControl();
  if (!Handle()) return;
  SendMessageW(Handle(), WM_SETFONT, font, FALSE);
  SetText(text);
  if (focused) ::SetFocus(Handle());
}

}  // namespace qv::win
