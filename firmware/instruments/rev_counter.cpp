// Item 5, the rev counter: a quarter-circle dial, a box with a bar, or the
// two-needle rotor and engine display of rotorcraft.
#include "firmware/instruments/rev_counter.h"

#include <algorithm>
#include <array>

#include "firmware/core/flight_log.h"
#include "firmware/core/instrument.h"
#include "firmware/core/option_bits.h"
#include "firmware/instruments/dials.h"
#include "firmware/instruments/display_format.h"
#include "firmware/instruments/flight_tapes.h"
#include "firmware/instruments/gauge_elements.h"
#include "firmware/instruments/panel_items.h"
#include "firmware/instruments/readouts.h"

namespace zen {

namespace {

struct Offset {
  std::uint8_t dx, dy;
};

// Points of a quarter circle of radius 35, 0 to 90 degrees in 1-degree steps:
// (radius x cos, radius x sin), rounded.
// clang-format off
constexpr std::array<Offset, 91> QuarterCircle{{
    {35, 0}, {35, 1}, {35, 1}, {35, 2}, {35, 2}, {35, 3}, {35, 4}, {35, 4},            // 0
    {35, 5}, {35, 5}, {34, 6}, {34, 7}, {34, 7}, {34, 8}, {34, 8}, {34, 9},            // 8
    {34, 10}, {33, 10}, {33, 11}, {33, 11}, {33, 12}, {33, 13}, {32, 13}, {32, 14},    // 16
    {32, 14}, {32, 15}, {31, 15}, {31, 16}, {31, 16}, {31, 17}, {30, 17}, {30, 18},    // 24
    {30, 19}, {29, 19}, {29, 20}, {29, 20}, {28, 21}, {28, 21}, {28, 22}, {27, 22},    // 32
    {27, 22}, {26, 23}, {26, 23}, {26, 24}, {25, 24}, {25, 25}, {24, 25}, {24, 26},    // 40
    {23, 26}, {23, 26}, {22, 27}, {22, 27}, {22, 28}, {21, 28}, {21, 28}, {20, 29},    // 48
    {20, 29}, {19, 29}, {19, 30}, {18, 30}, {18, 30}, {17, 31}, {16, 31}, {16, 31},    // 56
    {15, 31}, {15, 32}, {14, 32}, {14, 32}, {13, 32}, {13, 33}, {12, 33}, {11, 33},    // 64
    {11, 33}, {10, 33}, {10, 34}, {9, 34}, {8, 34}, {8, 34}, {7, 34}, {7, 34},         // 72
    {6, 34}, {5, 35}, {5, 35}, {4, 35}, {4, 35}, {3, 35}, {2, 35}, {2, 35},            // 80
    {1, 35}, {1, 35}, {0, 35}}};                                                       // 88
// clang-format on
constexpr int TableRadius = 35;

// Dial style: the corner of the quarter circle and its scale.
constexpr int DialCornerX = 57, DialCornerY = 56;
constexpr int ScaleRadius = 50, TickInnerRadius = 48, LabelRadius = 55, NeedleRadius = 44;
constexpr int DialBoxBottom = 73, DialBoxLeft = 2;
constexpr int DialValueRow = 60;

// Box style.
constexpr int BoxFrameWidth = 60;
constexpr std::uint8_t BoxBarLength = 50;
constexpr std::uint8_t BoxValueColumn = 4;

// Two-needle style: rotor needle pivoting on the left edge, engine needle on
// the right, over the scale picture.
constexpr int RotorPivotX = 0, EnginePivotX = 100, PivotY = 52;
constexpr int NeedleInnerDivisor = 38, NeedleOuterDivisor = 8;
constexpr int TwinValueRow = 104;
constexpr std::uint8_t RotorValueColumn = 1, EngineValueColumn = 8;
constexpr std::array<OutlineStep, 8> TwinBox{
    {{94, 0}, {4, 4}, {0, 114}, {-4, 4}, {-94, 0}, {-4, -4}, {0, -114}, {4, -4}}};
constexpr std::array<OutlineStep, 5> LeftPivotCap{{{3, 0}, {3, 3}, {0, 3}, {-3, 3}, {-3, 0}}};
constexpr std::array<OutlineStep, 5> RightPivotCap{{{-3, 0}, {-3, 3}, {0, 3}, {3, 3}, {3, 0}}};
// Needle position by percent from 70 % to 110 %: a scale stretched around 100 %.
constexpr std::array<std::uint8_t, 41> NeedleSteps{
    70, 70, 71, 72, 72, 73, 74, 75, 76,  77,  77,  78,  79,  80,  80,  81,  81,  82,  83,  83, 84,
    86, 87, 90, 91, 92, 93, 94, 97, 100, 102, 104, 108, 112, 116, 120, 124, 128, 132, 138, 140};

enum Style { Dial, Box };

int styleOf(const Instrument& z) { return itemStyle(z, RpmGaugeItem) & 3; }

std::uint32_t fullScale(const Instrument& z) { return z.settings.rpmScale * 1000u; }

// Point at the given radius and angle; 0 degrees points left of the corner, 90 up.
struct Point {
  int x, y;
};
Point quarterPoint(int cornerX, int cornerY, int radius, int degrees) {
  const Offset o = QuarterCircle[std::clamp(degrees, 0, 90)];
  return {cornerX - (radius * o.dx + 17) / TableRadius, cornerY - (radius * o.dy + 17) / TableRadius};
}

void lineBetween(Screen& s, Point a, Point b) {
  moveTo(s, a.x, a.y);
  lineToPoint(s, b.x, b.y);
}

// The parts of the outline a needle at 0 or 90 degrees lies on.
void drawDialOutline(Screen& s, int x, int row) {
  const int cx = x + DialCornerX, cy = row + DialCornerY;
  s.lineWidth = 2;
  lineBetween(s, {cx, row + 8}, {cx, row + DialBoxBottom});
  s.lineTo(x + DialBoxLeft, row + DialBoxBottom);
  s.lineTo(x + DialBoxLeft, cy);
  s.lineTo(cx, cy);
  s.lineWidth = 1;
}

void setupDial(Instrument& z) {
  Screen& s = z.screen;
  const int x = s.originX, row = s.originY;
  const int cx = x + DialCornerX, cy = row + DialCornerY;
  drawDialOutline(s, x, row);
  for (int a = 0; a < 90; a += 3)
    lineBetween(s, quarterPoint(cx, cy, ScaleRadius, a), quarterPoint(cx, cy, ScaleRadius, a + 3));

  auto label = [&](int degrees, std::uint32_t number) {
    const ShortText text = decimalText(number);
    const Point p = quarterPoint(cx, cy, LabelRadius, degrees);
    drawSmallTextAt(s, p.x - 3 * static_cast<int>(text.length), p.y - 3, text);
  };
  const std::uint32_t full = fullScale(z);
  if (full != 0) {
    for (std::uint32_t k = 0; 1000 * k < full; ++k) {
      const int degrees = static_cast<int>(1000 * k * 90 / full);
      lineBetween(s, quarterPoint(cx, cy, TickInnerRadius, degrees),
                  quarterPoint(cx, cy, ScaleRadius, degrees));
      if (full <= 7000 || k % 2 == 1) label(degrees, k);
    }
  }
  label(90, full / 1000);
  drawSmallTextAt(s, x + DialBoxLeft + 3, row + DialValueRow + 2, ShortText("RPM"));
}

void drawNeedle(Screen& s, int x, int row, int degrees, std::uint8_t colour) {
  const int cx = x + DialCornerX, cy = row + DialCornerY;
  s.drawColour = colour;
  s.lineWidth = 3;
  lineBetween(s, {cx, cy}, quarterPoint(cx, cy, NeedleRadius, degrees));
  s.lineWidth = 1;
  s.drawColour = 1;
}

ShortText rpmValue(const Instrument& z) {
  ShortText value = rightJustified(z.air.engineRpm, 4);
  substituteLinkFailure(z, value, 4);
  return value;
}

void drawDial(Instrument& z) {
  Screen& s = z.screen;
  const int x = s.originX, row = s.originY;
  const std::uint32_t full = fullScale(z);
  const std::uint32_t rpm = std::min<std::uint32_t>(z.air.engineRpm, full);
  const auto degrees = static_cast<std::uint8_t>(full == 0 ? 0 : (rpm * 90 + full / 2) / full);
  std::uint8_t& shown = z.gauges.dialNeedle;
  if (degrees != shown) {
    if (shown != NotDrawn) {
      drawNeedle(s, x, row, shown, 0);
      drawDialOutline(s, x, row);
    }
    drawNeedle(s, x, row, degrees, 1);
    shown = degrees;
  }
  printGaugeValue(z, static_cast<std::uint8_t>((x + 27) / 8), row + DialValueRow, rpmValue(z),
                  z.gauges.engineValue[RpmGaugeItem]);
}

void setupBox(Instrument& z) {
  Screen& s = z.screen;
  const int x = s.originX, row = s.originY;
  // The legend box ends where the value starts.
  drawGaugeFrame(s, x, row, BoxFrameWidth, 8, 8 * BoxValueColumn - 1 - BoxFrameWidth + 40);
  drawSmallTextAt(s, x + 4, row + 16, ShortText("RPM"));
}

void drawBox(Instrument& z) {
  Screen& s = z.screen;
  const std::uint8_t column = s.textColumn;
  const int row = s.originY;
  const std::uint8_t pixels =
      barPixels(proportion(z.air.engineRpm, BoxBarLength, fullScale(z)), 0, BoxBarLength);
  drawBar(s, static_cast<std::uint8_t>(column + 1), row + 2, pixels, BoxBarLength,
          z.gauges.barPixels[RpmGaugeItem]);
  printGaugeValue(z, static_cast<std::uint8_t>(column + BoxValueColumn), row + 15, rpmValue(z),
                  z.gauges.engineValue[RpmGaugeItem]);
}

template <std::size_t N>
void drawSteps(Screen& s, int x, int y, const std::array<OutlineStep, N>& steps) {
  moveTo(s, x, y);
  for (const OutlineStep& step : steps) lineToPoint(s, s.penX + step.dx, s.penY + step.dy);
}

void setupTwinNeedles(Instrument& z) {
  Screen& s = z.screen;
  const int x = s.originX, row = s.originY;
  s.drawScalePicture();
  s.lineWidth = 2;
  drawSteps(s, x + 4, row, TwinBox);
  s.lineWidth = 1;
  drawSteps(s, x, row + 47, LeftPivotCap);
  drawSteps(s, x + 101, row + 47, RightPivotCap);
  drawSmallTextAt(s, x + 3, row + 9, ShortText("Rotor"));
  drawSmallTextAt(s, x + 70, row + 9, ShortText("Power"));
  if (!z.settings.testOption(option::RpmPercent)) drawSmallTextAt(s, x + 43, row + 3, ShortText("RPM"));
}

int needleStep(std::uint16_t percent) { return NeedleSteps[std::clamp(percent - 70, 0, 40)]; }

// Moves a needle whose angle, in steps of 2 degrees, changed: the old one is erased first.
void moveNeedle(Screen& s, int pivotX, int pivotY, std::uint8_t step, std::uint8_t& shown) {
  if (step == shown) return;
  s.lineWidth = 3;
  if (shown != NotDrawn) {
    s.drawColour = 0;
    drawHand(s, pivotX, pivotY, 2 * shown, NeedleInnerDivisor, NeedleOuterDivisor);
    s.drawColour = 1;
  }
  drawHand(s, pivotX, pivotY, 2 * step, NeedleInnerDivisor, NeedleOuterDivisor);
  s.lineWidth = 1;
  shown = step;
}

void drawTwinNeedles(Instrument& z) {
  Screen& s = z.screen;
  GaugeState& g = z.gauges;
  const int x = s.originX, row = s.originY;
  const std::uint8_t column = s.textColumn;
  const std::uint16_t rotor = rotorPercent(z), engine = enginePercent(z);
  moveNeedle(s, x + RotorPivotX, row + PivotY,
             static_cast<std::uint8_t>(80 - std::min(needleStep(rotor) - 70, 75)), g.rotorNeedle);
  moveNeedle(s, x + EnginePivotX, row + PivotY,
             static_cast<std::uint8_t>(std::min(needleStep(engine) + 30, 175)), g.engineNeedle);

  ShortText rotorText, engineText;
  if (z.settings.testOption(option::RpmPercent)) {
    rotorText = rightJustified(rotor, 3);
    rotorText.push('%');
    engineText = rightJustified(engine, 3);
    substituteLinkFailure(z, engineText, 3);
    engineText.push('%');
  } else {
    rotorText = rightJustified(z.air.rotorRpm, 3);
    engineText = rpmValue(z);
  }
  printGaugeValue(z, static_cast<std::uint8_t>(column + RotorValueColumn), row + TwinValueRow, rotorText,
                  g.rotorValue);
  printGaugeValue(z, static_cast<std::uint8_t>(column + EngineValueColumn), row + TwinValueRow, engineText,
                  g.engineValue[RpmGaugeItem]);
}

}  // namespace

std::uint16_t rotorPercent(const Instrument& z) {
  return static_cast<std::uint16_t>(proportion(z.air.rotorRpm, 100, z.settings.rotorRpmFull));
}

std::uint16_t enginePercent(const Instrument& z) {
  return static_cast<std::uint16_t>(proportion(z.air.engineRpm, 100, z.settings.engineRpmFull));
}

void setupRevCounter(Instrument& z) {
  switch (styleOf(z)) {
    case Dial:
      setupDial(z);
      break;
    case Box:
      setupBox(z);
      break;
    default:
      setupTwinNeedles(z);
      break;
  }
}

void drawRevCounter(Instrument& z) {
  if (!loadItemLocation(z, RpmGaugeItem)) return;
  switch (styleOf(z)) {
    case Dial:
      drawDial(z);
      break;
    case Box:
      drawBox(z);
      break;
    default:
      drawTwinNeedles(z);
      break;
  }
}

}  // namespace zen
