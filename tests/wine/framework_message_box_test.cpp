// Our own message box against the real window manager: a second thread plays the user.
#include <gtest/gtest.h>
#include <windows.h>

#include <oleacc.h>
#include <oleauto.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "framework/errors.h"
#include "win/framework/application.h"
#include "win/framework/message_box_window.h"

namespace qv::win {
namespace {

struct SeenBox {
  std::wstring caption;
  std::wstring text;
  std::vector<std::wstring> buttons;
  std::vector<RECT> buttonRects;  // client coordinates of the box
  RECT window{};
  RECT textRect{};
  RECT client{};
};

// Our own process's box only: ctest runs other test processes beside this one, and their boxes
// share the screen.
HWND WaitForBox() {
  for (int i = 0; i < 200; ++i) {
    for (HWND box = FindWindowExW(nullptr, nullptr, kMessageBoxClass, nullptr); box;
         box = FindWindowExW(nullptr, box, kMessageBoxClass, nullptr)) {
      DWORD pid = 0;
      GetWindowThreadProcessId(box, &pid);
      if (pid == GetCurrentProcessId() && IsWindowVisible(box)) return box;
    }
    Sleep(25);
  }
  return nullptr;
}

std::wstring Text(HWND h) {
  wchar_t buf[1024];
  GetWindowTextW(h, buf, 1024);
  return buf;
}

SeenBox Read(HWND box) {
  SeenBox seen;
  seen.caption = Text(box);
  GetWindowRect(box, &seen.window);
  GetClientRect(box, &seen.client);
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    wchar_t cls[64];
    GetClassNameW(c, cls, 64);
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
    if (std::wstring(cls) == L"Button") {
      seen.buttons.push_back(Text(c));
      seen.buttonRects.push_back(r);
    } else {
      seen.text = Text(c);
      seen.textRect = r;
    }
  }
  return seen;
}

// Shows a box on this thread while `user` acts on it from another; returns the answer.
int ShowWhile(const AnsiString& text, const MessageBoxLayout& layout,
              const std::function<void(HWND, const SeenBox&)>& user, SeenBox* seenOut = nullptr) {
  std::thread player([&] {
    HWND box = WaitForBox();
    ASSERT_NE(box, nullptr);
    SeenBox seen = Read(box);
    if (seenOut) *seenOut = seen;
    user(box, seen);
  });
  int result = ShowMessageBox(text, layout);
  player.join();
  return result;
}

HWND ButtonWithText(HWND box, const std::wstring& text) {
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (Text(c) == text) return c;
  }
  return nullptr;
}

// The box's child that holds the keyboard focus, once the box has given it one: the box is
// visible a moment before it sets its focus. nullptr when no child of the box gets it.
HWND WaitForFocusedChild(HWND box) {
  for (int i = 0; i < 100; ++i) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &info);
    if (info.hwndFocus && IsChild(box, info.hwndFocus)) return info.hwndFocus;
    Sleep(20);
  }
  return nullptr;
}

TEST(MessageBoxWindow, EachButtonAnswersItsResult) {
  struct Case {
    MessageButtons set;
    const wchar_t* press;
    int expected;
  };
  const Case cases[] = {
      {MessageButton::Ok, L"OK", MessageResult::Ok},
      {MessageButton::Ok | MessageButton::Cancel, L"OK", MessageResult::Ok},
      {MessageButton::Ok | MessageButton::Cancel, L"キャンセル", MessageResult::Cancel},
      {MessageButton::Yes | MessageButton::No, L"はい(&Y)", MessageResult::Yes},
      {MessageButton::Yes | MessageButton::No, L"いいえ(&N)", MessageResult::No},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "set " << c.set);
    int result = ShowWhile("本文", BuildMessageBox(MessageKind::Confirmation, c.set),
                           [&](HWND box, const SeenBox&) {
                             HWND b = ButtonWithText(box, c.press);
                             ASSERT_NE(b, nullptr);
                             PostMessageW(b, BM_CLICK, 0, 0);
                           });
    EXPECT_EQ(result, c.expected);
  }
}

TEST(MessageBoxWindow, CloseBoxAnswersCancelWhateverTheButtons) {
  for (MessageButtons set : {MessageButtons(MessageButton::Ok),
                             MessageButtons(MessageButton::Yes | MessageButton::No)}) {
    int result = ShowWhile("x", BuildMessageBox(MessageKind::Warning, set),
                           [](HWND box, const SeenBox&) { PostMessageW(box, WM_CLOSE, 0, 0); });
    EXPECT_EQ(result, MessageResult::Cancel);
  }
}

TEST(MessageBoxWindow, EnterPressesDefaultAndEscapeTheCancelButton) {
  // Focus starts on the default button; keys go to whatever child has it.
  auto toFocused = [](WPARAM key) {
    return [key](HWND box, const SeenBox&) {
      HWND focused = WaitForFocusedChild(box);
      PostMessageW(focused ? focused : box, WM_KEYDOWN, key, 0);
    };
  };
  EXPECT_EQ(ShowWhile("x",
                      BuildMessageBox(MessageKind::Confirmation,
                                      MessageButton::Ok | MessageButton::Cancel),
                      toFocused(VK_RETURN)),
            MessageResult::Ok);
  EXPECT_EQ(ShowWhile("x",
                      BuildMessageBox(MessageKind::Confirmation,
                                      MessageButton::Ok | MessageButton::Cancel),
                      toFocused(VK_ESCAPE)),
            MessageResult::Cancel);
  EXPECT_EQ(
      ShowWhile("x", BuildMessageBox(MessageKind::Warning, MessageButton::Yes | MessageButton::No),
                toFocused(VK_RETURN)),
      MessageResult::Yes);
  EXPECT_EQ(
      ShowWhile("x", BuildMessageBox(MessageKind::Warning, MessageButton::Yes | MessageButton::No),
                toFocused(VK_ESCAPE)),
      MessageResult::No);
  EXPECT_EQ(ShowWhile("x", BuildMessageBox(MessageKind::Information, MessageButton::Ok),
                      toFocused(VK_ESCAPE)),
            MessageResult::Ok);
}

TEST(MessageBoxWindow, ASetWithoutOkOrYesStartsOnItsFirstButton) {
  struct Case {
    MessageButtons set;
    WPARAM key;
    const wchar_t* focused;
    int expected;
  };
  const Case cases[] = {
      {MessageButton::Cancel, VK_RETURN, L"キャンセル", MessageResult::Cancel},
      {MessageButton::Cancel, VK_ESCAPE, L"キャンセル", MessageResult::Cancel},
      {MessageButton::No | MessageButton::Cancel, VK_RETURN, L"いいえ(&N)", MessageResult::No},
      {MessageButton::No | MessageButton::Cancel, VK_ESCAPE, L"いいえ(&N)", MessageResult::Cancel},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "set " << c.set << " key " << c.key);
    std::wstring focused;
    int result = ShowWhile("x", BuildMessageBox(MessageKind::Confirmation, c.set),
                           [&](HWND box, const SeenBox&) {
                             HWND child = WaitForFocusedChild(box);
                             if (child) focused = Text(child);
                             PostMessageW(child ? child : box, WM_KEYDOWN, c.key, 0);
                             // A key that presses nothing would leave the box up for good.
                             for (int i = 0; i < 100 && IsWindow(box); ++i) Sleep(20);
                             if (IsWindow(box)) PostMessageW(box, WM_CLOSE, 0, 0);
                           });
    EXPECT_EQ(focused, c.focused);
    EXPECT_EQ(result, c.expected);
  }
}

// The focused child of the box's thread, once it is the wanted one (nullptr after 2 s).
HWND WaitForFocusOn(HWND box, const std::wstring& text) {
  for (int i = 0; i < 100; ++i) {
    HWND focused = WaitForFocusedChild(box);
    if (focused && Text(focused) == text) return focused;
    Sleep(20);
  }
  return nullptr;
}

// Left for another window and come back to, the box gives the keyboard back to the button that
// had it, as a dialog box does, so that Enter and Esc still work without a click.
TEST(MessageBoxWindow, ComingBackToTheBoxGivesTheFocusBackToItsButton) {
  const int result = ShowWhile(
      "x", BuildMessageBox(MessageKind::Confirmation, MessageButton::Yes | MessageButton::No),
      [&](HWND box, const SeenBox&) {
        HWND yes = WaitForFocusOn(box, L"はい(&Y)");
        ASSERT_NE(yes, nullptr);
        PostMessageW(yes, WM_KEYDOWN, VK_TAB, 0);
        ASSERT_NE(WaitForFocusOn(box, L"いいえ(&N)"), nullptr);

        // Another top-level window, of another thread, takes the activation.
        HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                     nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(other, nullptr);
        SetForegroundWindow(other);
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        for (int i = 0; i < 100; ++i) {
          MSG m;
          while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
          GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &info);
          if (info.hwndActive != box) break;
          Sleep(20);
        }
        EXPECT_NE(info.hwndActive, box) << "the box was never left";

        SetForegroundWindow(box);
        for (int i = 0; i < 100; ++i) {
          GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &info);
          if (info.hwndActive == box) break;
          Sleep(20);
        }
        DestroyWindow(other);
        // Enter goes to the box's thread, which presses the button holding its focus.
        PostMessageW(box, WM_KEYDOWN, VK_RETURN, 0);
        for (int i = 0; i < 100 && IsWindow(box); ++i) Sleep(20);
        if (IsWindow(box)) PostMessageW(box, WM_CLOSE, 0, 0);
      });
  // Not Yes, the default, nor the Cancel of a box left standing: the focus went back to the
  // button the user had moved it to.
  EXPECT_EQ(result, MessageResult::No);
}

TEST(MessageBoxWindow, LayoutCaptionTextAndCentring) {
  SeenBox seen;
  ShowWhile(
      "一行目\r二行目\r",
      BuildMessageBox(MessageKind::Confirmation, MessageButton::Ok | MessageButton::Cancel),
      [](HWND box, const SeenBox&) { PostMessageW(box, WM_CLOSE, 0, 0); }, &seen);
  EXPECT_EQ(seen.caption, L"確認");
  // A lone carriage return breaks the line.
  EXPECT_EQ(seen.text, L"一行目\r\n二行目\r\n");
  ASSERT_EQ(seen.buttons, (std::vector<std::wstring>{L"OK", L"キャンセル"}));
  // Buttons side by side, centred below the text.
  const RECT& first = seen.buttonRects.front();
  const RECT& last = seen.buttonRects.back();
  EXPECT_EQ(first.top, last.top);
  EXPECT_GE(first.top, seen.textRect.bottom);
  EXPECT_NEAR(first.left - seen.client.left, seen.client.right - last.right, 1);
  // The box centred on the screen.
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_NEAR((seen.window.left + seen.window.right) / 2, sw / 2, 1);
  EXPECT_NEAR((seen.window.top + seen.window.bottom) / 2, sh / 2, 1);
}

TEST(MessageBoxWindow, LongTextWrapsAtHalfTheScreenWidth) {
  AnsiString longText;
  for (int i = 0; i < 40; ++i) longText += "共有フォルダ ";
  SeenBox seen;
  ShowWhile(
      longText, BuildMessageBox(MessageKind::Information, MessageButton::Ok),
      [](HWND box, const SeenBox&) { PostMessageW(box, WM_CLOSE, 0, 0); }, &seen);
  int sw = GetSystemMetrics(SM_CXSCREEN);
  EXPECT_LE(seen.textRect.right - seen.textRect.left, sw / 2 + 1);
  EXPECT_GT(seen.textRect.bottom - seen.textRect.top, 3 * 12);  // several lines
}

// The usage is laid out in columns: in the box its font gives every half-width character the
// same width, or the columns drift apart.
TEST(MessageBoxWindow, AFixedPitchBoxKeepsItsColumns) {
  for (bool fixedPitch : {false, true}) {
    SCOPED_TRACE(fixedPitch ? "fixed pitch" : "message font");
    MessageBoxLayout layout = BuildMessageBox(MessageKind::Information, MessageButton::Ok);
    layout.fixedPitch = fixedPitch;
    SIZE narrow{}, wide{};
    ShowWhile("iiii\rMMMM", layout, [&](HWND box, const SeenBox&) {
      for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[64];
        GetClassNameW(c, cls, 64);
        if (std::wstring(cls) != L"Static") continue;
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(c, WM_GETFONT, 0, 0));
        HDC dc = GetDC(c);
        HGDIOBJ old = SelectObject(dc, font);
        GetTextExtentPoint32W(dc, L"iiii", 4, &narrow);
        GetTextExtentPoint32W(dc, L"MMMM", 4, &wide);
        SelectObject(dc, old);
        ReleaseDC(c, dc);
      }
      PostMessageW(box, WM_CLOSE, 0, 0);
    });
    ASSERT_GT(narrow.cx, 0);
    if (fixedPitch) {
      EXPECT_EQ(narrow.cx, wide.cx);
    } else {
      EXPECT_LT(narrow.cx, wide.cx) << "the message font is proportional";
    }
  }
}

// Ctrl+C puts the box on the clipboard as the system's boxes do; screen readers hear of the box
// through the alert event it raises when it opens.
std::vector<HWND> g_alerts;
void CALLBACK OnAlert(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG, LONG, DWORD, DWORD) {
  if (event == EVENT_SYSTEM_ALERT) g_alerts.push_back(hwnd);
}

TEST(MessageBoxWindow, CtrlCCopiesTheBoxAndOpeningRaisesAnAlert) {
  g_alerts.clear();
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_SYSTEM_ALERT, nullptr, OnAlert,
                                       GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
  HWND shown = nullptr;
  ShowWhile("一行目\r二行目",
            BuildMessageBox(MessageKind::Warning, MessageButton::Yes | MessageButton::No),
            [&](HWND box, const SeenBox&) {
              shown = box;
              WaitForFocusedChild(box);
              SetForegroundWindow(box);
              INPUT keys[4] = {};
              const WORD sequence[4] = {VK_CONTROL, 'C', 'C', VK_CONTROL};
              for (int i = 0; i < 4; ++i) {
                keys[i].type = INPUT_KEYBOARD;
                keys[i].ki.wVk = sequence[i];
                keys[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
              }
              SendInput(4, keys, sizeof(INPUT));
              Sleep(300);
              PostMessageW(box, WM_CLOSE, 0, 0);
            });
  UnhookWinEvent(hook);
  EXPECT_EQ(g_alerts, std::vector<HWND>{shown});
  std::wstring copied;
  if (OpenClipboard(nullptr)) {
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
        copied = text;
        GlobalUnlock(data);
      }
    }
    CloseClipboard();
  }
  const std::wstring rule = L"---------------------------\r\n";
  EXPECT_EQ(copied, rule + L"警告\r\n" + rule + L"一行目\r\n二行目\r\n" + rule +
                        L"はい(Y)   いいえ(N)   \r\n" + rule);
}

// What a screen reader hears when the box opens: it takes the object from the alert event, as
// screen readers do, and reads a dialog named by the caption whose description is the text, with
// the text and the buttons still there as its children.
struct Heard {
  HRESULT fetched = E_FAIL;
  LONG role = 0;
  std::wstring name, description;
  LONG children = 0;
};
Heard g_heard;

std::wstring Taken(BSTR text) {
  std::wstring s = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
  SysFreeString(text);
  return s;
}

void CALLBACK ReadAlert(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  IAccessible* acc = nullptr;
  VARIANT self;
  VariantInit(&self);
  g_heard.fetched = AccessibleObjectFromEvent(hwnd, object, child, &acc, &self);
  if (FAILED(g_heard.fetched) || !acc) return;
  VARIANT role;
  VariantInit(&role);
  if (SUCCEEDED(acc->get_accRole(self, &role)) && role.vt == VT_I4) g_heard.role = role.lVal;
  BSTR text = nullptr;
  if (SUCCEEDED(acc->get_accName(self, &text))) g_heard.name = Taken(text);
  text = nullptr;
  if (SUCCEEDED(acc->get_accDescription(self, &text))) g_heard.description = Taken(text);
  acc->get_accChildCount(&g_heard.children);
  acc->Release();
  VariantClear(&self);
}

TEST(MessageBoxWindow, AScreenReaderHearsADialogWithItsText) {
  g_heard = Heard();
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_SYSTEM_ALERT, EVENT_SYSTEM_ALERT, nullptr, ReadAlert,
                                       GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  ShowWhile("共有フォルダを設定しました。\r続けますか？",
            BuildMessageBox(MessageKind::Confirmation, MessageButton::Ok | MessageButton::Cancel),
            [](HWND box, const SeenBox&) {
              Sleep(300);
              PostMessageW(box, WM_CLOSE, 0, 0);
            });
  UnhookWinEvent(hook);
  ASSERT_EQ(g_heard.fetched, S_OK);
  EXPECT_EQ(g_heard.role, ROLE_SYSTEM_DIALOG);
  EXPECT_EQ(g_heard.name, L"確認");
  EXPECT_EQ(g_heard.description, L"共有フォルダを設定しました。\r\n続けますか？");
  EXPECT_EQ(g_heard.children, 3) << "the text and both buttons";
}

TEST(ApplicationErrors, HandlerErrorShownWithClosingPeriodUnderTheTitle) {
  Application::Instance().SetTitle("共有フォルダの設定");
  SeenBox seen;
  std::thread player([&] {
    HWND box = WaitForBox();
    ASSERT_NE(box, nullptr);
    seen = Read(box);
    PostMessageW(box, WM_CLOSE, 0, 0);
  });
  Application::Instance().HandleException(
      Exception("フォルダへのEveryone権限の付与に失敗しました。"));
  player.join();
  EXPECT_EQ(seen.caption, L"共有フォルダの設定");
  EXPECT_EQ(seen.text, L"フォルダへのEveryone権限の付与に失敗しました。.");
  EXPECT_EQ(seen.buttons, std::vector<std::wstring>{L"OK"});
}

TEST(ApplicationErrors, LastResortBoxNamesTheErrorAndGivesItsMessage) {
  SeenBox seen;
  std::thread player([&] {
    HWND box = WaitForBox();
    ASSERT_NE(box, nullptr);
    seen = Read(box);
    PostMessageW(box, WM_CLOSE, 0, 0);
  });
  Application::Instance().ShowLastResortError(OsError(122, "too small"));
  player.join();
  EXPECT_EQ(seen.caption, L"アプリケーション エラー");
  EXPECT_NE(seen.text.find(L"EOSError"), std::wstring::npos);
  EXPECT_NE(seen.text.find(L"システムエラー。コード：122."), std::wstring::npos);
}

}  // namespace
}  // namespace qv::win
