// One settings save as the menus make it when they return: the whole image
// into e2.rom, written to a temporary file, synced and renamed.
#include <benchmark/benchmark.h>

#include "firmware/core/settings_store.h"
#include "sim/virtual_host.h"

namespace zen {
namespace {

void BM_SaveAllSettings(benchmark::State& state) {
  VirtualHost::Options options;
  options.loadFiles = false;
  VirtualHost host(options);  // a private program folder
  Instrument& z = host.instrument();
  buildImageFromDefaults(z, true);
  loadAllSettings(z);
  for (auto _ : state) saveAllSettings(z);
}
BENCHMARK(BM_SaveAllSettings)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zen
