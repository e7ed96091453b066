// The check run on another computer of the office (/probe \\<computer>\<share>): one save
// through the share as the logged-on user, each step with its time, and on a failure its likely
// cause and what to do. Nothing is left on the share.
#pragma once

#include <vector>

#include "framework/ansi_string.h"
#include "framework/run_report.h"
#include "reach/save_trial.h"
#include "share/exit_codes.h"

namespace qv {

constexpr std::size_t kProbeBytes = 1024 * 1024;

// The share as given, without a closing backslash; error not empty when it is no UNC path to a
// share (\\computer\share, optionally with folders below it).
struct ProbeTarget {
  AnsiString folder;
  AnsiString error;
};

ProbeTarget ParseProbeTarget(const AnsiString& argument);

// Reports every step and the verdict; returns a ProbeExit. An unusable target is a usage error
// (kExitUsage).
int RunProbe(const AnsiString& argument, IShareFiles& files, IRunReport& report);

}  // namespace qv
