// Cost of a page carrying every engine gauge, with alarms raised so that
// bars and values blink: the page redraw and one frame that redraws what
// changed (half the frames blank the alarmed bars, the other half refill them).
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/bench_instrument.h"
#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/panel.h"

namespace zen {
namespace {

struct EnginePage : BenchInstrument {
  // style 0: bars and the rev counter dial; 1: compact EGT/CHT and the rev
  // counter box; 2: bars and the two-needle rev counter.
  explicit EnginePage(std::uint8_t style) {
    z.settings.egtCount() = 4;
    z.settings.chtCount = 4;
    struct Place {
      int item;
      std::uint8_t column, row;
    };
    constexpr Place places[] = {{3, 30, 0},   {4, 30, 60},  {5, 21, 0},   {6, 0, 0},
                                {7, 0, 32},   {8, 0, 64},   {9, 0, 96},   {10, 0, 128},
                                {11, 0, 160}, {12, 10, 96}, {13, 10, 128}};
    for (const Place& p : places) {
      z.settings.itemOptions[p.item] = static_cast<std::uint8_t>(1 | (style << 1));
      z.settings.page1Locations[p.item] = {p.column, p.row};
    }
    EngineData& e = z.engine;
    e.engineUnitAlive = 6;
    e.engineDataLost = 0;
    e.thermocouples = {600, 700, 640, 610, 200, 260, 210, 190};  // EGT 2 and CHT 2 above their limits
    e.coolantTemperature = 100;                                  // above its high limit
    e.oilTemperature = 90;
    e.oilPressure = 10;  // below its low limit
    e.fuelFlow = 1500;
    z.air.engineRpm = 5200;
    z.air.manifoldPressure = 950;
    z.air.fuelPressure = 30;
    z.air.tank1Contents = 8;  // at its low level: " LOW " alternates
    z.air.tank2Contents = 30;
    redrawPage(z);
  }
};

void BM_EnginePageRedraw(benchmark::State& state) {
  EnginePage page(static_cast<std::uint8_t>(state.range(0)));
  for (auto _ : state) {
    redrawPage(page.z);
    benchmark::DoNotOptimize(page.z.panel.frameRoutineCount);
  }
}
BENCHMARK(BM_EnginePageRedraw)->Arg(0)->Arg(1)->Arg(2)->ArgName("style")->Unit(benchmark::kMicrosecond);

void BM_EnginePageFrame(benchmark::State& state) {
  EnginePage page(static_cast<std::uint8_t>(state.range(0)));
  for (auto _ : state) {
    page.z.tick.secondPhase ^= 1;
    drawPageItems(page.z);
  }
  state.counters["alarms"] = page.z.main.activeAlarms;
}
BENCHMARK(BM_EnginePageFrame)->Arg(0)->Arg(1)->Arg(2)->ArgName("style")->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zen
