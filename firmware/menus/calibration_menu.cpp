// "Calibration Menu": sensor corrections, the sensor zeros and the pulse factors.
#include <cstdlib>

#include "firmware/core/settings_store.h"
#include "firmware/instruments/derived_settings.h"
#include "firmware/menus/setup_menus.h"
#include "firmware/menus/value_entries.h"

namespace zen {

namespace {

// "(" the value the setting acts on now ")".
void appendCurrent(ShortText& value, const ShortText& current) {
  value.append(" (");
  value.append(current);
  value.push(')');
}

void showAirspeedCalibration(Instrument& z, ShortText& value) {
  value = rightJustified(z.settings.airspeedFactor, 3);
  value.push('%');
  appendCurrent(value, decimalText(speedInDisplayUnit(z, z.air.indicatedAirspeed)));
}

void nudgeAirspeedCalibration(Instrument& z) {
  z.settings.airspeedFactor = static_cast<std::uint8_t>(nudge(z, z.settings.airspeedFactor, 50, 200));
}

// A signed byte stepped by one with no limit: past 127 it goes on at -128.
void nudgeSignedByte(Instrument& z, std::int8_t& setting) {
  setting = static_cast<std::int8_t>(setting + nudge(z, 0, -1, 1));
}

void showAltimeterCalibration(Instrument& z, ShortText& value) {
  value = signedDecimalText(z.settings.altimeterOffset);
  const std::int32_t feet = z.air.altitudeFeet;
  const auto shown =
      static_cast<std::int32_t>(altitudeInDisplayUnit(z, static_cast<std::uint32_t>(std::abs(feet))));
  appendCurrent(value, signedDecimalText(feet < 0 ? -shown : shown));
}

void nudgeAltimeterCalibration(Instrument& z) { nudgeSignedByte(z, z.settings.altimeterOffset); }

void showVsiCalibration(Instrument& z, ShortText& value) {
  value = rightJustified(z.settings.climbFactor, 3);
  value.push('%');
}

void nudgeVsiCalibration(Instrument& z) {
  z.settings.climbFactor = static_cast<std::uint16_t>(nudge(z, z.settings.climbFactor, 20, 500));
}

// The airspeed and vertical speed sensors read now become their zeros.
void resetAirZeros(Instrument& z) {
  readAdc(z, adc_channel::PitotPressure);
  z.settings.airspeedZero = z.adc.adcResult;
  readAdc(z, adc_channel::StaticPressure);  // the vertical speed channel follows the static one
  readAdc(z, adc_channel::VerticalSpeed);
  z.settings.climbZero = z.adc.adcResult;
  z.air.climbDrift = 0;
  z.screen.drawTextAt(16, 3, "Done...");
  waitKey(z, 3);             // two seconds, or the next key
  z.main.redrawRequest = 1;  // over "Done...", with the new zeros
}

constexpr RangeEntry<std::uint8_t> PulsesPerTenRevs{&Settings::pulsesSetting, 1, 250, AtEnds::Wrap};
constexpr RangeEntry<std::uint16_t> FlowKFactor{&Settings::flowKFactor, 1000, 30000, AtEnds::Wrap};

void showPulses(Instrument& z, ShortText& value) {
  value.assign("pulses per 10 revs: ");
  value.append(decimalText(z.settings.pulsesSetting));
}

void showAmbientCalibration(Instrument& z, ShortText& value) {
  value = signedDecimalText(z.settings.temperatureOffset);  // an offset, never converted
  value.push(temperatureUnitSymbol(z));
}

void nudgeAmbientCalibration(Instrument& z) {
  z.settings.temperatureOffset = static_cast<std::int8_t>(nudge(z, z.settings.temperatureOffset, -12, 12));
}

void showMapCalibration(Instrument& z, ShortText& value) {
  value = signedDecimalText(z.settings.manifoldOffset);
  ShortText current;
  appendManifoldPressure(z, current, z.air.manifoldPressure);
  appendCurrent(value, current);
}

void nudgeMapCalibration(Instrument& z) { nudgeSignedByte(z, z.settings.manifoldOffset); }

constexpr MenuEntry Entries[] = {
    {"Airspeed calibration:    ", showAirspeedCalibration, Edit, nudgeAirspeedCalibration,
     nudgeAirspeedCalibration},
    {"Altimeter calibration:   ", showAltimeterCalibration, Edit, nudgeAltimeterCalibration,
     nudgeAltimeterCalibration},
    {"VSI calibration:         ", showVsiCalibration, Edit, nudgeVsiCalibration, nudgeVsiCalibration},
    {"Reset ASI and VSI to zero", nullptr, resetAirZeros},
    rangeLine<PulsesPerTenRevs>("Rev counter, ", showPulses),
    rangeLine<FlowKFactor>("Fuel flow K-factor:      ", showField<&Settings::flowKFactor>),
    {"Ambient temperature:     ", showAmbientCalibration, Edit, nudgeAmbientCalibration,
     nudgeAmbientCalibration},
    {"MAP calibration          ", showMapCalibration, Edit, nudgeMapCalibration, nudgeMapCalibration},
};

}  // namespace

void openCalibrationMenu(Instrument& z) {
  runMenu(z, {"Calibration Menu", Entries});
  saveAllSettings(z);
  recomputeDerivedSettings(z);
}

}  // namespace zen
