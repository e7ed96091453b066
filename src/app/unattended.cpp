#include "app/unattended.h"

#include <optional>

#include "framework/errors.h"
#include "security/folder_grant.h"

namespace qv {

namespace {
constexpr char kSystemLocationRefused[] =
    "選択した場所には、ドライブ全体またはシステムのフォルダが含まれています。\r"
    "この場所を共有するには /yes を指定してください。\r";
constexpr char kAlreadyShared[] = "共有フォルダは設定済みです。";

int ExitCodeOfShareResult(std::uint32_t code) {
  switch (code) {
    case kNerrDuplicateShare:
      return kExitNameInUse;
    case kErrorAccessDenied:
      return kExitNotAllowed;
    case kNerrUnknownDevDir:
      return kExitFolder;
    default:
      return kExitShareFailed;
  }
}

std::uint32_t GrantCodeOf(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const GrantFailure& e) {
    return e.SystemCode();
  } catch (...) {
    return 0;
  }
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
}  // namespace

int RunQuietShare(const QuietRequest& given, IStartupHost& host, IProbePlatform& probes,
                  ShareSetup& setup, IRunReport& report) {
  ShareRequest request = ShareSetup::Prepare(given.path, given.name);
  for (ShareRefusal refusal : {setup.ResolvePath(request), ShareSetup::CheckName(request)}) {
    if (refusal != ShareRefusal::None) {
      report.Tell(ShareSetup::RefusalText(refusal));
      return kExitRefused;
    }
  }
  if (std::optional<AnsiString> target = setup.LinkTarget(request.path)) {
    report.Tell(ShareSetup::LinkText(*target));
    return kExitRefused;
  }
  if (!setup.DriveCanServe(request.path)) {
    report.Tell(share_text::kUnsuitableLocation);
    return kExitFolder;
  }
  if (setup.IsSystemLocation(request.path) && !given.yes) {
    report.Tell(kSystemLocationRefused);
    return kExitRefused;
  }
  if (host.CreateSingleInstanceMutex(kSingleInstanceMutexName) == MutexCreation::AlreadyExists) {
    report.Tell(kAlreadyRunning);
    return kExitAlreadyRunning;
  }
  EnvironmentProbes environment(probes);
  if (environment.LacksAdministratorRights(environment.GetOsMajorVersion())) {
    report.Tell(kNotAdministrator);
    return kExitNotAllowed;
  }
  if (!setup.RunsElevated()) {
    report.Tell(share_text::kAccessDenied);
    return kExitNotAllowed;
  }

  // Every run serves the second edition, as the dialog's does.
  // A share of this name on this folder is a run cut short (a grant that failed): this run
  // finishes it instead of failing on the name for ever.
  ShareOutcome outcome = setup.Run(request, 1, TakenShareName::AdoptSameFolder);
  if (outcome.error) {
    report.Tell(MessageOf(outcome.error));
    if (std::uint32_t code = GrantCodeOf(outcome.error)) {
      report.LogOnly(Trim(setup.MessageTextOf(code)) + Format("(code=%u)", code));
    }
    return outcome.shareMade || outcome.shareExisted ? kExitGrantFailed : kExitShareFailed;
  }
  if (!outcome.linkTarget.empty()) {
    report.Tell(ShareSetup::LinkText(outcome.linkTarget));
    return kExitRefused;
  }
  if (!outcome.failedFolder.empty()) {
    report.Tell(setup.FolderErrorText(outcome));
    return kExitFolder;
  }
  if (outcome.shareResult != 0) {
    report.Tell(setup.ShareErrorText(outcome.shareResult, outcome.shareBadParameter));
    return ExitCodeOfShareResult(outcome.shareResult);
  }
  if (outcome.grantSkipped) report.Tell(share_text::kNoPermissionsOnVolume);
  report.Tell(outcome.shareExisted ? kAlreadyShared : share_text::kShared);
  return kExitDone;
}

std::vector<AnsiString> MessageLines(const AnsiString& text) {
  std::vector<AnsiString> lines(1);
  bool afterCr = false;
  // Line breaks are single bytes that no trail byte can be, so a byte walk is safe here.
  for (char c : text) {
    if (c == '\n' && afterCr) {
      afterCr = false;
      continue;
    }
    afterCr = c == '\r';
    if (c == '\r' || c == '\n') {
      lines.emplace_back();
    } else {
      lines.back().push_back(c);
    }
  }
  while (lines.size() > 1 && lines.back().empty()) lines.pop_back();
  return lines;
}

}  // namespace qv
