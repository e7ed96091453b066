// One full paint of an 81 x 26 button with real GDI: off-screen bitmap, gradation, caption, raised
// edge and focus rectangle, copied to a screen-compatible memory bitmap. Prints the mean time per
// paint over a warmed-up run. (<chrono> cannot be compiled with the code page 932 literal
// setting, so the performance counter times it.)
#include <windows.h>

#include <cstdio>

#include "controls/plain_button.h"
#include "win/controls/gdi_canvas.h"
#include "win/framework/gdi.h"

namespace {

class BenchHost : public qv::IPlainButtonHost {
 public:
  void RepaintNow() override {}
  void ScheduleRepaint() override {}
  void SetFocus() override {}
  bool IsActiveControl() const override { return true; }
  void SetCapture() override {}
  void ReleaseCapture() override {}
  bool HoldsCapture() const override { return false; }
  void TrackMouseLeave() override {}
  qv::KeyboardState ReadKeyboardState() const override { return {}; }
  qv::Point CursorClientPos() const override { return {}; }
  void SetRoundShape(const qv::Rect&, int, int) override {}
  void ClearShape() override {}
  bool SetFormModalResult(std::int32_t) override { return false; }
  void ApplyBounds(int, int, int, int) override {}
  void ApplyEnabled(bool) override {}
  void ApplyVisible(bool) override {}
  void ApplyWindowText(const qv::AnsiString&) override {}
};

double MicrosecondsPerPaint(qv::PlainButton& button, HDC dc, int paints) {
  LARGE_INTEGER frequency, start, stop;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (int i = 0; i < paints; ++i) {
    qv::win::GdiCanvas canvas(dc);
    button.Paint(canvas);
  }
  QueryPerformanceCounter(&stop);
  return static_cast<double>(stop.QuadPart - start.QuadPart) * 1e6 /
         static_cast<double>(frequency.QuadPart) / paints;
}

}  // namespace

int main() {
  qv::win::ClientDC screen(nullptr);
  qv::win::MemoryDC dc(screen.get());
  qv::win::UniqueBitmap target(CreateCompatibleBitmap(screen.get(), 81, 26));
  qv::win::SelectedObject selected(dc.get(), target.get());

  for (auto style : {qv::PlainButtonStyle::Normal, qv::PlainButtonStyle::RoundRect}) {
    BenchHost host;
    qv::PlainButton button(host);
    button.SetBounds(0, 0, 81, 26);
    button.SetButtonStyle(style);
    button.CaptionA().SetCaption("共有");
    MicrosecondsPerPaint(button, dc.get(), 200);  // warm-up: font and colour caches
    constexpr int kPaints = 5000;
    const double us = MicrosecondsPerPaint(button, dc.get(), kPaints);
    std::printf(
        "%-28s %8.1f us per paint (%d paints)\n",
        style == qv::PlainButtonStyle::Normal ? "PaintDefaultButtonGdi" : "PaintRoundedButtonGdi",
        us, kPaints);
  }
  return 0;
}
