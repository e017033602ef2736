#include "sim/sensor_values.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "firmware/core/engine_decode.h"
#include "firmware/core/instrument.h"
#include "firmware/core/option_bits.h"
#include "firmware/core/sender_curves.h"
#include "firmware/core/settings_store.h"
#include "firmware/core/utilities.h"
#include "firmware/instruments/air_data.h"
#include "firmware/instruments/engine_gauges.h"

namespace zen {

namespace {

constexpr int StaticBar = 1, PitotBar = 2;
constexpr int HeadTemperature1Bar = 13, HeadTemperature2Bar = 14, OilTemperatureBar = 15, OilPressureBar = 16,
              FuelFlowBar = 17, Tank1Bar = 18, Tank2Bar = 19, EngineSpeedBar = 20, ManifoldBar = 21;

bool isSender(const Settings& s, int probeInput) {
  return convertSender(s, s.probeTypes[static_cast<std::size_t>(probeInput)], 0).has_value();
}

std::optional<std::int32_t> senderValue(const Settings& s, int probeInput, std::uint16_t reading) {
  if (auto t = convertSender(s, s.probeTypes[static_cast<std::size_t>(probeInput)], reading)) return *t;
  return std::nullopt;
}

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string formatted(const char* format, double value) {
  char text[48];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

std::uint16_t SensorInput::maximum() const {
  return window == Window::Pressure ? PressureBarMaximum
                                    : EngineBarMaximum[static_cast<std::size_t>(bar - 1)];
}

std::uint16_t SensorInput::position(const SimulatorInputs& sim) const {
  return window == Window::Pressure ? sim.pressureBars[static_cast<std::size_t>(bar - 1)]
                                    : sim.engineBar(bar);
}

void SensorInput::setPosition(SimulatorInputs& sim, std::uint16_t position) const {
  const std::uint16_t p = std::min(position, maximum());
  if (window == Window::Pressure)
    sim.pressureBars[static_cast<std::size_t>(bar - 1)] = p;
  else
    sim.engineBars[static_cast<std::size_t>(bar - 1)] = p;
}

SensorContext sensorContext(const Instrument& z) {
  SensorContext c;
  c.settings = &z.settings;
  c.qnhX8 = z.time.qnh.qnhX8;
  c.rpmFactor = z.engine.rpmFactor;
  c.instrument = &z;
  return c;
}

SensorInput inputOf(const SensorContext& c, Measurement m) {
  using W = SensorInput::Window;
  switch (m.quantity) {
    case Quantity::Altitude:
      return {W::Pressure, StaticBar};
    case Quantity::Airspeed:
      return {W::Pressure, PitotBar};
    case Quantity::Thermocouple:
      return {W::Engine, std::clamp(m.channel, 0, 11) + 1};
    case Quantity::HeadTemperature1:
    case Quantity::Coolant:
      return {W::Engine, HeadTemperature1Bar};
    case Quantity::HeadTemperature2:
      return {W::Engine, HeadTemperature2Bar};
    case Quantity::OilTemperature:
      return {W::Engine, OilTemperatureBar};
    case Quantity::OilPressure:
      return {W::Engine, OilPressureBar};
    case Quantity::FuelFlow:
      return {W::Engine, FuelFlowBar};
    case Quantity::Tank1:
      return {W::Engine, Tank1Bar};
    case Quantity::Tank2:
      return {W::Engine, Tank2Bar};
    case Quantity::FuelPressure:
      // From the level 2 input when option 17 says so.
      return {W::Engine,
              c.settings->testOption(option::FuelPressureFromLevel2) ? Tank2Bar : HeadTemperature1Bar};
    case Quantity::EngineSpeed:
      return {W::Engine, EngineSpeedBar};
    case Quantity::Manifold:
      return {W::Engine, ManifoldBar};
  }
  return {};
}

std::optional<std::int32_t> valueAt(const SensorContext& c, Measurement m, std::uint16_t position) {
  const Settings& s = *c.settings;
  switch (m.quantity) {
    case Quantity::Altitude:
      return settledAltitudeOf(staticCountsOf(pressureBarReading(position), s.altimeterOffset), c.qnhX8);
    case Quantity::Airspeed:
      return indicatedAirspeedOf(pitotCountsOf(pressureBarReading(position), s.airspeedZero),
                                 s.airspeedFactor);
    case Quantity::Thermocouple:
      return thermocoupleValue(s, std::clamp(m.channel, 0, 11), position);
    case Quantity::HeadTemperature1:
      return senderValue(s, probe_input::HeadTemperature1, position);
    case Quantity::HeadTemperature2:
      return senderValue(s, probe_input::HeadTemperature2, position);
    case Quantity::Coolant:
      return senderValue(s, probe_input::Coolant, position);
    case Quantity::OilTemperature:
      return senderValue(s, probe_input::Oil, position);
    case Quantity::OilPressure:
      return oilPressureFromSender(s, position);
    case Quantity::FuelFlow:
      // The simulated unit sends turbine pulses only; an injector's are not simulated.
      if (!s.testOption(option::FlowTurbine)) return std::nullopt;
      return fuelFlowOf(position, c.frameInterval, flowPulsesPerLitre(s));
    case Quantity::Tank1:
      if (s.tankMode & 1) return std::nullopt;  // the flow totaliser's
      return tankContents(s.tank1Calibration, position);
    case Quantity::Tank2:
      if ((s.tankMode & 2) || s.testOption(option::FuelPressureFromLevel2)) return std::nullopt;
      return tankContents(s.tank2Calibration, position);
    case Quantity::FuelPressure:
      return fuelPressureOf(position, s.fuelPressureRange);
    case Quantity::EngineSpeed:
      return engineRpmOf(c.rpmFactor, simulatedPulsePeriod(position));
    case Quantity::Manifold: {
      const auto counts = manifoldCountsOf(position, s.manifoldOffset);
      return counts ? manifoldPressureOf(*counts) : 0;
    }
  }
  return std::nullopt;
}

std::optional<Measurement> meaningOf(const SensorContext& c, SensorInput input) {
  const Settings& s = *c.settings;
  if (input.window == SensorInput::Window::Pressure)
    return Measurement{input.bar == StaticBar ? Quantity::Altitude : Quantity::Airspeed};
  const bool pressureFromLevel2 = s.testOption(option::FuelPressureFromLevel2);
  switch (input.bar) {
    case HeadTemperature1Bar:
      if (isSender(s, probe_input::Coolant)) return Measurement{Quantity::Coolant};
      if (isSender(s, probe_input::HeadTemperature1)) return Measurement{Quantity::HeadTemperature1};
      if (!pressureFromLevel2) return Measurement{Quantity::FuelPressure};
      return std::nullopt;
    case HeadTemperature2Bar:
      if (isSender(s, probe_input::HeadTemperature2)) return Measurement{Quantity::HeadTemperature2};
      return std::nullopt;
    case OilTemperatureBar:
      if (isSender(s, probe_input::Oil)) return Measurement{Quantity::OilTemperature};
      return std::nullopt;
    case OilPressureBar:
      return Measurement{Quantity::OilPressure};
    case FuelFlowBar:
      if (!s.testOption(option::FlowTurbine)) return std::nullopt;
      return Measurement{Quantity::FuelFlow};
    case Tank1Bar:
      if (s.tankMode & 1) return std::nullopt;
      return Measurement{Quantity::Tank1};
    case Tank2Bar:
      if (pressureFromLevel2) return Measurement{Quantity::FuelPressure};
      if (s.tankMode & 2) return std::nullopt;
      return Measurement{Quantity::Tank2};
    case EngineSpeedBar:
      return Measurement{Quantity::EngineSpeed};
    case ManifoldBar:
      return Measurement{Quantity::Manifold};
    default:
      if (input.bar >= 1 && input.bar <= 12) return Measurement{Quantity::Thermocouple, input.bar - 1};
      return std::nullopt;
  }
}

std::string describeValue(const SensorContext& c, Measurement m, std::int32_t value) {
  switch (m.quantity) {
    case Quantity::Altitude:
      return std::to_string(value) + " ft";
    case Quantity::Airspeed:
      return std::to_string(value) + " mph";
    case Quantity::Thermocouple:
    case Quantity::HeadTemperature1:
    case Quantity::HeadTemperature2:
    case Quantity::Coolant:
    case Quantity::OilTemperature:
      return std::to_string(value) + " \u00B0C";
    case Quantity::OilPressure:
    case Quantity::FuelPressure: {
      // As the pressure gauges print it, bar or psi by the instrument's setting.
      const bool psi = c.settings->testOption(option::OilPressurePsi);
      return trimmed(enginePressureText(*c.instrument, static_cast<std::uint16_t>(value)).str()) +
             (psi ? " psi" : " bar");
    }
    case Quantity::FuelFlow:
      return formatted("%.2f l/h", value / 100.0);
    case Quantity::Tank1:
    case Quantity::Tank2:
      return std::to_string(value) + " l";
    case Quantity::EngineSpeed:
      return std::to_string(value) + " rpm";
    case Quantity::Manifold:
      return std::to_string(value) + " mbar";
  }
  return {};
}

std::string describePosition(const SensorContext& c, SensorInput input, std::uint16_t position) {
  const auto m = meaningOf(c, input);
  if (!m) return {};
  const auto value = valueAt(c, *m, position);
  return value ? describeValue(c, *m, *value) : std::string{};
}

PositionSearch::PositionSearch(const SensorContext& c, Measurement m) {
  const SensorInput input = inputOf(c, m);
  byValue_.reserve(input.maximum() + 1u);
  for (std::uint32_t p = 0; p <= input.maximum(); ++p) {
    const auto value = valueAt(c, m, static_cast<std::uint16_t>(p));
    if (!value) {
      byValue_.clear();
      return;
    }
    byValue_.emplace_back(*value, static_cast<std::uint16_t>(p));
  }
  std::sort(byValue_.begin(), byValue_.end());
}

PositionSearch::Found PositionSearch::nearest(double value, std::uint16_t hint) const {
  if (byValue_.empty()) return {hint, true};
  const bool clamped = value < lowest() - 0.5 || value > highest() + 0.5;
  // The first entry not below the value, and the one before it: the nearer value wins.
  const auto above = std::lower_bound(byValue_.begin(), byValue_.end(), value,
                                      [](const auto& entry, double v) { return entry.first < v; });
  std::int32_t best;
  if (above == byValue_.end())
    best = highest();
  else if (above == byValue_.begin())
    best = lowest();
  else
    best =
        (above->first - value) < (value - std::prev(above)->first) ? above->first : std::prev(above)->first;
  // Every position giving that value, already ordered by position.
  const auto first = std::lower_bound(byValue_.begin(), byValue_.end(), std::pair{best, std::uint16_t{0}});
  const auto last = std::upper_bound(first, byValue_.end(), std::pair{best, std::uint16_t{0xFFFF}});
  const auto closest = std::lower_bound(first, last, std::pair{best, hint});
  std::uint16_t position;
  if (closest == last)
    position = std::prev(last)->second;
  else if (closest == first || closest->second == hint)
    position = closest->second;
  else
    position = (closest->second - hint) < (hint - std::prev(closest)->second) ? closest->second
                                                                              : std::prev(closest)->second;
  return {position, clamped};
}

}  // namespace zen
