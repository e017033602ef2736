// Round dials and the drawing helpers the flight instruments share.
#pragma once

#include <cstdint>
#include <string_view>

#include "hardware/screen.h"

namespace zen {

// Keeps the pen colour, line thickness and font of the caller.
class PenGuard {
 public:
  explicit PenGuard(Screen& s) : s_(s), colour_(s.drawColour), width_(s.lineWidth), big_(s.bigText) {}
  ~PenGuard() {
    s_.drawColour = colour_;
    s_.lineWidth = width_;
    s_.bigText = big_;
  }
  PenGuard(const PenGuard&) = delete;
  PenGuard& operator=(const PenGuard&) = delete;

 private:
  Screen& s_;
  std::uint8_t colour_, width_, big_;
};

// Where the current item stands, as its location was loaded.
struct ItemPlace {
  int x;
  int row;
  std::uint8_t column;
};
inline ItemPlace placeOf(const Screen& s) { return {s.originX, s.originY, s.textColumn}; }

// Midpoint circle; each pixel once, so a toggled circle never cancels itself.
void drawCircle(Screen& s, int centreX, int centreY, int radius, bool toggle);

// A line from the pen position to (x, y) for any x, y: negative ends are
// pulled onto the screen's edge before the line service clamps the rest.
void lineToPoint(Screen& s, int x, int y);
void moveTo(Screen& s, int x, int y);

// The rim of the round air-data dials: circles of radius 44, 43 and 5 around (x + 46, row + 46).
void drawDialRim(Screen& s, int x, int row);
// A hand from radius 255 / innerDivisor out to 255 / outerDivisor, in the current colour and thickness.
void drawHand(Screen& s, int centreX, int centreY, int degrees, int innerDivisor, int outerDivisor);
// A small-font label centred on the point at (angle, divisor) around (centreX, centreY).
void drawDialLabel(Screen& s, int centreX, int centreY, int degrees, int divisor, const ShortText& text);

// Prints the text at (column, pixel row) on the text layer, at double height when big.
void printAt(Screen& s, std::uint8_t column, int pixelRow, const ShortText& text, bool big);

// A rectangle with the given corners in the current thickness.
void drawFrame(Screen& s, int left, int top, int right, int bottom);

}  // namespace zen
