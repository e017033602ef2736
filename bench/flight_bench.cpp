// Cost of the flight instruments on the default pages: a page redraw with
// every instrument drawn, one frame of moving values, and the horizon alone.
#include <benchmark/benchmark.h>

#include "bench/bench_instrument.h"
#include "firmware/instruments/attitude.h"
#include "firmware/instruments/panel.h"

namespace zen {
namespace {

// The default panel in flight: some height, speed and climb, the attitude sensor on.
struct FlyingPanel : BenchInstrument {
  int step = 0;

  explicit FlyingPanel(std::uint8_t page) {
    z.main.activePage = page;
    clampItemPositions(z);
    z.attitude.attitudeSensorOn = 1;
    z.attitude.attitudeAlive = 255;
    move();
    redrawPage(z);
    drawPageItems(z);
  }

  // The next values: a climbing turn that scrolls the tapes and tilts the horizon every frame.
  void move() {
    ++step;
    z.air.altitudeFeet = 3000 + 7 * (step % 1000);
    z.air.indicatedAirspeed = static_cast<std::uint16_t>(80 + step % 40);
    z.air.verticalSpeed = 300 + 10 * (step % 100);
    z.air.climbing = 1;
    z.attitude.bank = step % 90 - 45;
    z.attitude.pitch = step % 20 - 10;
    z.attitude.heading = step % 360;
    z.attitude.turnRate = step % 40 - 20;
    z.attitude.slipValue = step % 30 - 15;
    z.attitude.attitudeFresh = 1;
  }
};

void BM_RedrawPageWithFlightInstruments(benchmark::State& state) {
  FlyingPanel panel(static_cast<std::uint8_t>(state.range(0)));
  for (auto _ : state) {
    redrawPage(panel.z);
    drawPageItems(panel.z);
  }
}
BENCHMARK(BM_RedrawPageWithFlightInstruments)->Arg(0)->Arg(1)->ArgName("page")->Unit(benchmark::kMicrosecond);

void BM_FlightFrame(benchmark::State& state) {
  FlyingPanel panel(static_cast<std::uint8_t>(state.range(0)));
  for (auto _ : state) {
    panel.move();
    drawPageItems(panel.z);
  }
}
BENCHMARK(BM_FlightFrame)->Arg(0)->Arg(1)->ArgName("page")->Unit(benchmark::kMicrosecond);

void BM_AttitudeHorizon(benchmark::State& state) {
  FlyingPanel panel(1);
  for (auto _ : state) {
    panel.z.attitude.bank = ++panel.step % 360 - 180;
    drawAttitude(panel.z);
  }
}
BENCHMARK(BM_AttitudeHorizon)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zen
