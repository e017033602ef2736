// Rate of turn bar, slip ball and heading (digits or compass rose).
#include <algorithm>
#include <array>
#include <cstdlib>

#include "firmware/core/instrument.h"
#include "firmware/core/option_bits.h"
#include "firmware/instruments/dials.h"
#include "firmware/instruments/display_format.h"
#include "firmware/instruments/flight_instruments.h"
#include "firmware/instruments/panel_items.h"
#include "firmware/instruments/sine_table.h"

namespace zen {

namespace {

constexpr int BarWidth = 78;

// Style bit 0 doubles the height of the turn and slip bars and selects the compass rose.
bool tall(const Instrument& z, int item) { return (itemStyle(z, item) & 1) != 0; }
int barHeight(const Instrument& z, int item) { return tall(z, item) ? 16 : 8; }

// The frame of the turn or slip bar, then its marks.
template <typename Marks>
void drawBar(Instrument& z, int item, Marks&& marks) {
  Screen& s = z.screen;
  PenGuard guard(s);
  const ItemPlace p = placeOf(s);
  const int height = barHeight(z, item);
  s.lineWidth = 1;
  drawFrame(s, p.x, p.row, p.x + BarWidth - 1, p.row + height - 1);
  marks(s, p, height);
}

// ---------------------------------------------------------------- rate of turn

constexpr std::array<int, 3> TurnTicks{23, 38, 53};
constexpr int TurnCentre = 38;
constexpr int TurnLimit = 35;

void drawTurnTicks(Screen& s, const ItemPlace& p, int height) {
  for (int tick : TurnTicks) {
    moveTo(s, p.x + tick, p.row + 1);
    lineToPoint(s, p.x + tick, p.row + 2);
    moveTo(s, p.x + tick, p.row + height - 3);
    lineToPoint(s, p.x + tick, p.row + height - 2);
  }
}

// ---------------------------------------------------------------- slip

constexpr std::array<std::uint8_t, 8> SlipBall{0x00, 0x3C, 0x7E, 0xFF, 0xFF, 0x7E, 0x3C, 0x00};
constexpr std::array<int, 2> SlipLines{33, 43};
constexpr int SlipCentre = 35;
constexpr int SlipLowest = -35;
constexpr int SlipHighest = 34;

// The ball on the text layer at pixel x, behind the bar's lines; blank rows erase it.
void putBall(Screen& s, int x, int row, bool doubled, bool erase) {
  const int column = x / 8;
  const int shift = x % 8;
  for (int j = 0; j < 8; ++j) {
    const std::uint8_t bits = erase ? 0 : SlipBall[j];
    const auto left = static_cast<std::uint8_t>(bits >> shift);
    const auto right = static_cast<std::uint8_t>((bits << (8 - shift)) & 0xFF);
    for (int copy = 0; copy < (doubled ? 2 : 1); ++copy) {
      const int y = row + (doubled ? 2 * j + copy : j);
      s.setTextCursor(static_cast<std::uint16_t>(column + TextBytesPerRow * y));
      s.writeDisplayByte(left);
      s.writeDisplayByte(right);
    }
  }
}

// ---------------------------------------------------------------- heading

constexpr int RoseCentre = 28;
constexpr int RoseLetterDivisor = 11;
constexpr int RoseTurnThreshold = 2;  // degrees the heading must move before the letters follow

struct RoseLetter {
  char letter;
  int bearing;
};
constexpr std::array<RoseLetter, 4> RoseLetters{{{'N', 0}, {'S', 180}, {'W', 270}, {'E', 90}}};

std::uint8_t headingSymbol(const Instrument& z) {
  return z.settings.testOption(option::HeadingTrue) ? 178 : 177;
}

void drawRoseLetters(Screen& s, const ItemPlace& p, int heading) {
  for (const RoseLetter& l : RoseLetters) {
    const DialPoint at =
        dialPoint(p.x + RoseCentre, p.row + RoseCentre, l.bearing - heading, RoseLetterDivisor);
    // The letter's ink stands in columns 1..5 of its cell: centre it on the point.
    moveTo(s, at.x - 3, at.y - 3);
    s.textBuffer.clear();
    s.textBuffer.push(static_cast<std::uint8_t>(l.letter));
    s.drawSmallText();
  }
}

int angleBetween(int a, int b) {
  const int d = floorMod(a - b, 360);
  return std::min(d, 360 - d);
}

}  // namespace

// ---------------------------------------------------------------- items

void setupTurnRate(Instrument& z) {
  drawBar(z, flight_item::TurnRate,
          [](Screen& s, const ItemPlace& p, int height) { drawTurnTicks(s, p, height); });
}

void turnRateFrame(Instrument& z) {
  if (!loadItemLocation(z, flight_item::TurnRate)) return;
  const AttitudeState& sensor = z.attitude;
  // Without a rate gyro the sensor's bank stands in for the rate. A positive
  // bank is drawn left wing down on the horizon, so it turns the needle left.
  const std::int32_t rate = sensor.turnRateSource < TurnRateFromGyro ? -sensor.bank * 6 / 5 : sensor.turnRate;
  const std::int32_t needle = std::clamp(rate / 2, -TurnLimit, TurnLimit);
  std::int32_t& cache = z.flight.turnNeedle;
  if (needle == cache) return;
  Screen& s = z.screen;
  PenGuard guard(s);
  const ItemPlace p = placeOf(s);
  const int height = barHeight(z, flight_item::TurnRate);
  s.lineWidth = 1;
  if (cache != NothingDrawn) {
    // Only the inside of the frame goes; the ticks it crossed come back.
    s.drawColour = 0;
    moveTo(s, p.x + TurnCentre + cache, p.row + 1);
    lineToPoint(s, p.x + TurnCentre + cache, p.row + height - 2);
    s.drawColour = 1;
    drawTurnTicks(s, p, height);
  }
  moveTo(s, p.x + TurnCentre + needle, p.row + 1);
  lineToPoint(s, p.x + TurnCentre + needle, p.row + (tall(z, flight_item::TurnRate) ? 14 : 7));
  cache = needle;
}

void forgetTurnRate(Instrument& z) { z.flight.turnNeedle = NothingDrawn; }

void setupSlip(Instrument& z) {
  drawBar(z, flight_item::Slip, [](Screen& s, const ItemPlace& p, int height) {
    for (int line : SlipLines) {
      moveTo(s, p.x + line, p.row);
      lineToPoint(s, p.x + line, p.row + height - 1);
    }
  });
}

void slipFrame(Instrument& z) {
  if (!loadItemLocation(z, flight_item::Slip)) return;
  const AttitudeState& sensor = z.attitude;
  const std::int32_t ball = std::clamp(sensor.slipValue - sensor.slipZero - 1, SlipLowest, SlipHighest);
  std::int32_t& cache = z.flight.slipBall;
  if (ball == cache) return;
  Screen& s = z.screen;
  const ItemPlace p = placeOf(s);
  const bool doubled = tall(z, flight_item::Slip);
  if (cache != NothingDrawn) putBall(s, p.x + SlipCentre + cache, p.row, doubled, true);
  putBall(s, p.x + SlipCentre + ball, p.row, doubled, false);
  cache = ball;
}

void forgetSlip(Instrument& z) { z.flight.slipBall = NothingDrawn; }

void setupHeading(Instrument& z) {
  if (!tall(z, flight_item::Heading)) return;
  Screen& s = z.screen;
  PenGuard guard(s);
  const ItemPlace p = placeOf(s);
  for (int radius : {28, 17}) drawCircle(s, p.x + RoseCentre, p.row + RoseCentre, radius, false);
  ShortText symbol;
  symbol.push(headingSymbol(z));
  printAt(s, static_cast<std::uint8_t>(p.column + 3), p.row + 36, symbol, false);
}

void headingFrame(Instrument& z) {
  if (!loadItemLocation(z, flight_item::Heading)) return;
  FlightState& f = z.flight;
  const int heading = floorMod(z.attitude.heading, 360);
  Screen& s = z.screen;
  PenGuard guard(s);
  const ItemPlace p = placeOf(s);
  if (!tall(z, flight_item::Heading)) {
    if (heading == f.heading) return;
    ShortText text = decimalText(static_cast<std::uint32_t>(heading), 3);
    text.push(headingSymbol(z));
    printAt(s, p.column, p.row, text, true);
    f.heading = heading;
    return;
  }
  if (f.roseHeading == NothingDrawn || angleBetween(heading, f.roseHeading) > RoseTurnThreshold) {
    if (f.roseHeading != NothingDrawn) {
      s.drawColour = 0;
      drawRoseLetters(s, p, f.roseHeading);
      s.drawColour = 1;
    }
    drawRoseLetters(s, p, heading);
    f.roseHeading = heading;
  }
  if (heading != f.heading) {
    const ShortText number = decimalText(static_cast<std::uint32_t>(heading), 3);
    printAt(s, static_cast<std::uint8_t>(p.column + 2), p.row + 20, number, false);
    f.heading = heading;
  }
}

void forgetHeading(Instrument& z) {
  z.flight.heading = NothingDrawn;
  z.flight.roseHeading = NothingDrawn;
}

}  // namespace zen
