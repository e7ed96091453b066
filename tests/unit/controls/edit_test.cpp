// The extended edit box against a fake EDIT window.
#include <gtest/gtest.h>

#include <vector>

#include "controls/edit.h"
#include "fake_hosts.h"

namespace qv::test {
namespace {

class EditTest : public ::testing::Test {
 protected:
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

}  // namespace
}  // namespace qv::test
