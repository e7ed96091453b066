// Fakes of the windows behind the controls: they record what the models ask and answer from
// plain state the tests set. A shared event list keeps the order of what happened.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "controls/edit_host.h"
#include "controls/plain_button.h"

namespace qv::test {

class FakeButtonHost : public IPlainButtonHost {
 public:
  // Set after the button is made, so that focus changes reach it as the window would pass them.
  PlainButton* button = nullptr;
  std::vector<AnsiString>* events = nullptr;

  int repaintsNow = 0;
  int repaintsScheduled = 0;
  bool active = false;
  bool capture = false;
  int trackRequests = 0;
  KeyboardState keys{};
  Point cursor;
  std::optional<std::int32_t> formModalResult;  // nullopt: not on a form
  bool onForm = true;
  struct Shape {
    Rect bounds;
    int ellipseWidth, ellipseHeight;
  };
  std::vector<Shape> shapesSet;
  int shapesCleared = 0;
  std::vector<Rect> bounds;
  std::vector<bool> enabledApplied;
  AnsiString windowText;

  void Note(const AnsiString& e) {
    if (events) events->push_back(e);
  }
  void Press(std::uint16_t vk) { keys[vk] = 0x80; }

  void RepaintNow() override {
    ++repaintsNow;
    Note("RepaintNow");
  }
  void ScheduleRepaint() override {
    ++repaintsScheduled;
    Note("ScheduleRepaint");
  }
  void SetFocus() override {
    Note("SetFocus");
    if (active) return;
    active = true;
    if (button) button->DoEnter();
  }
  bool IsActiveControl() const override { return active; }
  void SetCapture() override { capture = true; }
  void ReleaseCapture() override { capture = false; }
  bool HoldsCapture() const override { return capture; }
  void TrackMouseLeave() override { ++trackRequests; }
  KeyboardState ReadKeyboardState() const override { return keys; }
  Point CursorClientPos() const override { return cursor; }
  void SetRoundShape(const Rect& b, int ew, int eh) override { shapesSet.push_back({b, ew, eh}); }
  void ClearShape() override { ++shapesCleared; }
  bool SetFormModalResult(std::int32_t mr) override {
    if (!onForm) return false;
    formModalResult = mr;
    Note("ModalResult " + AnsiString(std::to_string(mr)));
    return true;
  }
  void ApplyBounds(int l, int t, int w, int h) override { bounds.push_back({l, t, l + w, t + h}); }
  void ApplyEnabled(bool e) override { enabledApplied.push_back(e); }
  void ApplyVisible(bool) override {}
  void ApplyWindowText(const AnsiString& text) override { windowText = text; }
};

class FakeEditHost : public IEditHost {
 public:
  AnsiString text;
  std::int32_t selStart = 0;
  std::int32_t selEnd = 0;
  bool onForm = true;
  std::vector<bool> nextDlgCtl;  // true: previous control
  int recreations = 0;

  void SetText(const AnsiString& t) override { text = t; }
  std::int32_t TextLength() const override { return static_cast<std::int32_t>(text.size()); }
  void SetSelection(std::int32_t s, std::int32_t e) override {
    selStart = s;
    selEnd = e;
  }
  bool HasForm() const override { return onForm; }
  void SendNextDlgCtl(bool previous) override { nextDlgCtl.push_back(previous); }
  void RecreateWindow() override { ++recreations; }
};

}  // namespace qv::test
