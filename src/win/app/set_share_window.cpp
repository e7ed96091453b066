#include "win/app/set_share_window.h"

#include "dialog/set_share_form.h"
#include "framework/dpi_scale.h"
#include "framework/errors.h"
#include "win/dialog/win_probe_platform.h"
#include "win/framework/cp932.h"
#include "win/framework/dpi.h"

namespace qv::win {

namespace {
using namespace set_share_form;
constexpr char kDesignedFont[] = "ＭＳ Ｐゴシック";

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

void CreateLabel(Label& label, HWND parent, const FormObjectDescription& d, TColor background) {
  label.CreateIn(parent, Setting(d, "Left"), Setting(d, "Top"), CaptionOf(d), background);
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
  return LayOutForm(SetShareFormDescription(), dpi, frame96.cx, frame96.cy);
}
}  // namespace

SetShareWindow::SetShareWindow() : fontName_(kDesignedFont) {}

SetShareWindow::~SetShareWindow() {
  if (worker_.joinable()) worker_.join();
}

void SetShareWindow::CreateWindowAndControls() {
  RegisterOnce(kSetShareClass, CS_DBLCLKS, GetSysColorBrush(COLOR_BTNFACE));
  const FormDescription& description = SetShareFormDescription();
  Create(kFormExStyle, kSetShareClass, ToWide("共有フォルダの設定"), kFormStyle, CW_USEDEFAULT,
         CW_USEDEFAULT, description.Width, description.Height, nullptr);
  HWND form = Handle();
  SetMainForm(true);
  dpi_ = DpiOfWindow(form);
  const FormLayout layout = LayoutFor(dpi_);
  fontHeight_ = layout.FontHeight;
  if (dpi_ != kDesignDpi) SizeClientArea(layout);
  ApplyTitleBarIcons();

  RECT client;
  GetClientRect(form, &client);
  const FormObjectDescription& panel = layout.Control(kTopPanel);
  panelHeight_ = Setting(panel, "Height");
  pnlTop_.CreateIn(form, Setting(panel, "Left"), Setting(panel, "Top"), client.right, panelHeight_,
                   clWindow);
  const FormObjectDescription& icon = layout.Control(kIcon);
  image1_.CreateIn(pnlTop_.Handle(), Setting(icon, "Left"), Setting(icon, "Top"),
                   Setting(icon, "Width"), Setting(icon, "Height"), kMainIconId, clWindow);
  UseIconSizeFor(layout);
  CreateLabel(labelTop1_, pnlTop_.Handle(), layout.Control(kTopText1), clWindow);
  CreateLabel(labelTop2_, pnlTop_.Handle(), layout.Control(kTopText2), clWindow);
  CreateLabel(labelTop3_, pnlTop_.Handle(), layout.Control(kTopText3), clWindow);

  CreateLabel(label3_, form, layout.Control(kPathPrompt), clBtnFace);
  CreateLabel(label2_, form, layout.Control(kPathLabel), clBtnFace);
  txtSharePath_.CreateIn(form, layout.Control(kSharePath), TakeTabOrder);
  btnSansyo_.CreateIn(form, layout.Control(kBrowseButton), TakeTabOrder);
  CreateLabel(label6_, form, layout.Control(kPathExample), clBtnFace);
  CreateLabel(label4_, form, layout.Control(kNamePrompt), clBtnFace);
  CreateLabel(label1_, form, layout.Control(kNameLabel), clBtnFace);
  txtShareName_.CreateIn(form, layout.Control(kShareName), TakeTabOrder);
  CreateLabel(label7_, form, layout.Control(kNameExample), clBtnFace);
  btnShare_.CreateIn(form, layout.Control(kShareButton), TakeTabOrder);
  btnCancel_.CreateIn(form, layout.Control(kCancelButton), TakeTabOrder);
  for (PlButtonWindow* b : {&btnSansyo_, &btnShare_, &btnCancel_}) b->Model().SetDpi(dpi_);
  EditField::Options memoOptions;
  memoOptions.multiLine = true;
  memoOptions.visible = false;
  const FormObjectDescription& memo = layout.Control(kMemo);
  memo1_.CreateIn(form, Setting(memo, "Left"), Setting(memo, "Top"), Setting(memo, "Width"),
                  Setting(memo, "Height"), memoOptions);
  memo1_.SetText("Memo1");
  CreateLabel(busyLabel_, form, layout.Control(kBusyText), clBtnFace);
  ShowWindow(busyLabel_.Handle(), SW_HIDE);

  btnSansyo_.Model().OnClick = [this](TxPlButton&) {
    if (logic_) logic_->btnSansyoClick();
  };
  btnShare_.Model().OnClick = [this](TxPlButton&) {
    if (logic_) logic_->btnShareClick();
  };
  btnCancel_.Model().OnClick = [this](TxPlButton&) {
    if (logic_) logic_->btnCancelClick();
  };

  // Creation order is the order in which the form offers dialog keys.
  for (Window* c :
       std::initializer_list<Window*>{&pnlTop_, &txtSharePath_, &btnSansyo_, &txtShareName_,
                                      &btnShare_, &btnCancel_, &memo1_}) {
    AddControl(c);
  }
  SetTabOrder({&txtSharePath_, &btnSansyo_, &txtShareName_, &btnShare_, &btnCancel_, &memo1_});
  ApplyFont();
}

void SetShareWindow::ShowFirstTime() {
  RECT r;
  GetWindowRect(Handle(), &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(Handle(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(Handle(), SW_SHOWNORMAL);
  UpdateWindow(Handle());
  shown_ = true;
  SelectNext(true);
  // Outside the message loop: an error here reaches the last-resort handler of start-up.
  if (logic_) logic_->ShowingChanged();
}

AnsiString SetShareWindow::IconTitleFontName() {
  LOGFONTW font{};
  SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0);
  return ToAnsi(font.lfFaceName);
}

void SetShareWindow::SetFontName(const AnsiString& faceName) {
  if (ToWide(faceName).size() >= LF_FACESIZE) {
    throw Exception(Format("Font name '%s' is too long", faceName.c_str()));
  }
  fontName_ = faceName;
  ApplyFont();
}

void SetShareWindow::ApplyFont() {
  LOGFONTW lf{};
  lf.lfHeight = fontHeight_;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  std::wstring face = ToWide(fontName_);
  face.copy(lf.lfFaceName, LF_FACESIZE - 1);
  font_.reset(CreateFontIndirectW(&lf));
  HFONT f = font_.get();
  for (Label* l : {&labelTop1_, &labelTop2_, &labelTop3_, &label3_, &label2_, &label6_, &label4_,
                   &label1_, &label7_, &busyLabel_}) {
    l->SetFont(f);
  }
  for (Window* w : std::initializer_list<Window*>{&txtSharePath_, &txtShareName_, &memo1_,
                                                  &btnSansyo_, &btnShare_, &btnCancel_}) {
    SendMessageW(w->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
  }
}

void SetShareWindow::SizeClientArea(const FormLayout& layout) {
  const SIZE frame = FrameSizeForDpi(kFormStyle, kFormExStyle, layout.Dpi);
  SetWindowPos(Handle(), nullptr, 0, 0, layout.ClientWidth + frame.cx,
               layout.ClientHeight + frame.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The big icon (task switcher, taskbar) at our size nearest to 32 x scale; the small one at the
// size the title bar draws at this DPI.
void SetShareWindow::ApplyTitleBarIcons() {
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
void SetShareWindow::UseIconSizeFor(const FormLayout& layout) {
  image1_.UseIconSize(NearestIconSize(Setting(layout.Control(kIcon), "Width")));
}

// Every control to its place at the new DPI, fonts first so that labels size to the new text.
void SetShareWindow::ApplyDpi(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  const FormLayout layout = LayoutFor(dpi_);
  fontHeight_ = layout.FontHeight;
  SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyTitleBarIcons();
  ApplyFont();

  const FormObjectDescription& panel = layout.Control(kTopPanel);
  panelHeight_ = Setting(panel, "Height");
  RECT client;
  GetClientRect(Handle(), &client);
  SetWindowPos(pnlTop_.Handle(), nullptr, Setting(panel, "Left"), Setting(panel, "Top"),
               client.right, panelHeight_, SWP_NOZORDER | SWP_NOACTIVATE);
  Move(image1_, layout.Control(kIcon));
  UseIconSizeFor(layout);
  const std::pair<Label*, const char*> labels[] = {
      {&labelTop1_, kTopText1}, {&labelTop2_, kTopText2}, {&labelTop3_, kTopText3},
      {&label3_, kPathPrompt},  {&label2_, kPathLabel},   {&label6_, kPathExample},
      {&label4_, kNamePrompt},  {&label1_, kNameLabel},   {&label7_, kNameExample},
      {&busyLabel_, kBusyText}};
  for (const auto& [label, name] : labels) Move(*label, layout.Control(name));
  txtSharePath_.Place(layout.Control(kSharePath));
  txtShareName_.Place(layout.Control(kShareName));
  Move(memo1_, layout.Control(kMemo));
  const std::pair<PlButtonWindow*, const char*> buttons[] = {
      {&btnSansyo_, kBrowseButton}, {&btnShare_, kShareButton}, {&btnCancel_, kCancelButton}};
  for (const auto& [button, name] : buttons) {
    button->Model().SetDpi(dpi_);
    ApplyButtonGeometry(button->Model(), layout.Control(name));
  }
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void SetShareWindow::SetTopTexts(const AnsiString& top1, const AnsiString& top2,
                                 const AnsiString& top3) {
  labelTop1_.SetCaption(top1);
  labelTop2_.SetCaption(top2);
  labelTop3_.SetCaption(top3);
}

void SetShareWindow::SetExampleLabelColor(TColor color) {
  label6_.SetFontColor(color);
  label7_.SetFontColor(color);
}

void SetShareWindow::CenterButtonCaptions() {
  for (PlButtonWindow* b : {&btnSansyo_, &btnShare_, &btnCancel_}) {
    b->Model().SetCaptionVertCenter(true);
  }
}

bool SetShareWindow::IsVisible() const { return Handle() && IsWindowVisible(Handle()); }

void SetShareWindow::RepaintNow() {
  RedrawWindow(Handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void SetShareWindow::RestoreDefaultCursor() {
  SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
}

void SetShareWindow::SetBusy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy) focusBeforeBusy_ = GetFocus();
  for (Window* w : std::initializer_list<Window*>{&btnShare_, &btnSansyo_, &btnCancel_,
                                                  &txtSharePath_, &txtShareName_}) {
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

void SetShareWindow::RunInBackground(std::function<void()> work, std::function<void()> done) {
  if (worker_.joinable()) throw Exception("The background work is still running");
  workDone_ = std::move(done);
  HWND self = Handle();
  worker_ = std::thread([self, work = std::move(work)] {
    work();
    PostMessageW(self, kWorkDoneMessage, 0, 0);
  });
}

LRESULT SetShareWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case kWorkDoneMessage:
      if (worker_.joinable()) {
        worker_.join();
        std::function<void()> done = std::move(workDone_);
        workDone_ = nullptr;
        if (done) done();
      }
      return 0;
    case WM_SETCURSOR:
      if (busy_) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_SIZE:
      // The top panel follows the dialog's width.
      if (pnlTop_.Handle()) {
        SetWindowPos(pnlTop_.Handle(), nullptr, 0, 0, LOWORD(lp), panelHeight_,
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
