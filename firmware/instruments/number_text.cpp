#include "firmware/instruments/number_text.h"

#include <charconv>

#include "firmware/core/instrument.h"
#include "firmware/core/option_bits.h"

namespace zen {

namespace {

void appendPadded(ShortText& text, long long value, int width, char pad) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  const int length = static_cast<int>(end - digits);
  for (int i = length; i < width; ++i) text.push(static_cast<std::uint8_t>(pad));
  text.append(std::string_view(digits, static_cast<std::size_t>(length)));
}

}  // namespace

void appendRightJustified(ShortText& text, long long value, int width) {
  appendPadded(text, value, width, ' ');
}

ShortText rightJustified(long long value, int width) {
  ShortText text;
  appendRightJustified(text, value, width);
  return text;
}

void appendZeroPadded(ShortText& text, long long value, int width) { appendPadded(text, value, width, '0'); }

long long altitudeInDisplayUnit(const Instrument& z, long long feet) {
  return z.settings.testOption(option::AltitudeFeet) ? feet : feet * 1000 / 3281;
}

long long speedInDisplayUnit(const Instrument& z, long long mph) {
  if (z.settings.testOption(option::SpeedMiles)) return mph;
  return z.settings.testOption(option::SpeedKilometres) ? mph * 1609 / 1000 : mph * 869 / 1000;
}

}  // namespace zen
