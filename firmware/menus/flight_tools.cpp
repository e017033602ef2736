#include "firmware/menus/flight_tools.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "firmware/core/clock_records.h"
#include "firmware/core/engine_decode.h"
#include "firmware/core/instrument.h"
#include "firmware/core/keys.h"
#include "firmware/core/utilities.h"
#include "firmware/instruments/display_format.h"
#include "firmware/menus/menu_engine.h"
#include "firmware/menus/value_entries.h"

namespace zen {

namespace {

constexpr int MaxAssumedSpeed = 999;  // three digits on the line
constexpr int MaxFuelLevel = 999;

std::uint32_t fuelForRange(const Instrument& z) {
  const AirDataState& a = z.air;
  switch (z.settings.rangeTanks) {
    case 0:
      return a.tank1Contents;
    case 1:
      return a.tank2Contents;
    default:
      return std::uint32_t{a.tank1Contents} + a.tank2Contents;
  }
}

// Litres in so many totaliser pulses, at most `most`; unknown without a
// K-factor, since the pulses then have no volume.
std::optional<std::uint32_t> litresInPulses(const Instrument& z, std::uint32_t pulses,
                                            std::uint32_t most = std::numeric_limits<std::uint32_t>::max()) {
  const std::uint32_t k = flowPulsesPerLitre(z.settings);
  if (k == 0) return std::nullopt;
  return std::min(pulses / k, most);
}

std::optional<std::uint32_t> computedFuelLevel(const Instrument& z) {
  return litresInPulses(z, z.time.trip.fuelRemaining, MaxFuelLevel);
}

void appendFuel(const Instrument& z, ShortText& value, std::optional<std::uint32_t> litres) {
  if (litres) {
    appendFuelQuantity(z, value, *litres);
  } else {
    value.append("??");
    value.push(fuelUnitSymbol(z));
  }
}

}  // namespace

void showRangeLine(Instrument& z, ShortText& value) {
  const std::uint16_t speed = z.menus.assumedSpeed;
  value.assign("Range at ");
  value.append(rightJustified(speedInDisplayUnit(z, speed), 3));
  value.push(speedUnitSymbol(z));
  value.append(" is ");
  const std::uint16_t flow = z.engine.fuelFlow;
  if (flow == 0 || z.engine.engineUnitAlive == 0) {
    value.append("  ??");
  } else {
    const std::uint64_t miles = std::uint64_t{speed} * (std::uint64_t{fuelForRange(z)} * 100) / flow;
    value.append(rightJustified(distanceInDisplayUnit(z, static_cast<std::uint32_t>(miles)), 4));
  }
  value.push(distanceUnitSymbol(z));
}

void changeAssumedSpeed(Instrument& z) {
  std::uint16_t& speed = z.menus.assumedSpeed;
  speed = static_cast<std::uint16_t>(nudge(z, std::min<int>(speed, MaxAssumedSpeed), 0, MaxAssumedSpeed));
}

void showFuelLevelCalc(Instrument& z, ShortText& value) {
  appendFuel(z, value, computedFuelLevel(z));
  value.append(" +/- to change");
}

void changeFuelLevelCalc(Instrument& z) {
  const std::optional<std::uint32_t> litres = computedFuelLevel(z);
  if (!litres) return;  // the pulses left stay as they are
  const int level = static_cast<int>(*litres);
  int changed = level;
  if (z.main.keyCode == key::Plus) changed = stepUp(z, level, 0, MaxFuelLevel, MaxFuelLevel);
  if (z.main.keyCode == key::Minus) changed = stepDown(z, level, 0, MaxFuelLevel, 0);
  z.time.trip.fuelRemaining = static_cast<std::uint32_t>(changed) * flowPulsesPerLitre(z.settings);
  refreshFuelTotaliser(z);
  saveTripRecord(z);
}

void showFuelAccu(Instrument& z, ShortText& value) {
  appendFuel(z, value, litresInPulses(z, z.time.trip.fuelUsed));
  value.append(" Zero-press Select");
}

void zeroFuelAccu(Instrument& z) {
  z.time.trip.fuelUsed = 0;
  saveTripRecord(z);
}

void resetDistanceCounter(Instrument& z) {
  z.time.trip.flightTotal = 0;
  saveTripRecord(z);
}

void showStopwatch(Instrument& z, ShortText& value) {
  value.assign(z.time.tripRunning ? "StopWatch Stop-press +, Zero-press -"
                                  : "StopWatch Start-press +, Zero-press -");
}

void toggleStopwatch(Instrument& z) { z.time.tripRunning ^= 1; }

void zeroStopwatch(Instrument& z) {
  Timekeeping& t = z.time;
  t.tripSeconds = t.tripMinutes = t.tripHours = 0;
}

void showTakeoffDistance(Instrument& z, ShortText& value) {
  const AirDataState& a = z.air;
  switch (a.takeoffState) {
    case 0:
      value.assign("Takeoff distance measurement inactive");
      break;
    case 1:
      value.assign("Start your takeoff run...");
      break;
    case 2:
      value.assign("Rolling...");
      break;
    default:
      value.assign("Takeoff distance is ");
      value.append(decimalText(a.takeoffRollCount * 100 / 753));
      value.append(" m");
      break;
  }
}

void armTakeoffDistance(Instrument& z) {
  AirDataState& a = z.air;
  a.takeoffState = a.takeoffState == 0 ? 1 : 0;
  a.takeoffRollCount = 0;
  a.takeoffReferenceAltitude = a.altitudeFeet;
}

}  // namespace zen
