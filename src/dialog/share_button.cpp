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
#include "share/share_texts.h"

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

  ShareRequest request = PrepareShareRequest(view_.SharePathText(), view_.ShareNameText());
  fields_.SharePath = request.path;
  fields_.ShareName = request.name;

  if (ShareRefusal refusal = job_.ResolvePath(request); refusal != ShareRefusal::None) {
    return Show(Tell(ShareOutcome::Refused(refusal)));
  }
  fields_.SharePath = request.path;
  if (std::optional<AnsiString> target = job_.LinkTarget(request.path)) {
    return Show(Tell(ShareOutcome::LinkedTo(*target)));
  }
  if (!job_.DriveCanServe(request.path)) {
    return Show(Tell(ShareOutcome::Refused(ShareRefusal::DriveCannotServe)));
  }
  // The grant reaches every file under the folder and cannot be undone by this program.
  if (job_.IsSystemLocation(request.path) &&
      boxes_.ShowMessage(share_text::kSystemLocationQuestion, MessageKind::Warning,
                         MessageButton::Ok | MessageButton::Cancel,
                         MessageResult::Cancel) != MessageResult::Ok) {
    view_.FocusBrowseButton();
    return;
  }
  if (!job_.DirectoryExists(request.path) &&
      boxes_.ShowMessage(share_text::kCreateQuestion, MessageKind::Confirmation,
                         MessageButton::Ok | MessageButton::Cancel) != MessageResult::Ok) {
    view_.FocusBrowseButton();
    return;
  }
  if (ShareRefusal refusal = CheckShareName(request); refusal != ShareRefusal::None) {
    return Show(Tell(ShareOutcome::Refused(refusal)));
  }
  if (!job_.RunsElevated()) return Show(Tell(ShareOutcome::Refused(ShareRefusal::NotElevated)));

  StartShare(request);
}

void ShareDialog::Show(const ShareTelling& telling) {
  for (const AnsiString& notice : telling.notices) {
    boxes_.ShowMessage(notice, MessageKind::Information, MessageButton::Ok);
  }
  boxes_.ShowMessage(telling.text, telling.box, MessageButton::Ok);
  switch (telling.focus) {
    case ShareFocus::BrowseButton:
      view_.FocusBrowseButton();
      break;
    case ShareFocus::ShareName:
      view_.FocusShareName();
      break;
    case ShareFocus::Unchanged:
      break;
  }
}

void ShareDialog::StartShare(const ShareRequest& request) {
  auto outcome = std::make_shared<ShareOutcome>();
  auto reach = std::make_shared<std::optional<ReachReport>>();
  view_.RunInBackground(
      [this, request, edition = fields_.Edition, outcome, reach] {
        *outcome = job_.Run(request, edition);
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
  const ShareTelling telling = Tell(outcome);
  // What the work itself raised, or what the job met on its way (the grant's error, a library
  // that could not be bound); a share already made stays in place.
  if (std::exception_ptr error = failure ? failure : outcome.error) {
    // With no close to follow, the error leaves this handler as it would any other.
    if (!closeAfterwards) std::rethrow_exception(error);
    view_.ShowError(error);
  } else if (telling.shared) {
    for (const AnsiString& notice : telling.notices) {
      boxes_.ShowMessage(notice, MessageKind::Information, MessageButton::Ok);
    }
    if (reach) TellReach(*reach);
    // The user is asked here in any case; that answer decides, not a close asked for earlier.
    if (boxes_.ShowMessage(telling.text + "\r" + share_text::kEndQuestion, telling.box,
                           MessageButton::Ok | MessageButton::Cancel) == MessageResult::Ok) {
      view_.Close();
    }
    return;
  } else {
    Show(telling);
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
