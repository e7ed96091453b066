// The plain button's properties of its bases and its linked action, against a fake window.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/linked_components.h"
#include "controls/plain_button.h"
#include "fake_hosts.h"

namespace qv::test {
namespace {

TEST(PlainButtonBase, NewButtonHasTheBasesDefaults) {
  FakeButtonHost host;
  PlainButton b(host);
  EXPECT_EQ(b.Tag(), 0);
  EXPECT_EQ(b.Cursor(), kCursorDefault);
  EXPECT_EQ(b.Hint(), "");
  EXPECT_FALSE(b.ShowHint());
  EXPECT_TRUE(b.ParentShowHint());
  EXPECT_EQ(b.HelpType(), HelpKind::Context);
  EXPECT_EQ(b.HelpKeyword(), "");
  EXPECT_EQ(b.HelpContext(), 0);
  EXPECT_EQ(b.Action(), nullptr);
  EXPECT_EQ(b.Anchors(), (AnchorSides{AnchorSide::Left, AnchorSide::Top}));
  EXPECT_EQ(b.Align(), DockAlign::None);
  EXPECT_EQ(b.PopupMenu(), nullptr);
  EXPECT_TRUE(b.Enabled());
  EXPECT_TRUE(b.Visible());
  EXPECT_FALSE(b.ParentColor());
  EXPECT_TRUE(b.ParentFont());
  EXPECT_EQ(b.TabOrder(), -1);
}

// What each setter of the bases changes besides its own value; none of them repaints.
TEST(PlainButtonBase, SettersAndTheirSideEffects) {
  struct Case {
    const char* name;
    std::function<void(PlainButton&)> before, assign;
    std::function<bool(const PlainButton&)> expected;
  };
  auto none = [](PlainButton&) {};
  const std::vector<Case> cases = {
      {"Tag", none, [](auto& b) { b.SetTag(-7); }, [](auto& b) { return b.Tag() == -7; }},
      {"Cursor", none, [](auto& b) { b.SetCursor(-21); },
       [](auto& b) { return b.Cursor() == -21; }},
      {"Hint", none, [](auto& b) { b.SetHint("共有します"); },
       [](auto& b) { return b.Hint() == "共有します"; }},
      {"ShowHint on leaves the parent's", none, [](auto& b) { b.SetShowHint(true); },
       [](auto& b) { return b.ShowHint() && !b.ParentShowHint(); }},
      {"ShowHint at its value keeps the parent's", none, [](auto& b) { b.SetShowHint(false); },
       [](auto& b) { return !b.ShowHint() && b.ParentShowHint(); }},
      {"parent's ShowHint followed", none, [](auto& b) { b.ParentShowHintChanged(true); },
       [](auto& b) { return b.ShowHint() && b.ParentShowHint(); }},
      {"parent's ShowHint not followed once left", [](auto& b) { b.SetParentShowHint(false); },
       [](auto& b) { b.ParentShowHintChanged(true); },
       [](auto& b) { return !b.ShowHint() && !b.ParentShowHint(); }},
      {"HelpKeyword makes help by keyword", none, [](auto& b) { b.SetHelpKeyword("share"); },
       [](auto& b) { return b.HelpType() == HelpKind::Keyword && b.HelpKeyword() == "share"; }},
      {"HelpContext makes help by context", [](auto& b) { b.SetHelpKeyword("share"); },
       [](auto& b) { b.SetHelpContext(12); },
       [](auto& b) {
         return b.HelpType() == HelpKind::Context && b.HelpContext() == 12 &&
                b.HelpKeyword() == "share";
       }},
      {"HelpKeyword while reading keeps the kind", [](auto& b) { b.BeginReading(); },
       [](auto& b) { b.SetHelpKeyword("share"); },
       [](auto& b) { return b.HelpType() == HelpKind::Context; }},
      {"HelpContext while reading keeps the kind",
       [](auto& b) {
         b.SetHelpType(HelpKind::Keyword);
         b.BeginReading();
       },
       [](auto& b) { b.SetHelpContext(3); },
       [](auto& b) { return b.HelpType() == HelpKind::Keyword && b.HelpContext() == 3; }},
      {"HelpKeyword after reading switches again",
       [](auto& b) {
         b.BeginReading();
         b.Loaded();
       },
       [](auto& b) { b.SetHelpKeyword("x"); },
       [](auto& b) { return b.HelpType() == HelpKind::Keyword; }},
      {"Anchors", none,
       [](auto& b) {
         b.SetAnchors({AnchorSide::Right, AnchorSide::Bottom});
       },
       [](auto& b) {
         return b.Anchors() == AnchorSides{AnchorSide::Right, AnchorSide::Bottom};
       }},
      {"Align", none, [](auto& b) { b.SetAlign(DockAlign::Client); },
       [](auto& b) { return b.Align() == DockAlign::Client; }},
      {"PopupMenu", none,
       [](auto& b) { b.SetPopupMenu(std::make_shared<PopupMenuItem>("pmShare")); },
       [](auto& b) { return b.PopupMenu() && b.PopupMenu()->Name() == "pmShare"; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeButtonHost host;
    PlainButton b(host);
    c.before(b);
    c.assign(b);
    EXPECT_TRUE(c.expected(b));
    EXPECT_EQ(host.repaintsNow + host.repaintsScheduled, 0);
  }
}

// A click through each of its ways (mouse, claimed Enter, Ctrl+Enter) runs the linked action
// unless the button has a click handler of its own.
class ActionClickTest : public ::testing::Test {
 protected:
  ActionClickTest() {
    host.button = &button;
    action->OnExecute = [this](Persistent& sender) {
      ran.push_back(&sender == action.get() ? "action as itself" : "action for the button");
    };
  }

  FakeButtonHost host;
  PlainButton button{host};
  std::shared_ptr<ActionItem> action = std::make_shared<ActionItem>("actShare");
  std::vector<std::string> ran;
};

TEST_F(ActionClickTest, WhatAClickRuns) {
  struct Case {
    const char* name;
    bool ownHandlerFirst;  // OnClick assigned before the action is linked
    bool link;
    bool ownHandlerAfter;  // OnClick replaced after the link
    bool executeHandler;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"no action: OnClick", true, false, false, true, {"OnClick"}},
      {"no action, no handler: nothing", false, false, false, true, {}},
      {"action, no handler of its own: the action as itself",
       false,
       true,
       false,
       true,
       {"action as itself"}},
      {"action and a handler of its own: the handler only", true, true, false, true, {"OnClick"}},
      {"handler replaced after linking: the handler only", false, true, true, true, {"OnClick"}},
      {"action without OnExecute: nothing runs", false, true, false, false, {}},
  };
  using Way = std::function<void(PlainButton&, FakeButtonHost&)>;
  const std::vector<std::pair<const char*, Way>> ways = {
      {"mouse",
       [](PlainButton& b, FakeButtonHost&) {
         b.HandleMouseDown(MouseButton::Left, {}, 5, 5, false);
         b.HandleMouseUp(MouseButton::Left, {}, 5, 5);
       }},
      {"Enter claimed",
       [](PlainButton& b, FakeButtonHost& h) {
         h.active = true;
         b.DialogKey(kVkReturn, 0);
       }},
      {"Ctrl+Enter",
       [](PlainButton& b, FakeButtonHost&) {
         std::uint16_t key = kVkReturn;
         b.KeyDown(key, ShiftState{ShiftFlag::Ctrl});
       }},
  };
  for (const auto& [wayName, way] : ways) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(wayName) + ": " + c.name);
      FakeButtonHost h;
      PlainButton b(h);
      std::vector<std::string> ran;
      auto act = std::make_shared<ActionItem>("actShare");
      if (c.executeHandler) {
        act->OnExecute = [&ran, &act](Persistent& sender) {
          ran.push_back(&sender == act.get() ? "action as itself" : "action for the button");
        };
      }
      auto own = [&ran](PlainButton&) { ran.push_back("OnClick"); };
      if (c.ownHandlerFirst) b.OnClick = own;
      if (c.link) b.SetAction(act);
      if (c.ownHandlerAfter) b.OnClick = own;
      way(b, h);
      EXPECT_EQ(ran, c.expected);
    }
  }
}

TEST_F(ActionClickTest, LinkingGivesTheActionsHandlerOnlyToAButtonWithoutOne) {
  button.SetAction(action);
  ASSERT_TRUE(button.OnClick);
  // Called directly, the handler runs the action's code with the button as sender.
  button.OnClick(button);
  EXPECT_EQ(ran, (std::vector<std::string>{"action for the button"}));
  EXPECT_EQ(action->Execute(), true);
  EXPECT_EQ(ran.back(), "action as itself");
  EXPECT_FALSE(ActionItem("empty").Execute());
}

// Another action linked later does not adopt the first one's handler as its own: the button's
// click then runs the handler it holds, as a handler of its own.
TEST_F(ActionClickTest, AHandlerOfAnotherActionCountsAsTheButtonsOwn) {
  button.SetAction(action);
  auto second = std::make_shared<ActionItem>("actOther");
  second->OnExecute = [this](Persistent&) { ran.push_back("second"); };
  button.SetAction(second);
  button.Click();
  EXPECT_EQ(ran, (std::vector<std::string>{"action for the button"}));
  button.SetAction(nullptr);
  button.Click();
  EXPECT_EQ(ran.size(), 2u);
}

}  // namespace
}  // namespace qv::test
