// The frame computation: raw sensor counts to the values the instruments show.
#pragma once

#include <cstdint>
#include <optional>

namespace zen {

struct Instrument;
struct AirDataState;

void updateInstruments(Instrument& z);
// From the true airspeed and the vertical speed; part of updateInstruments.
void updateGlideRatio(AirDataState& a);

// The level sender's raw counts of tank 1 or 2.
std::uint16_t levelSenderCounts(const Instrument& z, int tank);
// Switches the tank level smoothing on, starting from the senders' current
// counts so the gauges show the calibrated levels at once.
void restartLevelSmoothing(Instrument& z);

// Conversions of the frame computation, each from one reading.

inline constexpr std::int32_t AltitudeBias = 700;  // the altitude value runs 700 ft above the altitude

struct AltitudeLookup {
  std::uint16_t value;  // altitude + 700 ft
  std::uint16_t slope;  // feet per 100 counts of the segment, also the climb scale
};
AltitudeLookup lookUpAltitude(std::uint16_t staticCounts);
std::uint16_t qnhCorrected(std::uint16_t altitudeValue, std::uint16_t qnhX8);
std::uint16_t indicatedAirspeedOf(std::uint16_t pitotCounts, std::uint8_t airspeedFactor);
// Static channel reading with the altimeter offset (16-bit wrap).
std::uint16_t staticCountsOf(std::uint16_t reading, std::int8_t altimeterOffset);
// The altitude (ft) the filter settles on for steady static counts.
std::int32_t settledAltitudeOf(std::uint16_t staticCounts, std::uint16_t qnhX8);
// Pitot channel reading above the airspeed zero.
std::uint16_t pitotCountsOf(std::uint16_t reading, std::uint16_t airspeedZero);
std::uint16_t engineRpmOf(std::uint32_t rpmFactor, std::uint16_t pulsePeriod);
// Manifold sensor counts as filtered, or none below the sensor's floor (0 mbar).
std::optional<std::uint32_t> manifoldCountsOf(std::uint16_t input, std::int8_t manifoldOffset);
std::uint16_t manifoldPressureOf(std::uint32_t counts);
std::uint8_t fuelPressureOf(std::uint16_t input, std::uint8_t fuelPressureRange);
std::uint8_t supplyVoltageOf(std::uint16_t counts);
std::uint8_t ambientTemperatureOf(std::uint16_t counts, std::int8_t temperatureOffset);

}  // namespace zen
