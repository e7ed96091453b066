#include "win/controls/plain_button_window.h"

#include <windowsx.h>

#include "win/controls/gdi_canvas.h"
#include "win/controls/input_state.h"
#include "win/framework/cp932.h"
#include "win/framework/form.h"
#include "win/framework/gdi.h"

namespace qv::win {

namespace {

Font FontOf(HFONT font) {
  LOGFONTW lf{};
  Font f;
  if (!font || !GetObjectW(font, sizeof(lf), &lf)) return f;
  f.Name = ToAnsi(lf.lfFaceName);
  f.Height = lf.lfHeight;
  f.Charset = lf.lfCharSet;
  f.Style = static_cast<std::uint8_t>((lf.lfWeight >= FW_BOLD ? 1 : 0) | (lf.lfItalic ? 2 : 0) |
                                      (lf.lfUnderline ? 4 : 0) | (lf.lfStrikeOut ? 8 : 0));
  return f;
}

const wchar_t* CursorResourceOf(SystemCursor cursor) {
  switch (cursor) {
    case SystemCursor::Hidden:
      return nullptr;
    case SystemCursor::Arrow:
      return IDC_ARROW;
    case SystemCursor::Cross:
      return IDC_CROSS;
    case SystemCursor::IBeam:
      return IDC_IBEAM;
    case SystemCursor::SizeNeSw:
      return IDC_SIZENESW;
    case SystemCursor::SizeNS:
      return IDC_SIZENS;
    case SystemCursor::SizeNwSe:
      return IDC_SIZENWSE;
    case SystemCursor::SizeWE:
      return IDC_SIZEWE;
    case SystemCursor::UpArrow:
      return IDC_UPARROW;
    case SystemCursor::Wait:
      return IDC_WAIT;
    case SystemCursor::No:
      return IDC_NO;
    case SystemCursor::AppStarting:
      return IDC_APPSTARTING;
    case SystemCursor::Help:
      return IDC_HELP;
    case SystemCursor::Hand:
      return IDC_HAND;
    case SystemCursor::SizeAll:
      return IDC_SIZEALL;
  }
  return IDC_ARROW;
}

}  // namespace

void PlainButtonWindow::CreateIn(HWND parent, const FormObjectDescription& description,
                                 const BasePropertySink& base) {
  RegisterOnce(kPlainButtonClass, CS_DBLCLKS);
  Create(0, kPlainButtonClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN,
         model_.Left(), model_.Top(), model_.Width(), model_.Height(), parent);
  ReadButtonDescription(model_, description, base);
}

bool PlainButtonWindow::IsTabStop() const {
  return Handle() && model_.TabStop() && IsWindowVisible(Handle()) && IsWindowEnabled(Handle());
}

bool PlainButtonWindow::DialogKey(WPARAM key, LPARAM keyData) {
  return model_.DialogKey(static_cast<std::uint16_t>(key), static_cast<std::uint32_t>(keyData));
}

void PlainButtonWindow::Paint(HDC dc) {
  GdiCanvas canvas(dc);
  model_.Paint(canvas);
}

LRESULT PlainButtonWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  const int x = GET_X_LPARAM(lp);
  const int y = GET_Y_LPARAM(lp);
  if (AnswerPaint(Handle(), msg, wp, [this](HDC dc) { Paint(dc); })) return 0;
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      model_.SizeChanged(LOWORD(lp), HIWORD(lp));
      return 0;
    case WM_SETFONT:
      model_.ParentFontChanged(FontOf(reinterpret_cast<HFONT>(wp)));
      if (LOWORD(lp)) InvalidateRect(Handle(), nullptr, FALSE);
      return 0;
    case WM_ENABLE:
      model_.SetEnabled(wp != 0);
      return 0;
    case WM_SETFOCUS:
      model_.DoEnter();
      return 0;
    case WM_KILLFOCUS:
      model_.DoExit();
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      std::uint16_t key = static_cast<std::uint16_t>(wp);
      model_.KeyDown(key, KeyShiftState(lp));
      if (key == 0) return 0;
      break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      std::uint16_t key = static_cast<std::uint16_t>(wp);
      model_.KeyUp(key, KeyShiftState(lp));
      if (key == 0) return 0;
      break;
    }
    case WM_CHAR: {
      std::uint16_t key = static_cast<std::uint16_t>(wp);
      model_.KeyPress(key);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      model_.HandleMouseDown(MouseButton::Left, MouseShiftState(wp), x, y, msg == WM_LBUTTONDBLCLK);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      model_.HandleMouseDown(MouseButton::Right, MouseShiftState(wp), x, y,
                             msg == WM_RBUTTONDBLCLK);
      return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      model_.HandleMouseDown(MouseButton::Middle, MouseShiftState(wp), x, y,
                             msg == WM_MBUTTONDBLCLK);
      return 0;
    case WM_LBUTTONUP:
      model_.HandleMouseUp(MouseButton::Left, MouseShiftState(wp), x, y);
      return 0;
    case WM_RBUTTONUP:
      model_.HandleMouseUp(MouseButton::Right, MouseShiftState(wp), x, y);
      return 0;
    case WM_MBUTTONUP:
      model_.HandleMouseUp(MouseButton::Middle, MouseShiftState(wp), x, y);
      return 0;
    case WM_MOUSEMOVE:
      model_.HandleMouseMove(MouseShiftState(wp), x, y);
      return 0;
    case WM_MOUSELEAVE:
      model_.HandleMouseLeaveMessage();
      return 0;
    // Over the client area the button's own cursor, if it names one; elsewhere, and for the
    // default, the system's handling (the parent may decide first).
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT) {
        if (const std::optional<SystemCursor> cursor = SystemCursorOf(model_.Cursor())) {
          // System cursors are shared: nothing to release.
          const wchar_t* resource = CursorResourceOf(*cursor);
          ::SetCursor(resource ? LoadCursorW(nullptr, resource) : nullptr);
          return TRUE;
        }
      }
      break;
    // Assistive tools and test drivers click a button with BM_CLICK.
    case BM_CLICK:
      model_.DoDefaultAction();
      return 0;
    case WM_GETOBJECT:
      if (AsksForClient(lp)) {
        if (LRESULT object = accessible_.Answer(Handle(), wp)) return object;
      }
      break;
    default:
      break;
  }
  return DefaultHandling(msg, wp, lp);
}

// Posted, so that a screen reader's call returns before any box the click opens.
bool PlainButtonWindow::RequestDefaultAction() {
  return Handle() && PostMessageW(Handle(), BM_CLICK, 0, 0);
}

// --- IPlainButtonHost ---------------------------------------------------------------------------

// A button not on screen has nothing to bring up to date: the dialog's first paint draws it with
// every setting made until then. Skipping it spares the window server a redraw request for each
// setting the dialog's description applies before it shows.
void PlainButtonWindow::RepaintNow() {
  if (Handle() && IsWindowVisible(Handle())) {
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
}

void PlainButtonWindow::ScheduleRepaint() {
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void PlainButtonWindow::SetFocus() {
  if (Handle()) ::SetFocus(Handle());
}

bool PlainButtonWindow::IsActiveControl() const { return Handle() && GetFocus() == Handle(); }

void PlainButtonWindow::SetCapture() {
  if (Handle()) ::SetCapture(Handle());
}

void PlainButtonWindow::ReleaseCapture() {
  if (HoldsCapture()) ::ReleaseCapture();
}

bool PlainButtonWindow::HoldsCapture() const { return Handle() && GetCapture() == Handle(); }

void PlainButtonWindow::TrackMouseLeave() {
  if (!Handle()) return;
  TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
  TrackMouseEvent(&track);
}

KeyboardState PlainButtonWindow::ReadKeyboardState() const {
  KeyboardState keys{};
  GetKeyboardState(keys.data());
  return keys;
}

Point PlainButtonWindow::CursorClientPos() const {
  POINT p{0, 0};
  GetCursorPos(&p);
  if (Handle()) ScreenToClient(Handle(), &p);
  return Point{p.x, p.y};
}

// Once the window has taken the region, the system owns it and deletes it with the window or
// the next shape.
void PlainButtonWindow::SetRoundShape(const Rect& b, int ellipseWidth, int ellipseHeight) {
  if (!Handle()) return;
  UniqueRegion region(
      CreateRoundRectRgn(b.Left, b.Top, b.Right, b.Bottom, ellipseWidth, ellipseHeight));
  if (region && SetWindowRgn(Handle(), region.get(), TRUE)) region.release();
}

void PlainButtonWindow::ClearShape() {
  if (Handle()) SetWindowRgn(Handle(), nullptr, TRUE);
}

bool PlainButtonWindow::SetFormModalResult(std::int32_t modalResult) {
  if (!Handle()) return false;
  auto* form = dynamic_cast<Form*>(FromHandle(GetAncestor(Handle(), GA_ROOT)));
  if (!form) return false;
  form->SetModalResult(modalResult);
  return true;
}

void PlainButtonWindow::ApplyBounds(int left, int top, int width, int height) {
  if (Handle())
    SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// A control being disabled gives up the focus to the next control of its form.
void PlainButtonWindow::ApplyEnabled(bool enabled) {
  if (!Handle()) return;
  if (!enabled && GetFocus() == Handle()) {
    SendMessageW(GetAncestor(Handle(), GA_ROOT), WM_NEXTDLGCTL, 0, 0);
  }
  EnableWindow(Handle(), enabled ? TRUE : FALSE);
}

void PlainButtonWindow::ApplyVisible(bool visible) {
  if (Handle()) ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
}

void PlainButtonWindow::ApplyWindowText(const AnsiString& text) {
  if (Handle()) SetWindowTextW(Handle(), ToWide(text).c_str());
}

}  // namespace qv::win
