// The extended edit box against a fake EDIT window, a fake input method and fake locale mappings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/edit.h"
#include "fake_hosts.h"

namespace qv::test {
namespace {

class EditTest : public ::testing::Test {
 protected:
  WindowMessage Send(std::uint32_t msg, std::uintptr_t wParam = 0, std::intptr_t lParam = 0) {
    WindowMessage m{msg, wParam, lParam, 0};
    edit.WindowProc(m);
    return m;
  }

  FakeEditHost host;
  EditBox edit{host};
};

TEST_F(EditTest, BorderSettingsRecreateTheWindowOnlyOnChange) {
  EXPECT_EQ(edit.KeyEdit3D(), BorderStyle::None);
  EXPECT_TRUE(edit.Ctl3D());

  edit.SetKeyEdit3D(BorderStyle::None);
  EXPECT_EQ(host.recreations, 0);
  edit.SetKeyEdit3D(BorderStyle::Single);
  EXPECT_TRUE(edit.Ctl3D());
  EXPECT_TRUE(edit.ParentCtl3D());
  edit.SetKeyEdit3D(BorderStyle::None);
  EXPECT_FALSE(edit.Ctl3D());
  EXPECT_FALSE(edit.ParentCtl3D());
  EXPECT_EQ(host.recreations, 2);

  edit.SetCtl3D(false);
  EXPECT_EQ(host.recreations, 2);
  edit.SetCtl3D(true);
  EXPECT_EQ(host.recreations, 3);
}

TEST_F(EditTest, EntrySelectsTheWholeTextWhateverWasSelected) {
  struct Case {
    const char* text;
    std::int32_t selStart, selEnd;
  };
  for (const Case& c : {Case{"ABC", 1, 1}, Case{"ABC", 3, 3}, Case{"ABC", 0, 2}, Case{"", 0, 0}}) {
    SCOPED_TRACE(c.text);
    host.text = AnsiString(c.text);
    host.selStart = c.selStart;
    host.selEnd = c.selEnd;
    edit.DoEnter();
    EXPECT_EQ(host.selStart, 0);
    EXPECT_EQ(host.selEnd, static_cast<std::int32_t>(host.text.size()));
    EXPECT_EQ(host.text, AnsiString(c.text));
  }
}

TEST_F(EditTest, EnterMovesToTheNextControlOnlyOnAForm) {
  std::uint16_t key = kVkReturn;
  edit.KeyPress(key);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(host.nextDlgCtl, std::vector<bool>{false});

  host.onForm = false;
  key = kVkReturn;
  edit.KeyPress(key);
  EXPECT_EQ(key, kVkReturn);
  EXPECT_EQ(host.nextDlgCtl.size(), 1u);

  host.onForm = true;
  key = 'a';
  edit.KeyPress(key);
  EXPECT_EQ(key, 'a');
  EXPECT_EQ(host.nextDlgCtl.size(), 1u);
}

// Only Up leaves the field; the other arrows move the caret, whatever is selected.
TEST_F(EditTest, KeyDownTable) {
  constexpr std::uint16_t kLeft = 0x25, kRight = 0x27, kDown = 0x28, kHome = 0x24;
  struct Case {
    const char* what;
    std::uint16_t key;
    ShiftState shift;
    bool onForm;
    bool cleared;
    std::vector<bool> sent;
  };
  const std::vector<Case> cases = {
      {"Up", kVkUp, {}, true, true, {true}},
      {"Up off a form", kVkUp, {}, false, false, {}},
      {"Shift+Up", kVkUp, {ShiftFlag::Shift}, true, false, {}},
      {"Ctrl+Up", kVkUp, {ShiftFlag::Ctrl}, true, false, {}},
      {"Alt+Up", kVkUp, {ShiftFlag::Alt}, true, false, {}},
      {"Up with the left button held", kVkUp, {ShiftFlag::Left}, true, true, {true}},
      {"Left", kLeft, {}, true, false, {}},
      {"Right", kRight, {}, true, false, {}},
      {"Down", kDown, {}, true, false, {}},
      {"Home", kHome, {}, true, false, {}},
      {"Enter as a key", kVkReturn, {}, true, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Left at the first position and Right with the whole text selected stay in the field too.
    for (const auto& [start, end] : {std::pair{0, 0}, std::pair{0, 3}, std::pair{3, 3}}) {
      FakeEditHost h;
      EditBox e(h);
      h.text = "abc";
      h.selStart = start;
      h.selEnd = end;
      h.onForm = c.onForm;
      std::uint16_t key = c.key;
      e.KeyDown(key, c.shift);
      EXPECT_EQ(key, c.cleared ? 0 : c.key);
      EXPECT_EQ(h.nextDlgCtl, c.sent);
      EXPECT_EQ(h.selStart, start);
      EXPECT_EQ(h.selEnd, end);
    }
  }
}

TEST_F(EditTest, NewControlHasTheDefaults) {
  EXPECT_EQ(edit.KeyStyles(), (FocusKeys{FocusKey::Enter, FocusKey::Up}));
  EXPECT_EQ(edit.KeyStyles().Bits(), 0x05);
  EXPECT_EQ(edit.CursorPos(), EntryCaret::SelectAll);
  EXPECT_TRUE(edit.KillPaste());
  EXPECT_FALSE(edit.CapturesReading());
  EXPECT_EQ(edit.Alignment(), TextAlignment::Left);
  EXPECT_EQ(edit.KeyEdit3D(), BorderStyle::None);
  EXPECT_EQ(edit.AlignmentStyle(), 0u);
  EXPECT_EQ(edit.KatakanaReading(), "");
  EXPECT_EQ(edit.CurrentWindowProc(), &EditBox::PasteFilter);
}

TEST_F(EditTest, AlignmentAndBorderRecreateTheWindowOnChange) {
  edit.SetAlignment(TextAlignment::Left);
  EXPECT_EQ(host.recreations, 0);
  edit.SetAlignment(TextAlignment::Right);
  EXPECT_EQ(edit.AlignmentStyle(), 2u);
  edit.SetAlignment(TextAlignment::Center);
  EXPECT_EQ(edit.AlignmentStyle(), 1u);
  EXPECT_EQ(host.recreations, 2);

  edit.SetKeyEdit3D(BorderStyle::None);
  EXPECT_EQ(host.recreations, 2);
  edit.SetKeyEdit3D(BorderStyle::Single);
  EXPECT_TRUE(edit.Ctl3D());
  EXPECT_TRUE(edit.ParentCtl3D());
  edit.SetKeyEdit3D(BorderStyle::None);
  EXPECT_FALSE(edit.Ctl3D());
  EXPECT_FALSE(edit.ParentCtl3D());
  EXPECT_EQ(host.recreations, 4);
}

TEST_F(EditTest, KeyStylesKeepFiveBits) {
  edit.SetKeyStyles(FocusKeys::FromBits(0xFF));
  EXPECT_EQ(edit.KeyStyles().Bits(), 0x1F);
}

TEST_F(EditTest, LongView) {
  struct Case {
    const char* text;
    std::int32_t value;
  };
  const std::vector<Case> cases = {
      {"12", 12},
      {"  -5", -5},
      {"+7", 7},
      {"$1F", 31},
      {"0x10", 16},
      {"x10", 16},
      {"-$10", -16},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"2147483648", 0},
      {"12a", 0},
      {"", 0},
      {" ", 0},
      {"12 ", 0},
      {"$", 0},
      {"-", 0},
      {"99999999999999999999", 0},
      {"１２", 0},
  };
  for (const Case& c : cases) {
    host.text = AnsiString(c.text);
    EXPECT_EQ(edit.Long(), c.value) << c.text;
  }
}

TEST_F(EditTest, WritingZeroLeavesTheTextAlone) {
  host.text = "abc";
  edit.SetLong(0);
  EXPECT_EQ(host.text, "abc");
  edit.SetCurr(Currency{0});
  EXPECT_EQ(host.text, "abc");
  edit.SetLong(12);
  EXPECT_EQ(host.text, "12");
  edit.SetLong(-5);
  EXPECT_EQ(host.text, "-5");
  edit.SetLong(-2147483647 - 1);
  EXPECT_EQ(host.text, "-2147483648");
}

// Writes of 0 keep whatever text was there; other values replace it. Text that is not a number
// of the view's kind reads as 0.
TEST_F(EditTest, NumericViewsWriteAndReadTable) {
  struct Write {
    std::int32_t value;
    const char* longText;
    const char* currText;
  };
  for (const Write& w : {Write{0, "abc", "abc"}, Write{12, "12", "12"}, Write{-5, "-5", "-5"}}) {
    SCOPED_TRACE(w.value);
    host.text = "abc";
    edit.SetLong(w.value);
    EXPECT_EQ(host.text, AnsiString(w.longText));
    host.text = "abc";
    edit.SetCurr(Currency{std::int64_t{w.value} * Currency::kScale});
    EXPECT_EQ(host.text, AnsiString(w.currText));
  }
  struct Read {
    const char* text;
    std::int32_t asLong;
    std::int64_t asCurrScaled;
  };
  const std::vector<Read> reads = {
      {"12a", 0, 0},
      {"", 0, 0},
      {"2147483648", 0, 2147483648LL * Currency::kScale},
      {"-2147483649", 0, -2147483649LL * Currency::kScale},
      {"922337203685477.5808", 0, 0},
      {"abc", 0, 0},
      {"12", 12, 12 * Currency::kScale},
  };
  for (const Read& r : reads) {
    SCOPED_TRACE(r.text);
    host.text = AnsiString(r.text);
    EXPECT_EQ(edit.Long(), r.asLong);
    EXPECT_EQ(edit.Curr(), Currency{r.asCurrScaled});
  }
}

TEST_F(EditTest, CurrencyViewUsesTheUsersDecimalSeparator) {
  host.decimalSeparator = ',';
  host.text = "12,5";
  EXPECT_EQ(edit.Curr(), (Currency{125000}));
  host.text = "12.5";
  EXPECT_EQ(edit.Curr(), (Currency{0}));
  edit.SetCurr(Currency{-12345});
  EXPECT_EQ(host.text, "-1,2345");
  host.decimalSeparator = '.';
  edit.SetCurr(Currency{30000});
  EXPECT_EQ(host.text, "3");
}

TEST_F(EditTest, EntrySetsCaretAndSelectionByCursorPos) {
  struct Case {
    EntryCaret pos;
    std::int32_t start, end;
  };
  host.text = "ABC";
  for (const Case& c : {Case{EntryCaret::SelectAll, 0, 3}, Case{EntryCaret::Left, 0, 0},
                        Case{EntryCaret::Right, 3, 3}}) {
    host.selStart = host.selEnd = 1;
    edit.SetCursorPos(c.pos);
    edit.DoEnter();
    EXPECT_EQ(host.selStart, c.start);
    EXPECT_EQ(host.selEnd, c.end);
    edit.DoExit();
  }
  EXPECT_EQ(host.text, "ABC");
}

TEST_F(EditTest, EnterMovesToTheNextControlOnAForm) {
  std::uint16_t key = kVkReturn;
  edit.KeyPress(key);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(host.nextDlgCtl, std::vector<bool>{false});

  host.onForm = false;
  key = kVkReturn;
  edit.KeyPress(key);
  EXPECT_EQ(key, kVkReturn);

  host.onForm = true;
  edit.SetKeyStyles({FocusKey::Up});
  edit.KeyPress(key);
  EXPECT_EQ(key, kVkReturn);
  EXPECT_EQ(host.nextDlgCtl.size(), 1u);

  // A handler that clears the key stops the control's own handling.
  edit.SetKeyStyles({FocusKey::Enter});
  edit.OnKeyPress = [](EditBox&, std::uint16_t& k) { k = 0; };
  edit.KeyPress(key);
  EXPECT_EQ(host.nextDlgCtl.size(), 1u);
}

// The key table: which arrow leaves the field, under which selection, and whether the key is
// cleared without a form.
TEST_F(EditTest, ArrowKeyTable) {
  struct Case {
    const char* what;
    FocusKeys styles;
    std::uint16_t key;
    ShiftState shift;
    const char* text;
    std::int32_t selStart, selEnd;
    bool onForm;
    bool cleared;
    std::vector<bool> sent;
  };
  const FocusKeys all{FocusKey::Enter, FocusKey::Left, FocusKey::Up, FocusKey::Right,
                      FocusKey::Down};
  const FocusKeys defaults{FocusKey::Enter, FocusKey::Up};
  const std::vector<Case> cases = {
      {"Up with defaults", defaults, kVkUp, {}, "abc", 2, 2, true, true, {true}},
      {"Left with defaults", defaults, kVkLeft, {}, "abc", 0, 0, true, false, {}},
      {"Right with defaults", defaults, kVkRight, {}, "abc", 0, 3, true, false, {}},
      {"Down with defaults", defaults, kVkDown, {}, "abc", 3, 3, true, false, {}},
      {"Left at 0", all, kVkLeft, {}, "abc", 0, 0, true, true, {true}},
      {"Left at 2", all, kVkLeft, {}, "abc", 2, 2, true, false, {}},
      {"Left all selected", all, kVkLeft, {}, "abc", 0, 3, true, true, {true}},
      {"Left part selected", all, kVkLeft, {}, "abc", 0, 2, true, false, {}},
      {"Left at 0 off a form", all, kVkLeft, {}, "abc", 0, 0, false, true, {}},
      {"Right all selected", all, kVkRight, {}, "abc", 0, 3, true, true, {false}},
      {"Right at the end", all, kVkRight, {}, "abc", 3, 3, true, false, {}},
      {"Right in an empty field", all, kVkRight, {}, "", 0, 0, true, true, {false}},
      {"Right off a form", all, kVkRight, {}, "abc", 0, 3, false, true, {}},
      {"Down", all, kVkDown, {}, "abc", 1, 1, true, true, {false}},
      {"Down off a form", all, kVkDown, {}, "abc", 1, 1, false, false, {}},
      {"Up off a form", all, kVkUp, {}, "abc", 1, 1, false, false, {}},
      {"Shift+Up", all, kVkUp, {ShiftFlag::Shift}, "abc", 0, 0, true, false, {}},
      {"Ctrl+Left", all, kVkLeft, {ShiftFlag::Ctrl}, "abc", 0, 0, true, false, {}},
      {"Alt+Down", all, kVkDown, {ShiftFlag::Alt}, "abc", 0, 0, true, false, {}},
      {"Up with the left button held",
       all,
       kVkUp,
       {ShiftFlag::Left},
       "abc",
       0,
       0,
       true,
       true,
       {true}},
      {"Home", all, 0x24, {}, "abc", 0, 0, true, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeEditHost h;
    EditBox e(h);
    e.SetKeyStyles(c.styles);
    h.text = AnsiString(c.text);
    h.selStart = c.selStart;
    h.selEnd = c.selEnd;
    h.onForm = c.onForm;
    std::uint16_t key = c.key;
    e.KeyDown(key, c.shift);
    EXPECT_EQ(key, c.cleared ? 0 : c.key);
    EXPECT_EQ(h.nextDlgCtl, c.sent);
  }
}

TEST_F(EditTest, PasteFilterEmptiesPasteAndRightClickOnlyWhereTheImeIsDisabled) {
  struct Case {
    bool killPaste;
    InputMethodMode ime;
    bool filtered;
  };
  for (const Case& c :
       {Case{true, InputMethodMode::Disable, true}, Case{true, InputMethodMode::DontCare, false},
        Case{false, InputMethodMode::Disable, false}}) {
    SCOPED_TRACE(::testing::Message() << c.killPaste << " " << static_cast<int>(c.ime));
    FakeEditHost h;
    EditBox e(h);
    e.SetKillPaste(c.killPaste);
    e.SetImeMode(c.ime);
    for (std::uint32_t msg : {kWmPaste, kWmRButtonDown, kWmChar}) {
      WindowMessage m{msg, 0x11, 0x22, 0};
      e.WindowProc(m);
      ASSERT_FALSE(h.delivered.empty());
      const WindowMessage& got = h.delivered.back();
      const bool empty = c.filtered && msg != kWmChar;
      EXPECT_EQ(got.Msg, empty ? 0u : msg);
      EXPECT_EQ(got.WParam, empty ? 0u : 0x11u);
      EXPECT_EQ(got.LParam, empty ? 0 : 0x22);
    }
    EXPECT_EQ(h.delivered.size(), 3u);
  }
}

TEST_F(EditTest, HandlersRunTheBaseEventsFirst) {
  std::vector<std::string> seen;
  edit.OnEnter = [&](EditBox&) { seen.push_back("OnEnter " + std::to_string(host.selEnd)); };
  edit.OnExit = [&](EditBox&) { seen.push_back("OnExit"); };
  edit.OnKeyDown = [&](EditBox&, std::uint16_t& k, ShiftState) {
    seen.push_back("OnKeyDown " + std::to_string(k));
  };
  host.text = "abc";
  edit.DoEnter();
  std::uint16_t key = kVkUp;
  edit.KeyDown(key, {});
  edit.DoExit();
  EXPECT_EQ(seen, (std::vector<std::string>{"OnEnter 0", "OnKeyDown 38", "OnExit"}));
  EXPECT_EQ(host.nextDlgCtl, std::vector<bool>{true});
}

class ReadingCaptureTest : public EditTest {
 protected:
  ReadingCaptureTest() { edit.SetCapturesReading(true); }
};

TEST_F(ReadingCaptureTest, CapturesTypedCharactersWithTheImeClosed) {
  edit.DoEnter();
  EXPECT_EQ(edit.CurrentWindowProc(), &EditBox::ReadingCapture);
  for (char c : std::string("ABC")) Send(kWmChar, static_cast<unsigned char>(c));
  Send(kWmChar, 0x08);  // backspace: never captured, the reading does not shrink
  Send(kWmChar, 0x0D);
  EXPECT_EQ(edit.Reading(), "ABC");
  EXPECT_EQ(edit.KatakanaReading(), "ABC");
  // Every message went on to the standard handling exactly once, unchanged.
  ASSERT_EQ(host.delivered.size(), 5u);
  EXPECT_EQ(host.delivered[0].Msg, kWmChar);
  EXPECT_EQ(host.delivered[0].WParam, static_cast<std::uintptr_t>('A'));
  EXPECT_EQ(host.ime.contextsTaken, 5);
  EXPECT_EQ(host.ime.contextsReleased, 5);

  host.ime.open = true;
  Send(kWmChar, 'D');
  EXPECT_EQ(edit.Reading(), "ABC");
}

TEST_F(ReadingCaptureTest, CapturesTheCommittedReadingAsHalfWidthKatakana) {
  edit.DoEnter();
  host.ime.open = true;
  host.ime.committedReadings = {"\x82\xA9\x82\xAA\x82\xF1"};  // かがん
  Send(0x010D);                                               // start of composition: ignored
  Send(kWmImeEndComposition);
  EXPECT_EQ(edit.Reading(), "\x82\xA9\x82\xAA\x82\xF1");
  EXPECT_EQ(edit.KatakanaReading(), "\xB6\xB6\xDE\xDD");  // ｶｶﾞﾝ
  ASSERT_EQ(host.mappings.size(), 2u);
  EXPECT_EQ(host.mappings[0].input, edit.Reading());
  EXPECT_EQ(host.mappings[0].kind, ReadingMapping::Katakana);
  EXPECT_EQ(host.mappings[1].input, "\x83\x4A\x83\x4B\x83\x93");
  EXPECT_EQ(host.mappings[1].kind, ReadingMapping::HalfWidth);

  // Nothing committed, an error result, or no input context: nothing is read.
  Send(kWmImeEndComposition);
  host.ime.committedReadings = {"\x82\xA0"};
  host.ime.sizeOverride = -1;
  Send(kWmImeEndComposition);
  host.ime.sizeOverride.reset();
  host.ime.hasContext = false;
  Send(kWmImeEndComposition);
  Send(kWmChar, 'Z');  // no context counts as a closed input method
  EXPECT_EQ(edit.Reading(), "\x82\xA9\x82\xAA\x82\xF1Z");
  EXPECT_EQ(host.ime.readingsRead, 1);
  EXPECT_EQ(host.ime.contextsTaken, host.ime.contextsReleased);
}

TEST_F(ReadingCaptureTest, EachEntryEmptiesTheReadingAndLossRemovesTheCapture) {
  edit.DoEnter();
  Send(kWmChar, 'A');
  edit.DoExit();
  EXPECT_EQ(edit.CurrentWindowProc(), &EditBox::PasteFilter);
  Send(kWmChar, 'B');  // outside the focus nothing is captured
  EXPECT_EQ(edit.Reading(), "A");
  EXPECT_EQ(edit.KatakanaReading(), "A");
  edit.DoEnter();
  EXPECT_EQ(edit.Reading(), "");

  // The switch is looked at only on entry.
  edit.SetCapturesReading(false);
  Send(kWmChar, 'C');
  EXPECT_EQ(edit.Reading(), "C");
  edit.DoExit();
  edit.DoEnter();
  EXPECT_EQ(edit.CurrentWindowProc(), &EditBox::PasteFilter);
}

TEST_F(ReadingCaptureTest, SecondEntryWithoutALossNeverChainsTheCaptureToItself) {
  edit.DoEnter();
  edit.DoEnter();
  Send(kWmChar, 'A');  // would recurse without end if the capture were its own successor
  EXPECT_EQ(edit.Reading(), "A");
  EXPECT_EQ(host.delivered.size(), 1u);
  edit.DoExit();
  EXPECT_EQ(edit.CurrentWindowProc(), &EditBox::PasteFilter);

  // Switched off before the second entry, the capture goes as well.
  edit.DoEnter();
  edit.SetCapturesReading(false);
  edit.DoEnter();
  EXPECT_EQ(edit.CurrentWindowProc(), &EditBox::PasteFilter);
}

TEST_F(ReadingCaptureTest, CaptureSitsInFrontOfThePasteFilter) {
  edit.SetImeMode(InputMethodMode::Disable);
  edit.DoEnter();
  Send(kWmPaste);
  ASSERT_EQ(host.delivered.size(), 1u);
  EXPECT_EQ(host.delivered[0].Msg, 0u);
}

// Each mapping writes into a buffer of 1,025 bytes; a reading beyond 1,024 bytes would not fit
// it and is given a buffer of its own size, so that it comes back whole.
TEST_F(ReadingCaptureTest, MappingBufferFitsEveryReading) {
  struct Case {
    int characters;  // of hiragana a, two bytes each
    std::size_t buffer;
  };
  for (const Case& c :
       {Case{1, 1025}, Case{512, 1025}, Case{513, 1027}, Case{700, 1401}, Case{5000, 10001}}) {
    SCOPED_TRACE(c.characters);
    edit.DoEnter();
    AnsiString hiragana;
    for (int i = 0; i < c.characters; ++i) hiragana += "\x82\xA0";
    host.ime.committedReadings = {hiragana};
    host.mappings.clear();
    Send(kWmImeEndComposition);
    ASSERT_EQ(edit.Reading().size(), 2u * c.characters);
    EXPECT_EQ(edit.KatakanaReading(), AnsiString(static_cast<std::size_t>(c.characters), '\xB1'));
    ASSERT_EQ(host.mappings.size(), 2u);
    EXPECT_EQ(host.mappings[0].bufferBytes, c.buffer);
    edit.DoExit();
  }
}

TEST_F(EditTest, StoredReadingReplacesTheReadingUnlessEmpty) {
  edit.SetReading("\x82\xA0");
  EXPECT_EQ(edit.Reading(), "\x82\xA0");
  edit.SetReading("");
  EXPECT_EQ(edit.Reading(), "\x82\xA0");
  EXPECT_EQ(edit.KatakanaReading(), "\xB1");
  // A zero byte ends the converted text.
  edit.SetReading(AnsiString("\x82\xA0\0\x82\xA2", 5));
  EXPECT_EQ(edit.KatakanaReading(), "\xB1");
}

}  // namespace
}  // namespace qv::test
