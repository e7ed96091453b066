// Whether the other computers of the office can reach a share: the Server service, the
// firewall, the network's kind, the addresses to type, the accounts, and one save through the
// share from this computer itself. One line per finding, a verdict, and the problems with what
// to do about them. A source that cannot be read is told as such and never stops the report.
#pragma once

#include <vector>

#include "framework/ansi_string.h"
#include "reach/reach_platform.h"
#include "reach/save_trial.h"

namespace qv {

struct ReachReport {
  std::vector<AnsiString> lines;     // the findings, the verdict last
  std::vector<AnsiString> problems;  // each: what is wrong, then what to do
  // A clear reason that no other computer can use the share: the Server service is not
  // running, the firewall blocks file sharing on every network in use, or the save failed.
  bool blocked = false;
  // Firewall profiles (domain or private only) whose File and Printer Sharing rules are off
  // while the firewall is on: the ones the program may offer to open.
  std::vector<NetworkKind> closedTrustedProfiles;
};

ReachReport CheckReach(const AnsiString& shareName, IReachPlatform& platform, IShareFiles& files);

// The box shown after a successful share: nothing, the problems, or the problems with the offer
// to open the firewall for the trusted networks.
struct ReachNotice {
  bool show = false;
  bool offersFirewall = false;  // then a question: OK opens, Cancel leaves it
  AnsiString text;              // lines separated by \r
};

ReachNotice NoticeFor(const ReachReport& report);

// Opens the File and Printer Sharing rules for the report's trusted profiles, never for the
// public one; one line per profile saying how it went.
std::vector<AnsiString> OpenFirewallForSharing(const ReachReport& report, IReachPlatform& platform);

// The size of the administrator's own save through \\localhost.
constexpr std::size_t kLoopbackBytes = 64 * 1024;

}  // namespace qv
