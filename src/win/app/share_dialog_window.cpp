#include "win/app/share_dialog_window.h"

#include "framework/errors.h"
#include "win/dialog/win_probe_platform.h"
#include "win/framework/cp932.h"

namespace qv::win {

namespace {
constexpr int kOuterWidth = 612;
constexpr int kOuterHeight = 388;
constexpr char kDesignedFont[] = "ＭＳ Ｐゴシック";
// The form description of the dialog's own control kinds: the settings it stores, in their
// stored order (positions, captions, the caption top that switches centring off).
using P = StoredProperty;
const FormObjectDescription kSharePathEdit{
    "txtSharePath",
    {P{"Left", std::int64_t{136}}, P{"Top", std::int64_t{157}}, P{"Width", std::int64_t{265}},
     P{"Height", std::int64_t{18}}, P{"TabStop", false}, P{"Color", FormIdent{"clBtnFace"}},
     P{"Ctl3D", false}, P{"ParentCtl3D", false}, P{"ReadOnly", true},
     P{"TabOrder", std::int64_t{0}}, P{"KeyEdit3D", FormIdent{"bsNone"}},
     P{"Long", std::int64_t{0}}}};
const FormObjectDescription kShareNameEdit{
    "txtShareName",
    {P{"Left", std::int64_t{136}}, P{"Top", std::int64_t{253}}, P{"Width", std::int64_t{137}},
     P{"Height", std::int64_t{18}}, P{"Ctl3D", false}, P{"MaxLength", std::int64_t{80}},
     P{"ParentCtl3D", false}, P{"TabOrder", std::int64_t{2}}, P{"KeyEdit3D", FormIdent{"bsNone"}},
     P{"Long", std::int64_t{0}}}};

FormObjectDescription ButtonDescription(const char* name, int left, int top, int width, int height,
                                        int tabOrder, const char* caption) {
  return {
      name,
      {P{"Left", std::int64_t{left}}, P{"Top", std::int64_t{top}}, P{"Width", std::int64_t{width}},
       P{"Height", std::int64_t{height}}, P{"TabOrder", std::int64_t{tabOrder}},
       P{"Image.Top", std::int64_t{0}}, P{"CaptionA.Caption", AnsiString(caption)},
       P{"CaptionTop", std::int64_t{8}}, P{"CaptionVertCenter", false}}};
}
const FormObjectDescription kBrowseButton =
    ButtonDescription("btnSansyo", 408, 155, 49, 23, 1, "参照");
const FormObjectDescription kShareButton =
    ButtonDescription("btnShare", 360, 304, 81, 26, 3, "共有");
const FormObjectDescription kCancelButton =
    ButtonDescription("btnCancel", 472, 304, 81, 26, 4, "キャンセル");

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
}  // namespace

ShareDialogWindow::ShareDialogWindow() : fontName_(kDesignedFont) {}

ShareDialogWindow::~ShareDialogWindow() {
  if (worker_.joinable()) worker_.join();
}

void ShareDialogWindow::CreateWindowAndControls() {
  RegisterOnce(kShareDialogClass, CS_DBLCLKS, GetSysColorBrush(COLOR_BTNFACE));
  Create(WS_EX_CONTROLPARENT, kShareDialogClass, ToWide("共有フォルダの設定"), kFormStyle,
         CW_USEDEFAULT, CW_USEDEFAULT, kOuterWidth, kOuterHeight, nullptr);
  HWND form = Handle();
  SetMainForm(true);
  bigIcon_.reset(static_cast<HICON>(
      LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(kMainIconId), IMAGE_ICON, 32, 32, 0)));
  smallIcon_.reset(static_cast<HICON>(
      LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(kMainIconId), IMAGE_ICON, 16, 16, 0)));
  SendMessageW(form, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
  SendMessageW(form, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));

  RECT client;
  GetClientRect(form, &client);
  headerPanel_.CreateIn(form, 0, 0, client.right, 97, clWindow);
  headerIcon_.CreateIn(headerPanel_.Handle(), 32, 16, 32, 32, kMainIconId, clWindow);
  headerLine1_.CreateIn(headerPanel_.Handle(), 88, 16, "", clWindow);
  headerLine2_.CreateIn(headerPanel_.Handle(), 88, 40, "", clWindow);
  headerLine3_.CreateIn(headerPanel_.Handle(), 88, 64, "", clWindow);

  browseHintLabel_.CreateIn(
      form, 40, 128, "このコンピュータで管理する場所を[参照]ボタンより選択します:", clBtnFace);
  sharePathLabel_.CreateIn(form, 40, 160, "管理する場所:", clBtnFace);
  sharePathEdit_.CreateIn(form, kSharePathEdit, TakeTabOrder);
  browseButton_.CreateIn(form, kBrowseButton, TakeTabOrder);
  sharePathExampleLabel_.CreateIn(form, 136, 184, "例） C:\\VeltoData", clBtnFace);
  shareNameHintLabel_.CreateIn(
      form, 40, 224, "他のコンピュータで表示させる共有フォルダの名前を入力します:", clBtnFace);
  shareNameLabel_.CreateIn(form, 40, 256, "共有名:", clBtnFace);
  shareNameEdit_.CreateIn(form, kShareNameEdit, TakeTabOrder);
  shareNameExampleLabel_.CreateIn(form, 136, 280, "例） VeltoData", clBtnFace);
  // Our labels are not the system's STATIC, from which screen readers would take the names.
  sharePathEdit_.SetAccessibleName(sharePathLabel_.Text());
  shareNameEdit_.SetAccessibleName(shareNameLabel_.Text());
  shareButton_.CreateIn(form, kShareButton, TakeTabOrder);
  cancelButton_.CreateIn(form, kCancelButton, TakeTabOrder);
  EditField::Options memoOptions;
  memoOptions.multiLine = true;
  memoOptions.visible = false;
  layoutMemo_.CreateIn(form, 8, 296, 185, 49, memoOptions);
  layoutMemo_.SetText("Memo1");
  // Left of the buttons, shown only while the share button's work runs.
  busyLabel_.CreateIn(form, 232, 311, "設定しています…", clBtnFace);
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
  ApplyFont();
}

void ShareDialogWindow::ShowFirstTime() {
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
  ApplyFont();
}

void ShareDialogWindow::ApplyFont() {
  LOGFONTW lf{};
  lf.lfHeight = -12;
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

void ShareDialogWindow::RunInBackground(std::function<void()> work, std::function<void()> done) {
  if (worker_.joinable()) throw Exception("The background work is still running");
  workDone_ = std::move(done);
  HWND self = Handle();
  worker_ = std::thread([self, work = std::move(work)] {
    work();
    PostMessageW(self, kWorkDoneMessage, 0, 0);
  });
}

LRESULT ShareDialogWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
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
      if (headerPanel_.Handle()) {
        SetWindowPos(headerPanel_.Handle(), nullptr, 0, 0, LOWORD(lp), 97,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      break;
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
