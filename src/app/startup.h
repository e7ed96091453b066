// The program's start: the single-instance guard, the dialog as the one main window with the
// second edition forced on it, the message loop and the exit code. The Windows entry point
// implements IStartupHost and calls RunStartup.
#pragma once

#include <exception>
#include <optional>

#include "dialog/share_dialog.h"
#include "framework/ansi_string.h"
#include "framework/message_box.h"

namespace qv {

constexpr char kSingleInstanceMutexName[] = "MOLOKAU_101";
// What a second copy is told while one is running.
constexpr char kAlreadyRunning[] = "アプリケーションは既に起動しています。";

enum class MutexCreation { Created, AlreadyExists, Failed };

// The guard that keeps a second copy from running beside the first.
class ISingleInstance {
 public:
  virtual ~ISingleInstance() = default;

  // Creates the named mutex in the session's namespace (default security, not owned). On
  // Created the handle is kept for the rest of the run; on AlreadyExists the handle the
  // system gave is closed before returning.
  virtual MutexCreation CreateSingleInstanceMutex(const AnsiString& name) = 0;
};

class IStartupHost : public ISingleInstance {
 public:
  virtual void InitializeApplication(const AnsiString& title) = 0;
  // Creates the dialog as the main window; its OnCreate runs during the call.
  virtual ShareDialog& CreateMainForm() = 0;
  // Shows the main window and runs the loop until it closes. An error that escapes the first
  // showing (before the loop handles errors itself) leaves this call.
  virtual void RunMessageLoop() = 0;
  // The last-resort box: "アプリケーション エラー", naming the error and giving its message.
  virtual void ShowApplicationError(const std::exception& error) = 0;
};

// What the command line put into the dialog's two fields before it is shown.
struct DialogPrefill {
  std::optional<AnsiString> path, name;
};

// Runs the program and returns its exit code: 0 normally and for a refused second copy, 1 after
// an error reached the last-resort box. boxes must work before InitializeApplication.
int RunStartup(IStartupHost& host, IMessageBoxes& boxes, const DialogPrefill& prefill = {});

}  // namespace qv
