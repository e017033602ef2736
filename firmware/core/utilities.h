// Arithmetic shared by the instruments and the menus.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

namespace zen {

struct Instrument;

// Values past 16 bits read as the largest 16-bit value instead of wrapping.
inline std::uint16_t saturate16(std::uint64_t v) {
  return static_cast<std::uint16_t>(std::min<std::uint64_t>(v, 0xFFFF));
}

// floor(sqrt(v)) by the bit-pair method.
std::uint16_t integerSquareRoot(std::uint16_t v);

// Glyph codes of the unit symbols chosen by the unit settings.
std::uint8_t altitudeUnitSymbol(const Instrument& z);
std::uint8_t speedUnitSymbol(const Instrument& z);
std::uint8_t verticalSpeedUnitSymbol(const Instrument& z);
std::uint8_t fuelUnitSymbol(const Instrument& z);
std::uint8_t temperatureUnitSymbol(const Instrument& z);
std::uint8_t distanceUnitSymbol(const Instrument& z);
std::uint8_t pressureUnitSymbol(const Instrument& z);

// Editor steps by the key's repeat step. A step that stays within the range
// is snapped down to a multiple of the step; one that would pass the bound
// gives wrapTo instead: the opposite bound wraps, the same bound clamps. The
// result never leaves [lowest, highest], and a clamp stops at its bound
// rather than being snapped back below it.
std::int32_t stepUp(std::int32_t value, std::int32_t lowest, std::int32_t highest, std::int32_t wrapTo,
                    int step);
std::int32_t stepDown(std::int32_t value, std::int32_t lowest, std::int32_t highest, std::int32_t wrapTo,
                      int step);

// Degrees Celsius to the display unit (Fahrenheit unless option bit 5 is set).
int displayTemperature(const Instrument& z, int celsius);

// Tank contents from a level sender reading: calibration = capacity, then the
// readings at empty, 1/5 .. 4/5 and full; rising or falling senders.
std::uint16_t tankContents(const std::array<std::uint16_t, 7>& calibration, std::uint16_t reading);

// Full-bar values of the engine gauges: each high limit sits at 1/1.15 of
// its bar. The manifold bar spans 1013 mbar +- manifoldSpan.
struct DerivedLimits {
  std::uint16_t oilTempScale = 0;      // item 48
  std::uint16_t oilPressureScale = 0;  // item 46
  std::uint16_t egtScale = 0;          // item 43
  std::uint16_t chtScale = 0;          // item 44
  std::uint16_t coolantScale = 0;      // item 50
  std::uint16_t manifoldSpan = 0;      // item 56 x 100 + 100
};
DerivedLimits derivedLimits(const Instrument& z);

// Indicated to true airspeed, 1.75 % per 1000 feet.
std::uint16_t trueAirspeedOf(std::uint16_t indicatedAirspeed, std::uint16_t altitudeShown);

}  // namespace zen
