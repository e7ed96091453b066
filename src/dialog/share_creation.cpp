// The share button: checks the two fields with the user, then runs the share job in the
// background (a grant on a large tree can take minutes) and tells its outcome. Every question and
// answer stays on the dialog's thread. Nothing already done is undone.
#include <memory>
#include <optional>
#include <utility>

#include "dialog/share_dialog.h"
#include "framework/errors.h"

namespace qv {

namespace {
// Sets a flag for as long as it lives, unless told to leave it to someone else.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(&flag) { flag = true; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;
  ~FlagScope() {
    if (flag_) *flag_ = false;
  }
  void HandOver() { flag_ = nullptr; }

 private:
  bool* flag_;
};
}  // namespace

void ShareDialog::OnShareClick() {
  // Clicks and Enter that arrive while this handler's own boxes are open, or while its work runs.
  if (shareRunning_) return;
  FlagScope running(shareRunning_);

  ShareRequest request = ShareSetup::Prepare(view_.SharePathText(), view_.ShareNameText());
  fields_.SharePath = request.path;
  fields_.ShareName = request.name;

  if (ShareRefusal refusal = setup_.ResolvePath(request); refusal != ShareRefusal::None) {
    boxes_.ShowMessage(ShareSetup::RefusalText(refusal), MessageKind::Information,
                       MessageButton::Ok);
    view_.FocusBrowseButton();
    return;
  }
  fields_.SharePath = request.path;
  if (std::optional<AnsiString> target = setup_.LinkTarget(request.path)) {
    boxes_.ShowMessage(ShareSetup::LinkText(*target), MessageKind::Warning, MessageButton::Ok);
    view_.FocusBrowseButton();
    return;
  }
  if (!setup_.DriveCanServe(request.path)) {
    boxes_.ShowMessage(share_text::kUnsuitableLocation, MessageKind::Information,
                       MessageButton::Ok);
    view_.FocusBrowseButton();
    return;
  }
  // The grant reaches every file under the folder and cannot be undone by this program.
  if (setup_.IsSystemLocation(request.path) &&
      boxes_.ShowMessage(share_text::kSystemLocationQuestion, MessageKind::Warning,
                         MessageButton::Ok | MessageButton::Cancel,
                         MessageResult::Cancel) != MessageResult::Ok) {
    view_.FocusBrowseButton();
    return;
  }
  if (!setup_.DirectoryExists(request.path) &&
      boxes_.ShowMessage(share_text::kCreateQuestion, MessageKind::Confirmation,
                         MessageButton::Ok | MessageButton::Cancel) != MessageResult::Ok) {
    view_.FocusBrowseButton();
    return;
  }
  if (ShareRefusal refusal = ShareSetup::CheckName(request); refusal != ShareRefusal::None) {
    boxes_.ShowMessage(ShareSetup::RefusalText(refusal), MessageKind::Information,
                       MessageButton::Ok);
    view_.FocusShareName();
    return;
  }
  if (!setup_.RunsElevated()) {
    boxes_.ShowMessage(share_text::kAccessDenied, MessageKind::Information, MessageButton::Ok);
    return;
  }

  auto outcome = std::make_shared<ShareOutcome>();
  auto finishing = std::make_shared<bool>(false);
  view_.SetBusy(true);
  running.HandOver();
  try {
    view_.RunInBackground([this, request, edition = fields_.Edition,
                           outcome] { *outcome = setup_.Run(request, edition); },
                          [this, outcome, finishing] {
                            *finishing = true;
                            FlagScope stillRunning(shareRunning_);
                            view_.SetBusy(false);
                            FinishShare(*outcome);
                          });
  } catch (...) {
    // The work could not even start: the dialog takes input again.
    if (!*finishing) {
      shareRunning_ = false;
      view_.SetBusy(false);
    }
    throw;
  }
}

void ShareDialog::FinishShare(const ShareOutcome& outcome) {
  bool closeAfterwards = std::exchange(closeRequested_, false);
  // The grant's error (or a library that could not be bound) leaves this handler as it would
  // have without the background; a share already made stays in place.
  if (outcome.error) std::rethrow_exception(outcome.error);
  if (!outcome.linkTarget.empty()) {
    boxes_.ShowMessage(ShareSetup::LinkText(outcome.linkTarget), MessageKind::Warning,
                       MessageButton::Ok);
    view_.FocusBrowseButton();
  } else if (!outcome.failedFolder.empty()) {
    boxes_.ShowMessage(setup_.FolderErrorText(outcome), MessageKind::Information,
                       MessageButton::Ok);
  } else if (outcome.shareResult != 0) {
    boxes_.ShowMessage(setup_.ShareErrorText(outcome.shareResult), MessageKind::Information,
                       MessageButton::Ok);
  } else {
    if (outcome.grantSkipped) {
      boxes_.ShowMessage(share_text::kNoPermissionsOnVolume, MessageKind::Information,
                         MessageButton::Ok);
    }
    // The user is asked here in any case; that answer decides, not a close asked for earlier.
    if (boxes_.ShowMessage(AnsiString(share_text::kShared) + "\r" + share_text::kEndQuestion,
                           MessageKind::Confirmation,
                           MessageButton::Ok | MessageButton::Cancel) == MessageResult::Ok) {
      view_.Close();
    }
    return;
  }
  if (closeAfterwards) view_.Close();
}

bool ShareDialog::CloseQuery() {
  if (!shareRunning_) return true;
  closeRequested_ = true;
  return false;
}

}  // namespace qv
