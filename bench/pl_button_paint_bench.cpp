// One full paint of an 81 x 26 button (off-screen composition, gradation, caption, frame, focus)
// onto the recording canvas: the cost of the painting logic itself.
#include <benchmark/benchmark.h>

#include "controls/plain_button.h"
#include "fake_hosts.h"
#include "recording_canvas.h"

namespace qv::test {
namespace {

void PaintButton(benchmark::State& state, PlainButtonStyle style) {
  FakeButtonHost host;
  host.active = true;
  PlainButton button(host);
  button.SetBounds(0, 0, 81, 26);
  button.SetButtonStyle(style);
  button.CaptionA().SetCaption("共有");
  RecordingCanvas canvas;
  for (auto _ : state) {
    canvas.Log().records.clear();
    canvas.Log().offscreenCount = 0;
    button.Paint(canvas);
    benchmark::DoNotOptimize(canvas.Records().data());
  }
  state.counters["ops"] = static_cast<double>(canvas.Records().size());
}

void BM_PaintDefaultButton(benchmark::State& state) {
  PaintButton(state, PlainButtonStyle::Normal);
}
void BM_PaintRoundedButton(benchmark::State& state) {
  PaintButton(state, PlainButtonStyle::RoundRect);
}

BENCHMARK(BM_PaintDefaultButton);
BENCHMARK(BM_PaintRoundedButton);

}  // namespace
}  // namespace qv::test
