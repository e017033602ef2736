// Cost of the page drawing and the frame computation on the default panel.
// A page redraw runs on every page toggle and menu exit and must stay well
// under a millisecond.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/bench_instrument.h"
#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/air_data.h"
#include "firmware/instruments/panel.h"

namespace zen {
namespace {

struct DefaultPanel : BenchInstrument {
  explicit DefaultPanel(std::uint8_t page) {
    z.time.qnh.qnhX8 = 8104;
    z.main.activePage = page;
    z.sim.pressureBars = {1000, 3500};  // some altitude and airspeed
    z.engine.engineUnitAlive = 6;
    z.engine.fuelFlow = 150;
    clampItemPositions(z);
    redrawPage(z);
  }
};

void BM_RedrawPage(benchmark::State& state) {
  DefaultPanel panel(static_cast<std::uint8_t>(state.range(0)));
  for (auto _ : state) {
    redrawPage(panel.z);
    benchmark::DoNotOptimize(panel.z.panel.frameRoutineCount);
  }
}
BENCHMARK(BM_RedrawPage)->Arg(0)->Arg(1)->ArgName("page")->Unit(benchmark::kMicrosecond);

void BM_DrawPageItems(benchmark::State& state) {
  DefaultPanel panel(0);
  for (auto _ : state) drawPageItems(panel.z);
}
BENCHMARK(BM_DrawPageItems)->Unit(benchmark::kMicrosecond);

void BM_UpdateInstruments(benchmark::State& state) {
  DefaultPanel panel(0);
  for (auto _ : state) {
    updateInstruments(panel.z);
    benchmark::DoNotOptimize(panel.z.air.altitudeFeet);
  }
}
BENCHMARK(BM_UpdateInstruments)->Unit(benchmark::kMicrosecond);

void BM_ClampItemPositions(benchmark::State& state) {
  DefaultPanel panel(0);
  for (auto _ : state) clampItemPositions(panel.z);
}
BENCHMARK(BM_ClampItemPositions)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zen
