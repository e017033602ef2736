// Numbers as the instrument prints them, and the conversions from the
// internal units (feet, mph) to the units chosen in optionBits.
#pragma once

#include <cstdint>

#include "host/short_text.h"

namespace zen {

struct Instrument;

// The decimal text padded on the left with blanks to width characters; never cut.
void appendRightJustified(ShortText& text, long long value, int width);
ShortText rightJustified(long long value, int width);
// The decimal text padded on the left with "0" to width characters.
void appendZeroPadded(ShortText& text, long long value, int width);

// Feet, or metres (feet x 1000 / 3281) unless altitudes are shown in feet.
long long altitudeInDisplayUnit(const Instrument& z, long long feet);
// mph, km/h (x 1609 / 1000) or knots (x 869 / 1000).
long long speedInDisplayUnit(const Instrument& z, long long mph);

}  // namespace zen
