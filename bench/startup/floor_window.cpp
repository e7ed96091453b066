// The floor for the start-up benchmark: the share-setup dialog's controls at their places, built
// plainly from the system's own STATIC, EDIT and BUTTON classes, with the same manifest, icon,
// texts and font, the same toolchain and flags as qvsetshare.exe. Whatever qvsetshare.exe costs
// above this is the price of its own framework, not of what it shows.
#include <windows.h>

namespace {

constexpr int kOuterWidth = 612;
constexpr int kOuterHeight = 388;
constexpr int kIconId = 1;
constexpr COLORREF kExampleColor = RGB(0, 0, 255);

HBRUSH whiteBrush;
HWND exampleLabels[2];
HWND topArea[5];  // the icon and the three texts on the white top panel, and the panel

struct Control {
  const wchar_t* cls;
  const wchar_t* text;
  DWORD style;
  int x, y, w, h;
};

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wp);
      HWND child = reinterpret_cast<HWND>(lp);
      for (HWND top : topArea) {
        if (child == top) {
          SetBkColor(dc, GetSysColor(COLOR_WINDOW));
          return reinterpret_cast<LRESULT>(whiteBrush);
        }
      }
      for (HWND example : exampleLabels) {
        if (child == example) SetTextColor(dc, kExampleColor);
      }
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDCANCEL) DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

HWND Add(HWND parent, const Control& c, int id) {
  return CreateWindowExW(0, c.cls, c.text, WS_CHILD | c.style, c.x, c.y, c.w, c.h, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  whiteBrush = GetSysColorBrush(COLOR_WINDOW);
  HICON bigIcon = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
  HICON smallIcon = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.hIcon = bigIcon;
  wc.hIconSm = smallIcon;
  wc.lpszClassName = L"FloorWindow";
  RegisterClassExW(&wc);
  HWND form = CreateWindowExW(
      WS_EX_CONTROLPARENT, wc.lpszClassName, L"共有フォルダの設定",
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN, CW_USEDEFAULT,
      CW_USEDEFAULT, kOuterWidth, kOuterHeight, nullptr, nullptr, instance, nullptr);
  RECT client;
  GetClientRect(form, &client);

  // The same face the dialog ends up with: the icon-title font's, else the designed one.
  LOGFONTW lf{};
  LOGFONTW iconTitle{};
  if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(iconTitle), &iconTitle, 0) &&
      iconTitle.lfFaceName[0]) {
    lstrcpynW(lf.lfFaceName, iconTitle.lfFaceName, LF_FACESIZE);
  } else {
    lstrcpynW(lf.lfFaceName, L"ＭＳ Ｐゴシック", LF_FACESIZE);
  }
  lf.lfHeight = -12;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  HFONT font = CreateFontIndirectW(&lf);

  constexpr DWORD kText = WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
  constexpr DWORD kButton = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
  const Control top[] = {
      {L"STATIC", L"", WS_VISIBLE | SS_ICON | SS_REALSIZECONTROL, 32, 16, 32, 32},
      {L"STATIC",
       L"このコンピュータで管理する財務会計データを、ネットワーク上の他のコンピュータから", kText,
       88, 16, 500, 16},
      {L"STATIC", L"利用できるようにするための設定を行います。", kText, 88, 40, 500, 16},
      {L"STATIC", L"管理する場所を選択した後に[共有]ボタンを押してください。", kText, 88, 64, 500,
       16},
      // Created last, below the texts in the z-order; it leaves them alone when it paints.
      {L"STATIC", L"", WS_VISIBLE | WS_CLIPSIBLINGS | SS_WHITERECT, 0, 0,
       static_cast<int>(client.right), 97},
  };
  const Control rest[] = {
      {L"STATIC", L"このコンピュータで管理する場所を[参照]ボタンより選択します:", kText, 40, 128,
       500, 16},
      {L"STATIC", L"管理する場所:", kText, 40, 160, 90, 16},
      {L"EDIT", L"C:\\VeltoData", WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | ES_READONLY, 136, 157,
       265, 18},
      {L"BUTTON", L"参照", kButton, 408, 155, 49, 23},
      {L"STATIC", L"例） C:\\VeltoData", kText, 136, 184, 200, 16},
      {L"STATIC", L"他のコンピュータで表示させる共有フォルダの名前を入力します:", kText, 40, 224,
       500, 16},
      {L"STATIC", L"共有名:", kText, 40, 256, 90, 16},
      {L"EDIT", L"VeltoData", WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 136, 253, 137,
       18},
      {L"STATIC", L"例） VeltoData", kText, 136, 280, 200, 16},
      {L"BUTTON", L"共有", kButton, 360, 304, 81, 26},
      {L"BUTTON", L"キャンセル", kButton, 472, 304, 81, 26},
      {L"EDIT", L"Memo1", WS_TABSTOP | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL, 8, 296, 185, 49},
      // Hidden like the dialog's own busy text, which shows only while the share is made.
      {L"STATIC", L"設定しています…", SS_LEFT | SS_NOPREFIX, 232, 311, 120, 16},
  };
  HWND controls[sizeof(top) / sizeof(top[0]) + sizeof(rest) / sizeof(rest[0])];
  int n = 0;
  for (const Control& c : top) topArea[n] = controls[n] = Add(form, c, 100 + n), ++n;
  for (const Control& c : rest) controls[n] = Add(form, c, 100 + n), ++n;
  SendMessageW(topArea[0], STM_SETICON, reinterpret_cast<WPARAM>(bigIcon), 0);
  exampleLabels[0] = controls[9];
  exampleLabels[1] = controls[13];
  SendMessageW(controls[12], EM_LIMITTEXT, 80, 0);
  SetWindowLongPtrW(controls[15], GWLP_ID, IDCANCEL);
  for (HWND c : controls) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

  RECT r;
  GetWindowRect(form, &r);
  SetWindowPos(form, nullptr, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(form, SW_SHOWNORMAL);
  UpdateWindow(form);
  SetFocus(controls[8]);  // the browse button, the first control that takes the focus

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(form, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  DeleteObject(font);
  DestroyIcon(bigIcon);
  DestroyIcon(smallIcon);
  return 0;
}
