#include "firmware/instruments/large_digits.h"

#include "hardware/glyphs.h"
#include "hardware/screen.h"

namespace zen {

namespace {
constexpr int BlankCell = 13;
}

int largeDigitCell(std::uint8_t character) {
  if (character >= '0' && character <= '9') return character - '0';
  switch (character) {
    case '-':
      return 10;
    case '.':
      return 11;
    case '+':
      return 12;
    default:
      return BlankCell;
  }
}

ShortText centredText(const ShortText& text) {
  ShortText figures;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] != ' ') figures.push(text[i]);
  bool left = true;
  while (figures.size() < text.size()) {
    if (left) {
      ShortText padded(" ");
      padded.append(figures);
      figures = padded;
    } else {
      figures.push(' ');
    }
    left = !left;
  }
  return figures;
}

void drawLargeDigits(Screen& s, std::uint8_t column, std::uint8_t pixelRow, const ShortText& text) {
  const ShortText centred = centredText(text);
  ShortText upper, lower;
  for (std::size_t i = 0; i < centred.size(); ++i) {
    const int cell = largeDigitCell(centred[i]);
    upper.push(largeDigitUpper(cell));
    lower.push(largeDigitLower(cell));
  }
  // The figure halves exist at normal height only.
  const std::uint8_t savedBigText = s.bigText;
  s.bigText = 0;
  s.textBuffer = upper;
  s.setTextPixelPosition(column, pixelRow);
  s.drawText();
  s.textBuffer = lower;
  s.setTextPixelPosition(column, static_cast<std::uint8_t>(pixelRow + 8));
  s.drawText();
  s.bigText = savedBigText;
}

}  // namespace zen
