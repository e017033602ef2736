#include "firmware/core/utilities.h"

#include <algorithm>

#include "firmware/core/instrument.h"
#include "firmware/core/option_bits.h"

namespace zen {

std::uint16_t integerSquareRoot(std::uint16_t v) {
  std::uint32_t rest = v;
  std::uint32_t root = 0;
  std::uint32_t bit = 0x4000;  // highest power of four a 16-bit value can hold
  while (bit > rest) bit >>= 2;
  while (bit != 0) {
    if (rest >= root + bit) {
      rest -= root + bit;
      root = (root >> 1) + bit;
    } else {
      root >>= 1;
    }
    bit >>= 2;
  }
  return static_cast<std::uint16_t>(root);
}

std::uint8_t altitudeUnitSymbol(const Instrument& z) {
  return z.settings.testOption(option::AltitudeFeet) ? 158 : 109;
}

std::uint8_t speedUnitSymbol(const Instrument& z) {
  if (z.settings.testOption(option::SpeedMiles)) return 159;
  return z.settings.testOption(option::SpeedKilometres) ? 169 : 166;
}

std::uint8_t verticalSpeedUnitSymbol(const Instrument& z) {
  return z.settings.testOption(option::AltitudeFeet) ? 171 : 170;
}

std::uint8_t fuelUnitSymbol(const Instrument& z) {
  switch (z.settings.fuelUnit) {
    case 0:
      return 162;
    case 1:
    case 2:
      return 163;  // both gallons share the symbol
    case 3:
      return 164;
    default:
      return 165;
  }
}

std::uint8_t temperatureUnitSymbol(const Instrument& z) {
  return z.settings.testOption(option::TemperatureCelsius) ? 160 : 161;
}

std::uint8_t distanceUnitSymbol(const Instrument& z) {
  if (z.settings.testOption(option::SpeedMiles)) return 172;
  return z.settings.testOption(option::SpeedKilometres) ? 167 : 168;
}

std::uint8_t pressureUnitSymbol(const Instrument& z) {
  return z.settings.testOption(option::OilPressurePsi) ? 176 : 66;
}

namespace {

std::int32_t snappedIntoRange(std::int32_t value, std::int32_t step, std::int32_t lowest,
                              std::int32_t highest) {
  // Never std::clamp: a range read from a damaged image may be inverted.
  return std::min(std::max(value / step * step, lowest), highest);
}

}  // namespace

// A step of 0 (repeat state never set) would divide by zero; it counts as 1.
std::int32_t stepUp(std::int32_t value, std::int32_t lowest, std::int32_t highest, std::int32_t wrapTo,
                    int step) {
  const std::int32_t d = std::max(step, 1);
  if (value + d <= highest) return snappedIntoRange(value + d, d, lowest, highest);
  if (wrapTo == highest) return highest;
  return snappedIntoRange(wrapTo, d, lowest, highest);
}

std::int32_t stepDown(std::int32_t value, std::int32_t lowest, std::int32_t highest, std::int32_t wrapTo,
                      int step) {
  const std::int32_t d = std::max(step, 1);
  if (value - d >= lowest) return snappedIntoRange(value - d, d, lowest, highest);
  if (wrapTo == lowest) return lowest;
  return snappedIntoRange(wrapTo, d, lowest, highest);
}

int displayTemperature(const Instrument& z, int celsius) {
  return z.settings.testOption(option::TemperatureCelsius) ? celsius : celsius * 9 / 5 + 32;
}

std::uint16_t tankContents(const std::array<std::uint16_t, 7>& w, std::uint16_t reading) {
  const std::uint32_t capacity = w[0];
  const bool rising = w[1] < w[6];
  if (rising ? reading <= w[1] : reading >= w[1]) return 0;
  if (rising ? reading >= w[6] : reading <= w[6]) return static_cast<std::uint16_t>(capacity);
  // The first segment whose upper point lies beyond the reading contains it,
  // so its two points always differ.
  int k = 1;
  while (k < 5 && (rising ? reading >= w[k + 1] : reading <= w[k + 1])) ++k;
  const std::uint32_t within = rising ? reading - w[k] : w[k] - reading;
  const std::uint32_t span = rising ? w[k + 1] - w[k] : w[k] - w[k + 1];
  const std::uint32_t level = capacity * (k - 1) * 10 / 50 + (capacity * 10 / 50) * within / span;
  return static_cast<std::uint16_t>(std::min<std::uint32_t>(level, 0xFFFF));
}

DerivedLimits derivedLimits(const Instrument& z) {
  const Settings& s = z.settings;
  auto raised = [](std::uint32_t v) {
    return static_cast<std::uint16_t>(std::min<std::uint32_t>(v + v * 15 / 100, 0xFFFF));
  };
  DerivedLimits limits;
  limits.oilTempScale = raised(s.oilTempHigh);
  limits.oilPressureScale = raised(s.oilPressureHigh);
  limits.egtScale = raised(s.egtLimit);
  limits.chtScale = raised(s.chtLimit);
  limits.coolantScale = raised(s.coolantHigh);
  limits.manifoldSpan = static_cast<std::uint16_t>(s.mapRange * 100 + 100);
  return limits;
}

std::uint16_t trueAirspeedOf(std::uint16_t indicatedAirspeed, std::uint16_t altitudeShown) {
  // Wide: the speed x 175 passes 16 bits above 374 mph and the correction
  // 8 bits above 145 mph at 10000 ft; the result holds at the top of its range.
  const std::uint64_t correction = std::uint64_t{indicatedAirspeed} * 175u * (altitudeShown / 100u) / 100000u;
  return saturate16(indicatedAirspeed + correction);
}

}  // namespace zen
