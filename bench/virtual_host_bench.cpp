// What simulated time costs the tests: the default panel switched on and run
// for a simulated minute on the virtual-time host, sensors live.
#include <benchmark/benchmark.h>

#include "firmware/core/settings_store.h"
#include "sim/virtual_host.h"

namespace zen {
namespace {

void BM_VirtualHostMinute(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    VirtualHost::Options options;
    options.loadFiles = false;
    VirtualHost host(options);
    buildImageFromDefaults(host.instrument(), true);
    host.switchEngineUnit(0, true);
    host.setEngineBar(0, 20, 52);
    host.setPressureBar(0, 1, 1000);
    host.setPressureBar(0, 2, 3000);
    host.closeAt(60000);
    state.ResumeTiming();
    host.run();
    benchmark::DoNotOptimize(host.instrument().air.altitudeFeet);
  }
}
BENCHMARK(BM_VirtualHostMinute)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zen
