#include "share/share_outcome.h"

#include <utility>

#include "framework/errors.h"
#include "share/exit_codes.h"
#include "share/share_platform.h"
#include "share/share_texts.h"

namespace qv {

namespace {
AnsiString WithoutTrailingLineBreaks(AnsiString text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
  return text;
}

AnsiString MessageOf(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const Exception& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return AnsiString(e.what());
  }
}

ShareTelling Told(AnsiString text, int exitCode, ShareFocus focus = ShareFocus::Unchanged) {
  ShareTelling telling;
  telling.text = std::move(text);
  telling.exitCode = exitCode;
  telling.focus = focus;
  return telling;
}

ShareTelling TellRefusal(ShareRefusal refusal) {
  switch (refusal) {
    case ShareRefusal::EmptyPath:
      return Told(share_text::kEmptyPath, kExitRefused, ShareFocus::BrowseButton);
    case ShareRefusal::UnsuitablePath:
      return Told(share_text::kUnsuitableLocation, kExitRefused, ShareFocus::BrowseButton);
    case ShareRefusal::DriveCannotServe:
      return Told(share_text::kUnsuitableLocation, kExitFolder, ShareFocus::BrowseButton);
    case ShareRefusal::SystemLocation:
      return Told(share_text::kSystemLocationRefused, kExitRefused, ShareFocus::BrowseButton);
    case ShareRefusal::EmptyName:
      return Told(share_text::kEmptyName, kExitRefused, ShareFocus::ShareName);
    case ShareRefusal::UnusableName:
      return Told(share_text::kUnusableName, kExitRefused, ShareFocus::ShareName);
    case ShareRefusal::NameTooLong:
      return Told(share_text::kNameTooLong, kExitRefused, ShareFocus::ShareName);
    case ShareRefusal::NotElevated:
      return Told(share_text::kAccessDenied, kExitNotAllowed);
    case ShareRefusal::None:
      break;
  }
  return Told("", kExitDone);
}

ShareTelling TellShareFailure(const ShareOutcome& outcome) {
  const std::uint32_t code = outcome.shareResult;
  switch (code) {
    case kErrorAccessDenied:
      return Told(share_text::kAccessDenied, kExitNotAllowed);
    case kNerrUnknownDevDir:
      return Told(share_text::kUnsuitableLocation, kExitFolder);
    case kNerrDuplicateShare:
      return Told(share_text::kDuplicateShare, kExitNameInUse);
    default:
      break;
  }
  // The system's text usually ends in a line break, which puts the code on a line of its own.
  // Which field the server refused is what tells support a bad path from a bad remark.
  const AnsiString codes = outcome.shareBadParameter != 0
                               ? Format("(code=%u, parm_err=%u)", code, outcome.shareBadParameter)
                               : Format("(code=%u)", code);
  return Told(outcome.systemText + codes, kExitShareFailed);
}

ShareTelling TellFolderFailure(const ShareOutcome& outcome) {
  AnsiString reason = WithoutTrailingLineBreaks(outcome.systemText);
  if (reason.empty()) reason = Format("(code=%u)", outcome.folderError);
  return Told(share_text::kFolderNotMade + outcome.failedFolder + "\r" + reason, kExitFolder);
}
}  // namespace

ShareOutcome ShareOutcome::Refused(ShareRefusal refusal) {
  ShareOutcome outcome;
  outcome.refusal = refusal;
  return outcome;
}

ShareOutcome ShareOutcome::LinkedTo(const AnsiString& target) {
  ShareOutcome outcome;
  outcome.linkTarget = target;
  return outcome;
}

ShareTelling Tell(const ShareOutcome& outcome) {
  if (outcome.error) {
    // A share in place, new or taken over, stays: only the folder's permissions are missing.
    ShareTelling telling =
        Told(MessageOf(outcome.error),
             outcome.shareMade || outcome.shareExisted ? kExitGrantFailed : kExitShareFailed);
    if (!outcome.errorDetail.empty()) telling.logLines.push_back(outcome.errorDetail);
    telling.raised = true;
    return telling;
  }
  if (outcome.refusal != ShareRefusal::None) return TellRefusal(outcome.refusal);
  if (!outcome.linkTarget.empty()) {
    ShareTelling telling = Told(share_text::kLinkElsewhere + outcome.linkTarget, kExitRefused,
                                ShareFocus::BrowseButton);
    telling.box = MessageKind::Warning;
    return telling;
  }
  if (!outcome.failedFolder.empty()) return TellFolderFailure(outcome);
  if (outcome.shareResult != 0) return TellShareFailure(outcome);
  ShareTelling telling =
      Told(outcome.shareExisted ? share_text::kAlreadyShared : share_text::kShared, kExitDone);
  if (outcome.grantSkipped) telling.notices.push_back(share_text::kNoPermissionsOnVolume);
  telling.box = MessageKind::Confirmation;
  telling.shared = true;
  return telling;
}

}  // namespace qv
