#include "win/framework/dpi.h"

#include "framework/dpi_scale.h"
#include "win/framework/gdi.h"

namespace qv::win {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);

// user32 is loaded with the program (it is linked), so looking a function up cannot load
// anything from elsewhere. Null where this system's user32 lacks the function.
template <typename F>
F User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (!user32) return nullptr;
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

struct PerDpiFunctions {
  GetDpiForWindowFn getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  GetSystemMetricsForDpiFn getSystemMetricsForDpi =
      User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
  AdjustWindowRectExForDpiFn adjustWindowRectExForDpi =
      User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  SystemParametersInfoForDpiFn systemParametersInfoForDpi =
      User32Function<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
};

const PerDpiFunctions& PerDpi() {
  static const PerDpiFunctions functions;
  return functions;
}

// The DPI of the screen the process started on, which the older functions answer in.
int StartupDpi() {
  ClientDC screen(nullptr);
  const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : kDesignDpi;
}

int Rescale(int value, int fromDpi, int toDpi) {
  return fromDpi == toDpi ? value : MulDiv(value, toDpi, fromDpi);
}

}  // namespace

int DpiOfWindow(HWND window) {
  if (PerDpi().getDpiForWindow && window) {
    if (const UINT dpi = PerDpi().getDpiForWindow(window); dpi > 0) return static_cast<int>(dpi);
  }
  return StartupDpi();
}

int SystemMetricForDpi(int index, int dpi) {
  if (PerDpi().getSystemMetricsForDpi) {
    return PerDpi().getSystemMetricsForDpi(index, static_cast<UINT>(dpi));
  }
  return Rescale(GetSystemMetrics(index), StartupDpi(), dpi);
}

SIZE FrameSizeForDpi(DWORD style, DWORD exStyle, int dpi) {
  RECT r{0, 0, 0, 0};
  if (PerDpi().adjustWindowRectExForDpi &&
      PerDpi().adjustWindowRectExForDpi(&r, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
    return SIZE{r.right - r.left, r.bottom - r.top};
  }
  r = RECT{0, 0, 0, 0};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  const int from = StartupDpi();
  return SIZE{Rescale(r.right - r.left, from, dpi), Rescale(r.bottom - r.top, from, dpi)};
}

bool NonClientMetricsForDpi(NONCLIENTMETRICSW& metrics, int dpi) {
  metrics = NONCLIENTMETRICSW{};
  metrics.cbSize = sizeof(metrics);
  if (PerDpi().systemParametersInfoForDpi &&
      PerDpi().systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0,
                                          static_cast<UINT>(dpi))) {
    return true;
  }
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return false;
  metrics.lfMessageFont.lfHeight = Rescale(metrics.lfMessageFont.lfHeight, StartupDpi(), dpi);
  return true;
}

}  // namespace qv::win
