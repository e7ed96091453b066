// The plain button's properties, keys, mouse and focus, against a fake window.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "controls/plain_button.h"
#include "fake_graphic.h"
#include "fake_hosts.h"
#include "framework/errors.h"

namespace qv::test {
namespace {

class PlButtonTest : public ::testing::Test {
 protected:
  PlButtonTest() {
    host.button = &button;
    host.events = &events;
    button.OnClick = [this](PlainButton&) { events.push_back("OnClick"); };
    button.OnDblClick = [this](PlainButton&) { events.push_back("OnDblClick"); };
    button.OnEnter = [this](PlainButton&) { events.push_back("OnEnter"); };
    button.OnExit = [this](PlainButton&) { events.push_back("OnExit"); };
    button.OnMouseDown = [this](PlainButton&, MouseButton b, ShiftState s, int x, int y) {
      events.push_back(Format("OnMouseDown %d %02x %d,%d", static_cast<int>(b), s.Bits(), x, y));
    };
    button.OnMouseUp = [this](PlainButton&, MouseButton b, ShiftState, int, int) {
      events.push_back(Format("OnMouseUp %d", static_cast<int>(b)));
    };
    button.OnMouseEnter = [this](PlainButton&, ShiftState s, int x, int y) {
      events.push_back(Format("OnMouseEnter %02x %d,%d", s.Bits(), x, y));
    };
    button.OnMouseLeave = [this](PlainButton&, ShiftState s, int x, int y) {
      events.push_back(Format("OnMouseLeave %02x %d,%d", s.Bits(), x, y));
    };
  }
  void Reset() {
    host.repaintsNow = 0;
    host.repaintsScheduled = 0;
    events.clear();
  }
  int Count(const AnsiString& e) const {
    return static_cast<int>(std::count(events.begin(), events.end(), e));
  }

  std::vector<AnsiString> events;
  FakeButtonHost host;
  PlainButton button{host};
};

TEST_F(PlButtonTest, NewButtonHasTheDefaults) {
  EXPECT_EQ(button.ButtonStyle(), PlainButtonStyle::Normal);
  EXPECT_FALSE(button.Cancel());
  EXPECT_EQ(button.CaptionLineSpace(), 4);
  EXPECT_EQ(button.CaptionTop(), 0);
  EXPECT_TRUE(button.CaptionVertCenter());
  EXPECT_EQ(button.FlatFrameType(), FrameType::Flat);
  EXPECT_TRUE(button.Gradation());
  EXPECT_EQ(button.GradBeginColor(), 0xFFFFFFu);
  EXPECT_EQ(button.GradEndColor(), 0xC0C0C0u);
  EXPECT_TRUE(button.HasFocus());
  EXPECT_EQ(button.ModalResult(), 0);
  EXPECT_FALSE(button.Pressed());
  EXPECT_FALSE(button.ShapeRegion().has_value());
  EXPECT_FALSE(button.CaptionFromNameDone());
  EXPECT_EQ(button.Width(), 75);
  EXPECT_EQ(button.Height(), 26);
  EXPECT_TRUE(button.TabStop());
  EXPECT_EQ(button.Color(), clBtnFace);
  for (const PlainButtonCaption* c : {&button.CaptionA(), &button.CaptionB()}) {
    EXPECT_EQ(c->Caption(), "");
    EXPECT_EQ(c->Alignment(), CaptionAlignment::Center);
    EXPECT_EQ(c->Left(), 0);
    EXPECT_EQ(c->Right(), 0);
  }
  const PlainButtonImage& image = button.Image();
  EXPECT_TRUE(image.Picture().Empty());
  EXPECT_EQ(image.Left(), 10);
  EXPECT_EQ(image.Top(), 0);
  EXPECT_FALSE(image.Transparent());
  EXPECT_TRUE(image.Visible());
  EXPECT_TRUE(image.VertCenter());
  EXPECT_FALSE(image.HorzCenter());
}

// Every scalar setter compares first; only ButtonStyle repaints on its current value.
TEST_F(PlButtonTest, ScalarSettersRepaintOnlyOnChange) {
  struct Case {
    const char* name;
    std::function<void(PlainButton&)> assignCurrent, assignNew;
    int repaintsOnCurrent, repaintsOnNew;
  };
  const std::vector<Case> cases = {
      {"ButtonStyle", [](auto& b) { b.SetButtonStyle(PlainButtonStyle::Normal); },
       [](auto& b) { b.SetButtonStyle(PlainButtonStyle::Flat); }, 1, 1},
      {"Cancel", [](auto& b) { b.SetCancel(false); }, [](auto& b) { b.SetCancel(true); }, 0, 0},
      {"Gradation", [](auto& b) { b.SetGradation(true); }, [](auto& b) { b.SetGradation(false); },
       0, 1},
      {"GradBeginColor", [](auto& b) { b.SetGradBeginColor(0xFFFFFF); },
       [](auto& b) { b.SetGradBeginColor(0xFF0000); }, 0, 1},
      {"GradEndColor", [](auto& b) { b.SetGradEndColor(0xC0C0C0); },
       [](auto& b) { b.SetGradEndColor(0x00FF00); }, 0, 1},
      {"HasFocus", [](auto& b) { b.SetHasFocus(true); }, [](auto& b) { b.SetHasFocus(false); }, 0,
       1},
      {"ModalResult", [](auto& b) { b.SetModalResult(0); }, [](auto& b) { b.SetModalResult(1); }, 0,
       0},
      {"CaptionLineSpace", [](auto& b) { b.SetCaptionLineSpace(4); },
       [](auto& b) { b.SetCaptionLineSpace(2); }, 0, 1},
      {"CaptionTop", [](auto& b) { b.SetCaptionTop(0); }, [](auto& b) { b.SetCaptionTop(8); }, 0,
       1},
      {"FlatFrameType", [](auto& b) { b.SetFlatFrameType(FrameType::Flat); },
       [](auto& b) { b.SetFlatFrameType(FrameType::Bump); }, 0, 1},
      {"CaptionA.Caption", [](auto& b) { b.CaptionA().SetCaption(""); },
       [](auto& b) { b.CaptionA().SetCaption("x"); }, 0, 1},
      {"CaptionB.Alignment", [](auto& b) { b.CaptionB().SetAlignment(CaptionAlignment::Center); },
       [](auto& b) { b.CaptionB().SetAlignment(CaptionAlignment::Even); }, 0, 1},
      {"CaptionA.Left", [](auto& b) { b.CaptionA().SetLeft(0); },
       [](auto& b) { b.CaptionA().SetLeft(3); }, 0, 1},
      {"CaptionA.Right", [](auto& b) { b.CaptionA().SetRight(0); },
       [](auto& b) { b.CaptionA().SetRight(3); }, 0, 1},
      {"Image.Left", [](auto& b) { b.Image().SetLeft(10); }, [](auto& b) { b.Image().SetLeft(4); },
       0, 1},
      {"Image.Top", [](auto& b) { b.Image().SetTop(0); }, [](auto& b) { b.Image().SetTop(5); }, 0,
       1},
      {"Image.Visible", [](auto& b) { b.Image().SetVisible(true); },
       [](auto& b) { b.Image().SetVisible(false); }, 0, 1},
      {"Image.TransParent", [](auto& b) { b.Image().SetTransparent(false); },
       [](auto& b) { b.Image().SetTransparent(true); }, 0, 1},
      {"Image.VertCenter off", [](auto& b) { b.Image().SetVertCenter(true); },
       [](auto& b) { b.Image().SetVertCenter(false); }, 0, 0},
      {"Image.HorzCenter on", [](auto& b) { b.Image().SetHorzCenter(false); },
       [](auto& b) { b.Image().SetHorzCenter(true); }, 0, 1},
      {"CaptionVertCenter off", [](auto& b) { b.SetCaptionVertCenter(true); },
       [](auto& b) { b.SetCaptionVertCenter(false); }, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeButtonHost h;
    PlainButton b(h);
    c.assignCurrent(b);
    EXPECT_EQ(h.repaintsNow, c.repaintsOnCurrent);
    c.assignNew(b);
    EXPECT_EQ(h.repaintsNow, c.repaintsOnCurrent + c.repaintsOnNew);
    EXPECT_EQ(h.repaintsScheduled, 0);
  }
}

TEST_F(PlButtonTest, PositionSettersSwitchCentringOffOnlyOnChange) {
  button.SetCaptionTop(0);
  EXPECT_TRUE(button.CaptionVertCenter());
  button.SetCaptionTop(8);
  EXPECT_FALSE(button.CaptionVertCenter());
  Reset();
  button.SetCaptionVertCenter(true);
  EXPECT_TRUE(button.CaptionVertCenter());
  EXPECT_EQ(host.repaintsNow, 1);

  button.Image().SetTop(0);
  EXPECT_TRUE(button.Image().VertCenter());
  button.Image().SetTop(5);
  EXPECT_FALSE(button.Image().VertCenter());
  button.Image().SetHorzCenter(true);
  button.Image().SetLeft(3);
  EXPECT_FALSE(button.Image().HorzCenter());
}

TEST_F(PlButtonTest, GradationOnTakesTheButtonOffItsParentsColour) {
  button.SetGradation(false);
  button.SetParentColor(true);
  button.SetGradation(true);
  EXPECT_FALSE(button.ParentColor());
}

TEST_F(PlButtonTest, CaptionAssignmentCopiesAndAlwaysRepaints) {
  FakeButtonHost otherHost;
  PlainButton other(otherHost);
  other.CaptionA().SetCaption("共有");
  other.CaptionA().SetAlignment(CaptionAlignment::Right);
  other.CaptionA().SetLeft(3);
  other.CaptionA().SetRight(4);

  button.SetCaptionB(&other.CaptionA());
  EXPECT_EQ(button.CaptionB().Caption(), "共有");
  EXPECT_EQ(button.CaptionB().Alignment(), CaptionAlignment::Right);
  EXPECT_EQ(button.CaptionB().Left(), 3);
  EXPECT_EQ(button.CaptionB().Right(), 4);
  EXPECT_EQ(host.windowText, "");  // only the first caption is the window text

  Reset();
  button.SetCaptionB(&other.CaptionA());  // nothing changes, still repaints
  EXPECT_EQ(host.repaintsNow, 1);
  button.SetCaptionA(&other.CaptionA());
  EXPECT_EQ(host.windowText, "共有");
}

TEST_F(PlButtonTest, ImageAssignmentCopiesSettingsAndPictureAndRepaintsOnce) {
  FakeButtonHost otherHost;
  PlainButton other(otherHost);
  other.Image().SetPicture(PictureOf(GraphicKind::Icon, 16, 16));
  other.Image().SetTop(3);
  other.Image().SetLeft(4);
  other.Image().SetTransparent(true);
  other.Image().SetVisible(false);
  other.Image().SetVertCenter(true);

  PlainButtonImage* own = &button.Image();
  button.SetImage(&other.Image());
  EXPECT_EQ(&button.Image(), own);
  EXPECT_EQ(button.Image().Picture().Graphic(), other.Image().Picture().Graphic());
  EXPECT_EQ(button.Image().Top(), 3);
  EXPECT_EQ(button.Image().Left(), 4);
  EXPECT_TRUE(button.Image().Transparent());
  EXPECT_FALSE(button.Image().Visible());
  EXPECT_TRUE(button.Image().VertCenter());
  EXPECT_FALSE(button.Image().HorzCenter());
  EXPECT_EQ(host.repaintsNow, 1);
}

TEST_F(PlButtonTest, AssigningFromAnotherClassOrNilIsRefusedAndChangesNothing) {
  button.CaptionA().SetCaption("元");
  button.Image().SetTop(7);
  struct Case {
    std::function<void()> assign;
    const char* message;
  };
  const std::vector<Case> cases = {
      {[&] { button.SetCaptionA(&button.Image()); },
       "TxPlBtnImage を TxPlBtnCaption に代入することはできません"},
      {[&] { button.SetCaptionB(nullptr); }, "nil を TxPlBtnCaption に代入することはできません"},
      {[&] { button.SetImage(&button.CaptionA()); },
       "TxPlBtnCaption を TxPlBtnImage に代入することはできません"},
      {[&] { button.SetImage(nullptr); }, "nil を TxPlBtnImage に代入することはできません"},
      {[&] { button.SetCaptionA(&button); },
       "TxPlButton を TxPlBtnCaption に代入することはできません"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Reset();
    try {
      c.assign();
      ADD_FAILURE() << "no error";
    } catch (const ConvertError& e) {
      EXPECT_EQ(e.Message(), AnsiString(c.message));
    }
    EXPECT_EQ(host.repaintsNow, 0);
  }
  EXPECT_EQ(button.CaptionA().Caption(), "元");
  EXPECT_EQ(button.Image().Top(), 7);
}

TEST_F(PlButtonTest, PictureKeepsOnlyBitmapsAndIcons) {
  button.Image().SetPicture(PictureOf(GraphicKind::Bitmap, 8, 8));
  EXPECT_FALSE(button.Image().Picture().Empty());
  EXPECT_EQ(host.repaintsNow, 1);

  button.Image().SetPicture(button.Image().Picture());  // its own picture: nothing
  EXPECT_FALSE(button.Image().Picture().Empty());
  EXPECT_EQ(host.repaintsNow, 1);

  button.Image().SetPicture(PictureOf(GraphicKind::Other, 8, 8));
  EXPECT_TRUE(button.Image().Picture().Empty());
  EXPECT_EQ(host.repaintsNow, 1);

  button.Image().SetPicture(PictureOf(GraphicKind::Icon, 8, 8));
  EXPECT_EQ(button.Image().Picture().Graphic()->Kind(), GraphicKind::Icon);
  EXPECT_EQ(host.repaintsNow, 2);
}

TEST_F(PlButtonTest, FirstParentGivesTheNameAsCaptionOnce) {
  button.SetName("btnShare");
  button.SetParent(false);
  EXPECT_EQ(button.CaptionA().Caption(), "");
  button.SetParent(true);
  EXPECT_EQ(button.CaptionA().Caption(), "btnShare");
  EXPECT_EQ(host.windowText, "btnShare");
  button.SetName("btnOther");
  button.SetParent(true);
  EXPECT_EQ(button.CaptionA().Caption(), "btnShare");

  FakeButtonHost h2;
  PlainButton unnamed(h2);
  unnamed.SetParent(true);
  unnamed.SetName("later");
  unnamed.SetParent(true);
  EXPECT_EQ(unnamed.CaptionA().Caption(), "");
  EXPECT_TRUE(unnamed.CaptionFromNameDone());
}

TEST_F(PlButtonTest, RoundedStylesHoldAShapeOfTheCurrentSize) {
  button.SetButtonStyle(PlainButtonStyle::RoundRect);
  ASSERT_EQ(host.shapesSet.size(), 1u);
  EXPECT_EQ(host.shapesSet[0].bounds, (Rect{0, 0, 76, 27}));
  EXPECT_EQ(host.shapesSet[0].ellipseWidth, 10);
  EXPECT_EQ(host.shapesSet[0].ellipseHeight, 10);
  EXPECT_EQ(button.ShapeRegion(), (Point{75, 26}));

  button.SetButtonStyle(PlainButtonStyle::RoundRect);  // current value: repaint only
  EXPECT_EQ(host.shapesSet.size(), 1u);
  button.SetButtonStyle(PlainButtonStyle::RoundRectNoFrame);
  EXPECT_EQ(host.shapesSet.size(), 2u);

  Reset();
  button.SetBounds(10, 20, 81, 30);
  ASSERT_EQ(host.shapesSet.size(), 3u);
  EXPECT_EQ(host.shapesSet[2].bounds, (Rect{0, 0, 82, 31}));
  EXPECT_EQ(button.ShapeRegion(), (Point{81, 30}));
  EXPECT_EQ(host.repaintsNow, 1);
  button.SetBounds(0, 0, 81, 30);  // moved, not resized
  EXPECT_EQ(host.shapesSet.size(), 3u);

  button.SetButtonStyle(PlainButtonStyle::Normal);
  EXPECT_EQ(host.shapesCleared, 1);
  EXPECT_FALSE(button.ShapeRegion().has_value());
  button.SizeChanged(50, 20);
  button.SetButtonStyle(PlainButtonStyle::Flat);
  EXPECT_EQ(host.shapesSet.size(), 3u);
  EXPECT_EQ(host.shapesCleared, 1);
}

// Enter is claimed by the focused button, Escape by a Cancel button; never with a modifier or
// without HasFocus.
TEST_F(PlButtonTest, DialogKeyRules) {
  struct Case {
    std::uint16_t key;
    bool active, cancel, hasFocus;
    std::uint16_t modifier;  // 0 or a virtual key held down
    bool altInKeyData;
    bool claimed;
  };
  const std::vector<Case> cases = {
      {kVkReturn, true, false, true, 0, false, true},
      {kVkReturn, false, false, true, 0, false, false},
      {kVkReturn, true, true, false, 0, false, false},
      {kVkReturn, true, false, true, kVkShift, false, false},
      {kVkReturn, true, false, true, kVkControl, false, false},
      {kVkReturn, true, false, true, 0, true, false},
      {kVkEscape, false, true, true, 0, false, true},
      {kVkEscape, true, false, true, 0, false, false},
      {kVkEscape, false, true, false, 0, false, false},
      {kVkEscape, false, true, true, kVkControl, false, false},
      {0x20, true, true, true, 0, false, false},
      {0x09, true, true, true, 0, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "key " << c.key << " active " << c.active << " cancel "
                                      << c.cancel << " hasFocus " << c.hasFocus << " modifier "
                                      << c.modifier << " alt " << c.altInKeyData);
    FakeButtonHost h;
    PlainButton b(h);
    int clicks = 0;
    b.OnClick = [&](PlainButton&) { ++clicks; };
    b.SetModalResult(2);
    h.active = c.active;
    b.SetCancel(c.cancel);
    b.SetHasFocus(c.hasFocus);
    if (c.modifier) h.Press(c.modifier);
    EXPECT_EQ(b.DialogKey(c.key, c.altInKeyData ? kKeyDataAltDown : 0), c.claimed);
    EXPECT_EQ(clicks, c.claimed ? 1 : 0);
    EXPECT_EQ(h.formModalResult, c.claimed ? std::optional<std::int32_t>(2) : std::nullopt);
  }
}

TEST_F(PlButtonTest, CtrlEnterRaisesOnlyTheClickEvent) {
  host.formModalResult = 7;
  button.SetModalResult(1);
  button.HandleMouseDown(MouseButton::Left, {ShiftFlag::Left}, 5, 5, false);  // pressed look on
  Reset();
  std::uint16_t key = kVkReturn;
  button.KeyDown(key, {ShiftFlag::Ctrl});
  EXPECT_EQ(key, 0);
  EXPECT_EQ(events, (std::vector<AnsiString>{"OnClick"}));
  EXPECT_EQ(host.formModalResult, 7);
  EXPECT_TRUE(button.Pressed());
  EXPECT_EQ(host.repaintsScheduled + host.repaintsNow, 0);
}

TEST_F(PlButtonTest, KeyDownEnterNeedsEnabledAndAnUnclearedKey) {
  button.SetEnabled(false);
  std::uint16_t key = kVkReturn;
  button.KeyDown(key, {});
  EXPECT_EQ(key, kVkReturn);
  EXPECT_EQ(Count("OnClick"), 0);

  button.SetEnabled(true);
  button.OnKeyDown = [](PlainButton&, std::uint16_t& k, ShiftState) { k = 0; };
  button.KeyDown(key, {});
  EXPECT_EQ(Count("OnClick"), 0);

  button.OnKeyDown = nullptr;
  for (std::uint16_t other : {std::uint16_t{0x20}, kVkEscape}) {
    std::uint16_t k = other;
    button.KeyDown(k, {});
    EXPECT_EQ(k, other);
  }
  EXPECT_EQ(Count("OnClick"), 0);
}

TEST_F(PlButtonTest, EnterReleaseDrawsTheButtonReleased) {
  button.HandleMouseDown(MouseButton::Left, {ShiftFlag::Left}, 5, 5, false);
  Reset();
  std::uint16_t key = 0x20;
  button.KeyUp(key, {});
  EXPECT_TRUE(button.Pressed());
  EXPECT_EQ(host.repaintsScheduled, 0);
  key = kVkReturn;
  button.KeyUp(key, {});
  EXPECT_FALSE(button.Pressed());
  EXPECT_EQ(host.repaintsScheduled, 1);
}

TEST_F(PlButtonTest, ClickTakesFocusPressesAndClicksInOrder) {
  button.SetModalResult(0);
  button.HandleMouseDown(MouseButton::Left, {ShiftFlag::Left}, 10, 12, false);
  EXPECT_TRUE(button.Pressed());
  EXPECT_TRUE(host.capture);
  button.HandleMouseUp(MouseButton::Left, {}, 10, 12);
  EXPECT_FALSE(host.capture);
  EXPECT_FALSE(button.Pressed());
  EXPECT_EQ(events, (std::vector<AnsiString>{"SetFocus", "OnEnter", "ScheduleRepaint", "RepaintNow",
                                             "OnMouseDown 0 08 10,12", "ModalResult 0", "OnClick",
                                             "ScheduleRepaint", "RepaintNow", "OnMouseUp 0"}));
}

TEST_F(PlButtonTest, DoubleClickGivesOneClickAndOneDoubleClick) {
  button.HandleMouseDown(MouseButton::Left, {ShiftFlag::Left}, 5, 5, false);
  button.HandleMouseUp(MouseButton::Left, {}, 5, 5);
  button.HandleMouseDown(MouseButton::Left, {ShiftFlag::Left}, 5, 5, true);
  EXPECT_TRUE(button.Pressed());
  button.HandleMouseUp(MouseButton::Left, {}, 5, 5);
  EXPECT_EQ(Count("OnClick"), 1);
  EXPECT_EQ(Count("OnDblClick"), 1);
  // The second press comes after the double-click event, flagged ShiftFlag::Double (0x40 |
  // ShiftFlag::Left 0x08).
  const auto dbl = std::find(events.begin(), events.end(), "OnDblClick");
  ASSERT_NE(dbl, events.end());
  EXPECT_NE(std::find(dbl, events.end(), "OnMouseDown 0 48 5,5"), events.end());
  EXPECT_FALSE(button.Pressed());
}

TEST_F(PlButtonTest, DragOutAndBackDrawsReleasedAndStillClicksInside) {
  host.keys[kVkLButton] = 0x80;
  button.HandleMouseMove({}, 5, 5);  // the cursor arrives
  button.HandleMouseDown(MouseButton::Left, {ShiftFlag::Left}, 5, 5, false);
  Reset();

  host.cursor = {90, 5};
  button.HandleMouseMove({ShiftFlag::Left}, 90, 5);
  EXPECT_FALSE(button.Pressed());
  EXPECT_EQ(events, (std::vector<AnsiString>{"OnMouseLeave 08 90,5", "RepaintNow"}));
  button.HandleMouseLeaveMessage();  // the capture holds: the moves tell where the cursor is
  EXPECT_EQ(events.size(), 2u);

  Reset();
  host.cursor = {6, 6};
  button.HandleMouseMove({ShiftFlag::Left}, 6, 6);
  EXPECT_FALSE(button.Pressed());  // not drawn pressed again
  EXPECT_EQ(events, (std::vector<AnsiString>{"OnMouseEnter 08 6,6", "RepaintNow"}));

  button.HandleMouseUp(MouseButton::Left, {}, 6, 6);
  EXPECT_EQ(Count("OnClick"), 1);
}

TEST_F(PlButtonTest, ReleaseOutsideDoesNotClick) {
  button.HandleMouseDown(MouseButton::Left, {ShiftFlag::Left}, 5, 5, false);
  button.HandleMouseUp(MouseButton::Left, {}, 75, 5);  // x = Width lies outside
  button.HandleMouseDown(MouseButton::Left, {ShiftFlag::Left}, 5, 5, false);
  button.HandleMouseUp(MouseButton::Left, {}, 5, -1);
  EXPECT_EQ(Count("OnClick"), 0);
  EXPECT_FALSE(button.Pressed());
}

TEST_F(PlButtonTest, LeavingWithoutCaptureNeedsTheLeaveMessage) {
  button.HandleMouseMove({}, 5, 5);
  EXPECT_EQ(host.trackRequests, 1);
  EXPECT_EQ(Count("OnMouseEnter 00 0,0"), 1);
  events.clear();
  host.repaintsNow = 0;
  button.HandleMouseMove({}, 6, 5);
  EXPECT_TRUE(events.empty());
  host.cursor = {-3, 4};
  button.HandleMouseLeaveMessage();
  EXPECT_EQ(events, (std::vector<AnsiString>{"OnMouseLeave 00 -3,4", "RepaintNow"}));
  button.HandleMouseLeaveMessage();
  EXPECT_EQ(events.size(), 2u);
}

TEST_F(PlButtonTest, OtherMouseButtonsNeitherPressNorClick) {
  button.HandleMouseDown(MouseButton::Right, {ShiftFlag::Right}, 5, 5, false);
  EXPECT_FALSE(button.Pressed());
  EXPECT_FALSE(host.capture);
  EXPECT_FALSE(host.active);
  button.HandleMouseUp(MouseButton::Right, {}, 5, 5);
  EXPECT_EQ(Count("OnClick"), 0);
  EXPECT_EQ(Count("OnMouseDown 1 10 5,5"), 1);
  EXPECT_EQ(Count("OnMouseUp 1"), 1);
}

TEST_F(PlButtonTest, WithoutHasFocusTheButtonStaysOutOfFocusHandling) {
  button.SetHasFocus(false);
  Reset();
  button.HandleMouseDown(MouseButton::Left, {ShiftFlag::Left}, 5, 5, false);
  EXPECT_FALSE(host.active);
  EXPECT_TRUE(button.Pressed());
  button.HandleMouseUp(MouseButton::Left, {}, 5, 5);
  EXPECT_EQ(Count("OnClick"), 1);

  Reset();
  button.DoEnter();
  button.DoExit();
  EXPECT_TRUE(events.empty());

  // Reached by Tab, Enter is not claimed but clicks through KeyDown.
  host.active = true;
  EXPECT_FALSE(button.DialogKey(kVkReturn, 0));
  std::uint16_t key = kVkReturn;
  button.KeyDown(key, {});
  EXPECT_EQ(Count("OnClick"), 1);
}

TEST_F(PlButtonTest, FocusChangesRaiseEventsAndScheduleARepaint) {
  button.DoEnter();
  button.DoExit();
  EXPECT_EQ(events,
            (std::vector<AnsiString>{"OnEnter", "ScheduleRepaint", "OnExit", "ScheduleRepaint"}));
}

TEST_F(PlButtonTest, ClickOffAFormSkipsTheModalResult) {
  host.onForm = false;
  button.SetModalResult(1);
  button.HandleMouseDown(MouseButton::Left, {ShiftFlag::Left}, 5, 5, false);
  button.HandleMouseUp(MouseButton::Left, {}, 5, 5);
  EXPECT_EQ(Count("OnClick"), 1);
  EXPECT_FALSE(host.formModalResult.has_value());
}

TEST(ShiftState, FromTheKeyStateTableAndFromMouseMessages) {
  KeyboardState keys{};
  keys[kVkShift] = 0x80;
  keys[kVkMenu] = 0x81;
  keys[kVkControl] = 0x01;  // toggled, not held
  keys[kVkRButton] = 0x80;
  EXPECT_EQ(ShiftStateFromKeyboard(keys),
            (ShiftState{ShiftFlag::Shift, ShiftFlag::Alt, ShiftFlag::Right}));
  EXPECT_EQ(ShiftStateFromMouseKeys(0x1D, false),
            (ShiftState{ShiftFlag::Shift, ShiftFlag::Ctrl, ShiftFlag::Left, ShiftFlag::Middle}));
  EXPECT_EQ(ShiftStateFromMouseKeys(0x02, true), (ShiftState{ShiftFlag::Right, ShiftFlag::Alt}));
}

TEST_F(PlButtonTest, EnabledAndParentColourChangesScheduleRepaints) {
  button.SetEnabled(false);
  EXPECT_EQ(host.enabledApplied, std::vector<bool>{false});
  EXPECT_EQ(host.repaintsScheduled, 1);
  button.SetEnabled(false);
  EXPECT_EQ(host.repaintsScheduled, 1);

  Reset();
  button.ParentColorChanged(0x123456);
  EXPECT_EQ(host.repaintsScheduled, 0);
  EXPECT_EQ(button.Color(), clBtnFace);
  button.SetParentColor(true);
  Reset();
  button.ParentColorChanged(0x123456);
  EXPECT_EQ(host.repaintsScheduled, 1);
  EXPECT_EQ(button.Color(), 0x123456u);
}

}  // namespace
}  // namespace qv::test
