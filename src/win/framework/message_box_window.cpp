#include "win/framework/message_box_window.h"

#include <algorithm>
#include <cwchar>
#include <memory>
#include <vector>

#include "framework/dpi_scale.h"
#include "win/framework/accessible_object.h"
#include "win/framework/clipboard.h"
#include "win/framework/cp932.h"
#include "win/framework/dialog_accessible.h"
#include "win/framework/dpi.h"
#include "win/framework/gdi.h"
#include "win/framework/os_error.h"
#include "win/framework/window.h"

namespace qv::win {

namespace {

// Lengths at 96 DPI; the box scales them to the DPI of the screen it opens on.
constexpr int kMargin = 8;
constexpr int kIconSize = 32;
constexpr int kIconGap = 10;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 4;
constexpr int kFirstButtonId = 100;
constexpr int kTextId = 99;

LPCWSTR SystemIconOf(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Exclamation:
      return IDI_WARNING;
    case MessageIcon::Stop:
      return IDI_ERROR;
    case MessageIcon::Information:
      return IDI_INFORMATION;
    case MessageIcon::Question:
      break;
  }
  return IDI_QUESTION;
}

// The sound the system's boxes play for the same icon.
UINT SoundOf(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Exclamation:
      return MB_ICONWARNING;
    case MessageIcon::Stop:
      return MB_ICONERROR;
    case MessageIcon::Information:
      return MB_ICONINFORMATION;
    case MessageIcon::Question:
      break;
  }
  return MB_ICONQUESTION;
}

// The working area of the monitor the owner is on (the primary one without an owner): a box
// belongs where the window that asked for it is, not where the taskbar's monitor happens to be.
RECT WorkAreaFor(HWND owner) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  // A null window is no valid argument to MonitorFromWindow; the primary monitor holds (0, 0).
  HMONITOR monitor = owner ? MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY)
                           : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  if (GetMonitorInfoW(monitor, &info)) {
    return info.rcWork;
  }
  return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// A carriage return alone breaks the line, as a CR LF pair does.
std::wstring NormalizeLineBreaks(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r') {
      out += L"\r\n";
      if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    } else if (text[i] == L'\n') {
      out += L"\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

class MessageBoxWindow : public Window {
 public:
  MessageBoxWindow(const AnsiString& text, const MessageBoxLayout& layout)
      : layout_(layout), ansiText_(text), text_(NormalizeLineBreaks(ToWide(text))) {}

  int Run() {
    HWND owner = GetActiveWindow();
    workArea_ = WorkAreaFor(owner);
    RegisterOnce(kMessageBoxClass, CS_DBLCLKS, GetSysColorBrush(COLOR_BTNFACE));
    // Made on the owner's monitor, so that the DPI read below is that monitor's.
    Create(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kMessageBoxClass, ToWide(layout_.caption),
           WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, workArea_.left, workArea_.top, 100,
           100, owner);
    // A box that could not be made raises rather than answering for the user.

    // Everything from here on is sized for the screen the box opens on.
    dpi_ = DpiOfWindow(Handle());
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    NonClientMetricsForDpi(metrics, dpi_);
    LOGFONTW font = metrics.lfMessageFont;
    if (layout_.fixedPitch) {
      // The system's Japanese font of equal widths, at the message font's size.
      font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
      std::wcscpy(font.lfFaceName, L"MS Gothic");
    }
    font_.reset(CreateFontIndirectW(&font));
    LoadBoxIcon();
    Layout();

    bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    ShowWindow(Handle(), SW_SHOWNORMAL);
    SetForegroundWindow(Handle());
    if (HWND button = DefaultButton()) SetFocus(button);
    // As the system's boxes do: screen readers read an alert out at once, and the user who does
    // not look hears that something needs an answer.
    NotifyWinEvent(EVENT_SYSTEM_ALERT, Handle(), OBJID_CLIENT, CHILDID_SELF);
    MessageBeep(SoundOf(layout_.icon));

    MSG msg;
    bool quit = false;
    while (result_ == MessageResult::None && Handle()) {
      if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
        quit = true;
        break;
      }
      if (PreTranslate(msg)) continue;
      if (IsDialogMessageW(Handle(), &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    // Re-enable the owner before the box goes, so that the activation returns to it.
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    if (Handle()) DestroyWindow(Handle());
    if (owner && IsWindow(owner)) SetActiveWindow(owner);
    if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
    return result_ == MessageResult::None ? MessageResult::Cancel : result_;
  }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_COMMAND: {
        int id = LOWORD(wp);
        if (id >= kFirstButtonId &&
            id < kFirstButtonId + static_cast<int>(layout_.buttons.size())) {
          result_ = layout_.buttons[static_cast<std::size_t>(id - kFirstButtonId)].result;
        } else if (id == IDCANCEL) {
          Press(layout_.cancelButton);
        } else if (id == IDOK) {
          Press(layout_.defaultButton);
        }
        return 0;
      }
      case WM_CLOSE:
        result_ = MessageResult::Cancel;
        return 0;
      case WM_ACTIVATE:
        // A box that was left and comes back has Enter on its button again, not on nothing.
        if (KeepFocusAcrossActivation(wp, DefaultButton())) return 0;
        return DefaultHandling(msg, wp, lp);
      case WM_PAINT: {
        PaintScope paint(Handle());
        DrawIconEx(paint.get(), Scaled(kMargin), Scaled(kMargin), icon_, Scaled(kIconSize),
                   Scaled(kIconSize), 0, nullptr, DI_NORMAL);
        return 0;
      }
      case WM_GETOBJECT:
        if (AsksForClient(lp)) {
          if (LRESULT object = AnswerAsDialog(Handle(), wp, ToWide(layout_.caption), text_)) {
            return object;
          }
        }
        return DefaultHandling(msg, wp, lp);
      case WM_CTLCOLORSTATIC:
        SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      default:
        return DefaultHandling(msg, wp, lp);
    }
  }

 private:
  int Scaled(int designed) const { return ScaleToDpi(designed, dpi_); }

  // The system's icon at the box's icon size: the shared one where that is the size LoadIcon
  // gives, else one loaded for the size (owned here), so that it is not stretched.
  void LoadBoxIcon() {
    const int size = Scaled(kIconSize);
    if (size != GetSystemMetrics(SM_CXICON)) {
      ownIcon_.reset(static_cast<HICON>(
          LoadImageW(nullptr, SystemIconOf(layout_.icon), IMAGE_ICON, size, size, 0)));
    }
    icon_ = ownIcon_ ? ownIcon_.get() : LoadIconW(nullptr, SystemIconOf(layout_.icon));
  }

  bool IsButtonIndex(int index) const {
    return index >= 0 && index < static_cast<int>(buttons_.size());
  }

  HWND DefaultButton() const {
    return IsButtonIndex(layout_.defaultButton)
               ? buttons_[static_cast<std::size_t>(layout_.defaultButton)]
               : nullptr;
  }

  void Press(int index) {
    if (IsButtonIndex(index)) result_ = layout_.buttons[static_cast<std::size_t>(index)].result;
  }

  // Enter presses the focused button, else the default one; Esc the cancel button.
  bool PreTranslate(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.hwnd != Handle() && !IsChild(Handle(), msg.hwnd))) {
      return false;
    }
    if (msg.wParam == VK_RETURN) {
      auto it = std::find(buttons_.begin(), buttons_.end(), GetFocus());
      Press(it != buttons_.end() ? static_cast<int>(it - buttons_.begin()) : layout_.defaultButton);
      return true;
    }
    if (msg.wParam == VK_ESCAPE) {
      Press(layout_.cancelButton);
      return true;
    }
    if (msg.wParam == 'C' && GetKeyState(VK_CONTROL) < 0) {
      // A clipboard another program holds leaves it as it was; the box stays either way.
      WriteClipboardText(Handle(), ToWide(MessageBoxAsText(ansiText_, layout_)));
      return true;
    }
    return false;
  }

  void Layout() {
    HWND hwnd = Handle();
    const RECT& screen = workArea_;
    // Half the screen in pixels: a larger font at a higher DPI puts fewer characters on a line
    // rather than making the box wider than the screen. Columns wrap only at the screen's width.
    const int screenWidth = screen.right - screen.left;
    int wrapWidth = layout_.fixedPitch ? screenWidth * 3 / 4 : screenWidth / 2;

    RECT text{0, 0, wrapWidth, 0};
    {
      ClientDC dc(hwnd);
      SelectedObject keep(dc.get(), font_.get());
      DrawTextW(dc.get(), text_.c_str(), static_cast<int>(text_.size()), &text,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    }
    const int margin = Scaled(kMargin), iconSize = Scaled(kIconSize);
    const int buttonWidth = Scaled(kButtonWidth), buttonHeight = Scaled(kButtonHeight);
    const int buttonGap = Scaled(kButtonGap);
    int textLeft = margin + iconSize + Scaled(kIconGap);
    int textHeight = std::max<int>(text.bottom, 1);
    int contentHeight = std::max(iconSize, textHeight);
    int count = static_cast<int>(layout_.buttons.size());
    int buttonsWidth = count * buttonWidth + std::max(0, count - 1) * buttonGap;
    int clientWidth =
        std::max(textLeft + static_cast<int>(text.right) + margin, buttonsWidth + 2 * margin);
    int buttonsTop = margin + contentHeight + 2 * margin;
    int clientHeight = buttonsTop + buttonHeight + margin;
    int textTop = margin + (contentHeight - textHeight) / 2;
    HWND label = CreateWindowExW(
        0, L"STATIC", text_.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, textLeft,
        textTop, text.right + 1, textHeight, hwnd,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextId)), ModuleInstance(), nullptr);
    if (!label) RaiseLastOSError();
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

    int x = (clientWidth - buttonsWidth) / 2;
    for (int i = 0; i < count; ++i) {
      const auto& b = layout_.buttons[static_cast<std::size_t>(i)];
      DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP |
                    (i == layout_.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
      HWND button = CreateWindowExW(
          0, L"BUTTON", ToWide(b.caption).c_str(), style, x, buttonsTop, buttonWidth, buttonHeight,
          hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstButtonId + i)), ModuleInstance(),
          nullptr);
      if (!button) RaiseLastOSError();
      SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
      buttons_.push_back(button);
      x += buttonWidth + buttonGap;
    }

    const SIZE frame = FrameSizeForDpi(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)),
                                       static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)), dpi_);
    int w = clientWidth + frame.cx, h = clientHeight + frame.cy;
    SetWindowPos(hwnd, nullptr, screen.left + (screenWidth - w) / 2,
                 screen.top + (screen.bottom - screen.top - h) / 2, w, h,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }

  const MessageBoxLayout& layout_;
  AnsiString ansiText_;
  std::wstring text_;
  RECT workArea_{};
  int dpi_ = kDesignDpi;
  UniqueFont font_;
  UniqueIcon ownIcon_;
  HICON icon_ = nullptr;
  std::vector<HWND> buttons_;
  int result_ = MessageResult::None;
};

}  // namespace

int ShowMessageBox(const AnsiString& text, const MessageBoxLayout& layout) {
  MessageBoxWindow box(text, layout);
  return box.Run();
}

}  // namespace qv::win
