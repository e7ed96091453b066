// The extended edit box as a real EDIT control on a form: its caret rules, focus keys, paste
// filter, reading capture and locale mappings against the system's own behaviour.
#include <windows.h>

#include <imm.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "controls/form_description.h"
#include "test_form.h"
#include "win/controls/edit_window.h"
#include "win/controls/plain_button_window.h"
#include "win/framework/cp932.h"
#include "win/framework/form.h"

namespace qv::win {
namespace {

using P = StoredProperty;

FormObjectDescription FieldDescription(const char* name, int top, std::vector<P> extra = {}) {
  FormObjectDescription d{
      AnsiString(name),
      {P{"Left", std::int64_t{10}}, P{"Top", std::int64_t{top}}, P{"Width", std::int64_t{137}},
       P{"Height", std::int64_t{18}}, P{"Ctl3D", false}, P{"ParentCtl3D", false},
       P{"KeyEdit3D", FormIdent{"bsNone"}}, P{"Long", std::int64_t{0}}}};
  for (P& p : extra) d.Properties.push_back(std::move(p));
  return d;
}

class EditWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    form.CreateHidden();
    ASSERT_TRUE(form.Handle());
    before.CreateIn(form.Handle(), FieldDescription("txtBefore", 10));
    field.CreateIn(form.Handle(), FieldDescription("txtField", 40));
    after.CreateIn(form.Handle(), FieldDescription("txtAfter", 70));
    for (Window* w : std::initializer_list<Window*>{&before, &field, &after}) form.AddControl(w);
    form.SetTabOrder({&before, &field, &after});
    ShowWindow(form.Handle(), SW_SHOW);
    SetForegroundWindow(form.Handle());
    Pump();
  }

  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (Form::PreTranslate(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  static void Key(HWND target, WORD vk) {
    PostMessageW(target, WM_KEYDOWN, vk, 1);
    Pump();
    PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
    Pump();
  }
  static void Char(HWND target, wchar_t c) {
    PostMessageW(target, WM_CHAR, c, 1);
    Pump();
  }
  // The field enters again from another control, as the user would tab in.
  void Reenter() {
    SetFocus(before.Handle());
    Pump();
    SetFocus(field.Handle());
    Pump();
  }

  TestForm form;
  EditWindow before, field, after;
};

// Positions are the control's characters: a double-byte character is one.
TEST_F(EditWindowTest, EntryPutsCaretAndSelectionByTheCaretRule) {
  struct Case {
    EntryCaret rule;
    const char* text;
    DWORD start, end;
  };
  const std::vector<Case> cases = {
      {EntryCaret::SelectAll, "ABC", 0, 3}, {EntryCaret::Left, "ABC", 0, 0},
      {EntryCaret::Right, "ABC", 3, 3},     {EntryCaret::SelectAll, "共有AB", 0, 4},
      {EntryCaret::Right, "共有AB", 4, 4},  {EntryCaret::Right, "", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SCOPED_TRACE(static_cast<int>(c.rule));
    field.Model().SetCursorPos(c.rule);
    field.SetText(AnsiString(c.text));
    SendMessageW(field.Handle(), EM_SETSEL, 1, 1);
    Reenter();
    EXPECT_EQ(GetFocus(), field.Handle());
    EXPECT_EQ(Selection(field.Handle()), (std::pair<DWORD, DWORD>{c.start, c.end}));
    EXPECT_EQ(WindowText(field.Handle()), AnsiString(c.text));
  }
}

// The real control's caret decides: Left leaves from the first position, Right only with the
// whole text selected, Down wherever the caret is; without the key's style the caret moves.
TEST_F(EditWindowTest, ArrowKeysWithTheirStylesOnTheRealControl) {
  const FocusKeys all{FocusKey::Enter, FocusKey::Left, FocusKey::Up, FocusKey::Right,
                      FocusKey::Down};
  struct Case {
    const char* what;
    FocusKeys styles;
    WORD key;
    DWORD selStart, selEnd;
    int focusAfter;  // -1 previous control, 0 stays, 1 next control
  };
  const std::vector<Case> cases = {
      {"Left at 0", all, VK_LEFT, 0, 0, -1},
      {"Left at 2", all, VK_LEFT, 2, 2, 0},
      {"Left with the whole text selected", all, VK_LEFT, 0, 3, -1},
      {"Left at 0 without ksLeft", {FocusKey::Enter, FocusKey::Up}, VK_LEFT, 0, 0, 0},
      {"Right with the whole text selected", all, VK_RIGHT, 0, 3, 1},
      {"Right at the end", all, VK_RIGHT, 3, 3, 0},
      {"Down", all, VK_DOWN, 1, 1, 1},
      {"Down without ksDown", {FocusKey::Enter, FocusKey::Up}, VK_DOWN, 1, 1, 0},
      {"Up", {FocusKey::Up}, VK_UP, 2, 2, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    field.Model().SetKeyStyles(c.styles);
    field.Model().SetCursorPos(EntryCaret::SelectAll);
    field.SetText("abc");
    Reenter();
    SendMessageW(field.Handle(), EM_SETSEL, c.selStart, c.selEnd);
    Key(field.Handle(), c.key);
    const HWND expected =
        c.focusAfter < 0 ? before.Handle() : (c.focusAfter > 0 ? after.Handle() : field.Handle());
    EXPECT_EQ(GetFocus(), expected);
    EXPECT_EQ(WindowText(field.Handle()), "abc");
  }
  // Left at 2 moved the caret as the control does.
  field.Model().SetKeyStyles(all);
  Reenter();
  SendMessageW(field.Handle(), EM_SETSEL, 2, 2);
  Key(field.Handle(), VK_LEFT);
  EXPECT_EQ(Selection(field.Handle()), (std::pair<DWORD, DWORD>{1, 1}));
}

TEST_F(EditWindowTest, EnterWithoutItsStyleReachesTheControl) {
  field.SetText("abc");
  Reenter();
  Key(field.Handle(), VK_RETURN);
  EXPECT_EQ(GetFocus(), after.Handle());

  field.Model().SetKeyStyles({FocusKey::Up});
  Reenter();
  Key(field.Handle(), VK_RETURN);
  EXPECT_EQ(GetFocus(), field.Handle());
  EXPECT_EQ(WindowText(field.Handle()), "abc");
}

// Where the input method is disabled the field has no input context and refuses pastes; where
// it is left alone, or with the filter switched off, the paste goes in.
TEST_F(EditWindowTest, PasteFilterByInputMethodMode) {
  struct Case {
    const char* mode;
    bool killPaste;
    bool maxLength;  // the byte-limited paste takes its own path
    const char* after;
  };
  const std::vector<Case> cases = {
      {"imDisable", true, false, ""},     {"imDisable", true, true, ""},
      {"imDisable", false, false, "XYZ"}, {"imDisable", false, true, "XYZ"},
      {"imDontCare", true, false, "XYZ"}, {"imDontCare", true, true, "XYZ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.mode << " " << c.killPaste << " " << c.maxLength);
    ASSERT_TRUE(PutTextOnClipboard(form.Handle(), L"XYZ"));
    EditWindow guarded;
    std::vector<P> extra = {P{"ImeMode", FormIdent{c.mode}}, P{"KillPaste", c.killPaste}};
    if (c.maxLength) extra.push_back(P{"MaxLength", std::int64_t{80}});
    guarded.CreateIn(form.Handle(), FieldDescription("txtGuarded", 100, extra));
    ASSERT_TRUE(guarded.Handle());
    SendMessageW(guarded.Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(WindowText(guarded.Handle()), AnsiString(c.after));
    const HIMC context = ImmGetContext(guarded.Handle());
    EXPECT_EQ(context == nullptr, AnsiString(c.mode) == "imDisable");
    if (context) ImmReleaseContext(guarded.Handle(), context);
  }
}

// Text that reaches the real control past the typed and pasted checks (WM_SETTEXT as /name fills
// the dialog; EM_REPLACESEL, which is how the control itself takes an input method's result
// string) never stays over the byte limit: the last fitting text comes back.
TEST_F(EditWindowTest, EveryRouteKeepsTheByteLimit) {
  const std::wstring fitting = std::wstring(39, L'\u5171') + L"A";  // 79 bytes
  struct Case {
    const char* route;
    UINT message;
    std::wstring text;
    std::wstring after;
    DWORD caret;  // checked where the last fitting text came back
  };
  const std::vector<Case> cases = {
      {"set text, 101 bytes", WM_SETTEXT, L"A" + std::wstring(50, L'\u3042'), fitting, 0},
      {"set text, 41 double-byte characters", WM_SETTEXT, std::wstring(41, L'\u3042'), fitting, 0},
      {"set text, exactly 80 bytes", WM_SETTEXT, std::wstring(40, L'\u3042'),
       std::wstring(40, L'\u3042'), 0},
      {"replace selection, one double-byte character over", EM_REPLACESEL, L"\u3042", fitting, 40},
      {"replace selection, one byte that fits", EM_REPLACESEL, L"B", fitting + L"B", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.route);
    EditWindow limited;
    limited.CreateIn(form.Handle(),
                     FieldDescription("txtLimited", 100, {P{"MaxLength", std::int64_t{80}}}));
    ASSERT_TRUE(limited.Handle());
    SetWindowTextW(limited.Handle(), fitting.c_str());
    SendMessageW(limited.Handle(), EM_SETSEL, 40, 40);
    if (c.message == WM_SETTEXT) {
      SendMessageW(limited.Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.text.c_str()));
    } else {
      SendMessageW(limited.Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(c.text.c_str()));
    }
    Pump();
    EXPECT_EQ(WindowText(limited.Handle()), ToAnsi(c.after));
    // Where the caret goes after a change that stands is the control's own business.
    if (c.after == fitting) {
      EXPECT_EQ(Selection(limited.Handle()), std::make_pair(c.caret, c.caret));
    }
  }
}

// The restored field still limits what is typed into it.
TEST_F(EditWindowTest, TypingStaysLimitedAfterARestoredText) {
  EditWindow limited;
  limited.CreateIn(form.Handle(),
                   FieldDescription("txtLimited", 100, {P{"MaxLength", std::int64_t{80}}}));
  ASSERT_TRUE(limited.Handle());
  const std::wstring fitting = std::wstring(39, L'\u5171') + L"A";
  SetWindowTextW(limited.Handle(), fitting.c_str());
  const std::wstring tooLong = std::wstring(45, L'\u5171');
  SendMessageW(limited.Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(tooLong.c_str()));
  ASSERT_EQ(WindowText(limited.Handle()), ToAnsi(fitting));
  SetFocus(limited.Handle());
  Pump();
  SendMessageW(limited.Handle(), EM_SETSEL, 40, 40);
  Char(limited.Handle(), L'\u3042');
  EXPECT_EQ(WindowText(limited.Handle()), ToAnsi(fitting));
  Char(limited.Handle(), L'B');
  EXPECT_EQ(WindowText(limited.Handle()), ToAnsi(fitting + L"B"));
  Char(limited.Handle(), L'C');
  EXPECT_EQ(WindowText(limited.Handle()), ToAnsi(fitting + L"B"));
}

// With the input method off (Wine's default), typed characters are the reading; control
// characters are not, the reading does not shrink, and each entry empties it.
TEST_F(EditWindowTest, ReadingCaptureWithTheInputMethodOff) {
  field.Model().SetCapturesReading(true);
  field.SetText("");
  Reenter();
  const HIMC context = ImmGetContext(field.Handle());
  ASSERT_TRUE(context);
  EXPECT_FALSE(ImmGetOpenStatus(context));
  ImmReleaseContext(field.Handle(), context);

  for (wchar_t c : std::wstring(L"AB\x3042\bC")) Char(field.Handle(), c);
  EXPECT_EQ(field.Model().Reading(),
            "AB\x82\xA0"
            "C");
  EXPECT_EQ(field.Model().KatakanaReading(),
            "AB\xB1"
            "C");
  EXPECT_EQ(WindowText(field.Handle()), "ABC");  // the control saw every character once

  // No composition was committed: nothing is read, nothing is appended.
  SendMessageW(field.Handle(), WM_IME_ENDCOMPOSITION, 0, 0);
  EXPECT_EQ(field.Model().Reading(),
            "AB\x82\xA0"
            "C");

  // Outside the focus nothing is captured; the reading stays until the next entry.
  SetFocus(after.Handle());
  Pump();
  SendMessageW(field.Handle(), WM_CHAR, L'D', 1);
  EXPECT_EQ(field.Model().Reading(),
            "AB\x82\xA0"
            "C");
  SetFocus(field.Handle());
  Pump();
  EXPECT_EQ(field.Model().Reading(), "");
  Char(field.Handle(), L'E');
  EXPECT_EQ(field.Model().Reading(), "E");
}

// A second focus message without a loss between must not chain the capture to itself.
TEST_F(EditWindowTest, SecondEntryWithoutALossCapturesOnce) {
  field.Model().SetCapturesReading(true);
  field.SetText("");
  Reenter();
  SendMessageW(field.Handle(), WM_SETFOCUS, 0, 0);
  Char(field.Handle(), L'A');
  EXPECT_EQ(field.Model().Reading(), "A");
  EXPECT_EQ(WindowText(field.Handle()), "A");
}

TEST_F(EditWindowTest, LocaleMappingsOfTheUsersLocale) {
  struct Case {
    AnsiString text;
    DWORD flags;
    std::size_t buffer;
    AnsiString mapped;  // with its terminating zero
  };
  const AnsiString zero(1, '\0');
  const std::vector<Case> cases = {
      {"ひらがな", LCMAP_KATAKANA, 1025, AnsiString("ヒラガナ") + zero},
      {"ヒラガナ", LCMAP_HALFWIDTH, 1025, AnsiString("\xCB\xD7\xB6\xDE\xC5") + zero},
      {"ＡＢ", LCMAP_HALFWIDTH, 1025, AnsiString("AB") + zero},
      {"ひらがな", LCMAP_KATAKANA, 9, AnsiString("ヒラガナ") + zero},
      {"ひらがな", LCMAP_KATAKANA, 8, AnsiString()},  // no room for the zero
      {"", LCMAP_KATAKANA, 1025, AnsiString()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.bytes());
    EXPECT_EQ(MapStringOfUserLocale(c.text, c.flags, c.buffer), c.mapped);
  }
}

// A reading beyond the 1,024 bytes of the usual buffer comes back whole.
TEST_F(EditWindowTest, LongReadingIsConvertedWhole) {
  AnsiString reading;
  for (int i = 0; i < 400; ++i) reading += "ひらがな";  // 3,200 bytes
  field.Model().SetReading(reading);
  const AnsiString kana = field.Model().KatakanaReading();
  AnsiString expected;
  for (int i = 0; i < 400; ++i) expected += "\xCB\xD7\xB6\xDE\xC5";
  EXPECT_EQ(kana, expected);
}

TEST_F(EditWindowTest, AlignmentRecreatesTheFieldKeepingTextAndFocus) {
  struct Case {
    TextAlignment alignment;
    LONG style;
  };
  field.SetText("VeltoData");
  SetFocus(field.Handle());
  Pump();
  for (const Case& c :
       {Case{TextAlignment::Right, ES_RIGHT}, Case{TextAlignment::Center, ES_CENTER},
        Case{TextAlignment::Left, ES_LEFT}}) {
    SCOPED_TRACE(c.style);
    const HWND old = field.Handle();
    field.Model().SetAlignment(c.alignment);
    ASSERT_TRUE(field.Handle());
    EXPECT_NE(field.Handle(), old);
    EXPECT_EQ(GetWindowLongW(field.Handle(), GWL_STYLE) & (ES_RIGHT | ES_CENTER), c.style);
    EXPECT_EQ(WindowText(field.Handle()), "VeltoData");
    EXPECT_EQ(GetFocus(), field.Handle());
    EXPECT_FALSE(GetWindowLongW(field.Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  }
}

// The events come before the field's own handling, so a handler that clears the key keeps it
// from the field and from the control.
TEST_F(EditWindowTest, EventsRunFirstAndCanStopTheKey) {
  field.SetText("");
  SetFocus(before.Handle());
  Pump();
  std::vector<std::string> seen;
  field.Model().OnEnter = [&](EditBox&) { seen.push_back("enter"); };
  field.Model().OnExit = [&](EditBox&) { seen.push_back("exit"); };
  field.Model().OnKeyDown = [&](EditBox&, std::uint16_t& key, ShiftState) {
    seen.push_back("down " + std::to_string(key));
    if (key == VK_UP) key = 0;
  };
  field.Model().OnKeyPress = [&](EditBox&, std::uint16_t& key) {
    seen.push_back("press " + std::to_string(key));
    if (key == 'x') key = 0;
  };
  SetFocus(field.Handle());
  Pump();
  Key(field.Handle(), VK_UP);  // cleared: the focus stays
  EXPECT_EQ(GetFocus(), field.Handle());
  Char(field.Handle(), L'x');
  Char(field.Handle(), L'y');
  EXPECT_EQ(WindowText(field.Handle()), "y");
  SetFocus(after.Handle());
  Pump();
  EXPECT_EQ(seen, (std::vector<std::string>{"enter", "down 38", "press 120", "press 121", "exit"}));
}

TEST_F(EditWindowTest, NumericViewsOnTheRealText) {
  field.SetText("abc");
  field.Model().SetLong(0);
  EXPECT_EQ(WindowText(field.Handle()), "abc");
  EXPECT_EQ(field.Model().Long(), 0);
  field.Model().SetLong(-5);
  EXPECT_EQ(WindowText(field.Handle()), "-5");
  EXPECT_EQ(field.Model().Long(), -5);
  EXPECT_EQ(field.Model().Curr(), Currency{-5 * Currency::kScale});
  field.SetText("12a");
  EXPECT_EQ(field.Model().Long(), 0);
}

}  // namespace
}  // namespace qv::win
