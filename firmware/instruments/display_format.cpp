#include "firmware/instruments/display_format.h"

#include <algorithm>
#include <array>

#include "firmware/core/instrument.h"
#include "firmware/core/option_bits.h"

namespace zen {

namespace {

enum FuelUnit : std::uint8_t { Litres, UsGallons, ImperialGallons, Kilograms, Pounds };

struct Factor {
  std::uint32_t multiplier, divisor;
};
// By fuel unit; gallons of contents in tenths. A unit past the list counts
// as pounds, like its symbol.
constexpr std::array<Factor, 5> ContentsFactors{{{1, 1}, {1000, 379}, {1000, 455}, {100, 139}, {100, 63}}};
constexpr std::array<Factor, 5> FlowFactors{{{1, 1}, {1000, 3786}, {1000, 4546}, {1000, 1390}, {1000, 630}}};

std::uint32_t convertFuel(const std::array<Factor, 5>& factors, std::uint8_t unit, std::uint32_t value) {
  const Factor f = factors[std::min<std::uint8_t>(unit, Pounds)];
  return static_cast<std::uint32_t>(std::uint64_t{value} * f.multiplier / f.divisor);
}

}  // namespace

ShortText decimalText(std::uint32_t value, std::size_t minDigits) {
  char digits[10];
  std::size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  ShortText text;
  for (std::size_t i = count; i < minDigits; ++i) text.push('0');
  while (count > 0) text.push(static_cast<std::uint8_t>(digits[--count]));
  return text;
}

ShortText hexText(std::uint32_t value, std::size_t digits) {
  constexpr char Digits[] = "0123456789ABCDEF";
  ShortText text;
  for (std::size_t i = std::min<std::size_t>(digits, 8); i-- > 0;)
    text.push(static_cast<std::uint8_t>(Digits[(value >> (4 * i)) & 0xF]));
  return text;
}

ShortText signedDecimalText(std::int32_t value) {
  if (value >= 0) return decimalText(static_cast<std::uint32_t>(value));
  ShortText text("-");
  text.append(decimalText(0u - static_cast<std::uint32_t>(value)));
  return text;
}

void rightJustify(ShortText& text, std::size_t width) {
  width = std::min(width, ShortText::Capacity);
  if (text.length >= width) return;
  const std::size_t pad = width - text.length;
  std::copy_backward(text.codes.begin(), text.codes.begin() + text.length,
                     text.codes.begin() + text.length + pad);
  std::fill_n(text.codes.begin(), pad, ' ');
  text.length = static_cast<std::uint8_t>(width);
}

ShortText rightJustified(std::uint32_t value, std::size_t width) {
  ShortText text = decimalText(value);
  rightJustify(text, width);
  return text;
}

void cutText(ShortText& text, std::size_t count) {
  text.length = static_cast<std::uint8_t>(std::min<std::size_t>(text.length, count));
}

void insertPoint(ShortText& text, std::size_t after) {
  if (text.length < after || text.length >= ShortText::Capacity) return;
  const std::size_t at = text.length - after;
  std::copy_backward(text.codes.begin() + at, text.codes.begin() + text.length,
                     text.codes.begin() + text.length + 1);
  text.codes[at] = '.';
  ++text.length;
}

void appendTwoDigits(ShortText& text, std::uint32_t value) { text.append(decimalText(value % 256, 2)); }

std::uint32_t altitudeInDisplayUnit(const Instrument& z, std::uint32_t feet) {
  return z.settings.testOption(option::AltitudeFeet) ? feet : feet * 1000 / 3281;
}

std::uint32_t speedInDisplayUnit(const Instrument& z, std::uint32_t mph) {
  if (z.settings.testOption(option::SpeedMiles)) return mph;
  const std::uint64_t factor = z.settings.testOption(option::SpeedKilometres) ? 1609 : 869;
  return static_cast<std::uint32_t>(mph * factor / 1000);
}

// Statute to kilometres or nautical miles by the same factors as the speeds.
std::uint32_t distanceInDisplayUnit(const Instrument& z, std::uint32_t miles) {
  return speedInDisplayUnit(z, miles);
}

std::uint32_t fuelContentsInDisplayUnit(const Instrument& z, std::uint32_t litres) {
  return convertFuel(ContentsFactors, z.settings.fuelUnit, litres);
}

std::uint32_t fuelFlowInDisplayUnit(const Instrument& z, std::uint32_t flow) {
  return convertFuel(FlowFactors, z.settings.fuelUnit, flow);
}

bool fuelUnitIsGallons(const Instrument& z) {
  return z.settings.fuelUnit == UsGallons || z.settings.fuelUnit == ImperialGallons;
}

}  // namespace zen
