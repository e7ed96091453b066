#include "app/startup.h"

#include "dialog/share_dialog_form.h"
#include "share/edition.h"

namespace qv {

int RunStartup(IStartupHost& host, IMessageBoxes& boxes, const DialogPrefill& prefill) {
  // One step, so that two copies started at the same instant cannot both miss each other.
  // A mutex that could not be made leaves this copy unguarded, which is better than not running.
  if (host.CreateSingleInstanceMutex(kSingleInstanceMutexName) == MutexCreation::AlreadyExists) {
    boxes.ShowMessage(kAlreadyRunning, MessageKind::Information, MessageButton::Ok);
    return 0;
  }
  try {
    host.InitializeApplication(share_dialog_form::kTitle);
    ShareDialog& form = host.CreateMainForm();
    // Every run serves the second edition, whatever the executable is called.
    form.Fields().Edition = kServedEdition;
    form.Prefill(prefill.path, prefill.name);
    host.RunMessageLoop();
  } catch (const std::exception& error) {
    host.ShowApplicationError(error);
    return 1;
  }
  return 0;
}

}  // namespace qv
