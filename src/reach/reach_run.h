// The reachability report where the program's runs end: after the health check's lines, after
// an unattended share, and after the dialog's share, before its final question.
#pragma once

#include <functional>

#include "framework/run_report.h"
#include "reach/reach_report.h"

namespace qv {

// Tells the report after the check's own lines. The check's exit code stands when it already
// failed; otherwise a clear block makes it kExitCheckFailed.
int TellReachAfterCheck(int checkExit, const AnsiString& shareName, IReachPlatform& platform,
                        IShareFiles& files, IRunReport& report);

// Tells the report after an unattended share; with /yes the firewall is opened for the trusted
// networks it blocks. The run's exit code is not changed by anything found here.
void TellReachAfterQuietShare(const AnsiString& shareName, bool yes, IReachPlatform& platform,
                              IShareFiles& files, IRunReport& report);

// The dialog's box after a share: `ask` shows the notice (a question when it offers the
// firewall) and answers whether OK was chosen. Returns the lines of what was opened, to be shown.
// The dialog gathers the report on its work's thread and offers it on its own, so the two halves
// are also given apart.
std::vector<AnsiString> OfferReach(const ReachReport& reach, IReachPlatform& platform,
                                   const std::function<bool(const ReachNotice&)>& ask);
std::vector<AnsiString> OfferReachAfterShare(const AnsiString& shareName, IReachPlatform& platform,
                                             IShareFiles& files,
                                             const std::function<bool(const ReachNotice&)>& ask);

}  // namespace qv
