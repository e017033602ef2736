#include "firmware/instruments/air_data.h"

#include <algorithm>

#include "firmware/core/instrument.h"
#include "firmware/core/option_bits.h"
#include "firmware/core/settings_store.h"
#include "firmware/core/utilities.h"
#include "firmware/instruments/altitude_table.h"
#include "firmware/instruments/panel_items.h"

namespace zen {

namespace {

constexpr int FuelPressureItem = 13;
constexpr std::uint16_t SenderAbsent = 4000;
constexpr std::uint16_t NotComputable = 0xFFFF;

std::uint16_t readChannel(Instrument& z, int channel) {
  readAdc(z, channel);
  return z.adc.adcResult;
}

void updateEngineSpeed(Instrument& z) {
  z.air.engineRpm = engineRpmOf(z.engine.rpmFactor, z.engine.engineSpeedValue);
}

void updateRotorSpeed(Instrument& z) {
  const EngineData& e = z.engine;
  const std::uint16_t scale = z.settings.rotorScale;
  std::uint16_t& rpm = z.air.rotorRpm;
  if (scale >= 300) rpm = static_cast<std::uint16_t>(std::uint32_t{e.rotorPulses} * 1206 / scale);
  // Without a single pulse there is no period to time: the preset 3000
  // would otherwise read as a rotor turning at 312 rpm.
  else if (e.rotorNoSignal || e.rotorPulses == 0 || scale == 0 || e.rotorPeriod == 0)
    rpm = 0;
  else
    rpm = static_cast<std::uint16_t>(9375000u / scale / e.rotorPeriod);
}

}  // namespace

std::uint16_t engineRpmOf(std::uint32_t rpmFactor, std::uint16_t period) {
  // Period 0 is no measurement at all, not an infinite speed.
  if (period == 0 || period > 30000) return 0;
  return static_cast<std::uint16_t>(std::min<std::uint32_t>(rpmFactor / period, 9999));
}

AltitudeLookup lookUpAltitude(std::uint16_t counts) {
  const auto& t = AltitudeCounts;
  const auto& s = AltitudeSlopes;
  for (int i = 1; i < AltitudePoints; ++i) {
    if (counts < t[i]) continue;
    const int k = i - 1;
    if (counts > t[k]) {  // above the table's top; only possible for k = 0
      const std::int32_t d = counts - t[0];
      return {static_cast<std::uint16_t>(d <= 100 ? AltitudeBias - 7 * d : AltitudeBias), s[0]};
    }
    const std::int32_t feet = 1000 * k + std::int32_t{s[k]} * (t[k] - counts) / 100 + AltitudeBias;
    return {static_cast<std::uint16_t>(feet), s[k]};
  }
  const std::int32_t feet = std::int32_t{s[39]} * (t[39] - counts) / 100 + 39000 + AltitudeBias;
  return {static_cast<std::uint16_t>(feet), s[39]};
}

// 3.5 ft per eighth of a hectopascal, in 16 bits.
std::uint16_t qnhCorrected(std::uint16_t value, std::uint16_t qnhX8) {
  if (qnhX8 >= QnhStandard) {
    const auto add = static_cast<std::uint16_t>(static_cast<std::uint16_t>((qnhX8 - QnhStandard) * 28) >> 3);
    return static_cast<std::uint16_t>(value + add);
  }
  const auto sub = static_cast<std::uint16_t>(static_cast<std::uint16_t>((QnhStandard - qnhX8) * 28) >> 3);
  // Wrapping below 0 would show a QNH set far too low as some 64000 ft; hold -700 ft instead.
  return value >= sub ? static_cast<std::uint16_t>(value - sub) : 0;
}

std::uint16_t staticCountsOf(std::uint16_t reading, std::int8_t altimeterOffset) {
  return static_cast<std::uint16_t>(reading + altimeterOffset);
}

std::int32_t settledAltitudeOf(std::uint16_t staticCounts, std::uint16_t qnhX8) {
  return std::int32_t{qnhCorrected(lookUpAltitude(staticCounts).value, qnhX8)} - AltitudeBias;
}

std::uint16_t pitotCountsOf(std::uint16_t reading, std::uint16_t airspeedZero) {
  const std::uint32_t counts = reading < airspeedZero ? 0 : reading - airspeedZero;
  return counts > 32768 ? 0 : static_cast<std::uint16_t>(counts);
}

std::optional<std::uint32_t> manifoldCountsOf(std::uint16_t input, std::int8_t manifoldOffset) {
  const std::int32_t counts = std::int32_t{input} + manifoldOffset;
  if (counts < 168) return std::nullopt;
  return static_cast<std::uint32_t>(counts + 180);
}

std::uint16_t manifoldPressureOf(std::uint32_t counts) {
  return static_cast<std::uint16_t>(counts * 100 / 163);
}

std::uint8_t fuelPressureOf(std::uint16_t input, std::uint8_t fuelPressureRange) {
  // The input is signed; division rounds toward zero like the firmware's signed shift.
  const std::int32_t pressure = std::int32_t{static_cast<std::int16_t>(input)} * fuelPressureRange / 4096;
  return static_cast<std::uint8_t>(std::clamp(pressure, 0, 255));
}

std::uint16_t indicatedAirspeedOf(std::uint16_t pitotCounts, std::uint8_t airspeedFactor) {
  // counts x 20 past 16 bits would wrap to a low speed; hold the top of the scale instead.
  const std::uint16_t argument = pitotCounts > 3276 ? 0xFFFF : static_cast<std::uint16_t>(pitotCounts * 20);
  const std::uint32_t speed = std::uint32_t{integerSquareRoot(argument)} * airspeedFactor / 100;
  return speed < 16 ? 0 : static_cast<std::uint16_t>(speed);
}

std::uint8_t supplyVoltageOf(std::uint16_t counts) {
  if (counts > SenderAbsent) return 255;
  // 255 is the out-of-range mark; past 25.4 V the reading shows that rather than wrapping to a low voltage.
  return static_cast<std::uint8_t>(std::min(counts * 14 / 100 + 4, 255));
}

std::uint8_t ambientTemperatureOf(std::uint16_t counts, std::int8_t temperatureOffset) {
  if (counts > SenderAbsent) return 0;  // no reading
  const int t = counts * 10 / 82 - 149 + temperatureOffset;
  // Degrees C + 123 in a byte, 0 meaning no reading: the scale is held at its ends.
  return static_cast<std::uint8_t>(std::clamp(t, 1, 255));
}

namespace {

void updateAltitude(Instrument& z) {
  AirDataState& a = z.air;
  a.staticCounts = staticCountsOf(readChannel(z, 0), z.settings.altimeterOffset);
  const AltitudeLookup lookup = lookUpAltitude(a.staticCounts);
  a.currentSlope = lookup.slope;
  const std::int32_t value = qnhCorrected(lookup.value, z.time.qnh.qnhX8);

  const std::int32_t filtered = static_cast<std::int32_t>(a.altitudeFilter / 8);
  if (value > filtered + 25 || value < filtered - 25) {
    if (a.altitudeJumpCount < 255) ++a.altitudeJumpCount;
  } else {
    a.altitudeJumpCount = 0;
  }
  // Start-up sets fastFollow too, so the first frame snaps.
  if (a.altitudeJumpCount > 1) a.fastFollow = 1;
  if (a.fastFollow) {
    a.altitudeFeet = value - AltitudeBias;
    a.altitudeFilter = static_cast<std::uint32_t>(value) * 8;
  } else {
    a.altitudeFilter = (a.altitudeFilter * 7 + static_cast<std::uint32_t>(value) * 8) >> 3;
    a.altitudeFeet = static_cast<std::int32_t>(a.altitudeFilter / 8) - AltitudeBias;
  }
  a.altitudeShown = static_cast<std::uint16_t>(std::max<std::int32_t>(a.altitudeFeet, 0));
}

void updateVerticalSpeed(Instrument& z) {
  AirDataState& a = z.air;
  const std::int32_t raw = readChannel(z, 1) + a.climbDrift / 10;
  a.climbFilter = (static_cast<std::uint32_t>(std::max(raw, 0)) * 4 + a.climbFilter * 3) >> 2;
  const std::uint32_t counts = a.climbFilter / 4;
  const std::uint32_t zero = z.settings.climbZero;
  std::uint64_t d;
  if (counts >= zero) {
    a.climbing = 0;
    d = counts - zero;
  } else {
    a.climbing = 1;  // the climb sensor's counts fall while climbing
    d = zero - counts;
  }
  d = d * z.settings.climbFactor / 100;
  a.verticalSpeed = static_cast<std::int32_t>(std::min<std::uint64_t>(d * a.currentSlope / 66, 9999));

  // A steady altimeter slowly pulls the climb sensor's zero onto it.
  if (a.altitudeShown == a.previousAltitudeShown && a.verticalSpeed > 0) {
    if (a.climbing) {
      if (a.climbDrift < 100) ++a.climbDrift;
    } else {
      if (a.climbDrift > -100) --a.climbDrift;
    }
  }
  a.previousAltitudeShown = a.altitudeShown;
}

void updateAirspeed(Instrument& z) {
  AirDataState& a = z.air;
  const std::uint32_t counts = pitotCountsOf(readChannel(z, 3), z.settings.airspeedZero);
  if (a.fastFollow)
    a.pitotFilter = static_cast<std::uint16_t>(counts * 4);
  else
    a.pitotFilter = static_cast<std::uint16_t>((std::uint32_t{a.pitotFilter} * 3 + counts * 4) >> 2);
  a.indicatedAirspeed = indicatedAirspeedOf(a.pitotFilter / 4, z.settings.airspeedFactor);
  a.airspeedByte = static_cast<std::uint8_t>(std::min<std::uint16_t>(a.indicatedAirspeed, 255));
}

void updateVoltageAndTemperature(Instrument& z) {
  AirDataState& a = z.air;
  a.supplyVoltage = supplyVoltageOf(readChannel(z, 6));
  a.ambientTemperature = ambientTemperatureOf(readChannel(z, 5), z.settings.temperatureOffset);
}

std::uint16_t smoothedLevel(std::uint32_t& filter, std::uint16_t counts, bool smoothing) {
  if (!smoothing) return counts;
  filter = (filter * 31 + std::uint32_t{counts} * 32) >> 5;
  return static_cast<std::uint16_t>(filter >> 5);
}

void updateTanks(Instrument& z) {
  AirDataState& a = z.air;
  const Settings& s = z.settings;
  const std::uint16_t level1 = levelSenderCounts(z, 1);
  const std::uint16_t level2 = levelSenderCounts(z, 2);
  a.tank1Absent = level1 > SenderAbsent;
  a.tank2Absent = level2 > SenderAbsent;
  const std::uint16_t smooth1 = smoothedLevel(a.level1Filter, level1, a.levelSmoothing);
  const std::uint16_t smooth2 = smoothedLevel(a.level2Filter, level2, a.levelSmoothing);
  const std::uint16_t totaliser = z.engine.fuelRemainingUnits;
  a.tank1Contents = (s.tankMode & 1) ? totaliser : tankContents(s.tank1Calibration, smooth1);
  a.tank2Contents = (s.tankMode & 2) ? totaliser : tankContents(s.tank2Calibration, smooth2);
}

void updateRangeAndEndurance(Instrument& z) {
  AirDataState& a = z.air;
  const std::uint32_t fuel = z.settings.rangeTanks == 0   ? a.tank1Contents
                             : z.settings.rangeTanks == 1 ? a.tank2Contents
                                                          : std::uint32_t{a.tank1Contents} + a.tank2Contents;
  const std::uint16_t flow = z.engine.fuelFlow;
  if (fuel == 0) {
    a.fuelRange = a.fuelEndurance = 0;
  } else if (flow == 0 || z.engine.engineUnitAlive == 0) {
    a.fuelRange = a.fuelEndurance = NotComputable;
  } else {
    // Beyond 16 bits a result is as unshowable as one that cannot be computed.
    a.fuelRange = saturate16(std::uint64_t{fuel} * 100 * a.trueAirspeed / flow);
    a.fuelEndurance = saturate16(std::uint64_t{fuel} * 6000 / flow);
  }
  a.fastFollow = 0;
}

void updateEnginePressures(Instrument& z) {
  AirDataState& a = z.air;
  const EngineData& e = z.engine;
  if (e.engineUnitAlive == 0) {
    a.manifoldPressure = 0;
    a.fuelPressure = 0;
    return;
  }
  if (const auto counts = manifoldCountsOf(e.manifoldInput, z.settings.manifoldOffset)) {
    a.manifoldFilter = (a.manifoldFilter * 3 + *counts * 4) >> 2;
    a.manifoldPressure = manifoldPressureOf(a.manifoldFilter >> 2);
  } else {
    a.manifoldPressure = 0;
  }
  if (itemVisible(z, FuelPressureItem))
    a.fuelPressure = fuelPressureOf(e.fuelPressureInput, z.settings.fuelPressureRange);
}

void updateTakeoffRoll(Instrument& z) {
  AirDataState& a = z.air;
  switch (a.takeoffState) {
    case 1:
      if (a.trueAirspeed > 0) {
        a.takeoffState = 2;
        z.main.redrawRequest = 1;
      }
      break;
    case 2:
      if (a.altitudeFeet < a.takeoffReferenceAltitude + 50) {
        a.takeoffRollCount += a.trueAirspeed;
      } else {
        a.takeoffState = 3;
        z.main.redrawRequest = 1;
      }
      break;
    default:
      break;
  }
}

}  // namespace

void updateGlideRatio(AirDataState& a) {
  const std::uint32_t horizontal = std::uint32_t{a.trueAirspeed} * 5280 / 60;  // feet per minute
  a.glideRatio =
      a.verticalSpeed > 0
          ? static_cast<std::int32_t>(std::min<std::uint32_t>(horizontal * 10 / a.verticalSpeed, 999))
          : 0;
}

void updateInstruments(Instrument& z) {
  AirDataState& a = z.air;
  // A slave takes these values from its master over the link.
  if (!z.engine.slaveMode) {
    updateEngineSpeed(z);
    updateRotorSpeed(z);
    updateAltitude(z);
    updateVerticalSpeed(z);
    updateAirspeed(z);
    updateVoltageAndTemperature(z);
    updateTanks(z);
    updateRangeAndEndurance(z);
    updateEnginePressures(z);
    if (z.settings.testOption(option::DualPanel) && z.settings.testOption(option::MasterUnit))
      a.masterTransmitRequest = 1;
  }

  a.trueAirspeed = trueAirspeedOf(a.indicatedAirspeed, a.altitudeShown);
  z.time.trip.flightTotal += a.trueAirspeed;
  updateGlideRatio(a);
  updateTakeoffRoll(z);

  // The backlight stays up while the engine runs.
  if (a.engineRpm > 0) {
    z.display.dimTimer = 255;
    if (z.settings.displayMode < 2) z.display.backlightLevel = z.settings.backlightSetting;
  }
}

std::uint16_t levelSenderCounts(const Instrument& z, int tank) {
  return tank == 1 ? z.engine.engineInputs[7] : z.engine.fuelLevel2Input;
}

void restartLevelSmoothing(Instrument& z) {
  AirDataState& a = z.air;
  // The filter holds 32 times the counts once it has settled.
  a.level1Filter = std::uint32_t{levelSenderCounts(z, 1)} << 5;
  a.level2Filter = std::uint32_t{levelSenderCounts(z, 2)} << 5;
  a.levelSmoothing = 1;
}

}  // namespace zen
