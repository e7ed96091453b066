// Fakes of the windows behind the controls: they record what the models ask and answer from
// plain state the tests set. A shared event list keeps the order of what happened.
#pragma once

#include <deque>
#include <map>
#include <memory>
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

// An input context whose answers the test sets; it tells its owner when it is released.
struct FakeImeState {
  bool hasContext = true;
  bool open = false;
  std::deque<AnsiString> committedReadings;  // one per WM_IME_ENDCOMPOSITION
  std::optional<std::int32_t> sizeOverride;  // e.g. a negative error result
  int contextsTaken = 0;
  int contextsReleased = 0;
  int readingsRead = 0;
};

class FakeInputContext : public IInputContext {
 public:
  explicit FakeInputContext(FakeImeState& s) : s_(s) { ++s_.contextsTaken; }
  ~FakeInputContext() override { ++s_.contextsReleased; }
  bool OpenStatus() override { return s_.open; }
  std::int32_t ResultReadingSize() override {
    if (s_.sizeOverride) return *s_.sizeOverride;
    return s_.committedReadings.empty()
               ? 0
               : static_cast<std::int32_t>(s_.committedReadings.front().size());
  }
  AnsiString ReadResultReading(std::int32_t) override {
    ++s_.readingsRead;
    if (s_.committedReadings.empty()) return AnsiString();
    AnsiString r = s_.committedReadings.front();
    s_.committedReadings.pop_front();
    return r;
  }

 private:
  FakeImeState& s_;
};

class FakeEditHost : public IEditHost {
 public:
  AnsiString text;
  std::int32_t selStart = 0;
  std::int32_t selEnd = 0;
  bool onForm = true;
  std::vector<bool> nextDlgCtl;  // true: previous control
  int recreations = 0;
  std::vector<WindowMessage> delivered;  // what reached the standard handling
  FakeImeState ime;
  char decimalSeparator = '.';
  struct Mapping {
    AnsiString input;
    ReadingMapping kind;
    std::size_t bufferBytes;
  };
  mutable std::vector<Mapping> mappings;
  // Code page 932 pairs the locale mappings know (hiragana to katakana, full to half width).
  std::map<std::string, std::string> katakana = {{"\x82\xA0", "\x83\x41"},
                                                 {"\x82\xA2", "\x83\x43"},
                                                 {"\x82\xA9", "\x83\x4A"},
                                                 {"\x82\xAA", "\x83\x4B"},
                                                 {"\x82\xF1", "\x83\x93"}};
  std::map<std::string, std::string> halfWidth = {{"\x83\x41", "\xB1"}, {"\x83\x43", "\xB2"},
                                                  {"\x83\x4A", "\xB6"}, {"\x83\x4B", "\xB6\xDE"},
                                                  {"\x83\x93", "\xDD"}, {"\x82\x60", "A"}};

  void DefaultHandler(WindowMessage& m) override { delivered.push_back(m); }
  AnsiString Text() const override { return text; }
  void SetText(const AnsiString& t) override { text = t; }
  std::int32_t TextLength() const override { return static_cast<std::int32_t>(text.size()); }
  void GetSelection(std::int32_t& s, std::int32_t& e) const override {
    s = selStart;
    e = selEnd;
  }
  void SetSelection(std::int32_t s, std::int32_t e) override {
    selStart = s;
    selEnd = e;
  }
  bool HasForm() const override { return onForm; }
  void SendNextDlgCtl(bool previous) override { nextDlgCtl.push_back(previous); }
  void RecreateWindow() override { ++recreations; }
  std::unique_ptr<IInputContext> GetInputContext() override {
    if (!ime.hasContext) return nullptr;
    return std::make_unique<FakeInputContext>(ime);
  }
  AnsiString CharToAnsi(std::uintptr_t c) const override {
    if (c < 0x80) return AnsiString(1, static_cast<char>(c));
    if (c == 0x3042) return "\x82\xA0";  // hiragana a
    return "?";
  }
  // Like the system's mapping into a caller's buffer: the text with its terminating zero must
  // fit, or nothing comes back.
  AnsiString MapReading(const AnsiString& s, ReadingMapping kind,
                        std::size_t bufferBytes) const override {
    mappings.push_back({s, kind, bufferBytes});
    AnsiString out = Map(s, kind == ReadingMapping::Katakana ? katakana : halfWidth);
    if (out.size() + 1 > bufferBytes) return AnsiString();
    return out;
  }
  char DecimalSeparator() const override { return decimalSeparator; }

 private:
  static AnsiString Map(const AnsiString& s, const std::map<std::string, std::string>& table) {
    AnsiString out;
    ForEachCp932Char(s, [&](const AnsiString& ch) {
      auto it = table.find(ch.bytes());
      out += it == table.end() ? ch : AnsiString(it->second);
    });
    return out;
  }
};

}  // namespace qv::test
