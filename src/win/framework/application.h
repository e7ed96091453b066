// The application object: title, the message loop and the two last levels of error handling
// (the box for an error that escapes a handler, and the last-resort box).
#pragma once

#include <windows.h>

#include <exception>

#include "framework/ansi_string.h"
#include "framework/message_box.h"

namespace qv::win {

class Form;

class Application : public IMessageBoxes {
 public:
  static Application& Instance();

  void SetTitle(const AnsiString& title) { title_ = title; }
  const AnsiString& Title() const { return title_; }

  // An error escaped an event handler: show its text (with the closing-period rule) in a box
  // captioned with the title; the program goes on.
  void HandleException(const std::exception& e) noexcept;
  // An error escaped before the message loop took over: the last-resort box.
  void ShowLastResortError(const std::exception& e) noexcept;

  // Runs the message loop until the main form is destroyed; returns the quit code.
  int Run(Form& mainForm);

  int ShowMessage(const AnsiString& text, MessageKind type, MessageButtons buttons,
                  int defaultResult) override;

 private:
  Application() = default;
  AnsiString title_;
};

// The message text of any error: ours carry code page 932 text.
AnsiString ErrorMessageOf(const std::exception& e);
// The class name shown by the last-resort box.
AnsiString ErrorClassOf(const std::exception& e);

}  // namespace qv::win
