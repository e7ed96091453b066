// The share-setup dialog's logic: creation, the show-time administrator check, the browse and
// share buttons, and the share-name fitting. It acts on the windows only through IShareDialogView
// and on the system only through the platform interfaces, so it runs unchanged on the host.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>

#include "dialog/environment_probes.h"
#include "dialog/folder_browser.h"
#include "dialog/share_dialog_view.h"
#include "framework/ansi_string.h"
#include "framework/message_box.h"
#include "reach/reach_platform.h"
#include "reach/reach_report.h"
#include "reach/save_trial.h"
#include "share/share_outcome.h"
#include "share/share_setup.h"

namespace qv {

class ShareDialog {
 public:
  ShareDialog(IShareDialogView& view, IMessageBoxes& boxes, IProbePlatform& probes,
              IFolderBrowserPlatform& browser, ShareSetup& job, IReachPlatform& reach,
              IShareFiles& shareFiles);
  ShareDialog(const ShareDialog&) = delete;
  ShareDialog& operator=(const ShareDialog&) = delete;

  // Event handlers. Errors that leave them are Exception (OsError for failed system calls).
  void OnCreate();
  // Puts what the command line gave into the fields, in place of the defaults.
  void Prefill(const std::optional<AnsiString>& path, const std::optional<AnsiString>& name);
  // Runs after the framework has shown or hidden the window.
  void ShowingChanged();
  void OnCancelClick();
  void OnShareClick();
  // Whether the dialog may close now. While the share button's work runs it may not; the close
  // is remembered and carried out once the work's outcome has been shown. While one of the share
  // button's boxes is open it may not either, and the answer to the box decides what follows.
  bool CloseQuery();
  void OnBrowseClick();

  // The folder browser. path is the initial folder on entry and the chosen one on a true result.
  bool SelectFolder(const AnsiString& title, AnsiString& path, bool skipCheck);

  ShareDialogFields& Fields() { return fields_; }
  const ShareDialogFields& Fields() const { return fields_; }

 private:
  void StartShare(const ShareRequest& request);
  void FinishShare(const ShareOutcome& outcome, std::exception_ptr failure,
                   const std::optional<ReachReport>& reach);
  // A refusal or failure in its box, then the focus where the user mends it.
  void Show(const ShareTelling& telling);
  // Runs on the work's thread, after a share that was made: the report takes seconds.
  std::optional<ReachReport> GatherReach(const AnsiString& shareName);
  // The report's box, and what opening the firewall did when the user asked for it.
  void TellReach(const ReachReport& reach);

  ShareDialogFields fields_;
  IShareDialogView& view_;
  IMessageBoxes& boxes_;
  EnvironmentProbes probes_;
  IFolderBrowserPlatform& browser_;
  ShareSetup& job_;
  IReachPlatform& reach_;
  IShareFiles& shareFiles_;
  // Where the share button is: its boxes open (the question before the work, or the outcome
  // after it), or its work running. Anything but Idle ignores a second click or Enter.
  enum class ShareStep : std::uint8_t { Idle, Asking, Working };
  class AskingScope;
  ShareStep shareStep_ = ShareStep::Idle;
  bool closeAfterWork_ = false;
};

}  // namespace qv
