// The reachability sources and the save through a share against the real system under Wine.
// What Wine answers for each source is printed and recorded, so a run shows it.
#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <thread>

#include "reach/reach_report.h"
#include "reach/save_failure.h"
#include "win/framework/cp932.h"
#include "win/reach/win_reach_platform.h"
#include "win/reach/win_share_files.h"

namespace qv {
namespace {

std::string Utf8(const AnsiString& text) {
  const std::wstring wide = win::ToWide(text);
  std::string out(wide.size() * 3 + 1, '\0');
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                    out.data(), static_cast<int>(out.size()), nullptr, nullptr);
  out.resize(n > 0 ? n : 0);
  return out;
}

template <typename T>
std::string Shown(const Answer<T>& a, std::string (*show)(const T&)) {
  return a.known() ? show(*a.value) : "unknown: " + Utf8(a.reason);
}

void Record(const char* source, const std::string& answer) {
  std::cout << source << ": " << answer << "\n";
  testing::Test::RecordProperty(source, answer);
}

// The folder Wine serves for \\<server>\<share>: the prefix's dosdevices\unc\<server>\<share>.
std::wstring UncFolder(const wchar_t* server, const wchar_t* share) {
  const char* prefix = std::getenv("WINEPREFIX");
  if (!prefix) return {};
  std::wstring path = L"Z:";
  for (const char* p = prefix; *p; ++p) path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
  path += L"\\dosdevices\\unc";
  CreateDirectoryW(path.c_str(), nullptr);
  path += L"\\";
  path += server;
  CreateDirectoryW(path.c_str(), nullptr);
  return path + L"\\" + share;
}

bool IsEmptyFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool empty = true;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") empty = false;
  } while (FindNextFileW(h, &found));
  FindClose(h);
  return empty;
}

TEST(WinReachPlatformTest, EverySourceAnswersOrSaysWhyNot) {
  win::WinReachPlatform platform;

  const Answer<ServiceStatus> service = platform.ServerService();
  Record("server_service", Shown<ServiceStatus>(service, [](const ServiceStatus& s) {
           return "run " + std::to_string(static_cast<int>(s.run)) + ", start " +
                  std::to_string(static_cast<int>(s.start));
         }));
  EXPECT_TRUE(service.known() || !service.reason.empty());

  const Answer<std::uint32_t> profiles = platform.CurrentFirewallProfiles();
  Record("firewall_profiles",
         Shown<std::uint32_t>(profiles, [](const std::uint32_t& p) { return std::to_string(p); }));
  EXPECT_TRUE(profiles.known() || !profiles.reason.empty());
  if (profiles.known()) {
    EXPECT_EQ(*profiles.value & ~7u, 0u);
  }
  for (NetworkKind kind : {NetworkKind::Domain, NetworkKind::Private, NetworkKind::Public}) {
    const std::string k = std::to_string(static_cast<int>(kind));
    auto yesNo = [](const bool& b) { return std::string(b ? "yes" : "no"); };
    const Answer<bool> on = platform.FirewallOn(kind);
    const Answer<bool> rules = platform.SharingRulesEnabled(kind);
    Record(("firewall_on_" + k).c_str(), Shown<bool>(on, yesNo));
    Record(("sharing_rules_" + k).c_str(), Shown<bool>(rules, yesNo));
    EXPECT_TRUE(on.known() || !on.reason.empty());
    EXPECT_TRUE(rules.known() || !rules.reason.empty());
  }

  const Answer<std::vector<ConnectedNetwork>> networks = platform.ConnectedNetworks();
  Record(
      "networks",
      Shown<std::vector<ConnectedNetwork>>(networks, [](const std::vector<ConnectedNetwork>& list) {
        std::string s = std::to_string(list.size());
        for (const ConnectedNetwork& n : list) {
          s += " [" + Utf8(n.name) + " " + std::to_string(static_cast<int>(n.kind)) + "]";
        }
        return s;
      }));
  EXPECT_TRUE(networks.known() || !networks.reason.empty());

  const Answer<AnsiString> name = platform.ComputerName();
  Record("computer_name", Shown<AnsiString>(name, [](const AnsiString& n) { return Utf8(n); }));
  ASSERT_TRUE(name.known()) << Utf8(name.reason);
  wchar_t plain[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  ASSERT_TRUE(GetComputerNameW(plain, &size));
  EXPECT_EQ(name.value->bytes(), win::ToAnsi(plain).bytes());

  const Answer<std::vector<AnsiString>> addresses = platform.Ipv4Addresses();
  Record("ipv4", Shown<std::vector<AnsiString>>(addresses, [](const std::vector<AnsiString>& l) {
           std::string s;
           for (const AnsiString& a : l) s += a.bytes() + " ";
           return s;
         }));
  ASSERT_TRUE(addresses.known()) << Utf8(addresses.reason);
  for (const AnsiString& a : *addresses.value) {
    unsigned b[4];
    char rest;
    EXPECT_EQ(std::sscanf(a.c_str(), "%u.%u.%u.%u%c", &b[0], &b[1], &b[2], &b[3], &rest), 4)
        << a.bytes();
    EXPECT_NE(b[0], 127u) << "loopback is no address for other computers";
    for (unsigned x : b) EXPECT_LE(x, 255u);
  }

  const Answer<bool> guest = platform.GuestDisabled();
  Record("guest_disabled",
         Shown<bool>(guest, [](const bool& b) { return std::string(b ? "yes" : "no"); }));
  EXPECT_TRUE(guest.known() || !guest.reason.empty());
}

TEST(WinReachPlatformTest, ThePublicProfileIsNeverOpened) {
  win::WinReachPlatform platform;
  EXPECT_FALSE(platform.EnableSharingRules(NetworkKind::Public).empty());
}

// The dialog asks from its work's thread, which must have left COM when the question is answered:
// a thread still in its apartment would have CoUninitialize called only from the hooks that run
// at its end. A thread already in COM, of either kind, keeps it as it was.
TEST(WinReachPlatformTest, AQuestionFromAnotherThreadLeavesItsComAsItWas) {
  const struct {
    const char* what;
    DWORD before;  // how the thread joined COM before the questions; ~0u: not at all
  } cases[] = {
      {"no COM", ~0u},
      {"single-threaded apartment", COINIT_APARTMENTTHREADED},
      {"multithreaded apartment", COINIT_MULTITHREADED},
  };
  win::WinReachPlatform platform;
  const Answer<std::uint32_t> here = platform.CurrentFirewallProfiles();
  const Answer<std::vector<ConnectedNetwork>> networksHere = platform.ConnectedNetworks();
  for (const auto& c : cases) {
    Answer<std::uint32_t> there;
    Answer<std::vector<ConnectedNetwork>> networksThere;
    HRESULT after = E_FAIL;
    std::thread([&] {
      const bool joined = c.before != ~0u && SUCCEEDED(CoInitializeEx(nullptr, c.before));
      there = platform.CurrentFirewallProfiles();
      platform.FirewallOn(NetworkKind::Private);
      platform.SharingRulesEnabled(NetworkKind::Private);
      networksThere = platform.ConnectedNetworks();
      // Joining the other kind of apartment succeeds only on a thread that is in none: that is
      // what the thread was in before the questions, or it is where the questions left it.
      const DWORD other =
          c.before == COINIT_MULTITHREADED ? COINIT_APARTMENTTHREADED : COINIT_MULTITHREADED;
      after = CoInitializeEx(nullptr, other);
      if (SUCCEEDED(after)) CoUninitialize();
      if (joined) CoUninitialize();
    }).join();
    if (c.before == ~0u) {
      EXPECT_EQ(after, S_OK) << c.what << ": the questions left the thread in COM";
    } else {
      EXPECT_EQ(after, RPC_E_CHANGED_MODE) << c.what << ": the thread's own COM was ended";
    }
    // The same answers as on the test's own thread.
    EXPECT_EQ(there.known(), here.known()) << c.what;
    EXPECT_EQ(there.value, here.value) << c.what;
    EXPECT_EQ(networksThere.known(), networksHere.known()) << c.what;
    if (networksThere.known() && networksHere.known()) {
      EXPECT_EQ(networksThere.value->size(), networksHere.value->size()) << c.what;
    }
  }
}

class LoopbackSaveTest : public testing::Test {
 protected:
  win::WinShareFiles files;
};

TEST_F(LoopbackSaveTest, ASaveThroughTheShareIsWrittenReadAndRemoved) {
  const std::wstring folder = UncFolder(L"localhost", L"QvReachSave");
  ASSERT_FALSE(folder.empty()) << "no WINEPREFIX";
  CreateDirectoryW(folder.c_str(), nullptr);
  const SaveTrial trial = TrySave(files, "\\\\localhost\\QvReachSave", kLoopbackBytes);
  for (const StepOutcome& s : trial.steps) {
    std::cout << "step " << static_cast<int>(s.step) << " code " << s.code << " " << s.seconds
              << " s\n";
  }
  ASSERT_EQ(trial.failure(), nullptr) << trial.failure()->code;
  EXPECT_EQ(trial.steps.size(), 4u);
  EXPECT_TRUE(IsEmptyFolder(folder)) << "the temporary file stayed";
  // The name carries the computer and is found nowhere else.
  EXPECT_NE(trial.path.find("~qvsetshare-"), AnsiString::npos);
  EXPECT_NE(files.UniqueFileName().bytes(), files.UniqueFileName().bytes());
  RemoveDirectoryW(folder.c_str());
}

TEST_F(LoopbackSaveTest, AMissingShareIsReportedAsUnreachable) {
  const SaveTrial trial = TrySave(files, "\\\\localhost\\QvNoSuchShare", 1024);
  ASSERT_NE(trial.failure(), nullptr);
  EXPECT_EQ(trial.failure()->step, SaveStep::Create);
  Record("missing_share_code", std::to_string(trial.failure()->code));
  EXPECT_EQ(AdviseOnSaveFailure(trial.failure()->code).kind, SaveFailureKind::Unreachable)
      << trial.failure()->code;
  EXPECT_FALSE(trial.leftBehind);
}

// The share is a read-only mount that tests/wine/with_readonly_share.sh prepared.
TEST_F(LoopbackSaveTest, AReadOnlyShareFailsAndKeepsNothing) {
  const char* share = std::getenv("QV_READONLY_SHARE");
  if (!share) GTEST_SKIP() << "run through with_readonly_share.sh (needs mount)";
  const SaveTrial trial = TrySave(files, "\\\\localhost\\" + AnsiString(share), kLoopbackBytes);
  ASSERT_NE(trial.failure(), nullptr);
  Record("readonly_code", std::to_string(trial.failure()->code));
  EXPECT_EQ(AdviseOnSaveFailure(trial.failure()->code).kind, SaveFailureKind::NotWritable)
      << trial.failure()->code;
  EXPECT_FALSE(trial.leftBehind);
  std::wstring wide(share, share + std::strlen(share));
  EXPECT_TRUE(IsEmptyFolder(UncFolder(L"localhost", wide.c_str())));
}

TEST(WinReachReportTest, TheWholeReportRunsUnderWine) {
  const std::wstring folder = UncFolder(L"localhost", L"QvReachReport");
  ASSERT_FALSE(folder.empty());
  CreateDirectoryW(folder.c_str(), nullptr);
  win::WinReachPlatform platform;
  win::WinShareFiles files;
  const ReachReport report = CheckReach("QvReachReport", platform, files);
  for (const AnsiString& l : report.lines) std::cout << Utf8(l) << "\n";
  for (const AnsiString& p : report.problems) std::cout << "problem: " << Utf8(p) << "\n";
  ASSERT_GE(report.lines.size(), 6u);
  EXPECT_EQ(report.lines.back().find("判定 (他のパソコンから): "), 0u);
  EXPECT_TRUE(IsEmptyFolder(folder));
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace qv
