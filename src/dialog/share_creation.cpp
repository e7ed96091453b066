// The share button: checks the two fields with the user, then runs the share job in the
// background (a grant on a large tree can take minutes, the reachability report seconds) and
// tells its outcome. Every question and answer stays on the dialog's thread. Nothing already done
// is undone.
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "dialog/share_dialog.h"
#include "framework/errors.h"
#include "reach/reach_run.h"

namespace qv {

// The share button's boxes are open for as long as this lives, unless its work has started
// meanwhile: then the work's end decides.
class ShareDialog::AskingScope {
 public:
  explicit AskingScope(ShareStep& step) : step_(step) { step_ = ShareStep::Asking; }
  AskingScope(const AskingScope&) = delete;
  AskingScope& operator=(const AskingScope&) = delete;
  ~AskingScope() {
    if (step_ == ShareStep::Asking) step_ = ShareStep::Idle;
  }

 private:
  ShareStep& step_;
};

void ShareDialog::OnShareClick() {
  // Clicks and Enter that arrive while this handler's own boxes are open, or while its work runs.
  if (shareStep_ != ShareStep::Idle) return;
  AskingScope asking(shareStep_);

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

  StartShare(request);
}

void ShareDialog::StartShare(const ShareRequest& request) {
  auto outcome = std::make_shared<ShareOutcome>();
  auto reach = std::make_shared<std::optional<ReachReport>>();
  view_.RunInBackground(
      [this, request, edition = fields_.Edition, outcome, reach] {
        *outcome = setup_.Run(request, edition);
        if (outcome->shareMade && !outcome->error) *reach = GatherReach(request.name);
      },
      [this, outcome, reach](std::exception_ptr failure) {
        FinishShare(*outcome, failure, *reach);
      });
  shareStep_ = ShareStep::Working;
  view_.SetBusy(true);
}

std::optional<ReachReport> ShareDialog::GatherReach(const AnsiString& shareName) {
  // The share is made and its question must come: a report that cannot be had is no reason to
  // turn that into an error, and the work's thread must not end by raising.
  try {
    return CheckReach(shareName, reach_, shareFiles_);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

void ShareDialog::TellReach(const ReachReport& reach) {
  const std::vector<AnsiString> opened =
      OfferReach(reach, reach_, [this](const ReachNotice& notice) {
        if (!notice.offersFirewall) {
          boxes_.ShowMessage(notice.text, MessageKind::Information, MessageButton::Ok);
          return false;
        }
        return boxes_.ShowMessage(notice.text, MessageKind::Confirmation,
                                  MessageButton::Ok | MessageButton::Cancel) == MessageResult::Ok;
      });
  if (opened.empty()) return;
  AnsiString text;
  for (const AnsiString& line : opened) text += (text.empty() ? AnsiString() : "\r") + line;
  boxes_.ShowMessage(text, MessageKind::Information, MessageButton::Ok);
}

void ShareDialog::FinishShare(const ShareOutcome& outcome, std::exception_ptr failure,
                              const std::optional<ReachReport>& reach) {
  AskingScope asking(shareStep_);
  const bool closeAfterwards = std::exchange(closeAfterWork_, false);
  view_.SetBusy(false);
  // What the work itself raised, or what the job met on its way (the grant's error, a library
  // that could not be bound); a share already made stays in place.
  if (std::exception_ptr error = failure ? failure : outcome.error) {
    // With no close to follow, the error leaves this handler as it would any other.
    if (!closeAfterwards) std::rethrow_exception(error);
    view_.ShowError(error);
  } else if (!outcome.linkTarget.empty()) {
    boxes_.ShowMessage(ShareSetup::LinkText(outcome.linkTarget), MessageKind::Warning,
                       MessageButton::Ok);
    view_.FocusBrowseButton();
  } else if (!outcome.failedFolder.empty()) {
    boxes_.ShowMessage(setup_.FolderErrorText(outcome), MessageKind::Information,
                       MessageButton::Ok);
  } else if (outcome.shareResult != 0) {
    boxes_.ShowMessage(setup_.ShareErrorText(outcome.shareResult, outcome.shareBadParameter),
                       MessageKind::Information, MessageButton::Ok);
  } else {
    if (outcome.grantSkipped) {
      boxes_.ShowMessage(share_text::kNoPermissionsOnVolume, MessageKind::Information,
                         MessageButton::Ok);
    }
    if (reach) TellReach(*reach);
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
  switch (shareStep_) {
    case ShareStep::Idle:
      return true;
    case ShareStep::Working:
      closeAfterWork_ = true;
      return false;
    case ShareStep::Asking:
      // Kept, it would close the dialog after some later box that has nothing to do with it.
      return false;
  }
  return false;
}

}  // namespace qv
