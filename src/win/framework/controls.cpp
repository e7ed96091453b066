#include "win/framework/controls.h"

#include "win/framework/cp932.h"

namespace qv::win {

COLORREF ColorToRGB(Color color) {
  if (IsSystemColor(color)) return GetSysColor(SystemColorIndex(color));
  return static_cast<COLORREF>(color & 0x00FFFFFFu);
}

namespace {
constexpr wchar_t kLabelClass[] = L"TLabel";
constexpr wchar_t kPanelClass[] = L"TPanel";
constexpr wchar_t kImageClass[] = L"TImage";

void FillWith(HDC dc, const RECT& r, Color color) {
  UniqueBrush brush(CreateSolidBrush(ColorToRGB(color)));
  FillRect(dc, &r, brush.get());
}
}  // namespace

// Label

void Label::CreateIn(HWND parent, int x, int y, const AnsiString& caption, Color background,
                     Sizing sizing) {
  background_ = background;
  sizing_ = sizing;
  text_ = ToWide(caption);
  RegisterOnce(kLabelClass);
  Create(0, kLabelClass, text_, WS_CHILD | WS_VISIBLE, x, y, 0, 0, parent);
  AutoSize();
}

void Label::SetCaption(const AnsiString& caption) {
  text_ = ToWide(caption);
  SetWindowTextW(Handle(), text_.c_str());
  AutoSize();
}

void Label::SetFont(HFONT font) {
  font_ = font;
  AutoSize();
}

void Label::SetFontColor(Color color) {
  fontColor_ = color;
  InvalidateRect(Handle(), nullptr, TRUE);
}

void Label::AutoSize() {
  if (!Handle() || (sizing_ == Sizing::WithItsFont && !font_)) return;
  ClientDC dc(Handle());
  SelectedObject keep(dc.get(), font_);
  RECT r{0, 0, 0, 0};
  DrawTextW(dc.get(), text_.c_str(), static_cast<int>(text_.size()), &r,
            DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
  SetWindowPos(Handle(), nullptr, 0, 0, r.right, r.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void Label::Paint(HDC dc) {
  RECT r;
  GetClientRect(Handle(), &r);
  FillWith(dc, r, background_);
  SelectedObject keep(dc, font_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(fontColor_));
  DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &r, DT_NOPREFIX | DT_SINGLELINE);
}

LRESULT Label::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (AnswerPaint(Handle(), msg, wp, [this](HDC dc) { Paint(dc); })) return 0;
  if (msg == WM_ERASEBKGND) return 1;
  if (msg == WM_GETOBJECT && AsksForClient(lp)) {
    if (LRESULT object = accessible_.Answer(Handle(), wp)) return object;
  }
  return DefaultHandling(msg, wp, lp);
}

AccessibleDescription Label::Describe() const {
  return DescribeStaticText(ToAnsi(text_), Handle() && IsWindowVisible(Handle()));
}

// Panel

void Panel::CreateIn(HWND parent, int x, int y, int w, int h, Color color) {
  color_ = color;
  RegisterOnce(kPanelClass);
  Create(WS_EX_CONTROLPARENT, kPanelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y, w, h,
         parent);
}

LRESULT Panel::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) {
    RECT r;
    GetClientRect(Handle(), &r);
    HDC dc = reinterpret_cast<HDC>(wp);
    FillWith(dc, r, color_);
    DrawEdge(dc, &r, BDR_RAISEDOUTER, BF_RECT);
    return 1;
  }
  if (msg == WM_SIZE) InvalidateRect(Handle(), nullptr, TRUE);
  return DefaultHandling(msg, wp, lp);
}

// Image

void Image::CreateIn(HWND parent, int x, int y, int w, int h, int iconResourceId,
                     Color background) {
  background_ = background;
  iconResourceId_ = iconResourceId;
  icon_.reset(static_cast<HICON>(LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(iconResourceId),
                                            IMAGE_ICON, w, h, LR_DEFAULTCOLOR)));
  iconSize_ = icon_ && w == h ? w : 0;
  RegisterOnce(kImageClass);
  Create(0, kImageClass, L"", WS_CHILD | WS_VISIBLE, x, y, w, h, parent);
}

void Image::UseIconSize(int size) {
  if (icon_ && size == iconSize_) return;  // that image is already held
  UniqueIcon icon(static_cast<HICON>(LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(iconResourceId_),
                                                IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
  if (!icon) return;  // the image loaded before stays
  icon_ = std::move(icon);
  iconSize_ = size;
  if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

void Image::Paint(HDC dc) {
  RECT r;
  GetClientRect(Handle(), &r);
  FillWith(dc, r, background_);
  if (icon_) DrawIconEx(dc, 0, 0, icon_.get(), r.right, r.bottom, 0, nullptr, DI_NORMAL);
}

LRESULT Image::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (AnswerPaint(Handle(), msg, wp, [this](HDC dc) { Paint(dc); })) return 0;
  if (msg == WM_ERASEBKGND) return 1;
  return DefaultHandling(msg, wp, lp);
}

// EditField

void EditField::CreateIn(HWND parent, int x, int y, int w, int h, const Options& o) {
  DWORD style = WS_CHILD | ES_AUTOHSCROLL;
  if (o.visible) style |= WS_VISIBLE;
  if (o.tabStop) style |= WS_TABSTOP;
  if (o.readOnly) style |= ES_READONLY;
  if (o.multiLine) style |= ES_MULTILINE | ES_AUTOVSCROLL;
  if (o.flat) style |= WS_BORDER;
  CreateSubclassed(o.flat ? 0 : WS_EX_CLIENTEDGE, L"EDIT", L"", style, x, y, w, h, parent);
  if (o.color != clWindow) brush_.reset(CreateSolidBrush(ColorToRGB(o.color)));
}

AnsiString EditField::Text() const {
  int n = GetWindowTextLengthW(Handle());
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  n = GetWindowTextW(Handle(), text.data(), n + 1);
  text.resize(static_cast<std::size_t>(n));
  return ToAnsi(text);
}

void EditField::SetText(const AnsiString& text) { SetWindowTextW(Handle(), ToWide(text).c_str()); }

HBRUSH EditField::ControlColor(HDC dc) {
  if (!brush_) return nullptr;
  LOGBRUSH lb{};
  GetObjectW(brush_.get(), sizeof(lb), &lb);
  SetBkColor(dc, lb.lbColor);
  return brush_.get();
}

}  // namespace qv::win
