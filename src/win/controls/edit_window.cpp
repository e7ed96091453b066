#include "win/controls/edit_window.h"

#include <imm.h>

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
#include "win/framework/handles.h"
#include "win/framework/lazy_library.h"

namespace qv::win {

namespace {

// The input method's functions, bound from the system folder when a field first captures a
// reading or has its input method disabled: the program does not import the library, so a start
// that never needs it does not load it.
struct InputMethodApi {
  decltype(&::ImmGetContext) getContext;
  decltype(&::ImmReleaseContext) releaseContext;
  decltype(&::ImmGetOpenStatus) getOpenStatus;
  decltype(&::ImmGetCompositionStringW) getCompositionString;
  decltype(&::ImmAssociateContext) associateContext;
};

// Null when the library or one of its functions is missing: a system without an input method
// library has no input context for any window, which counts as a closed input method.
const InputMethodApi* InputMethod() {
  static const std::optional<InputMethodApi> api = []() -> std::optional<InputMethodApi> {
    try {
      return InputMethodApi{
          QV_LAZY("imm32.dll", ImmGetContext),       QV_LAZY("imm32.dll", ImmReleaseContext),
          QV_LAZY("imm32.dll", ImmGetOpenStatus),    QV_LAZY("imm32.dll", ImmGetCompositionStringW),
          QV_LAZY("imm32.dll", ImmAssociateContext),
      };
    } catch (const Exception&) {
      return std::nullopt;
    }
  }();
  return api ? &*api : nullptr;
}

// A window's input context is released together with the window it was taken for.
struct HeldInputContext {
  HWND window = nullptr;
  HIMC context = nullptr;
  bool operator==(const HeldInputContext&) const = default;
};
void ReleaseInputContext(HeldInputContext held) {
  if (const InputMethodApi* imm = InputMethod()) imm->releaseContext(held.window, held.context);
}
using UniqueInputContext = UniqueAny<HeldInputContext, ReleaseInputContext>;

class WinInputContext : public IInputContext {
 public:
  WinInputContext(const InputMethodApi& imm, UniqueInputContext held)
      : imm_(imm), held_(std::move(held)) {}

  bool OpenStatus() override { return imm_.getOpenStatus(held_.get().context) != FALSE; }
  // In bytes of UTF-16; negative when the call fails.
  std::int32_t ResultReadingSize() override {
    return imm_.getCompositionString(held_.get().context, GCS_RESULTREADSTR, nullptr, 0);
  }
  // The buffer has room for the size asked for and a terminating zero, whatever the call
  // writes; what it reports beyond that size is not taken.
  AnsiString ReadResultReading(std::int32_t size) override {
    if (size <= 0) return AnsiString();
    std::wstring reading(static_cast<std::size_t>(size) / sizeof(wchar_t) + 1, L'\0');
    const LONG got = imm_.getCompositionString(held_.get().context, GCS_RESULTREADSTR,
                                               reading.data(), static_cast<DWORD>(size));
    if (got <= 0) return AnsiString();
    reading.resize(
        std::min<std::size_t>(static_cast<std::size_t>(size), static_cast<std::size_t>(got)) /
        sizeof(wchar_t));
    return ToAnsi(reading);
  }

 private:
  const InputMethodApi& imm_;
  UniqueInputContext held_;
};

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

AnsiString MapStringOfUserLocale(const AnsiString& text, DWORD mapFlags, std::size_t bufferBytes) {
  if (text.empty()) return AnsiString();
  // With its terminating zero, as a byte buffer would take it; the zero maps to itself.
  const std::wstring wide = ToWide(text) + L'\0';
  const LCID locale = GetUserDefaultLCID();
  const int length = static_cast<int>(wide.size());
  const int needed = LCMapStringW(locale, mapFlags, wide.data(), length, nullptr, 0);
  if (needed <= 0) return AnsiString();
  std::wstring mapped(static_cast<std::size_t>(needed), L'\0');
  const int got = LCMapStringW(locale, mapFlags, wide.data(), length, mapped.data(), needed);
  if (got <= 0) return AnsiString();
  mapped.resize(static_cast<std::size_t>(got));
  AnsiString bytes = ToAnsi(mapped);
  if (bytes.size() > bufferBytes) return AnsiString();
  return bytes;
}

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
  DWORD style = WS_CHILD | ES_AUTOHSCROLL | model_.AlignmentStyle();
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
  // A field whose input method is disabled has no input context at all.
  if (model_.ImeMode() == InputMethodMode::Disable) {
    if (const InputMethodApi* imm = InputMethod()) imm->associateContext(Handle(), nullptr);
  }
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

// Every message passes the model's handler chain; its last link comes back to DefaultHandler.
LRESULT EditWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  // The name is in place before the system's own object for the field answers the request.
  if (msg == WM_GETOBJECT) accessibleName_.Offer(Handle());
  if (msg == WM_DESTROY) accessibleName_.Withdraw();
  WindowMessage message{msg, wp, lp, 0};
  model_.WindowProc(message);
  return message.Result;
}

void EditWindow::DefaultHandler(WindowMessage& m) {
  const UINT msg = m.Msg;
  switch (msg) {
    case WM_SETFOCUS:
      m.Result = DefaultHandling(msg, m.WParam, m.LParam);
      model_.DoEnter();
      return;
    case WM_KILLFOCUS:
      m.Result = DefaultHandling(msg, m.WParam, m.LParam);
      model_.DoExit();
      return;
    case WM_KEYDOWN: {
      std::uint16_t key = static_cast<std::uint16_t>(m.WParam);
      model_.KeyDown(key, KeyShiftState(m.LParam));
      m.Result = key ? DefaultHandling(msg, key, m.LParam) : 0;
      return;
    }
    case WM_CHAR: {
      std::uint16_t key = static_cast<std::uint16_t>(m.WParam);
      model_.KeyPress(key);
      if (!TypedCharFits(static_cast<wchar_t>(key))) {
        MessageBeep(MB_OK);
        key = 0;
      }
      m.Result = key ? DefaultHandling(msg, key, m.LParam) : 0;
      return;
    }
    case WM_PASTE:
      if (LimitsBytes(settings_.maxLength) && !settings_.readOnly) {
        PasteWithinByteLimit();
        m.Result = 0;
        return;
      }
      m.Result = DefaultHandling(msg, m.WParam, m.LParam);
      return;
    default:
      m.Result = DefaultHandling(msg, m.WParam, m.LParam);
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

// Acted on at EN_CHANGE, not EN_UPDATE: the control is then done with the change, so that
// setting its text again does not run inside its own replacement of the text.
LRESULT EditWindow::Notify(WORD code) {
  if (code == EN_CHANGE && !restoring_) KeepWithinByteLimit();
  return 0;
}

// Typing and pasting are limited before the change; this catches every other route (WM_SETTEXT,
// the input method's result string, ...), where the control counts only characters.
void EditWindow::KeepWithinByteLimit() {
  std::wstring text = WindowText();
  const ChangedTextFit fit =
      FitChangedText(ToUtf16(lastFitting_), ToUtf16(text), settings_.maxLength, Cp932Bytes);
  if (!fit.fits) {
    text.assign(fit.restored.begin(), fit.restored.end());
    restoring_ = true;
    SetWindowTextW(Handle(), text.c_str());
    restoring_ = false;
    SetSelection(fit.caret, fit.caret);
    MessageBeep(MB_OK);
  }
  lastFitting_ = std::move(text);
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

std::unique_ptr<IInputContext> EditWindow::GetInputContext() {
  if (!Handle()) return nullptr;
  const InputMethodApi* imm = InputMethod();
  if (!imm) return nullptr;
  UniqueInputContext held(HeldInputContext{Handle(), imm->getContext(Handle())});
  if (!held.get().context) {
    held.release();
    return nullptr;
  }
  return std::make_unique<WinInputContext>(*imm, std::move(held));
}

AnsiString EditWindow::CharToAnsi(std::uintptr_t charCode) const {
  const wchar_t c = static_cast<wchar_t>(charCode);
  return ToAnsi(std::wstring_view(&c, 1));
}

AnsiString EditWindow::MapReading(const AnsiString& text, ReadingMapping mapping,
                                  std::size_t bufferBytes) const {
  return MapStringOfUserLocale(
      text, mapping == ReadingMapping::Katakana ? LCMAP_KATAKANA : LCMAP_HALFWIDTH, bufferBytes);
}

// A separator of more than one byte cannot stand in the model's one-byte place: the full stop
// then.
char EditWindow::DecimalSeparator() const {
  wchar_t buffer[8] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 8) <= 0) return '.';
  const AnsiString separator = ToAnsi(std::wstring_view(buffer));
  return separator.size() == 1 ? separator[0] : '.';
}

}  // namespace qv::win
