#include "firmware/instruments/readouts.h"

#include <algorithm>

#include "firmware/core/alarm_bits.h"
#include "firmware/core/instrument.h"
#include "firmware/core/option_bits.h"
#include "firmware/core/utilities.h"
#include "firmware/instruments/display_format.h"
#include "firmware/instruments/gauge_elements.h"
#include "firmware/instruments/panel_items.h"

namespace zen {

namespace {

constexpr std::uint8_t ClimbArrow = 174;
constexpr std::uint8_t DescentArrow = 175;
constexpr std::uint16_t NotComputable = 0xFFFF;
constexpr int IceReadoutItem = 38;

ShortText withSymbol(ShortText text, std::uint8_t symbol) {
  text.push(symbol);
  return text;
}

bool hourDecimals(const Instrument& z) { return z.settings.testOption(option::HourDecimals); }

// Hours and minutes as "h:mm", or as hours and hundredths "h.hh".
void appendMinutes(const Instrument& z, ShortText& text, std::uint32_t minutes) {
  text.push(hourDecimals(z) ? '.' : ':');
  appendTwoDigits(text, hourDecimals(z) ? minutes * 168 / 100 : minutes);
}

ShortText barometricText(const Instrument& z, std::uint32_t pressureX8) {
  if (z.settings.testOption(option::PressureMillibar)) {
    ShortText text = rightJustified(pressureX8 / 8, 4);
    text.push(' ');
    return text;
  }
  ShortText text = rightJustified(pressureX8 * 1250 / 3386, 4);  // hundredths of an inch
  insertPoint(text, 2);
  return text;
}

ShortText densityAltitudeText(const Instrument& z) {
  const AirDataState& a = z.air;
  if (a.ambientTemperature == 0) return ShortText(" Temp?");
  const std::int32_t isa = 288 - a.altitudeShown / 500;  // kelvin
  const std::int32_t actual = 150 + a.ambientTemperature;
  const std::int32_t correction = (actual < isa ? isa - actual : actual - isa) * 1186 / 10;
  // Signed: in 16 bits a density altitude below 0 wrapped to a large height,
  // and only wraps past 60000 ft were caught. Below 0 now reads 0.
  const std::int32_t density = actual < isa ? a.altitudeShown - correction : a.altitudeShown + correction;
  const auto altitude = static_cast<std::uint32_t>(std::clamp<std::int32_t>(density, 0, 0xFFFF));
  ShortText text = a.altitudeFeet < 0 ? ShortText("0") : decimalText(altitudeInDisplayUnit(z, altitude));
  rightJustify(text, 5);
  return withSymbol(text, altitudeUnitSymbol(z));
}

ShortText ambientPressureText(const Instrument& z) {
  // A slave has no sensor of its own; the master sends its counts.
  const std::uint32_t counts = z.engine.slaveMode ? z.engine.linkStaticCounts : z.air.staticCounts;
  return barometricText(z, (counts + 389) * 800 / 369);
}

ShortText clockText(const Instrument& z) {
  ShortText text;
  appendTwoDigits(text, z.time.clock.hour);
  text.push(':');
  appendTwoDigits(text, z.time.clock.minute);
  return text;
}

ShortText flightTimeText(const Instrument& z) {
  if (z.time.qnh.inFlight && z.tick.secondPhase) return ShortText("     ");
  ShortText text = rightJustified(z.time.flight.hours, 2);
  appendMinutes(z, text, z.time.flight.minutes);
  return text;
}

ShortText glideRatioText(const Instrument& z) {
  const std::int32_t ratio = z.air.glideRatio;
  if (ratio < 0 || ratio >= 901) return ShortText("      ");
  ShortText text;
  text.push(z.air.climbing ? ClimbArrow : DescentArrow);
  text.push(' ');
  text.append(decimalText(static_cast<std::uint32_t>(ratio), 2));
  rightJustify(text, 5);
  insertPoint(text, 1);
  return text;
}

ShortText ambientTemperatureText(const Instrument& z) {
  const std::uint8_t reading = z.air.ambientTemperature;
  ShortText text;
  if (reading == 0) {
    text.assign("??");
  } else {
    const int celsius = reading - 123;
    const int shown = displayTemperature(z, celsius);
    text = signedDecimalText(shown);
    const bool celsiusUnit = z.settings.testOption(option::TemperatureCelsius);
    if (shown >= 0 && (celsiusUnit || text.length < 4)) {
      ShortText plus("+");
      plus.append(text);
      text = plus;
    }
  }
  rightJustify(text, 4);
  return withSymbol(text, temperatureUnitSymbol(z));
}

ShortText airDistanceText(const Instrument& z) {
  const std::uint32_t tenths = distanceInDisplayUnit(z, z.time.trip.flightTotal / 720);
  ShortText text = decimalText(tenths, 2);
  if (text.length <= 3)
    insertPoint(text, 1);
  else
    cutText(text, text.length - 1u);  // whole units
  rightJustify(text, 4);
  return withSymbol(text, distanceUnitSymbol(z));
}

ShortText voltageText(const Instrument& z) {
  const std::uint8_t tenths = z.air.supplyVoltage;
  if (tenths == 255) return ShortText("OVERV");
  ShortText text = decimalText(tenths, 2);
  insertPoint(text, 1);
  text.push('V');
  rightJustify(text, 5);
  return text;
}

ShortText maintenanceText(const Instrument& z) {
  ShortText text = rightJustified(z.time.engineHours.serviceHours, 3);
  text.push('h');
  return text;
}

ShortText hobbsText(const Instrument& z) {
  const EngineHoursRecord& hours = z.time.engineHours;
  ShortText text;
  appendTwoDigits(text, hours.hundreds);
  appendTwoDigits(text, hours.hours);
  appendMinutes(z, text, hours.minutes);
  return text;
}

ShortText fuelRangeText(const Instrument& z) {
  if (z.air.fuelRange == NotComputable) return ShortText("  ??");
  return withSymbol(rightJustified(distanceInDisplayUnit(z, z.air.fuelRange), 4), distanceUnitSymbol(z));
}

ShortText fuelEnduranceText(const Instrument& z) {
  const std::uint16_t minutes = z.air.fuelEndurance;
  if (minutes == NotComputable) return ShortText("   ??");
  ShortText text = rightJustified(minutes / 60u, 2);
  text.push(':');
  appendTwoDigits(text, minutes % 60u);
  return text;
}

ShortText trueAirspeedText(const Instrument& z) {
  return rightJustified(speedInDisplayUnit(z, z.air.trueAirspeed), 3);
}

ShortText stopwatchText(const Instrument& z) {
  const Timekeeping& t = z.time;
  ShortText text;
  const bool hours = t.tripHours != 0;
  appendTwoDigits(text, hours ? t.tripHours : t.tripMinutes);
  text.push(':');
  appendTwoDigits(text, hours ? t.tripMinutes : t.tripSeconds);
  return text;
}

ShortText gForceText(const Instrument& z) {
  const std::uint16_t load = z.engine.gLoad;
  ShortText text = decimalText(load >> 8);
  text.push('.');
  text.append(decimalText((load & 0xFFu) * 100 / 256, 2));  // hundredths of the 256ths
  cutText(text, 5);
  return text;
}

// Signed degrees C of the carburettor ice probe on the second head temperature input.
int iceProbeTemperature(const Instrument& z) {
  return static_cast<std::int16_t>(z.engine.headTemperatureCopy[1]);
}

bool iceWarningActive(const Instrument& z) {
  const int t = iceProbeTemperature(z);
  return (z.settings.alarmEnables & alarm::IceWarning) && z.engine.engineUnitAlive != 0 && t >= -3 && t <= 5;
}

bool iceWarningShowing(const Instrument& z) { return iceWarningActive(z) && z.tick.secondPhase; }

ShortText iceText(const Instrument& z) {
  if (iceWarningShowing(z)) return ShortText("ICE WARN");
  ShortText text("  ");
  ShortText degrees = signedDecimalText(displayTemperature(z, iceProbeTemperature(z)));
  rightJustify(degrees, 3);
  text.append(degrees);
  text.push(temperatureUnitSymbol(z));
  text.append("  ");
  return text;
}

ShortText unitLegend(const Instrument& z, int item) {
  const Settings& s = z.settings;
  switch (item) {
    case 34:
      return ShortText(s.testOption(option::AltitudeFeet) ? " feet " : "meters");
    case 35:
      if (s.testOption(option::SpeedMiles)) return ShortText("mph");
      return ShortText(s.testOption(option::SpeedKilometres) ? "km/h" : "knots");
    case 36:
      return ShortText(s.testOption(option::AltitudeFeet) ? "fpm" : "mps");
    default:
      return {};
  }
}

void printAtItem(Instrument& z, const ShortText& text, bool doubleHeight) {
  printOnScreen(z.screen, z.screen.textColumn, z.screen.originY, text, doubleHeight);
}

// "ICE WARN" is always double height; in the single-height style its lower
// half would stay behind the temperature, so that row is blanked with it.
void printIceReadout(Instrument& z, const ShortText& text, bool doubleHeightStyle) {
  GaugeState& g = z.gauges;
  Screen& s = z.screen;
  const std::uint8_t column = s.textColumn;
  const bool warning = iceWarningShowing(z);
  if (!warning && g.iceWarningShown && !doubleHeightStyle)
    printOnScreen(s, column, s.originY + 8, ShortText("        "), false);
  g.iceWarningShown = warning ? 1 : 0;
  printOnScreen(s, column, s.originY, text, warning || doubleHeightStyle);
}

}  // namespace

ShortText readoutText(const Instrument& z, int item) {
  switch (item) {
    case 19:
      return densityAltitudeText(z);
    case 20:
      return ambientPressureText(z);
    case 21:
      return clockText(z);
    case 22:
      return flightTimeText(z);
    case 23:
      return glideRatioText(z);
    case 24:
      return ambientTemperatureText(z);
    case 25:
      return airDistanceText(z);
    case 26:
      return voltageText(z);
    case 27:
      return maintenanceText(z);
    case 28:
      return hobbsText(z);
    case 29:
      return fuelRangeText(z);
    case 30:
      return fuelEnduranceText(z);
    case QnhReadoutItem:
      return barometricText(z, z.time.qnh.qnhX8);
    case 32:
      return trueAirspeedText(z);
    case 33:
      return stopwatchText(z);
    case 37:
      return gForceText(z);
    case IceReadoutItem:
      return iceText(z);
    default:
      return {};
  }
}

void drawReadout(Instrument& z, int item) {
  if (!loadItemLocation(z, item)) return;
  DrawnText& drawn = z.gauges.readoutText[item];
  if (!drawn.changedTo(readoutText(z, item))) return;
  const bool doubleHeight = (itemStyle(z, item) & 1) != 0;
  if (item == IceReadoutItem)
    printIceReadout(z, drawn.text, doubleHeight);
  else
    printAtItem(z, drawn.text, doubleHeight);
}

void forgetReadout(Instrument& z, int item) {
  z.gauges.readoutText[item].valid = false;
  if (item == IceReadoutItem) z.gauges.iceWarningShown = 0;
}

void drawQnhReadout(Instrument& z) {
  if (!loadItemLocation(z, QnhReadoutItem)) return;
  printAtItem(z, readoutText(z, QnhReadoutItem), (itemStyle(z, QnhReadoutItem) & 1) != 0);
}

void drawUnitLegend(Instrument& z, int item) {
  if (!loadItemLocation(z, item)) return;
  drawSmallTextAt(z.screen, z.screen.originX, z.screen.originY, unitLegend(z, item));
}

void substituteLinkFailure(const Instrument& z, ShortText& text, std::size_t width) {
  if (!z.engine.engineDataLost) return;
  text.assign(z.tick.secondPhase ? "Tarvik" : "Fail  ");
  cutText(text, width);
}

}  // namespace zen
