// "Mode setup menu": the units and modes of the whole instrument.
#include "firmware/core/option_bits.h"
#include "firmware/core/settings_store.h"
#include "firmware/menus/setup_menus.h"
#include "firmware/menus/value_entries.h"

namespace zen {

namespace {

constexpr OptionEntry AltitudeUnits{option::AltitudeFeet, "feet (ft)", "meters (m)"};
constexpr OptionEntry PressureUnits{option::PressureMillibar, "millibar (mb)", "inches Hg"};
constexpr ThreeWayEntry SpeedUnits{option::SpeedMiles, option::SpeedKilometres, "miles", "km", "nm"};
constexpr std::string_view FuelUnitTexts[] = {"liters", "US gallons", "IMP gallons", "Kilograms (KG)",
                                              "pounds (lbs)"};
constexpr ChoiceEntry FuelUnits{&Settings::fuelUnit, 0, 4, FuelUnitTexts};
constexpr OptionEntry TemperatureUnits{option::TemperatureCelsius, "Deg C", "Deg F"};
constexpr OptionEntry OilPressureUnits{option::OilPressurePsi, "PSI", "BAR"};
constexpr std::string_view MapUnitTexts[] = {"millibar", "bars", "PSI", "Inch HG"};
constexpr ChoiceEntry MapUnits{&Settings::mapUnit, 0, 3, MapUnitTexts};
constexpr OptionEntry FlightDetect{option::AutoFlightDetect, "Automatic", "Manual"};
constexpr OptionEntry DistanceReset{option::AirDistanceResetAtStart, "Flight start", "Manual"};
constexpr OptionEntry HourFraction{option::HourDecimals, "Decimals", "Minutes"};
constexpr OptionEntry LinkRole{option::MasterUnit, "Master", "Slave"};
constexpr OptionEntry DualPanel{option::DualPanel, "Yes", "No"};

constexpr MenuEntry Entries[] = {
    optionLine<AltitudeUnits>("Altitude display units:  "),
    optionLine<PressureUnits>("Local pressure units:    "),
    {"Distance/Speed units:    ", showThreeWay<SpeedUnits>, stepThreeWay<SpeedUnits>},
    {"Fuel quantity units:     ", showChoice<FuelUnits>, stepChoice<FuelUnits>},
    optionLine<TemperatureUnits>("Temperature units:       "),
    optionLine<OilPressureUnits>("Oil pressure units:      "),
    {"MAP pressure units:      ", showChoice<MapUnits>, stepChoice<MapUnits>},
    optionLine<FlightDetect>("Start of flight detect:  "),
    optionLine<DistanceReset>("Air distance reset:      "),
    optionLine<HourFraction>("Hour fraction mode:      "),
    optionLine<LinkRole>("Velonet: This unit is    "),
    optionLine<DualPanel>("Enable dual-panel mode   "),
};

}  // namespace

const Menu& modeSetupMenu() {
  static constexpr Menu menu{"Mode setup menu", Entries};
  return menu;
}

void openModeSetup(Instrument& z) {
  runMenu(z, modeSetupMenu());
  saveAllSettings(z);
}

}  // namespace zen
