// Start-up cost of qvsetshare.exe against two references built with the same toolchain and flags:
// a bare window (the least a Win32 program can show) and the floor (the dialog's controls built
// plainly from the system's classes, with the same manifest, icon and font).
//
// For each program, the median over the runs of:
//   visible  time from CreateProcess to a visible top-level window of the process
//   ready    time until that window's thread answers a message (it has reached its message loop)
//   anon     anonymous memory of the process with the window open (private heap, stacks, data)
//   total    its whole working set (resident memory, shared library pages included)
// Both memory figures come from the Linux side, /proc/<pid>/smaps_rollup of the Wine process (its
// Anonymous and Rss lines), read through Wine's Z: drive. The Wine process is found by its
// command line, which holds the program's full path, and its start time (see FindUnixProcess).
//
// Usage: startup_bench <bare.exe> <floor.exe> <tool.exe> [runs]
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "driver.h"

using namespace qv::e2e;

namespace {

constexpr DWORD kWindowTimeoutMs = 30000;
constexpr DWORD kSettleMs = 300;

struct Sample {
  double visibleMs = 0;
  double readyMs = 0;
  double anonMiB = 0;
  double totalMiB = 0;
};

double Now() {
  static const double ticksPerMs = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / ticksPerMs;
}

struct Search {
  DWORD pid;
  HWND found;
};

// Polled rather than hooked: Wine does not deliver window events across processes. The poll is
// short so that it adds at most about a millisecond to what is measured.
HWND WaitForVisibleWindow(DWORD pid) {
  const ULONGLONG deadline = GetTickCount64() + kWindowTimeoutMs;
  Search s{pid, nullptr};
  while (GetTickCount64() < deadline) {
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
          auto* s = reinterpret_cast<Search*>(lp);
          DWORD owner = 0;
          GetWindowThreadProcessId(w, &owner);
          if (owner != s->pid || !IsWindowVisible(w)) return TRUE;
          s->found = w;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&s));
    if (s.found) return s.found;
    Sleep(1);
  }
  return nullptr;
}

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string data;
  char buffer[8192];
  DWORD got = 0;
  // Files under /proc report no size: read until the end.
  while (ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) {
    data.append(buffer, got);
  }
  return data;
}

// Clock ticks since the machine started, as /proc counts a process's start time.
unsigned long long UptimeTicks() {
  const auto uptime = ReadWholeFile(L"Z:\\proc\\uptime");
  if (!uptime) throw DriverError("cannot read Z:\\proc\\uptime");
  // USER_HZ, the unit of /proc/<pid>/stat's start time, is 100 on every Linux Wine runs on.
  return static_cast<unsigned long long>(std::strtod(uptime->c_str(), nullptr) * 100.0);
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The /proc folder of the Linux process that runs the Windows command line and started at or
// after notBefore. Wine shows a process's Windows command line as its Linux one (padded with
// spaces); the start time tells this run from a copy that has just ended. More than one match
// is an error, not a guess.
std::wstring FindUnixProcess(const std::string& commandLine, unsigned long long notBefore) {
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &entry);
  if (find == INVALID_HANDLE_VALUE) {
    throw DriverError("cannot list Z:\\proc (error " + std::to_string(GetLastError()) + ")");
  }
  const std::string wanted = Lower(commandLine);
  std::vector<std::wstring> found;
  do {
    const std::wstring name = entry.cFileName;
    if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
    const std::wstring dir = L"Z:\\proc\\" + name;
    auto cmdline = ReadWholeFile(dir + L"\\cmdline");
    if (!cmdline) continue;  // a process that has just ended
    const auto last = cmdline->find_last_not_of(std::string(" \0", 2));
    cmdline->resize(last == std::string::npos ? 0 : last + 1);
    if (Lower(*cmdline) != wanted) continue;
    const auto stat = ReadWholeFile(dir + L"\\stat");
    if (!stat) continue;
    // The start time is the 22nd field; the name (2nd) may hold spaces but ends at the last ')'.
    const auto close = stat->rfind(')');
    if (close == std::string::npos) continue;
    const char* p = stat->c_str() + close + 1;
    for (int field = 3; field < 22 && *p; ++field) {
      while (*p == ' ') ++p;
      while (*p && *p != ' ') ++p;
    }
    if (std::strtoull(p, nullptr, 10) >= notBefore) found.push_back(dir);
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  if (found.size() > 1) {
    throw DriverError(std::to_string(found.size()) + " Linux processes run " + commandLine);
  }
  return found.empty() ? std::wstring() : found.front();
}

// A "<Name>: <n> kB" line of smaps_rollup, in MiB.
double SmapsField(const std::string& smaps, const std::string& name) {
  const std::string key = "\n" + name + ":";
  const auto at = ("\n" + smaps).find(key);
  if (at == std::string::npos) throw DriverError("smaps_rollup has no " + name + " line");
  return std::strtod(smaps.c_str() + at + name.size() + 1, nullptr) / 1024.0;
}

Sample Measure(const std::wstring& exe) {
  // One tick of slack: the start time and the uptime are rounded differently.
  const unsigned long long notBefore = UptimeTicks() - 1;
  Sample sample;
  const double t0 = Now();
  Process p = Process::Start(exe);
  HWND w = WaitForVisibleWindow(p.Id());
  const double t1 = Now();
  if (!w) {
    p.Terminate(1);
    throw DriverError("no visible window from " + WideToUtf8(exe));
  }
  DWORD_PTR ignored = 0;
  if (!SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, kWindowTimeoutMs, &ignored)) {
    p.Terminate(1);
    throw DriverError("the window of " + WideToUtf8(exe) + " does not answer");
  }
  const double t2 = Now();
  sample.visibleMs = t1 - t0;
  sample.readyMs = t2 - t0;

  Sleep(kSettleMs);  // let it finish its first paint before its memory is read
  const std::wstring unixProcess = FindUnixProcess(WideToUtf8(CommandLineOf(exe, {})), notBefore);
  if (unixProcess.empty()) {
    p.Terminate(1);
    throw DriverError("the Linux process of " + WideToUtf8(exe) + " was not found in /proc");
  }
  const auto smaps = ReadWholeFile(unixProcess + L"\\smaps_rollup");
  if (!smaps || smaps->empty()) {
    p.Terminate(1);
    throw DriverError("cannot read " + WideToUtf8(unixProcess) + "\\smaps_rollup");
  }
  sample.anonMiB = SmapsField(*smaps, "Anonymous");
  sample.totalMiB = SmapsField(*smaps, "Rss");

  Close(w);
  if (!p.WaitForExit(10000)) p.Terminate(1);
  return sample;
}

double MedianOf(const std::vector<Sample>& samples, double Sample::*field) {
  std::vector<double> v;
  for (const Sample& s : samples) v.push_back(s.*field);
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Program {
  const char* label;
  std::wstring exe;
  std::vector<Sample> samples;
  Sample median;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: startup_bench <bare.exe> <floor.exe> <tool.exe> [runs]\n");
    return 2;
  }
  const int runs = argc > 4 ? std::max(1, _wtoi(argv[4])) : 9;
  // A window of our own for the whole run keeps Wine's desktop process alive between runs, so
  // that no run pays for starting the desktop again.
  HWND keeper =
      CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"startup_bench", WS_POPUP | WS_VISIBLE, 0, 0, 1,
                      1, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  std::vector<Program> programs{{"bare window", FromUnixPath(argv[1]), {}, {}},
                                {"floor", FromUnixPath(argv[2]), {}, {}},
                                {"qvsetshare.exe", FromUnixPath(argv[3]), {}, {}}};
  int status = 0;
  try {
    for (Program& p : programs) Measure(p.exe);  // warm the file cache and the wineserver
    // Interleaved, so that a slow spell of the shared machine falls on all three alike.
    for (int i = 0; i < runs; ++i) {
      for (Program& p : programs) p.samples.push_back(Measure(p.exe));
    }
    for (Program& p : programs) {
      p.median = {MedianOf(p.samples, &Sample::visibleMs), MedianOf(p.samples, &Sample::readyMs),
                  MedianOf(p.samples, &Sample::anonMiB), MedianOf(p.samples, &Sample::totalMiB)};
    }
    const Sample& floor = programs[1].median;
    std::printf("runs: %d, medians; ratios against the floor\n", runs);
    std::printf("%-16s %10s %6s %10s %6s %10s %6s %10s %6s\n", "", "visible ms", "ratio",
                "ready ms", "ratio", "anon MiB", "ratio", "total MiB", "ratio");
    for (const Program& p : programs) {
      const Sample& m = p.median;
      std::printf("%-16s %10.1f %6.2f %10.1f %6.2f %10.2f %6.2f %10.2f %6.2f\n", p.label,
                  m.visibleMs, m.visibleMs / floor.visibleMs, m.readyMs, m.readyMs / floor.readyMs,
                  m.anonMiB, m.anonMiB / floor.anonMiB, m.totalMiB, m.totalMiB / floor.totalMiB);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "startup_bench: %s\n", e.what());
    status = 1;
  }
  DestroyWindow(keeper);
  return status;
}
