// Start-up cost of qvsetshare.exe against a bare window: median time from CreateProcess to a
// visible top-level window of the process, and the peak working set with the window open.
// Usage: startup_bench <tool.exe> <bare.exe> [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "driver.h"

using namespace qv::e2e;

namespace {

struct Sample {
  double ms;
  std::size_t peak;
};

Sample Measure(const std::wstring& exe) {
  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&t0);
  Process p = Process::Start(exe);
  WindowQuery q;
  q.processId = p.Id();
  HWND w = WaitForWindow(q, 30000);
  QueryPerformanceCounter(&t1);
  if (!w) throw DriverError("no window");
  Sleep(300);  // let it settle before reading its memory
  std::size_t peak = p.PeakWorkingSet();
  Close(w);
  if (!p.WaitForExit(10000)) p.Terminate(1);
  return {
      1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart),
      peak};
}

Sample Median(std::vector<Sample> s) {
  std::sort(s.begin(), s.end(), [](const Sample& a, const Sample& b) { return a.ms < b.ms; });
  Sample m = s[s.size() / 2];
  std::size_t peak = 0;
  for (const Sample& x : s) peak = std::max(peak, x.peak);
  m.peak = peak;
  return m;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: startup_bench <tool.exe> <bare.exe> [runs]\n");
    return 2;
  }
  int runs = argc > 3 ? _wtoi(argv[3]) : 9;
  // A window of our own for the whole run keeps Wine's desktop process alive between runs, so
  // that no run pays for starting the desktop again.
  HWND keeper =
      CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"startup_bench", WS_POPUP | WS_VISIBLE, 0, 0, 1,
                      1, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  std::wstring tool = FromUnixPath(argv[1]), bare = FromUnixPath(argv[2]);
  try {
    Measure(tool);  // warm the file cache and the wineserver once
    Measure(bare);
    std::vector<Sample> t, b;
    for (int i = 0; i < runs; ++i) {
      t.push_back(Measure(tool));
      b.push_back(Measure(bare));
    }
    Sample mt = Median(t), mb = Median(b);
    std::printf("runs: %d\n", runs);
    std::printf("time to visible window, median: qvsetshare %.1f ms, bare %.1f ms, ratio %.2f\n",
                mt.ms, mb.ms, mt.ms / mb.ms);
    std::printf("peak working set: qvsetshare %.1f MiB, bare %.1f MiB, ratio %.2f\n",
                mt.peak / 1048576.0, mb.peak / 1048576.0,
                static_cast<double>(mt.peak) / static_cast<double>(mb.peak));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "startup_bench: %s\n", e.what());
    DestroyWindow(keeper);
    return 1;
  }
  DestroyWindow(keeper);
  return 0;
}
