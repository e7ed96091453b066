// The unattended share (/quiet): the share button's job with no window, every rule of the dialog
// in the same order, the questions answered from the options, and the outcome told as text lines
// and an exit code.
#pragma once

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/startup.h"
#include "dialog/environment_probes.h"
#include "framework/ansi_string.h"
#include "framework/run_report.h"
#include "share/share_setup.h"

namespace qv {

struct QuietRequest {
  AnsiString path, name;  // as given, converted to code page 932
  bool yes = false;
};

// Shares as the dialog's share button would, and returns the exit code.
int RunQuietShare(const QuietRequest& request, ISingleInstance& instance, IProbePlatform& probes,
                  ShareSetup& job, IRunReport& report);

// The lines of a message, without the trailing line breaks; a lone \r, \n or \r\n breaks a line.
std::vector<AnsiString> MessageLines(const AnsiString& text);

}  // namespace qv
