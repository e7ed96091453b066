#include "win/app/share_dialog_window.h"

#include <stdexcept>

#include "dialog/share_dialog_form.h"
#include "framework/dpi_scale.h"
#include "framework/errors.h"
#include "win/dialog/win_probe_platform.h"
#include "win/framework/application.h"
#include "win/framework/cp932.h"
#include "win/framework/dpi.h"

namespace qv::win {

namespace {
using namespace share_dialog_form;

// The form keeps the tab order itself (SetTabOrder); every other setting belongs to the control.
void TakeTabOrder(const StoredProperty& property) {
  if (property.Name != "TabOrder") {
    throw Exception(Format("Unknown stored setting %s", property.Name.c_str()));
  }
}

// Posted by the background work when it has ended.
constexpr UINT kWorkDoneMessage = WM_APP + 1;

constexpr DWORD kFormStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT;

int Setting(const FormObjectDescription& d, const char* name) {
  return IntSetting(d, name).value_or(0);
}

AnsiString CaptionOf(const FormObjectDescription& d) {
  for (const StoredProperty& p : d.Properties) {
    if (const auto* text = std::get_if<AnsiString>(&p.Value); text && p.Name == "Caption") {
      return *text;
    }
  }
  return AnsiString();
}

void CreateLabel(Label& label, HWND parent, const FormObjectDescription& d, Color background) {
  // Every label gets the dialog's font once its face is chosen; it is measured then.
  label.CreateIn(parent, Setting(d, "Left"), Setting(d, "Top"), CaptionOf(d), background,
                 Label::Sizing::WithItsFont);
}

// Moves a control; one sized by itself (a label: no Width in its description) keeps its size.
void Move(const Window& control, const FormObjectDescription& d) {
  const auto width = IntSetting(d, "Width"), height = IntSetting(d, "Height");
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  if (!width || !height) flags |= SWP_NOSIZE;
  SetWindowPos(control.Handle(), nullptr, Setting(d, "Left"), Setting(d, "Top"), width.value_or(0),
               height.value_or(0), flags);
}

// The form laid out for `dpi`. Its frame at 96 DPI tells how much of the designed outer size
// is client area.
FormLayout LayoutFor(int dpi) {
  const SIZE frame96 = FrameSizeForDpi(kFormStyle, kFormExStyle, kDesignDpi);
  return LayOutForm(ShareDialogFormDescription(), dpi, frame96.cx, frame96.cy);
}
}  // namespace

ShareDialogWindow::ShareDialogWindow()
    : fontName_(kDesignedFont),
      work_(*this, kWorkDoneMessage, ToWide("共有フォルダを設定しています。")) {}

ShareDialogWindow::~ShareDialogWindow() = default;

void ShareDialogWindow::CreateWindowAndControls() {
  RegisterOnce(kShareDialogClass, CS_DBLCLKS, GetSysColorBrush(COLOR_BTNFACE));
  const FormDescription& description = ShareDialogFormDescription();
  Create(kFormExStyle, kShareDialogClass, ToWide(kTitle), kFormStyle, CW_USEDEFAULT, CW_USEDEFAULT,
         description.Width, description.Height, nullptr);
  HWND form = Handle();
  SetMainForm(true);
  dpi_ = DpiOfWindow(form);
  const FormLayout layout = LayoutFor(dpi_);
  fontHeight_ = layout.FontHeight;
  if (dpi_ != kDesignDpi) SizeClientArea(layout);
  ApplyTitleBarIcons();

  RECT client;
  GetClientRect(form, &client);
  const FormObjectDescription& panel = layout.Control(kHeaderPanel);
  panelHeight_ = Setting(panel, "Height");
  headerPanel_.CreateIn(form, Setting(panel, "Left"), Setting(panel, "Top"), client.right,
                        panelHeight_, clWindow);
  const FormObjectDescription& icon = layout.Control(kHeaderIcon);
  headerIcon_.CreateIn(headerPanel_.Handle(), Setting(icon, "Left"), Setting(icon, "Top"),
                       Setting(icon, "Width"), Setting(icon, "Height"), kMainIconId, clWindow);
  UseIconSizeFor(layout);
  CreateLabel(headerLine1_, headerPanel_.Handle(), layout.Control(kHeaderLine1), clWindow);
  CreateLabel(headerLine2_, headerPanel_.Handle(), layout.Control(kHeaderLine2), clWindow);
  CreateLabel(headerLine3_, headerPanel_.Handle(), layout.Control(kHeaderLine3), clWindow);

  CreateLabel(browseHintLabel_, form, layout.Control(kBrowseHint), clBtnFace);
  CreateLabel(sharePathLabel_, form, layout.Control(kSharePathLabel), clBtnFace);
  sharePathEdit_.CreateIn(form, layout.Control(kSharePathEdit), TakeTabOrder);
  browseButton_.CreateIn(form, layout.Control(kBrowseButton), TakeTabOrder);
  CreateLabel(sharePathExampleLabel_, form, layout.Control(kSharePathExample), clBtnFace);
  CreateLabel(shareNameHintLabel_, form, layout.Control(kShareNameHint), clBtnFace);
  CreateLabel(shareNameLabel_, form, layout.Control(kShareNameLabel), clBtnFace);
  shareNameEdit_.CreateIn(form, layout.Control(kShareNameEdit), TakeTabOrder);
  CreateLabel(shareNameExampleLabel_, form, layout.Control(kShareNameExample), clBtnFace);
  // Our labels are not the system's STATIC, from which screen readers would take the names.
  sharePathEdit_.SetAccessibleName(sharePathLabel_.Text());
  shareNameEdit_.SetAccessibleName(shareNameLabel_.Text());
  shareButton_.CreateIn(form, layout.Control(kShareButton), TakeTabOrder);
  cancelButton_.CreateIn(form, layout.Control(kCancelButton), TakeTabOrder);
  for (PlainButtonWindow* b : {&browseButton_, &shareButton_, &cancelButton_}) {
    b->Model().SetDpi(dpi_);
  }
  EditField::Options memoOptions;
  memoOptions.multiLine = true;
  memoOptions.visible = false;
  const FormObjectDescription& memo = layout.Control(kLayoutMemo);
  layoutMemo_.CreateIn(form, Setting(memo, "Left"), Setting(memo, "Top"), Setting(memo, "Width"),
                       Setting(memo, "Height"), memoOptions);
  layoutMemo_.SetText("Memo1");
  CreateLabel(busyLabel_, form, layout.Control(kBusyText), clBtnFace);
  ShowWindow(busyLabel_.Handle(), SW_HIDE);

  browseButton_.Model().OnClick = [this](PlainButton&) {
    if (logic_) logic_->OnBrowseClick();
  };
  shareButton_.Model().OnClick = [this](PlainButton&) {
    if (logic_) logic_->OnShareClick();
  };
  cancelButton_.Model().OnClick = [this](PlainButton&) {
    if (logic_) logic_->OnCancelClick();
  };

  // Creation order is the order in which the form offers dialog keys.
  for (Window* c : std::initializer_list<Window*>{&headerPanel_, &sharePathEdit_, &browseButton_,
                                                  &shareNameEdit_, &shareButton_, &cancelButton_,
                                                  &layoutMemo_}) {
    AddControl(c);
  }
  SetTabOrder({&sharePathEdit_, &browseButton_, &shareNameEdit_, &shareButton_, &cancelButton_,
               &layoutMemo_});

  // The creation handler picks the font's face; the controls take the font once, after it, rather
  // than the designed face first and the chosen one again (each new face is measured anew).
  if (logic_) logic_->OnCreate();
  ApplyFont();
}

void ShareDialogWindow::ShowFirstTime() {
  RECT r;
  GetWindowRect(Handle(), &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(Handle(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Shown, not painted here: the logic's showing handler repaints the dialog at once, and a
  // dialog without one is painted by the message loop. Painting here as well drew it twice.
  ShowWindow(Handle(), SW_SHOWNORMAL);
  shown_ = true;
  SelectNext(true);
  // Outside the message loop: an error here reaches the last-resort handler of start-up.
  if (logic_) logic_->ShowingChanged();
}

AnsiString ShareDialogWindow::IconTitleFontName() {
  LOGFONTW font{};
  SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0);
  return ToAnsi(font.lfFaceName);
}

void ShareDialogWindow::SetFontName(const AnsiString& faceName) {
  if (ToWide(faceName).size() >= LF_FACESIZE) {
    throw Exception(Format("Font name '%s' is too long", faceName.c_str()));
  }
  fontName_ = faceName;
  // Before the controls have their first font (during the creation handler) the face is only
  // noted: creation ends by applying it.
  if (font_) ApplyFont();
}

void ShareDialogWindow::ApplyFont() {
  LOGFONTW lf{};
  lf.lfHeight = fontHeight_;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  std::wstring face = ToWide(fontName_);
  face.copy(lf.lfFaceName, LF_FACESIZE - 1);
  font_.reset(CreateFontIndirectW(&lf));
  HFONT f = font_.get();
  for (Label* l : {&headerLine1_, &headerLine2_, &headerLine3_, &browseHintLabel_, &sharePathLabel_,
                   &sharePathExampleLabel_, &shareNameHintLabel_, &shareNameLabel_,
                   &shareNameExampleLabel_, &busyLabel_}) {
    l->SetFont(f);
  }
  for (Window* w : std::initializer_list<Window*>{&sharePathEdit_, &shareNameEdit_, &layoutMemo_,
                                                  &browseButton_, &shareButton_, &cancelButton_}) {
    SendMessageW(w->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
  }
}

void ShareDialogWindow::SizeClientArea(const FormLayout& layout) {
  const SIZE frame = FrameSizeForDpi(kFormStyle, kFormExStyle, layout.Dpi);
  SetWindowPos(Handle(), nullptr, 0, 0, layout.ClientWidth + frame.cx,
               layout.ClientHeight + frame.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The big icon (task switcher, taskbar) at our size nearest to 32 x scale; the small one at the
// size the title bar draws at this DPI.
void ShareDialogWindow::ApplyTitleBarIcons() {
  const int big = NearestIconSize(ScaleToDpi(32, dpi_));
  const int small = SystemMetricForDpi(SM_CXSMICON, dpi_);
  bigIcon_.reset(static_cast<HICON>(
      LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(kMainIconId), IMAGE_ICON, big, big, 0)));
  smallIcon_.reset(static_cast<HICON>(
      LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(kMainIconId), IMAGE_ICON, small, small, 0)));
  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
  SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
}

// Our image nearest to the control's size, rather than one the system scales from whichever
// it picks.
void ShareDialogWindow::UseIconSizeFor(const FormLayout& layout) {
  headerIcon_.UseIconSize(NearestIconSize(Setting(layout.Control(kHeaderIcon), "Width")));
}

// Every control to its place at the new DPI, fonts first so that labels size to the new text.
void ShareDialogWindow::ApplyDpi(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  const FormLayout layout = LayoutFor(dpi_);
  fontHeight_ = layout.FontHeight;
  SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyTitleBarIcons();
  ApplyFont();

  const FormObjectDescription& panel = layout.Control(kHeaderPanel);
  panelHeight_ = Setting(panel, "Height");
  RECT client;
  GetClientRect(Handle(), &client);
  SetWindowPos(headerPanel_.Handle(), nullptr, Setting(panel, "Left"), Setting(panel, "Top"),
               client.right, panelHeight_, SWP_NOZORDER | SWP_NOACTIVATE);
  Move(headerIcon_, layout.Control(kHeaderIcon));
  UseIconSizeFor(layout);
  const std::pair<Label*, const char*> labels[] = {{&headerLine1_, kHeaderLine1},
                                                   {&headerLine2_, kHeaderLine2},
                                                   {&headerLine3_, kHeaderLine3},
                                                   {&browseHintLabel_, kBrowseHint},
                                                   {&sharePathLabel_, kSharePathLabel},
                                                   {&sharePathExampleLabel_, kSharePathExample},
                                                   {&shareNameHintLabel_, kShareNameHint},
                                                   {&shareNameLabel_, kShareNameLabel},
                                                   {&shareNameExampleLabel_, kShareNameExample},
                                                   {&busyLabel_, kBusyText}};
  for (const auto& [label, name] : labels) Move(*label, layout.Control(AnsiString(name)));
  sharePathEdit_.Place(layout.Control(kSharePathEdit));
  shareNameEdit_.Place(layout.Control(kShareNameEdit));
  Move(layoutMemo_, layout.Control(kLayoutMemo));
  const std::pair<PlainButtonWindow*, const char*> buttons[] = {{&browseButton_, kBrowseButton},
                                                                {&shareButton_, kShareButton},
                                                                {&cancelButton_, kCancelButton}};
  for (const auto& [button, name] : buttons) {
    button->Model().SetDpi(dpi_);
    ApplyButtonGeometry(button->Model(), layout.Control(AnsiString(name)));
  }
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void ShareDialogWindow::SetTopTexts(const AnsiString& top1, const AnsiString& top2,
                                    const AnsiString& top3) {
  headerLine1_.SetCaption(top1);
  headerLine2_.SetCaption(top2);
  headerLine3_.SetCaption(top3);
}

void ShareDialogWindow::SetExampleLabelColor(Color color) {
  sharePathExampleLabel_.SetFontColor(color);
  shareNameExampleLabel_.SetFontColor(color);
}

void ShareDialogWindow::CenterButtonCaptions() {
  for (PlainButtonWindow* b : {&browseButton_, &shareButton_, &cancelButton_}) {
    b->Model().SetCaptionVertCenter(true);
  }
}

bool ShareDialogWindow::IsVisible() const { return Handle() && IsWindowVisible(Handle()); }

void ShareDialogWindow::RepaintNow() {
  RedrawWindow(Handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void ShareDialogWindow::RestoreDefaultCursor() {
  SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
}

void ShareDialogWindow::SetBusy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy) focusBeforeBusy_ = GetFocus();
  for (Window* w : std::initializer_list<Window*>{&shareButton_, &browseButton_, &cancelButton_,
                                                  &sharePathEdit_, &shareNameEdit_}) {
    EnableWindow(w->Handle(), busy ? FALSE : TRUE);
  }
  ShowWindow(busyLabel_.Handle(), busy ? SW_SHOWNA : SW_HIDE);
  if (!busy && focusBeforeBusy_ && IsWindow(focusBeforeBusy_)) SetFocus(focusBeforeBusy_);
  // The cursor changes now, not only when the mouse next moves.
  POINT cursor;
  if (GetCursorPos(&cursor) && WindowFromPoint(cursor) &&
      GetAncestor(WindowFromPoint(cursor), GA_ROOT) == Handle()) {
    SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
  }
}

void ShareDialogWindow::RunInBackground(std::function<void()> work,
                                        std::function<void(std::exception_ptr)> done) {
  work_.Start(std::move(work), std::move(done));
}

void ShareDialogWindow::ShowError(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    Application::Instance().HandleException(e);
  } catch (...) {
    Application::Instance().HandleException(std::runtime_error("unknown error"));
  }
}

LRESULT ShareDialogWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (std::optional<LRESULT> answered = work_.HandleMessage(msg, wp, lp)) return *answered;
  switch (msg) {
    case WM_SETCURSOR:
      if (busy_) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_SIZE:
      // The top panel follows the dialog's width.
      if (headerPanel_.Handle()) {
        SetWindowPos(headerPanel_.Handle(), nullptr, 0, 0, LOWORD(lp), panelHeight_,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      break;
    case WM_DPICHANGED:
      // Moved to a screen of another DPI (or that screen's scale changed): the suggested
      // rectangle keeps the window where the user put it, at the new size.
      if (lp) ApplyDpi(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_DESTROY:
      if (shown_ && logic_) {
        shown_ = false;
        ShowWindow(Handle(), SW_HIDE);
        logic_->ShowingChanged();
      }
      break;
    default:
      break;
  }
  return Form::HandleMessage(msg, wp, lp);
}

}  // namespace qv::win
