#include "win/app/set_share_window.h"

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
const FormObjectDescription kTxtSharePath{
    "txtSharePath",
    {P{"Left", std::int64_t{136}}, P{"Top", std::int64_t{157}}, P{"Width", std::int64_t{265}},
     P{"Height", std::int64_t{18}}, P{"TabStop", false}, P{"Color", FormIdent{"clBtnFace"}},
     P{"Ctl3D", false}, P{"ParentCtl3D", false}, P{"ReadOnly", true},
     P{"TabOrder", std::int64_t{0}}, P{"KeyEdit3D", FormIdent{"bsNone"}},
     P{"Long", std::int64_t{0}}}};
const FormObjectDescription kTxtShareName{
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
const FormObjectDescription kBtnSansyo =
    ButtonDescription("btnSansyo", 408, 155, 49, 23, 1, "参照");
const FormObjectDescription kBtnShare = ButtonDescription("btnShare", 360, 304, 81, 26, 3, "共有");
const FormObjectDescription kBtnCancel =
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

SetShareWindow::SetShareWindow() : fontName_(kDesignedFont) {}

SetShareWindow::~SetShareWindow() {
  if (worker_.joinable()) worker_.join();
}

void SetShareWindow::CreateWindowAndControls() {
  RegisterOnce(kSetShareClass, CS_DBLCLKS, GetSysColorBrush(COLOR_BTNFACE));
  Create(WS_EX_CONTROLPARENT, kSetShareClass, ToWide("共有フォルダの設定"), kFormStyle,
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
  pnlTop_.CreateIn(form, 0, 0, client.right, 97, clWindow);
  image1_.CreateIn(pnlTop_.Handle(), 32, 16, 32, 32, kMainIconId, clWindow);
  labelTop1_.CreateIn(pnlTop_.Handle(), 88, 16, "", clWindow);
  labelTop2_.CreateIn(pnlTop_.Handle(), 88, 40, "", clWindow);
  labelTop3_.CreateIn(pnlTop_.Handle(), 88, 64, "", clWindow);

  label3_.CreateIn(form, 40, 128,
                   "このコンピュータで管理する場所を[参照]ボタンより選択します:", clBtnFace);
  label2_.CreateIn(form, 40, 160, "管理する場所:", clBtnFace);
  txtSharePath_.CreateIn(form, kTxtSharePath, TakeTabOrder);
  btnSansyo_.CreateIn(form, kBtnSansyo, TakeTabOrder);
  label6_.CreateIn(form, 136, 184, "例） C:\\VeltoData", clBtnFace);
  label4_.CreateIn(form, 40, 224,
                   "他のコンピュータで表示させる共有フォルダの名前を入力します:", clBtnFace);
  label1_.CreateIn(form, 40, 256, "共有名:", clBtnFace);
  txtShareName_.CreateIn(form, kTxtShareName, TakeTabOrder);
  label7_.CreateIn(form, 136, 280, "例） VeltoData", clBtnFace);
  // Our labels are not the system's STATIC, from which screen readers would take the names.
  txtSharePath_.SetAccessibleName(label2_.Text());
  txtShareName_.SetAccessibleName(label1_.Text());
  btnShare_.CreateIn(form, kBtnShare, TakeTabOrder);
  btnCancel_.CreateIn(form, kBtnCancel, TakeTabOrder);
  EditField::Options memoOptions;
  memoOptions.multiLine = true;
  memoOptions.visible = false;
  memo1_.CreateIn(form, 8, 296, 185, 49, memoOptions);
  memo1_.SetText("Memo1");
  // Left of the buttons, shown only while the share button's work runs.
  busyLabel_.CreateIn(form, 232, 311, "設定しています…", clBtnFace);
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
  lf.lfHeight = -12;
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
        SetWindowPos(pnlTop_.Handle(), nullptr, 0, 0, LOWORD(lp), 97,
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
