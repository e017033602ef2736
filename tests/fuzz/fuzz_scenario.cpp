// Flight scenarios as users and flight simulators send them: the bytes as a
// scenario file, played at a few moments, and as one datagram of a live
// feed. A file is read whole or refused naming the place; what is applied
// keeps every window input within its bar's range.
#include <cmath>
#include <string_view>

#include "fuzz_support.h"
#include "sim/scenario.h"

namespace {

void requireInputsInRange(const zen::Instrument& z) {
  for (std::uint16_t p : z.sim.pressureBars) FUZZ_REQUIRE(p <= zen::PressureBarMaximum);
  for (std::size_t i = 0; i < z.sim.engineBars.size(); ++i)
    FUZZ_REQUIRE(z.sim.engineBars[i] <= zen::EngineBarMaximum[i]);
  const zen::AttitudeState& a = z.attitude;
  FUZZ_REQUIRE(a.bank >= -180 && a.bank <= 179 && a.pitch >= -90 && a.pitch <= 90);
  FUZZ_REQUIRE(a.heading >= 0 && a.heading <= 359 && a.turnRate >= -200 && a.turnRate <= 200);
  FUZZ_REQUIRE(a.slipValue >= -56 && a.slipValue <= 56);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zen;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // One instrument with the default settings for the whole process; the
  // scenario only sets its inputs.
  static VirtualHost host(fuzz::hostOptions(0));
  Instrument& z = host.instrument();
  static const bool ready = [&] {
    buildImageFromDefaults(z, true);
    loadAllSettings(z);
    recomputeDerivedSettings(z);
    return true;
  }();
  (void)ready;

  const ScenarioRead read = parseScenario(text, "f.csv");
  FUZZ_REQUIRE(read.scenario.has_value() == read.message.empty());
  if (!read.scenario) {
    FUZZ_REQUIRE(read.message.rfind("f.csv:", 0) == 0);
  } else {
    const Scenario& s = *read.scenario;
    FUZZ_REQUIRE(!s.rows.empty());
    for (std::size_t r = 0; r < s.rows.size(); ++r) {
      FUZZ_REQUIRE(s.rows[r].values.size() == s.columns.size());
      FUZZ_REQUIRE(std::isfinite(s.rows[r].t) && s.rows[r].t >= 0);
      FUZZ_REQUIRE(r == 0 || s.rows[r].t > s.rows[r - 1].t);
    }
    ScenarioPlayer player(s);
    for (double t : {0.0, s.duration() / 3, s.duration(), s.duration() + 1}) {
      player.apply(z, t);
      requireInputsInRange(z);
    }
  }

  LiveScenario live;
  live.receive(z, text);
  FUZZ_REQUIRE(live.taken() + live.refused() == 1);
  requireInputsInRange(z);
  return 0;
}
