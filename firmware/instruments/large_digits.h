// Values in the two-row large digit font: each character becomes the upper
// half of its figure on one text row and the lower half 8 pixels below.
#pragma once

#include <cstdint>

#include "hardware/short_text.h"

namespace zen {

class Screen;

// Figure cell of a character: "0".."9" 0..9, "-" 10, "." 11, "+" 12; anything else is a blank (13).
int largeDigitCell(std::uint8_t character);

// The text without its blanks, padded back to its width with blanks added
// alternately on the left and on the right, so the figures stay centred.
ShortText centredText(const ShortText& text);

// Prints the centred text at (column, pixelRow) on the text layer, at normal height.
void drawLargeDigits(Screen& s, std::uint8_t column, std::uint8_t pixelRow, const ShortText& text);

}  // namespace zen
