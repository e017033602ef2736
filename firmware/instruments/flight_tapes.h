// The vertical tapes of the altimeter and the airspeed indicator: a rounded
// column of scrolling labels with the value window on one side.
#pragma once

#include <array>
#include <cstdint>

namespace zen {

class Screen;

struct OutlineStep {
  std::int8_t dx;
  std::int8_t dy;
};

// One tape style, all places relative to the item's x, row and column.
struct TapeLayout {
  std::uint8_t outlineStartX;  // the outline starts at (x + this, row)
  std::array<OutlineStep, 12> outline;
  std::uint8_t windowLeft, windowRight;  // the window's lines across the tape column
  std::uint8_t labelColumn;              // the label strips
  std::uint8_t valueColumn;              // the value's large digits
};

// Indexed by style 0 (scale on the right) and 1 (scale on the left).
extern const std::array<TapeLayout, 2> AltimeterTapes;
extern const std::array<TapeLayout, 2> AirspeedTapes;

inline constexpr int TapeWindowTop = 48;
inline constexpr int TapeWindowBottom = 72;
inline constexpr int TapeValueRow = 52;

// Labels every `step` units, 9 pixels apart; `divisor` units move them one pixel.
struct TapeScale {
  int step;
  int divisor;
  int strips;       // width of the label strips in 8-pixel cells
  int labelDigits;  // labels are right-justified in this many characters
};

struct TapePosition {
  int index;   // the label just above the window
  int offset;  // pixels the labels have moved down from their rest, 0..9
};
// Below zero the labels keep scrolling the same way: the remainder is never negative.
TapePosition tapePosition(long long value, const TapeScale& scale);

// The outline with thickness 2 and the two window lines.
void drawTapeOutline(Screen& s, int x, int row, const TapeLayout& layout);
// Both label strips, composed in the work bitmap and copied to the text layer.
void drawTapeLabels(Screen& s, std::uint8_t column, int row, const TapeScale& scale, TapePosition at);

}  // namespace zen
