// "Rotor craft setup": rotor speed alarms, the 100 % speeds and the rotor sensor.
#include "firmware/core/option_bits.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/derived_settings.h"
#include "firmware/menus/setup_menus.h"
#include "firmware/menus/value_entries.h"

namespace zen {

namespace {

// Percent of the 100 % speed; the value just below the range is off.
template <auto Field, int Off>
void showRotorAlarm(Instrument& z, ShortText& value) {
  const std::uint8_t percent = z.settings.*Field;
  if (percent <= Off) {
    value.assign("Off");
    return;
  }
  value = rightJustified(percent, 3);
  value.push('%');
}

constexpr int LowAlarmOff = 59, HighAlarmOff = 99;
constexpr RangeEntry<std::uint8_t> LowAlarm{&Settings::rotorLowAlarm, LowAlarmOff, 100, AtEnds::Wrap};
constexpr RangeEntry<std::uint8_t> HighAlarm{&Settings::rotorHighAlarm, HighAlarmOff, 140, AtEnds::Wrap};
constexpr RangeEntry<std::uint16_t> EngineFullRpm{&Settings::engineRpmFull, 1, 9999, AtEnds::Wrap};
constexpr RangeEntry<std::uint16_t> RotorPulses{&Settings::rotorScale, 1, 5000, AtEnds::Wrap};
constexpr RangeEntry<std::uint16_t> RotorFullRpm{&Settings::rotorRpmFull, 1, 2000, AtEnds::Wrap};
constexpr OptionEntry RpmDisplay{option::RpmPercent, "Percent", "RPM"};

constexpr MenuEntry Entries[] = {
    rangeLine<LowAlarm>("Rotor RPM low alarm:     ", showRotorAlarm<&Settings::rotorLowAlarm, LowAlarmOff>),
    rangeLine<HighAlarm>("Rotor RPM high alarm:    ",
                         showRotorAlarm<&Settings::rotorHighAlarm, HighAlarmOff>),
    rangeLine<EngineFullRpm>("Engine 100% RPM:         ", showField<&Settings::engineRpmFull>),
    rangeLine<RotorPulses>("Rotor pules/10 revs:     ", showField<&Settings::rotorScale>),
    rangeLine<RotorFullRpm>("Rotor 100% RPM:          ", showField<&Settings::rotorRpmFull>),
    optionLine<RpmDisplay>("Engine/Rotor RPM display "),
};

}  // namespace

void openRotorSetup(Instrument& z) {
  runMenu(z, {"Rotor craft setup", Entries});
  saveAllSettings(z);
  recomputeDerivedSettings(z);
}

}  // namespace zen
