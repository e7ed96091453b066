#include "app/unattended.h"

#include <optional>

#include "share/edition.h"

namespace qv {

namespace {
// Tells what the job's telling tells, and ends with its code.
int Report(const ShareTelling& telling, IRunReport& report) {
  for (const AnsiString& notice : telling.notices) report.Tell(notice);
  report.Tell(telling.text);
  for (const AnsiString& line : telling.logLines) report.LogOnly(line);
  return telling.exitCode;
}

int Refuse(ShareRefusal refusal, IRunReport& report) {
  return Report(Tell(ShareOutcome::Refused(refusal)), report);
}
}  // namespace

int RunQuietShare(const QuietRequest& given, ISingleInstance& instance, IProbePlatform& probes,
                  ShareSetup& job, IRunReport& report) {
  ShareRequest request = PrepareShareRequest(given.path, given.name);
  for (ShareRefusal refusal : {job.ResolvePath(request), CheckShareName(request)}) {
    if (refusal != ShareRefusal::None) return Refuse(refusal, report);
  }
  if (std::optional<AnsiString> target = job.LinkTarget(request.path)) {
    return Report(Tell(ShareOutcome::LinkedTo(*target)), report);
  }
  if (!job.DriveCanServe(request.path)) return Refuse(ShareRefusal::DriveCannotServe, report);
  if (job.IsSystemLocation(request.path) && !given.yes) {
    return Refuse(ShareRefusal::SystemLocation, report);
  }
  if (instance.CreateSingleInstanceMutex(kSingleInstanceMutexName) ==
      MutexCreation::AlreadyExists) {
    report.Tell(kAlreadyRunning);
    return kExitAlreadyRunning;
  }
  EnvironmentProbes environment(probes);
  if (environment.LacksAdministratorRights(environment.GetOsMajorVersion())) {
    report.Tell(kNotAdministrator);
    return kExitNotAllowed;
  }
  if (!job.RunsElevated()) return Refuse(ShareRefusal::NotElevated, report);

  // A share of this name on this folder is a run cut short (a grant that failed): this run
  // finishes it instead of failing on the name for ever.
  return Report(Tell(job.Run(request, kServedEdition, TakenShareName::AdoptSameFolder)), report);
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
