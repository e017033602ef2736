// Altimeter, airspeed indicator and vertical speed indicator: tapes (styles
// 0 and 1), boxed readout (2) and round dial (3).
#include <algorithm>
#include <cstdlib>

#include "firmware/core/alarm_bits.h"
#include "firmware/core/instrument.h"
#include "firmware/core/option_bits.h"
#include "firmware/instruments/dials.h"
#include "firmware/instruments/display_format.h"
#include "firmware/instruments/flight_instruments.h"
#include "firmware/instruments/flight_tapes.h"
#include "firmware/instruments/large_digits.h"
#include "firmware/instruments/panel_items.h"
#include "firmware/instruments/sine_table.h"

namespace zen {

namespace {

enum Style { TapeRight = 0, TapeLeft = 1, Box = 2, Dial = 3 };

int indicatorStyle(const Instrument& z, int item) { return itemStyle(z, item) & 3; }

constexpr int DialCentre = 46;       // from the item's x and row
constexpr int DialLabelCorner = 43;  // the labels' points are taken around this
constexpr int DialLabelDivisor = 7;
constexpr int DialValueRow = 92;
constexpr int DialValueColumn = 3;
constexpr int DialValueWidth = 5;  // figures centred in five cells stand centred under the dial
constexpr int HandInnerDivisor = 38;
constexpr int BoxHeight = 24;
constexpr int BoxValueRow = 3;
constexpr int DegreesPerStep = 4;

bool sameText(const ShortText& a, const ShortText& b) {
  return a.size() == b.size() && std::equal(a.codes.begin(), a.codes.begin() + a.size(), b.codes.begin());
}

// The text with blanks in front up to width characters.
ShortText widened(ShortText text, int width) {
  rightJustify(text, static_cast<std::size_t>(width));
  return text;
}

// Signed values, right-justified.
ShortText signedJustified(long long value, int width) {
  return widened(signedDecimalText(static_cast<std::int32_t>(value)), width);
}

// Altitudes may be negative; the conversion rounds toward zero either way.
long long signedAltitude(const Instrument& z, std::int32_t feet) {
  const std::uint32_t magnitude = altitudeInDisplayUnit(z, static_cast<std::uint32_t>(std::llabs(feet)));
  return feet < 0 ? -static_cast<long long>(magnitude) : magnitude;
}

// Large digits, printed only when the text differs from what stands there.
void printValue(Screen& s, AirDataIndicatorCache& c, int column, int pixelRow, const ShortText& text) {
  if (c.textDrawn && sameText(c.text, text)) return;
  drawLargeDigits(s, static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(pixelRow), text);
  c.text = text;
  c.textDrawn = true;
}

void drawBox(Screen& s, const ItemPlace& p, int width) {
  s.lineWidth = 2;
  drawFrame(s, p.x + 1, p.row + 1, p.x + width - 1, p.row + BoxHeight - 1);
}

// Hands move in 4-degree steps; the old ones go in white, then the scale
// they crossed and the new ones in black.
template <typename Scale, typename Hands>
void moveHands(Screen& s, HandCache& cache, HandCache now, Scale&& redrawScale, Hands&& drawHands) {
  if (cache.first == now.first && cache.second == now.second) return;
  s.lineWidth = 3;
  if (cache.first != NothingDrawn) {
    s.drawColour = 0;
    drawHands(cache);
    s.drawColour = 1;
    s.lineWidth = 1;
    redrawScale();
    s.lineWidth = 3;
  }
  drawHands(now);
  cache = now;
}

// ---------------------------------------------------------------- altimeter

struct AltimeterScaleEntry {
  int step;
  int divisor;
};
constexpr std::array<AltimeterScaleEntry, 4> AltimeterScales{{{100, 11}, {200, 22}, {500, 55}, {1000, 112}}};

TapeScale altimeterTapeScale(const Instrument& z) {
  const AltimeterScaleEntry e = AltimeterScales[std::min<std::size_t>(z.settings.altScale, 3)];
  return {e.step, e.divisor, 4, 5};
}

void drawAltimeterNumbers(Screen& s, const ItemPlace& p) {
  for (int n = 0; n < 10; ++n)
    drawDialLabel(s, p.x + DialLabelCorner, p.row + DialLabelCorner, 36 * n, DialLabelDivisor,
                  decimalText(static_cast<std::uint32_t>(n)));
}

void drawAltimeterHands(Screen& s, const ItemPlace& p, const HandCache& hands) {
  const int cx = p.x + DialCentre, cy = p.row + DialCentre;
  drawHand(s, cx, cy, hands.first * DegreesPerStep, HandInnerDivisor, 8);
  drawHand(s, cx, cy, hands.second * DegreesPerStep, HandInnerDivisor, 12);
}

// ---------------------------------------------------------------- airspeed

struct AirspeedDial {
  int labels;
  int degreesApart;
  int countBy;  // tens of the speed unit from one label to the next
  int range;    // one turn of the needle
  int stepDivisor;
};
constexpr std::array<AirspeedDial, 6> AirspeedDials{{
    {8, 45, 1, 80, 89},
    {10, 36, 1, 100, 112},
    {15, 24, 1, 150, 167},
    {10, 36, 2, 200, 223},
    {15, 24, 2, 300, 334},
    {10, 36, 4, 400, 445},
}};
const AirspeedDial& airspeedDial(const Instrument& z) {
  return AirspeedDials[std::min<std::size_t>(z.settings.asiScale, AirspeedDials.size() - 1)];
}

struct AirspeedTapeEntry {
  int step;
  int divisor;
};
constexpr std::array<AirspeedTapeEntry, 3> AirspeedScales{{{10, 1}, {20, 2}, {50, 6}}};

TapeScale airspeedTapeScale(const Instrument& z) {
  const AirspeedTapeEntry e = AirspeedScales[std::min<std::size_t>(z.settings.tapeResolution, 2)];
  return {e.step, e.divisor, 3, 3};
}

void drawAirspeedNumbers(Screen& s, const ItemPlace& p, const AirspeedDial& dial) {
  for (int n = 0; n < dial.labels; ++n)
    drawDialLabel(s, p.x + DialLabelCorner, p.row + DialLabelCorner, dial.degreesApart * n, DialLabelDivisor,
                  decimalText(static_cast<std::uint32_t>(n * dial.countBy)));
}

void drawAirspeedNeedle(Screen& s, const ItemPlace& p, const HandCache& hands) {
  drawHand(s, p.x + DialCentre, p.row + DialCentre, hands.first * DegreesPerStep, HandInnerDivisor, 8);
}

// ---------------------------------------------------------------- altimeter and airspeed

struct IndicatorDesign {
  int item;
  const std::array<TapeLayout, 2>& tapes;
  int boxWidth;
  int boxValueColumn;
  int digits;  // the value text is right-justified in this many characters
};
constexpr IndicatorDesign AltimeterDesign{flight_item::Altimeter, AltimeterTapes, 92, 3, 5};
constexpr IndicatorDesign AirspeedDesign{flight_item::Airspeed, AirspeedTapes, 50, 2, 3};

void setupIndicator(Instrument& z, const IndicatorDesign& d) {
  Screen& s = z.screen;
  PenGuard guard(s);
  const ItemPlace p = placeOf(s);
  switch (indicatorStyle(z, d.item)) {
    case TapeRight:
    case TapeLeft:
      drawTapeOutline(s, p.x, p.row, d.tapes[indicatorStyle(z, d.item)]);
      break;
    case Box:
      drawBox(s, p, d.boxWidth);
      break;
    default:
      drawDialRim(s, p.x, p.row);
      if (d.item == flight_item::Altimeter)
        drawAltimeterNumbers(s, p);
      else
        drawAirspeedNumbers(s, p, airspeedDial(z));
      break;
  }
}

// Draws what changed of the value `shown` (in the display unit); `text` is the value text or its blink.
void refreshIndicator(Instrument& z, const IndicatorDesign& d, AirDataIndicatorCache& c, long long shown,
                      const ShortText& text) {
  Screen& s = z.screen;
  PenGuard guard(s);
  const ItemPlace p = placeOf(s);
  const int style = indicatorStyle(z, d.item);
  switch (style) {
    case TapeRight:
    case TapeLeft: {
      const TapeScale scale = d.item == flight_item::Altimeter ? altimeterTapeScale(z) : airspeedTapeScale(z);
      const TapePosition at = tapePosition(shown, scale);
      if (at.index != c.tape.index || at.offset != c.tape.offset) {
        drawTapeLabels(s, static_cast<std::uint8_t>(p.column + d.tapes[style].labelColumn), p.row, scale, at);
        c.tape = {at.index, at.offset};
      }
      printValue(s, c, p.column + d.tapes[style].valueColumn, p.row + TapeValueRow, text);
      break;
    }
    case Box:
      printValue(s, c, p.column + d.boxValueColumn, p.row + BoxValueRow, text);
      break;
    default:
      if (d.item == flight_item::Altimeter) {
        const HandCache now{floorMod(shown, 1000) * 10 / 112, floorMod(shown, 10000) / 112};
        moveHands(
            s, c.hands, now, [&] { drawAltimeterNumbers(s, p); },
            [&](const HandCache& h) { drawAltimeterHands(s, p, h); });
      } else {
        const AirspeedDial& dial = airspeedDial(z);
        const HandCache now{floorMod(shown, dial.range) * 100 / dial.stepDivisor, 0};
        moveHands(
            s, c.hands, now, [&] { drawAirspeedNumbers(s, p, dial); },
            [&](const HandCache& h) { drawAirspeedNeedle(s, p, h); });
      }
      printValue(s, c, p.column + DialValueColumn, p.row + DialValueRow, widened(text, DialValueWidth));
      break;
  }
}

ShortText blanks(int count) { return widened(ShortText(), count); }

// While an alarm is on the value blinks (blanks on alternate frames) and is
// redrawn every frame; otherwise an unchanged value draws nothing.
void refreshValue(Instrument& z, const IndicatorDesign& d, AirDataIndicatorCache& c, std::int32_t value,
                  long long shown, bool alarmOn) {
  // The frame after an alarm ends draws the value again over a blank phase.
  if (!alarmOn && !c.alarmShown && value == c.value) return;
  c.value = value;
  c.alarmShown = alarmOn;
  const ShortText text = alarmOn && z.tick.secondPhase ? blanks(d.digits) : signedJustified(shown, d.digits);
  refreshIndicator(z, d, c, shown, text);
}

// ---------------------------------------------------------------- vertical speed

constexpr std::array<std::uint8_t, 23> ChevronLimits{0,  2,  4,  8,  12,  16,  20,  25,  31,  37,  43, 49,
                                                     56, 62, 77, 92, 108, 125, 148, 171, 194, 217, 240};
constexpr int ClimbValueRow = 75;
constexpr int DescentValueRow = 32;
constexpr int ChevronsRightOffset = 40;  // style 1
constexpr int NeedleZeroStep = 45;       // the "0" label at 180 degrees
constexpr int FeetPerNeedleStep = 48;
constexpr int VerticalDialValueColumn = 1;
constexpr int VerticalDialValueWidth = 9;  // wide enough to centre the figures under the dial

constexpr std::array<std::string_view, 9> FeetLabels{"-20", "-15", "-10", "-5", "0",
                                                     "+5",  "+10", "+15", "+20"};
constexpr std::array<std::string_view, 9> MetreLabels{"-10", "-7", "-5", "-2", "0", "+2", "+5", "+7", "+10"};

bool inFeet(const Instrument& z) { return z.settings.testOption(option::AltitudeFeet); }

// The first entry not below verticalSpeed / 8; past the table's end the stack is full.
int chevronCount(std::int32_t verticalSpeed) {
  const std::int32_t eighths = std::max(verticalSpeed, 0) / 8;
  for (std::size_t i = 0; i < ChevronLimits.size(); ++i)
    if (ChevronLimits[i] >= eighths) return static_cast<int>(i);
  return static_cast<int>(ChevronLimits.size()) - 1;
}

// "+" or "-" and the limited value: whole tens of feet per minute, or metres
// per second with two decimals; right-justified in width.
ShortText signedVerticalSpeed(const Instrument& z, std::int32_t verticalSpeed, bool climbing, int width) {
  const std::int32_t limited = std::clamp(verticalSpeed, 0, VerticalSpeedShownLimit);
  ShortText number;
  number.push(climbing ? '+' : '-');
  if (inFeet(z)) {
    number.append(decimalText(static_cast<std::uint32_t>(limited - limited % 10)));
  } else {
    ShortText hundredths = decimalText(static_cast<std::uint32_t>(limited / 2), 3);
    insertPoint(hundredths, 2);
    number.append(hundredths);
  }
  return widened(number, width);
}
int verticalSpeedWidth(const Instrument& z) { return inFeet(z) ? 5 : 6; }

void drawChevron(Screen& s, int bx, int y, int dy) {
  moveTo(s, bx, y);
  lineToPoint(s, bx + 5, y + dy);
  lineToPoint(s, bx + 10, y);
}

void drawChevrons(Screen& s, const ItemPlace& p, int bx, bool climbing, int from, int to) {
  for (int k = from; k < to; ++k) {
    if (climbing)
      drawChevron(s, bx, p.row + TapeWindowTop - 2 * k, -4);
    else
      drawChevron(s, bx, p.row + TapeWindowBottom + 2 * k, 4);
  }
}

void drawVerticalSpeedLabels(Screen& s, const ItemPlace& p, bool feet) {
  const auto& labels = feet ? FeetLabels : MetreLabels;
  for (std::size_t i = 0; i < labels.size(); ++i)
    drawDialLabel(s, p.x + DialLabelCorner, p.row + DialLabelCorner, 20 + 40 * static_cast<int>(i),
                  DialLabelDivisor, labels[i]);
}

void refreshChevrons(Instrument& z, VerticalSpeedCache& c, const ItemPlace& p, int style) {
  Screen& s = z.screen;
  const bool climbing = z.air.climbing != 0;
  const int bx = p.x + (style == TapeLeft ? ChevronsRightOffset : 0);
  const int width = verticalSpeedWidth(z) + 1;
  auto valueRow = [&](bool up) { return p.row + (up ? ClimbValueRow : DescentValueRow); };

  const std::int8_t direction = climbing ? 1 : -1;
  if (c.direction != 0 && c.direction != direction) {
    printAt(s, p.column, valueRow(c.direction > 0), blanks(width), true);
    s.drawColour = 0;
    drawChevrons(s, p, bx, c.direction > 0, 0, c.chevrons);
    s.drawColour = 1;
    c.chevrons = 0;
    c.shown.textDrawn = false;
  }
  c.direction = direction;

  s.lineWidth = 1;
  const int n = chevronCount(z.air.verticalSpeed);
  if (n > c.chevrons) {
    drawChevrons(s, p, bx, climbing, c.chevrons, n);
  } else if (n < c.chevrons) {
    s.drawColour = 0;
    drawChevrons(s, p, bx, climbing, n, c.chevrons);
    s.drawColour = 1;
  }
  c.chevrons = n;

  ShortText text = signedVerticalSpeed(z, z.air.verticalSpeed, climbing, verticalSpeedWidth(z));
  text.push(verticalSpeedUnitSymbol(z));
  if (!c.shown.textDrawn || !sameText(c.shown.text, text)) {
    printAt(s, p.column, valueRow(climbing), text, true);
    c.shown.text = text;
    c.shown.textDrawn = true;
  }
}

}  // namespace

// ---------------------------------------------------------------- items

void setupAltimeter(Instrument& z) { setupIndicator(z, AltimeterDesign); }

void altimeterFrame(Instrument& z) {
  if (!loadItemLocation(z, flight_item::Altimeter)) return;
  AirDataIndicatorCache& c = z.flight.altimeter;
  const std::int32_t feet = z.air.altitudeFeet;
  const bool alarmOn = (z.settings.alarmEnables & alarm::Altitude) &&
                       feet >= static_cast<std::int32_t>(z.settings.altitudeAlarm);
  refreshValue(z, AltimeterDesign, c, feet, signedAltitude(z, feet), alarmOn);
}

void forgetAltimeter(Instrument& z) { z.flight.altimeter = {}; }

void setupAirspeed(Instrument& z) { setupIndicator(z, AirspeedDesign); }

void airspeedFrame(Instrument& z) {
  if (!loadItemLocation(z, flight_item::Airspeed)) return;
  AirDataIndicatorCache& c = z.flight.airspeed;
  const Settings& set = z.settings;
  const std::uint16_t speed = z.air.indicatedAirspeed;
  const bool low = (set.alarmEnables & alarm::LowAirspeed) && speed <= set.stallSpeed && z.time.qnh.inFlight;
  const bool high = (set.alarmEnables & alarm::HighAirspeed) && speed > set.neverExceedSpeed;
  refreshValue(z, AirspeedDesign, c, speed, speedInDisplayUnit(z, speed), low || high);
}

void forgetAirspeed(Instrument& z) { z.flight.airspeed = {}; }

void setupVerticalSpeed(Instrument& z) {
  Screen& s = z.screen;
  PenGuard guard(s);
  const ItemPlace p = placeOf(s);
  switch (indicatorStyle(z, flight_item::VerticalSpeed)) {
    case Box:
      drawBox(s, p, 56);
      break;
    case Dial:
      drawDialRim(s, p.x, p.row);
      drawVerticalSpeedLabels(s, p, inFeet(z));
      break;
    default:
      break;  // the chevrons need no scale
  }
}

void verticalSpeedFrame(Instrument& z) {
  if (!loadItemLocation(z, flight_item::VerticalSpeed)) return;
  VerticalSpeedCache& c = z.flight.verticalSpeed;
  const std::int32_t verticalSpeed = z.air.verticalSpeed;
  const bool climbing = z.air.climbing != 0;
  // One number for speed and direction.
  const std::int32_t key = verticalSpeed * 2 + (climbing ? 1 : 0);
  if (key == c.shown.value) return;
  c.shown.value = key;

  Screen& s = z.screen;
  PenGuard guard(s);
  const ItemPlace p = placeOf(s);
  const int style = indicatorStyle(z, flight_item::VerticalSpeed);
  const int width = verticalSpeedWidth(z);
  switch (style) {
    case TapeRight:
    case TapeLeft:
      refreshChevrons(z, c, p, style);
      break;
    case Box:
      printValue(s, c.shown, p.column + (7 - width) / 2, p.row + BoxValueRow,
                 signedVerticalSpeed(z, verticalSpeed, climbing, width));
      break;
    default: {
      const int steps = std::min(verticalSpeed, VerticalSpeedShownLimit) / FeetPerNeedleStep;
      const HandCache now{NeedleZeroStep + (climbing ? steps : -steps), 0};
      const bool feet = inFeet(z);
      moveHands(
          s, c.shown.hands, now, [&] { drawVerticalSpeedLabels(s, p, feet); },
          [&](const HandCache& h) { drawAirspeedNeedle(s, p, h); });
      printValue(s, c.shown, p.column + VerticalDialValueColumn, p.row + DialValueRow,
                 signedVerticalSpeed(z, verticalSpeed, climbing, VerticalDialValueWidth));
      break;
    }
  }
}

void forgetVerticalSpeed(Instrument& z) { z.flight.verticalSpeed = {}; }

}  // namespace zen
