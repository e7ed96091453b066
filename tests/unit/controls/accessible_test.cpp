// What screen readers are told about the plain button and the labels, through the controls' own
// accessible description, and the button's default action.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "controls/accessible.h"
#include "controls/plain_button.h"
#include "fake_hosts.h"

namespace qv::test {
namespace {

using enum AccessibleStateFlag;

class PlButtonAccessibleTest : public ::testing::Test {
 protected:
  PlButtonAccessibleTest() {
    host.button = &button;
    host.events = &events;
    button.OnClick = [this](PlainButton&) { events.push_back("OnClick"); };
    button.OnEnter = [this](PlainButton&) { events.push_back("OnEnter"); };
  }
  int Count(const AnsiString& e) const {
    return static_cast<int>(std::count(events.begin(), events.end(), e));
  }

  std::vector<AnsiString> events;
  FakeButtonHost host;
  PlainButton button{host};
  IAccessibleControl& accessible = button;
};

TEST_F(PlButtonAccessibleTest, APushButtonNamedByItsCaptionLinesWithThePressAction) {
  const struct {
    AnsiString first;
    AnsiString second;
    AnsiString name;
  } cases[] = {{"共有", "", "共有"},
               {"共有", "フォルダ", "共有 フォルダ"},
               {"", "キャンセル", "キャンセル"},
               {"", "", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE((c.first + "|" + c.second).bytes());
    button.CaptionA().SetCaption(c.first);
    button.CaptionB().SetCaption(c.second);
    const AccessibleDescription d = accessible.Describe();
    EXPECT_EQ(d.Role, AccessibleRole::PushButton);
    EXPECT_EQ(d.Name, c.name);
    EXPECT_EQ(d.DefaultAction, "押す");
  }
}

TEST_F(PlButtonAccessibleTest, StateFollowsEnabledFocusPressAndVisibility) {
  const struct {
    const char* what;
    std::function<void(PlainButton&, FakeButtonHost&)> set;
    AccessibleState state;
  } cases[] = {
      {"idle", [](auto&, auto&) {}, {Focusable}},
      {"focused", [](auto&, auto& h) { h.active = true; }, {Focused, Focusable}},
      {"held down by the mouse",
       [](auto& b, auto&) { b.HandleMouseDown(MouseButton::Left, {ShiftFlag::Left}, 5, 5, false); },
       {Focused, Focusable, Pressed}},
      {"released again",
       [](auto& b, auto&) {
         b.HandleMouseDown(MouseButton::Left, {ShiftFlag::Left}, 5, 5, false);
         b.HandleMouseUp(MouseButton::Left, {}, 5, 5);
       },
       {Focused, Focusable}},
      {"disabled", [](auto& b, auto&) { b.SetEnabled(false); }, {Unavailable}},
      {"hidden", [](auto& b, auto&) { b.SetVisible(false); }, {Invisible}},
      {"no tab stop, takes the focus when clicked",
       [](auto& b, auto&) { b.SetTabStop(false); },
       {Focusable}},
      {"never takes the focus",
       [](auto& b, auto&) {
         b.SetTabStop(false);
         b.SetHasFocus(false);
       },
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeButtonHost h;
    PlainButton b{h};
    h.button = &b;
    c.set(b, h);
    EXPECT_EQ(static_cast<IAccessibleControl&>(b).Describe().State.Bits(), c.state.Bits());
  }
}

TEST_F(PlButtonAccessibleTest, DefaultActionClicksOnceAsAMouseClickDoes) {
  button.SetModalResult(2);
  EXPECT_TRUE(accessible.DoDefaultAction());
  EXPECT_EQ(events, (std::vector<AnsiString>{"SetFocus", "OnEnter", "ScheduleRepaint",
                                             "ModalResult 2", "OnClick", "ScheduleRepaint"}));
  EXPECT_FALSE(button.Pressed());

  // The same as the mouse gives, as far as focus, modal result and click go.
  FakeButtonHost mouseHost;
  std::vector<AnsiString> mouseEvents;
  PlainButton mouse{mouseHost};
  mouseHost.button = &mouse;
  mouseHost.events = &mouseEvents;
  mouse.SetModalResult(2);
  mouse.OnClick = [&](PlainButton&) { mouseEvents.push_back("OnClick"); };
  mouse.HandleMouseDown(MouseButton::Left, {ShiftFlag::Left}, 5, 5, false);
  mouse.HandleMouseUp(MouseButton::Left, {}, 5, 5);
  for (const char* e : {"SetFocus", "ModalResult 2", "OnClick"}) {
    SCOPED_TRACE(e);
    EXPECT_EQ(std::count(mouseEvents.begin(), mouseEvents.end(), AnsiString(e)),
              Count(AnsiString(e)));
  }
}

TEST_F(PlButtonAccessibleTest, DefaultActionOfADisabledButtonDoesNothing) {
  button.SetEnabled(false);
  events.clear();
  EXPECT_FALSE(accessible.DoDefaultAction());
  EXPECT_TRUE(events.empty());
  EXPECT_FALSE(host.formModalResult.has_value());
}

TEST_F(PlButtonAccessibleTest, DefaultActionLeavesTheFocusWhereItIsWithoutHasFocus) {
  button.SetHasFocus(false);
  EXPECT_TRUE(accessible.DoDefaultAction());
  EXPECT_EQ(Count("SetFocus"), 0);
  EXPECT_EQ(Count("OnClick"), 1);
}

TEST(StaticTextAccessible, ALabelIsReadOnlyStaticTextWithoutAnAction) {
  const AccessibleDescription shown = DescribeStaticText("共有名:", true);
  EXPECT_EQ(shown.Role, AccessibleRole::StaticText);
  EXPECT_EQ(shown.Name, "共有名:");
  EXPECT_EQ(shown.State.Bits(), AccessibleState{ReadOnly}.Bits());
  EXPECT_EQ(shown.DefaultAction, "");
  EXPECT_EQ(DescribeStaticText("設定しています…", false).State.Bits(),
            (AccessibleState{ReadOnly, Invisible}.Bits()));
}

}  // namespace
}  // namespace qv::test
