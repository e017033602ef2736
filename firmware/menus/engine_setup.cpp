// "Engine monitor setup": channel counts and the engine alarm limits.
#include <algorithm>

#include "firmware/core/option_bits.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/panel.h"
#include "firmware/menus/setup_menus.h"
#include "firmware/menus/value_entries.h"

namespace zen {

namespace {

constexpr std::uint8_t MaxEgtChannels = 12;
constexpr std::uint8_t Rotax912Cht = 13;  // the CHT count that stands for the Rotax 912 senders

void showEgtCount(Instrument& z, ShortText& value) { value = rightJustified(z.settings.egtCount(), 4); }

void stepEgtCount(Instrument& z) {
  std::uint8_t& count = z.settings.egtCount();
  count = count >= MaxEgtChannels ? 0 : static_cast<std::uint8_t>(count + 1);
}

void showChtCount(Instrument& z, ShortText& value) {
  if (z.settings.chtCount == Rotax912Cht)
    value.assign("Rotax 912");
  else
    value = rightJustified(z.settings.chtCount, 4);
}

void stepChtCount(Instrument& z) {
  std::uint8_t& count = z.settings.chtCount;
  count = count >= Rotax912Cht ? 0 : static_cast<std::uint8_t>(count + 1);
}

template <auto Field, std::size_t Width = 0>
void showTemperatureField(Instrument& z, ShortText& value) {
  appendTemperature(z, value, z.settings.*Field, Width);
}

constexpr RangeEntry<std::uint16_t> EgtLimit{&Settings::egtLimit, 200, 1200, AtEnds::Clamp};
constexpr RangeEntry<std::uint16_t> ChtLimit{&Settings::chtLimit, 80, 350, AtEnds::Clamp};
constexpr RangeEntry<std::uint16_t> OilTempHigh{&Settings::oilTempHigh, 80, 250, AtEnds::Clamp};
constexpr RangeEntry<std::uint16_t> OilTempLow{&Settings::oilTempLow, 30, 100, AtEnds::Clamp};
constexpr RangeEntry<std::uint8_t> CoolantHigh{&Settings::coolantHigh, 70, 120, AtEnds::Clamp};
constexpr RangeEntry<std::uint8_t> CoolantLow{&Settings::coolantLow, 30, 90, AtEnds::Clamp};
constexpr RangeEntry<std::uint8_t> MapRange{&Settings::mapRange, 0, 8, AtEnds::Clamp};
constexpr RangeEntry<std::uint8_t> FuelPressureLow{&Settings::fuelPressureLowAlarm, 0, 100, AtEnds::Clamp};
constexpr OptionEntry BargraphMode{option::ScanBargraph, "Scan", "Highest"};

// The oil pressure limits never cross: each stops at the other.
constexpr int OilPressureHighLowest = 20, OilPressureHighHighest = 100;
constexpr int OilPressureLowLowest = 5, OilPressureLowHighest = 50;

void editOilPressureHigh(Instrument& z) {
  Settings& s = z.settings;
  const int lowest = std::clamp<int>(s.oilPressureLow, OilPressureHighLowest, OilPressureHighHighest);
  editSetting(z, s.oilPressureHigh, lowest, OilPressureHighHighest, AtEnds::Clamp);
}

void editOilPressureLow(Instrument& z) {
  Settings& s = z.settings;
  const int highest = std::clamp<int>(s.oilPressureHigh, OilPressureLowLowest, OilPressureLowHighest);
  editSetting(z, s.oilPressureLow, OilPressureLowLowest, highest, AtEnds::Clamp);
}

// The bar spans 1013 mbar +- (setting x 100 + 100).
void showMapRange(Instrument& z, ShortText& value) {
  appendManifoldPressure(z, value, z.settings.mapRange * 100u + 100u);
}

constexpr MenuEntry Entries[] = {
    {"EGT Channels             ", showEgtCount, stepEgtCount},
    rangeLine<EgtLimit>("EGT alarm limit          ", showTemperatureField<&Settings::egtLimit, 4>),
    {"CHT Channels             ", showChtCount, stepChtCount},
    rangeLine<ChtLimit>("CHT alarm limit          ", showTemperatureField<&Settings::chtLimit>),
    optionLine<BargraphMode>("EGT/CHT bargraph mode    "),
    {"Oil pressure limit high  ", showPressureField<&Settings::oilPressureHigh>, Edit, editOilPressureHigh,
     editOilPressureHigh},
    {"Oil pressure limit low   ", showPressureField<&Settings::oilPressureLow>, Edit, editOilPressureLow,
     editOilPressureLow},
    rangeLine<OilTempHigh>("Oil temp. limit high     ", showTemperatureField<&Settings::oilTempHigh>),
    rangeLine<OilTempLow>("Oil temp. limit low      ", showTemperatureField<&Settings::oilTempLow>),
    rangeLine<CoolantHigh>("Coolant temp. limit High ", showTemperatureField<&Settings::coolantHigh>),
    rangeLine<CoolantLow>("Coolant temp. limit Low  ", showTemperatureField<&Settings::coolantLow>),
    rangeLine<MapRange>("MAP bargraph range       ", showMapRange),
    rangeLine<FuelPressureLow>("Fuel pressure low alarm  ",
                               showPressureField<&Settings::fuelPressureLowAlarm>),
};

}  // namespace

const Menu& engineSetupMenu() {
  static constexpr Menu menu{"Engine monitor setup", Entries};
  return menu;
}

void openEngineSetup(Instrument& z) {
  runMenu(z, engineSetupMenu());
  saveAllSettings(z);
  // The EGT and CHT gauges grow with their channel counts.
  clampItemPositions(z);
}

}  // namespace zen
