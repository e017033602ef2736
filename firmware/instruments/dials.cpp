#include "firmware/instruments/dials.h"

#include <algorithm>

#include "firmware/instruments/sine_table.h"

namespace zen {

void drawCircle(Screen& s, int centreX, int centreY, int radius, bool toggle) {
  auto point = [&](int px, int py) {
    if (toggle)
      s.plotToggle(px, py);
    else
      s.plot(px, py);
  };
  int x = 0;
  int y = radius;
  int error = 3 - 2 * radius;
  while (y >= x) {
    // The eight mirror images, without the repeats on the axes and the diagonals.
    const int xs[2] = {x, -x};
    const int ys[2] = {y, -y};
    for (int i = 0; i < (x == 0 ? 1 : 2); ++i)
      for (int j = 0; j < 2; ++j) {
        point(centreX + xs[i], centreY + ys[j]);
        if (x != y) point(centreX + ys[j], centreY + xs[i]);
      }
    if (error < 0) {
      error += 4 * x + 6;
    } else {
      error += 4 * (x - y) + 10;
      --y;
    }
    ++x;
  }
}

void moveTo(Screen& s, int x, int y) {
  s.setPen(static_cast<std::uint16_t>(std::clamp(x, 0, ScreenWidth - 1)),
           static_cast<std::uint8_t>(std::clamp(y, 0, ScreenHeight - 1)));
}

void lineToPoint(Screen& s, int x, int y) { s.lineTo(std::max(x, 0), std::max(y, 0)); }

void drawDialRim(Screen& s, int x, int row) {
  for (int radius : {44, 43, 5}) drawCircle(s, x + 46, row + 46, radius, false);
}

void drawHand(Screen& s, int centreX, int centreY, int degrees, int innerDivisor, int outerDivisor) {
  const DialPoint from = dialPoint(centreX, centreY, degrees, innerDivisor);
  const DialPoint to = dialPoint(centreX, centreY, degrees, outerDivisor);
  moveTo(s, from.x, from.y);
  lineToPoint(s, to.x, to.y);
}

void drawDialLabel(Screen& s, int centreX, int centreY, int degrees, int divisor, const ShortText& text) {
  const DialPoint at = dialPoint(centreX, centreY, degrees, divisor);
  // A single figure's top-left corner stands on the point (callers aim 3 pixels
  // up and left of the dial's centre); wider labels grow to both sides.
  const int x = at.x - 3 * (static_cast<int>(text.size()) - 1);
  moveTo(s, x, at.y);
  s.textBuffer = text;
  s.drawSmallText();
}

void printAt(Screen& s, std::uint8_t column, int pixelRow, const ShortText& text, bool big) {
  s.bigText = big ? 1 : 0;
  s.textBuffer = text;
  s.setTextPixelPosition(column, static_cast<std::uint8_t>(std::clamp(pixelRow, 0, 255)));
  s.drawText();
}

void drawFrame(Screen& s, int left, int top, int right, int bottom) {
  moveTo(s, left, top);
  lineToPoint(s, right, top);
  lineToPoint(s, right, bottom);
  lineToPoint(s, left, bottom);
  lineToPoint(s, left, top);
}

}  // namespace zen
