#include "firmware/menus/value_entries.h"

#include <algorithm>

#include "firmware/core/option_bits.h"
#include "firmware/core/utilities.h"
#include "firmware/instruments/engine_gauges.h"

namespace zen {

void appendTemperature(const Instrument& z, ShortText& text, int celsius, std::size_t width) {
  ShortText number = signedDecimalText(displayTemperature(z, celsius));
  rightJustify(number, width);
  text.append(number);
  text.push(temperatureUnitSymbol(z));
}

void appendSpeed(const Instrument& z, ShortText& text, std::uint32_t mph) {
  text.append(decimalText(speedInDisplayUnit(z, mph)));
  text.push(speedUnitSymbol(z));
}

void appendAltitude(const Instrument& z, ShortText& text, std::uint32_t feet) {
  text.append(decimalText(altitudeInDisplayUnit(z, feet)));
  text.push(altitudeUnitSymbol(z));
}

void appendFuelQuantity(const Instrument& z, ShortText& text, std::uint32_t litres) {
  // Gallons in tenths: one decimal.
  ShortText number = decimalText(fuelContentsInDisplayUnit(z, litres), fuelUnitIsGallons(z) ? 2 : 1);
  if (fuelUnitIsGallons(z)) insertPoint(number, 1);
  text.append(number);
  text.push(fuelUnitSymbol(z));
}

void appendPressure(const Instrument& z, ShortText& text, std::uint32_t tenths) {
  if (z.settings.testOption(option::OilPressurePsi)) {
    text.append(decimalText(tenths * 145 / 100));
  } else if (tenths <= 100) {
    ShortText number = decimalText(tenths, 2);
    insertPoint(number, 1);
    text.append(number);
  } else {
    text.append(decimalText(tenths / 10));
  }
  text.push(pressureUnitSymbol(z));
}

void appendManifoldPressure(const Instrument& z, ShortText& text, std::uint32_t millibar) {
  text.append(manifoldPressureText(z, static_cast<std::uint16_t>(std::min<std::uint32_t>(millibar, 0xFFFF))));
}

}  // namespace zen
