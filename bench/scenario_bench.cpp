// What flight scenarios cost: the 15-minute circuit played headless on the
// default panel, with and without writing every quarter second as a PNG.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "sim/qt/screen_image.h"
#include "sim/scenario.h"
#include "sim/screen_render.h"

namespace zen {
namespace {

Scenario circuit() {
  ScenarioRead read = readScenarioFile(ZENARA_SOURCE_DIR "/examples/circuit.csv");
  if (!read.scenario) throw std::runtime_error(read.message);
  return *read.scenario;
}

void playCircuit(benchmark::State& state, bool writeFrames) {
  const Scenario scenario = circuit();
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "zenara-bench-frames";
  std::filesystem::create_directories(folder);
  std::size_t frames = 0;
  for (auto _ : state) {
    RenderOptions o;
    o.scenarios.push_back(std::make_shared<ScenarioPlayer>(scenario));
    for (double t = 0; t <= scenario.duration(); t += 0.25) o.frameSeconds.push_back(t);
    o.atSeconds = o.frameSeconds.back();
    o.onFrame = [&](std::size_t i, const Screen& screen) {
      ++frames;
      if (writeFrames) writeScreenPng(screen, folder / ("frame-" + std::to_string(i) + ".png"));
    };
    benchmark::DoNotOptimize(renderScreen(o));
  }
  state.counters["frames"] = static_cast<double>(frames) / static_cast<double>(state.iterations());
  std::filesystem::remove_all(folder);
}

// Every frame taken, none written: the firmware and the scenario alone.
void BM_CircuitPlayed(benchmark::State& state) { playCircuit(state, false); }
BENCHMARK(BM_CircuitPlayed)->Unit(benchmark::kMillisecond)->Iterations(3);

// What zenara-render --frames DIR --every 0.25 does (goal: under 10 s).
void BM_CircuitFramesAsPng(benchmark::State& state) { playCircuit(state, true); }
BENCHMARK(BM_CircuitFramesAsPng)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace zen
