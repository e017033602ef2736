// Items 6 to 13: fuel flow, tanks 1 and 2, coolant and oil temperature, oil,
// manifold and fuel pressure. Each is a notched frame with a legend, one bar
// of 50 pixels, alarm marks, and a double-height value below the bar.
#include <algorithm>
#include <array>

#include "firmware/core/alarm_bits.h"
#include "firmware/core/flight_log.h"
#include "firmware/core/instrument.h"
#include "firmware/core/option_bits.h"
#include "firmware/core/utilities.h"
#include "firmware/instruments/display_format.h"
#include "firmware/instruments/engine_gauges.h"
#include "firmware/instruments/gauge_elements.h"
#include "firmware/instruments/panel_items.h"
#include "firmware/instruments/readouts.h"

namespace zen {

namespace {

constexpr std::uint8_t BarLength = 50;
constexpr int FrameBarHeight = 8;
constexpr int BarRow = 2;     // below the frame's top line
constexpr int ValueRow = 15;  // beside the legend box
constexpr int LegendRow = 16;
// The tanks show an empty-to-full scale legend where the others have their
// legend, and their digit under it.
constexpr int TankScaleRow = 13, TankDigitRow = 20, TankDigitX = 13;
constexpr std::uint32_t StandardPressure = 1013;  // mbar, the middle of the manifold bar
constexpr std::uint8_t BarUnit = 'b';

enum Item : int { FuelFlow = 6, Tank1, Tank2, Coolant, OilTemperature, OilPressure, Manifold, FuelPressure };

struct Layout {
  std::uint8_t frameWidth;
  std::uint8_t valueColumn;  // the legend box ends just before it
  std::array<std::uint8_t, 3> legend;
  std::uint8_t legendX;
};

constexpr Layout layoutOf(int item) {
  switch (item) {
    case FuelFlow:
      return {62, 3, {'F', 'F'}, 4};
    case Tank1:
      return {62, 3, {'1'}, TankDigitX};
    case Tank2:
      return {62, 3, {'2'}, TankDigitX};
    case Coolant:
      return {63, 4, {'H', '2', 'O'}, 4};
    case OilTemperature:
      return {63, 4, {152, 153}, 4};
    case OilPressure:
      return {63, 3, {150, 151}, 4};
    case Manifold:
      return {63, 3, {'M', 'A', 'P'}, 4};
    default:
      return {63, 3, {'F', 'P'}, 4};
  }
}

ShortText legendText(const Layout& layout) {
  ShortText text;
  for (std::uint8_t code : layout.legend)
    if (code != 0) text.push(code);
  return text;
}

// The tank gauges draw their bars at the second origin.
bool barAtSecondOrigin(int item) { return item == Tank1 || item == Tank2; }

struct TankSide {
  std::uint16_t contents;
  bool senderAbsent;
  std::uint8_t lowLevel;
  std::uint16_t capacity;
  std::uint16_t lowMark;
};

TankSide tankSide(const Instrument& z, int item) {
  const Settings& s = z.settings;
  const bool first = item == Tank1;
  const bool levelMeasured = (s.tankMode & (first ? 1 : 2)) == 0;
  return {first ? z.air.tank1Contents : z.air.tank2Contents,
          levelMeasured && (first ? z.air.tank1Absent : z.air.tank2Absent) != 0,
          first ? s.tank1LowLevel : s.tank2LowLevel, first ? s.tank1Calibration[0] : s.tank2Calibration[0],
          first ? alarm::Tank1LowMark : alarm::Tank2LowMark};
}

// Pixels of a bar running from half scale (50 of 100) to full scale.
std::uint8_t upperHalfPixels(std::uint32_t value, std::uint32_t scale) {
  return barPixels(proportion(value, 100, scale), 50, 100);
}

struct TemperatureGauge {
  std::uint16_t temperature, low, high, scale;
  std::uint16_t highBit, lowBit;
};

TemperatureGauge temperatureGauge(const Instrument& z, int item) {
  const Settings& s = z.settings;
  const DerivedLimits& d = z.panel.scales;
  if (item == Coolant)
    return {z.engine.coolantTemperature, s.coolantLow,     s.coolantHigh, d.coolantScale,
            alarm::CoolantHigh,          alarm::CoolantLow};
  return {z.engine.oilTemperature, static_cast<std::uint16_t>(s.oilTempLow),
          s.oilTempHigh,           d.oilTempScale,
          alarm::OilTempHigh,      alarm::OilTempLow};
}

ShortText withUnit(ShortText text, std::uint8_t unit) {
  text.push(unit);
  return text;
}

std::uint8_t pressureUnit(const Instrument& z) {
  return z.settings.testOption(option::OilPressurePsi) ? pressureUnitSymbol(z) : BarUnit;
}

// --- set-up: frame, legend, marks ---

void markUnlessOffScale(Instrument& z, std::uint16_t bit, std::uint32_t position) {
  if (position <= BarLength)
    drawAlarmMark(z, bit, z.screen.originX, z.screen.originY, FrameBarHeight, position);
}

void drawMarks(Instrument& z, int item) {
  const Settings& s = z.settings;
  const DerivedLimits& d = z.panel.scales;
  switch (item) {
    case Tank1:
    case Tank2: {
      const TankSide tank = tankSide(z, item);
      if (tank.lowLevel != 0 && tank.capacity != 0)
        markUnlessOffScale(z, tank.lowMark, proportion(tank.lowLevel, BarLength, tank.capacity));
      break;
    }
    case Coolant:
    case OilTemperature: {
      const TemperatureGauge g = temperatureGauge(z, item);
      // Limits below half scale have no place on a bar that starts there.
      for (auto [limit, bit] : {std::pair{g.high, g.highBit}, {g.low, g.lowBit}})
        if (g.scale != 0 && proportion(limit, 100, g.scale) >= 50)
          markUnlessOffScale(z, bit, upperHalfPixels(limit, g.scale));
      break;
    }
    case OilPressure:
      if (d.oilPressureScale != 0) {
        markUnlessOffScale(z, alarm::OilPressureHigh,
                           proportion(s.oilPressureHigh, BarLength, d.oilPressureScale));
        markUnlessOffScale(z, alarm::OilPressureLow,
                           proportion(s.oilPressureLow, BarLength, d.oilPressureScale));
      }
      break;
    case Manifold: {
      Screen& scr = z.screen;
      const int middle = scr.originX + 32;
      scr.lineWidth = 1;
      scr.setPen(static_cast<std::uint16_t>(middle), scr.originY);
      scr.lineTo(middle, scr.originY + 10);
      break;
    }
    case FuelPressure:
      if (s.fuelPressureRange != 0)
        markUnlessOffScale(z, alarm::FuelPressureMark,
                           proportion(s.fuelPressureLowAlarm, BarLength, s.fuelPressureRange));
      break;
    default:
      break;
  }
}

// --- per frame: value text and bar pixels ---

struct Reading {
  ShortText value;  // with its unit
  std::uint8_t pixels = 0;
};

ShortText engineValue(const Instrument& z, ShortText value, std::size_t width, std::uint8_t unit) {
  substituteLinkFailure(z, value, width);
  return withUnit(value, unit);
}

Reading fuelFlowReading(const Instrument& z) {
  const std::uint16_t flow = z.engine.fuelFlow;
  const bool fiveDigits = z.settings.testOption(option::FlowFiveDigits);
  const ShortText value = z.engine.engineUnitAlive == 0 ? ShortText("  --") : fuelFlowText(z, flow);
  return {engineValue(z, value, fiveDigits ? 5 : 4, fuelUnitSymbol(z)),
          barPixels(proportion(flow, BarLength, z.settings.flowScale * 3000u), 0, BarLength)};
}

Reading tankReading(const Instrument& z, int item) {
  const TankSide tank = tankSide(z, item);
  const ShortText value = tank.senderAbsent ? ShortText("  ??") : fuelContentsText(z, tank.contents);
  Reading r{engineValue(z, value, 4, fuelUnitSymbol(z)),
            tank.senderAbsent ? std::uint8_t{0}
                              : barPixels(proportion(tank.contents, BarLength, tank.capacity), 0, BarLength)};
  const bool low = !tank.senderAbsent && tank.lowLevel != 0 && tank.contents <= tank.lowLevel;
  // Without the engine unit the contents are stale: its failure text wins.
  if (low && z.tick.secondPhase && !z.engine.engineDataLost) r.value.assign(" LOW ");
  return r;
}

Reading temperatureReading(Instrument& z, int item) {
  const TemperatureGauge g = temperatureGauge(z, item);
  updateAlarm(z, g.highBit, g.temperature >= g.high);
  updateAlarm(z, g.lowBit, g.temperature < g.low);
  const ShortText value = rightJustified(static_cast<std::uint32_t>(displayTemperature(z, g.temperature)), 3);
  Reading r{engineValue(z, value, 4, temperatureUnitSymbol(z)), upperHalfPixels(g.temperature, g.scale)};
  if (blinkedOut(z, g.highBit | g.lowBit)) r = {blanksFor(r.value), 0};
  return r;
}

Reading oilPressureReading(Instrument& z) {
  const std::uint16_t pressure = z.engine.oilPressure;
  updateAlarm(z, alarm::OilPressureHigh, pressure >= z.settings.oilPressureHigh);
  updateAlarm(z, alarm::OilPressureLow, pressure <= z.settings.oilPressureLow);
  Reading r{engineValue(z, enginePressureText(z, pressure), 4, pressureUnit(z)),
            barPixels(proportion(pressure, BarLength, z.panel.scales.oilPressureScale), 0, BarLength)};
  if (blinkedOut(z, alarm::OilPressureHigh | alarm::OilPressureLow)) r = {blanksFor(r.value), 0};
  return r;
}

Reading manifoldReading(const Instrument& z) {
  const std::uint16_t pressure = z.air.manifoldPressure;
  ShortText value = manifoldPressureText(z, pressure);
  substituteLinkFailure(z, value, 4);
  return {value, manifoldBarPixels(pressure, z.panel.scales.manifoldSpan)};
}

Reading fuelPressureReading(const Instrument& z) {
  const std::uint8_t pressure = z.air.fuelPressure;
  return {engineValue(z, enginePressureText(z, pressure), 4, pressureUnit(z)),
          barPixels(proportion(pressure, BarLength, z.settings.fuelPressureRange), 0, BarLength)};
}

Reading readingOf(Instrument& z, int item) {
  switch (item) {
    case FuelFlow:
      return fuelFlowReading(z);
    case Tank1:
    case Tank2:
      return tankReading(z, item);
    case Coolant:
    case OilTemperature:
      return temperatureReading(z, item);
    case OilPressure:
      return oilPressureReading(z);
    case Manifold:
      return manifoldReading(z);
    default:
      return fuelPressureReading(z);
  }
}

}  // namespace

ShortText fuelFlowText(const Instrument& z, std::uint16_t flow) {
  const std::uint32_t hundredths = fuelFlowInDisplayUnit(z, flow);
  ShortText text = decimalText(hundredths, 3);
  if (z.settings.testOption(option::FlowFiveDigits)) {
    const std::size_t digits = text.length;
    cutText(text, 3);
    if (digits == 4) insertPoint(text, 1);
    if (digits == 3) insertPoint(text, 2);
    rightJustify(text, 5);
  } else {
    if (text.length > 3) {
      cutText(text, text.length - 1u);
      insertPoint(text, 1);
    } else {
      insertPoint(text, 2);
    }
    rightJustify(text, 4);
  }
  return text;
}

ShortText fuelContentsText(const Instrument& z, std::uint16_t litres) {
  const std::uint32_t contents = fuelContentsInDisplayUnit(z, litres);
  ShortText text;
  if (fuelUnitIsGallons(z)) {
    text = decimalText(contents, 2);  // tenths, "0" before a leading point
    insertPoint(text, 1);
  } else {
    text = decimalText(contents);
  }
  rightJustify(text, 4);
  return text;
}

ShortText enginePressureText(const Instrument& z, std::uint16_t tenths) {
  if (z.settings.testOption(option::OilPressurePsi)) return rightJustified(tenths * 145u / 100u, 3);
  ShortText text;
  if (tenths <= 100) {
    text = decimalText(tenths, 2);
    insertPoint(text, 1);
  } else {
    text = decimalText(tenths / 10u);
  }
  rightJustify(text, 3);
  return text;
}

ShortText manifoldPressureText(const Instrument& z, std::uint16_t millibar) {
  ShortText text;
  switch (z.settings.mapUnit) {
    case 1:  // bar, in hundredths
      text = decimalText(millibar / 10u, 3);
      insertPoint(text, 2);
      break;
    case 2:  // psi, in tenths
      text = decimalText(static_cast<std::uint32_t>(std::uint64_t{millibar} * 100000 / 689655), 2);
      insertPoint(text, 1);
      break;
    case 3:  // inches of mercury, in tenths
      text = decimalText(static_cast<std::uint32_t>(std::uint64_t{millibar} * 100000 / 338983), 2);
      insertPoint(text, 1);
      break;
    default:
      text = decimalText(millibar);
      break;
  }
  // Centred in 4: blanks after, then before, in turn.
  for (bool after = true; text.length < 4; after = !after) {
    if (after) {
      text.push(' ');
    } else {
      rightJustify(text, text.length + 1u);
    }
  }
  return text;
}

std::uint8_t manifoldBarPixels(std::uint16_t millibar, std::uint16_t span) {
  if (millibar + std::uint32_t{span} < StandardPressure) return 0;
  if (millibar > StandardPressure + span) return BarLength;
  return static_cast<std::uint8_t>(
      proportion(millibar + std::uint32_t{span} - StandardPressure, BarLength, 2u * span));
}

void setupReadoutGauge(Instrument& z, int item) {
  Screen& s = z.screen;
  const Layout layout = layoutOf(item);
  const int x = s.originX, row = s.originY;
  drawGaugeFrame(s, x, row, layout.frameWidth, FrameBarHeight, 8 * (layout.valueColumn - 3));
  if (barAtSecondOrigin(item)) {
    ShortText scale;
    scale.push(144);
    scale.push(145);
    drawSmallTextAt(s, x + 4, row + TankScaleRow, scale);
    drawSmallTextAt(s, x + layout.legendX, row + TankDigitRow, legendText(layout));
  } else {
    drawSmallTextAt(s, x + layout.legendX, row + LegendRow, legendText(layout));
  }
  drawMarks(z, item);
}

void drawReadoutGauge(Instrument& z, int item) {
  if (!loadItemLocation(z, item)) return;
  Screen& s = z.screen;
  const Layout layout = layoutOf(item);
  const std::uint8_t column = s.textColumn;
  const int row = s.originY;
  const Reading r = readingOf(z, item);
  if (barAtSecondOrigin(item) && loadItemSecondLocation(z, item))
    drawBar(s, static_cast<std::uint8_t>(z.panel.secondOriginX / 8 + 1), z.panel.secondOriginY + BarRow,
            r.pixels, BarLength, z.gauges.barPixels[item]);
  else
    drawBar(s, static_cast<std::uint8_t>(column + 1), row + BarRow, r.pixels, BarLength,
            z.gauges.barPixels[item]);
  printGaugeValue(z, static_cast<std::uint8_t>(column + layout.valueColumn), row + ValueRow, r.value,
                  z.gauges.engineValue[item]);
}

void forgetEngineGauge(Instrument& z, int item) {
  GaugeState& g = z.gauges;
  if (item == EgtGaugeItem || item == ChtGaugeItem) {
    ChannelGauge& c = item == EgtGaugeItem ? g.egt : g.cht;
    c.barPixels.fill(NotDrawn);
    c.markerShown.fill(0);
    c.value.valid = false;
    c.channelLine.valid = false;
    return;
  }
  if (item < 0 || item >= static_cast<int>(g.barPixels.size())) return;
  g.barPixels[item] = NotDrawn;
  g.engineValue[item].valid = false;
  if (item == RpmGaugeItem) {
    g.dialNeedle = g.rotorNeedle = g.engineNeedle = NotDrawn;
    g.rotorValue.valid = false;
  }
}

}  // namespace zen
