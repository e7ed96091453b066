#include "reach/reach_run.h"

#include "share/exit_codes.h"

namespace qv {

int TellReachAfterCheck(int checkExit, const AnsiString& shareName, IReachPlatform& platform,
                        IShareFiles& files, IRunReport& report) {
  const ReachReport reach = CheckReach(shareName, platform, files);
  for (const AnsiString& line : reach.lines) report.Tell(line);
  if (checkExit != kExitDone) return checkExit;
  return reach.blocked ? kExitCheckFailed : kExitDone;
}

void TellReachAfterQuietShare(const AnsiString& shareName, bool yes, IReachPlatform& platform,
                              IShareFiles& files, IRunReport& report) {
  const ReachReport reach = CheckReach(shareName, platform, files);
  for (const AnsiString& line : reach.lines) report.Tell(line);
  for (const AnsiString& problem : reach.problems) report.Tell("問題: " + problem);
  if (!yes) return;
  for (const AnsiString& line : OpenFirewallForSharing(reach, platform)) report.Tell(line);
}

std::vector<AnsiString> OfferReachAfterShare(const AnsiString& shareName, IReachPlatform& platform,
                                             IShareFiles& files,
                                             const std::function<bool(const ReachNotice&)>& ask) {
  return OfferReach(CheckReach(shareName, platform, files), platform, ask);
}

std::vector<AnsiString> OfferReach(const ReachReport& reach, IReachPlatform& platform,
                                   const std::function<bool(const ReachNotice&)>& ask) {
  const ReachNotice notice = NoticeFor(reach);
  if (!notice.show) return {};
  const bool ok = ask(notice);
  if (!notice.offersFirewall || !ok) return {};
  return OpenFirewallForSharing(reach, platform);
}

}  // namespace qv
