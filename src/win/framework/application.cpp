#include "win/framework/application.h"

#include "framework/errors.h"
#include "win/framework/form.h"
#include "win/framework/message_box_window.h"

namespace qv::win {

Application& Application::Instance() {
  static Application app;
  return app;
}

AnsiString ErrorMessageOf(const std::exception& e) {
  if (auto* ours = dynamic_cast<const Exception*>(&e)) return ours->Message();
  return AnsiString(e.what());
}

AnsiString ErrorClassOf(const std::exception& e) {
  if (auto* ours = dynamic_cast<const Exception*>(&e)) return AnsiString(ours->ClassName());
  if (dynamic_cast<const std::bad_alloc*>(&e)) return "EOutOfMemory";
  return "Exception";
}

void Application::HandleException(const std::exception& e) noexcept {
  try {
    ShowMessageBox(WithClosingPeriod(ErrorMessageOf(e)), BuildErrorBox(title_));
  } catch (...) {
    // Nothing sensible is left to do when even the error box cannot be shown.
  }
}

void Application::ShowLastResortError(const std::exception& e) noexcept {
  try {
    AnsiString text = Format("例外 %s が発生しました。\r\n%s", ErrorClassOf(e).c_str(),
                             WithClosingPeriod(ErrorMessageOf(e)).c_str());
    ShowMessageBox(text, BuildApplicationErrorBox());
  } catch (...) {
  }
}

int Application::ShowMessage(const AnsiString& text, MessageKind type, MessageButtons buttons,
                             int defaultResult) {
  return ShowMessageBox(text, BuildMessageBox(type, buttons, defaultResult));
}

int Application::Run(Form& mainForm) {
  MSG msg;
  while (mainForm.Handle() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    bool handled = false;
    try {
      handled = Form::PreTranslate(msg);
    } catch (const std::exception& e) {
      HandleException(e);
      handled = true;
    }
    if (!handled) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return 0;
}

}  // namespace qv::win
