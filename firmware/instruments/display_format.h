// Number texts and display units shared by every instrument and menu that
// prints a value: decimal digits, padding, decimal points, and the
// conversions from the internal units to the units the pilot chose.
#pragma once

#include <cstdint>

#include "hardware/short_text.h"

namespace zen {

struct Instrument;

// Decimal digits of the value, "0"-padded to at least minDigits.
ShortText decimalText(std::uint32_t value, std::size_t minDigits = 1);
// Upper-case hexadecimal digits, "0"-padded to exactly `digits` (the low ones).
ShortText hexText(std::uint32_t value, std::size_t digits);
// The same for a signed value, "-" in front when negative.
ShortText signedDecimalText(std::int32_t value);

// Blanks in front up to the width; a longer text is never cut.
void rightJustify(ShortText& text, std::size_t width);
ShortText rightJustified(std::uint32_t value, std::size_t width);
// Keeps the first count characters.
void cutText(ShortText& text, std::size_t count);
// Puts "." in front of the last `after` characters (none when the text is shorter).
void insertPoint(ShortText& text, std::size_t after);
// The value modulo 256 in decimal, "0"-padded to two characters.
void appendTwoDigits(ShortText& text, std::uint32_t value);

// Internal units to display units, chosen by optionBits.
std::uint32_t altitudeInDisplayUnit(const Instrument& z, std::uint32_t feet);   // feet or metres
std::uint32_t speedInDisplayUnit(const Instrument& z, std::uint32_t mph);       // mph, km/h or knots
std::uint32_t distanceInDisplayUnit(const Instrument& z, std::uint32_t miles);  // statute, km or nautical

// Fuel by the fuel unit setting: litres, US or imperial gallons (contents in
// tenths), kilograms or pounds.
std::uint32_t fuelContentsInDisplayUnit(const Instrument& z, std::uint32_t litres);
std::uint32_t fuelFlowInDisplayUnit(const Instrument& z, std::uint32_t flow);
bool fuelUnitIsGallons(const Instrument& z);

}  // namespace zen
