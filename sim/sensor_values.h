// What the simulator windows' raw positions mean: the engineering value the
// firmware computes from a position with the settings in force, and, the
// other way round, the position whose value is nearest to a wanted one. The
// way back searches with the firmware's own conversions; there is no second
// formula to drift from them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "hardware/hardware.h"

namespace zen {

struct Instrument;
struct Settings;

// One raw input: a pressure window bar (1 static, 2 pitot) or an engine
// unit window bar (1..21).
struct SensorInput {
  enum class Window : std::uint8_t { Pressure, Engine };
  Window window = Window::Pressure;
  int bar = 1;

  std::uint16_t maximum() const;
  std::uint16_t position(const SimulatorInputs& sim) const;
  void setPosition(SimulatorInputs& sim, std::uint16_t position) const;
  bool operator==(const SensorInput&) const = default;
};

// An engineering quantity, in the firmware's internal unit.
enum class Quantity : std::uint8_t {
  Altitude,          // ft
  Airspeed,          // mph, indicated
  Thermocouple,      // degrees C, channel 0..11
  HeadTemperature1,  // degrees C, sender
  HeadTemperature2,  // degrees C, sender
  Coolant,           // degrees C, sender
  OilTemperature,    // degrees C, sender
  OilPressure,       // tenths of a bar
  FuelFlow,          // hundredths of a litre per hour
  Tank1,             // litres (the capacity's unit)
  Tank2,
  FuelPressure,  // the fuel pressure gauge's unit
  EngineSpeed,   // rpm
  Manifold,      // mbar
};

struct Measurement {
  Quantity quantity = Quantity::Altitude;
  int channel = 0;  // thermocouples only
  bool operator==(const Measurement&) const = default;
};

// The settings a conversion reads, as they are in force.
struct SensorContext {
  const Instrument* instrument = nullptr;
  const Settings* settings = nullptr;
  std::uint16_t qnhX8 = 0;
  std::uint32_t rpmFactor = 0;
  std::uint8_t frameInterval = EngineFramePeriodTicks;
};
SensorContext sensorContext(const Instrument& z);

// The bar that feeds a quantity.
SensorInput inputOf(const SensorContext& c, Measurement m);
// The value of `m` at a position of its bar; none when the settings give the
// bar no such meaning (a coolant input set up as a thermocouple, a tank
// measured by the flow totaliser).
std::optional<std::int32_t> valueAt(const SensorContext& c, Measurement m, std::uint16_t position);
// What a bar shows on the instrument with these settings; none for a bar
// the settings leave unread.
std::optional<Measurement> meaningOf(const SensorContext& c, SensorInput input);
// The value with its unit, as the window shows it beside the position
// ("2007 ft", "3.5 bar"; oil and fuel pressure in psi when the instrument
// shows psi).
std::string describeValue(const SensorContext& c, Measurement m, std::int32_t value);
// describeValue of the bar's meaning at that position, or "" when it has none.
std::string describePosition(const SensorContext& c, SensorInput input, std::uint16_t position);

// The positions of one bar ordered by their value, for finding the nearest
// position to a value quickly. Built from the forward conversion.
class PositionSearch {
 public:
  // Empty (valid() false) when the quantity has no meaning with these settings.
  PositionSearch(const SensorContext& c, Measurement m);
  bool valid() const { return !byValue_.empty(); }
  std::int32_t lowest() const { return byValue_.front().first; }
  std::int32_t highest() const { return byValue_.back().first; }

  struct Found {
    std::uint16_t position;
    bool clamped;  // the value lies outside what any position gives
  };
  // The position whose value is nearest; among equally near ones the one
  // nearest to `hint` (the bar's current position), so a bar does not jump.
  Found nearest(double value, std::uint16_t hint) const;

 private:
  std::vector<std::pair<std::int32_t, std::uint16_t>> byValue_;  // value, position
};

}  // namespace zen
