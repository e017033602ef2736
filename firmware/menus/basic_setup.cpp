// "Basic Device setup": triggers, scales, alarms, backlight and V speeds.
#include <algorithm>

#include "firmware/core/keys.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/derived_settings.h"
#include "firmware/menus/setup_menus.h"
#include "firmware/menus/value_entries.h"

namespace zen {

namespace {

// "+" adds 100 below 9900, "-" takes 100 from 500 up.
template <std::uint16_t Settings::*Trigger>
void stepRpmTrigger(Instrument& z) {
  std::uint16_t& v = z.settings.*Trigger;
  if (z.main.keyCode == key::Plus && v < 9900) v += 100;
  if (z.main.keyCode == key::Minus && v >= 500) v -= 100;
}

void showRpmScale(Instrument& z, ShortText& value) {
  value = decimalText(z.settings.rpmScale);
  value.append("000");
}

void nudgeRpmScale(Instrument& z) {
  z.settings.rpmScale = static_cast<std::uint8_t>(nudge(z, z.settings.rpmScale, 3, 9));
}

// The alarm level is one byte: a tank above 255 litres cannot be given a higher level.
template <std::uint8_t Settings::*Level, std::array<std::uint16_t, 7> Settings::*Tank>
void editFuelLowAlarm(Instrument& z) {
  editByte(z, z.settings.*Level, 0, std::min<int>((z.settings.*Tank)[0], 255));
}

template <std::uint8_t Settings::*Level>
void showFuelLowAlarm(Instrument& z, ShortText& value) {
  const std::uint8_t level = z.settings.*Level;
  if (level == 0)
    value.assign("Off");
  else
    appendFuelQuantity(z, value, level);
}

constexpr std::uint8_t BacklightOff = 2;
constexpr std::string_view BacklightModeTexts[] = {"Auto", "On", "Off"};
constexpr ChoiceEntry BacklightModes{&Settings::displayMode, 0, BacklightOff, BacklightModeTexts};

// The backlight follows a change of its settings at once.
void followBacklight(Instrument& z) {
  z.display.backlightLevel = z.settings.displayMode == BacklightOff ? 255 : z.settings.backlightSetting;
}

void stepBacklightMode(Instrument& z) {
  stepChoice<BacklightModes>(z);
  followBacklight(z);
}

// Stored in tens from 0 (brightest shown, 25) to 250 (shown 0): "+" lowers the setting.
void showBacklightLevel(Instrument& z, ShortText& value) {
  std::uint8_t& level = z.settings.backlightSetting;
  level = static_cast<std::uint8_t>(level / 10 * 10);
  value = decimalText(static_cast<std::uint32_t>(25 - std::min(level / 10, 25)));
}

void stepBacklightLevel(Instrument& z) {
  std::uint8_t& level = z.settings.backlightSetting;
  if (z.main.keyCode == key::Plus && level != 0) level = static_cast<std::uint8_t>(level - 10);
  if (z.main.keyCode == key::Minus && level < 250) level = static_cast<std::uint8_t>(level + 10);
  followBacklight(z);
}

constexpr std::string_view AltScaleTexts[] = {"100", "200", "500", "1000"};
constexpr ChoiceEntry AltScale{&Settings::altScale, 0, 3, AltScaleTexts};
constexpr std::string_view AsiScaleTexts[] = {"80", "100", "150", "200", "300", "400"};
constexpr ChoiceEntry AsiScale{&Settings::asiScale, 0, 5, AsiScaleTexts};
constexpr std::string_view TapeResolutionTexts[] = {"10", "20", "50"};
constexpr ChoiceEntry TapeResolution{&Settings::tapeResolution, 0, 2, TapeResolutionTexts};
constexpr std::string_view FlowScaleTexts[] = {"30", "60", "90", "120", "150", "180"};  // setting x 30
constexpr ChoiceEntry FlowScale{&Settings::flowScale, 1, 6, FlowScaleTexts};

// V speeds in mph. A speed that cannot apply is corrected as it is shown:
// VS and Vne below 20 become 19 (off), VF not above VS becomes VS, Vno not
// below Vne becomes Vne.
constexpr std::uint16_t SpeedOff = 19;
constexpr RangeEntry<std::uint16_t> StallSpeed{&Settings::stallSpeed, 0, 250, AtEnds::Wrap};
constexpr RangeEntry<std::uint16_t> FlapSpeed{&Settings::flapSpeed, 0, 500, AtEnds::Wrap};
constexpr RangeEntry<std::uint16_t> ManoeuvringSpeed{&Settings::manoeuvringSpeed, 0, 500, AtEnds::Wrap};
constexpr RangeEntry<std::uint16_t> NeverExceedSpeed{&Settings::neverExceedSpeed, 0, 500, AtEnds::Wrap};

void showSpeed(Instrument& z, ShortText& value, std::string_view name, std::uint16_t& speed, bool valid,
               std::uint16_t correction) {
  value.assign(name);
  if (!valid) {
    speed = correction;
    value.append(" ---");
    return;
  }
  value.push(' ');
  appendSpeed(z, value, speed);
}

void showStallSpeed(Instrument& z, ShortText& value) {
  std::uint16_t& vs = z.settings.stallSpeed;
  showSpeed(z, value, "Vs", vs, vs >= 20, SpeedOff);
}

void showFlapSpeed(Instrument& z, ShortText& value) {
  Settings& s = z.settings;
  showSpeed(z, value, "VF", s.flapSpeed, s.flapSpeed > s.stallSpeed, s.stallSpeed);
}

void showManoeuvringSpeed(Instrument& z, ShortText& value) {
  Settings& s = z.settings;
  showSpeed(z, value, "Vno", s.manoeuvringSpeed, s.manoeuvringSpeed < s.neverExceedSpeed, s.neverExceedSpeed);
}

void showNeverExceedSpeed(Instrument& z, ShortText& value) {
  std::uint16_t& vne = z.settings.neverExceedSpeed;
  showSpeed(z, value, "Vne", vne, vne >= 20, SpeedOff);
}

// Feet in steps of 500 up to 60000; 0 is off.
constexpr int AltitudeAlarmStep = 500;
constexpr int AltitudeAlarmSteps = 120;

void editAltitudeAlarm(Instrument& z) {
  std::uint16_t& alarm = z.settings.altitudeAlarm;
  std::uint8_t steps = static_cast<std::uint8_t>(std::min(alarm / AltitudeAlarmStep, 255));
  editByte(z, steps, 0, AltitudeAlarmSteps);
  alarm = static_cast<std::uint16_t>(steps * AltitudeAlarmStep);
}

void showAltitudeAlarm(Instrument& z, ShortText& value) {
  if (z.settings.altitudeAlarm == 0)
    value.assign("Off");
  else
    appendAltitude(z, value, z.settings.altitudeAlarm);
}

constexpr MenuEntry Entries[] = {
    {"Flight log RPM trigger:  ", showField<&Settings::flightStartRpm>, Edit,
     stepRpmTrigger<&Settings::flightStartRpm>, stepRpmTrigger<&Settings::flightStartRpm>},
    {"Hobbs meter trigger RPM: ", showField<&Settings::engineTimeRpm>, Edit,
     stepRpmTrigger<&Settings::engineTimeRpm>, stepRpmTrigger<&Settings::engineTimeRpm>},
    {"Rev counter scale:       ", showRpmScale, Edit, nudgeRpmScale, nudgeRpmScale},
    {"Fuel low alarm tank 1:   ", showFuelLowAlarm<&Settings::tank1LowLevel>, Edit,
     editFuelLowAlarm<&Settings::tank1LowLevel, &Settings::tank1Calibration>,
     editFuelLowAlarm<&Settings::tank1LowLevel, &Settings::tank1Calibration>},
    {"Fuel low alarm tank 2:   ", showFuelLowAlarm<&Settings::tank2LowLevel>, Edit,
     editFuelLowAlarm<&Settings::tank2LowLevel, &Settings::tank2Calibration>,
     editFuelLowAlarm<&Settings::tank2LowLevel, &Settings::tank2Calibration>},
    {"Backlight mode:          ", showChoice<BacklightModes>, stepBacklightMode},
    {"Backlight level:         ", showBacklightLevel, Edit, stepBacklightLevel, stepBacklightLevel},
    {"ALT scale:               ", showChoice<AltScale>, stepChoice<AltScale>},
    {"ASI scale:               ", showChoice<AsiScale>, stepChoice<AsiScale>},
    {"Tape resolution:         ", showChoice<TapeResolution>, stepChoice<TapeResolution>},
    {"Fuel flow scale:         ", showChoice<FlowScale>, stepChoice<FlowScale>},
    rangeLine<StallSpeed>("Stall speed VS:          ", showStallSpeed),
    rangeLine<FlapSpeed>("Flap speed VF:           ", showFlapSpeed),
    rangeLine<ManoeuvringSpeed>("Manouvering speed Vno:   ", showManoeuvringSpeed),
    rangeLine<NeverExceedSpeed>("Never exceed speed Vne:  ", showNeverExceedSpeed),
    {"Altitude alarm\x19          ", showAltitudeAlarm, Edit, editAltitudeAlarm, editAltitudeAlarm},
};

}  // namespace

const Menu& basicSetupMenu() {
  static constexpr Menu menu{"Basic Device setup", Entries};
  return menu;
}

void openBasicSetup(Instrument& z) {
  runMenu(z, basicSetupMenu());
  saveAllSettings(z);
  recomputeDerivedSettings(z);
}

}  // namespace zen
