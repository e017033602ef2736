// "Sender type selection": flow sender, tank modes, probe and sender types,
// pressure ranges and the programmable probe's curve.
#include "firmware/core/option_bits.h"
#include "firmware/core/sender_curves.h"
#include "firmware/core/settings_store.h"
#include "firmware/menus/setup_menus.h"
#include "firmware/menus/value_entries.h"

namespace zen {

namespace {

constexpr ThreeWayEntry FlowSender{option::FlowTurbine, option::InjectorHigh, "Turbine", "Injector H",
                                   "Injector L"};
constexpr std::string_view TankModeTexts[] = {"Tank 1+2=level sender", "Tank 1 calc, 2 sender",
                                              "Tank 2 calc, 1 sender"};
constexpr ChoiceEntry TankMode{&Settings::tankMode, 0, 2, TankModeTexts};
constexpr std::string_view RangeTankTexts[] = {"Tank 1", "Tank 2", "Tank 1+2"};
constexpr ChoiceEntry RangeTanks{&Settings::rangeTanks, 0, 2, RangeTankTexts};

constexpr std::string_view ProbeNames[] = {
    "K type",       "J type", "Standard NTC", "KVR NTC", "KVR precision probe", "Progammable probe",
    "Westach probe"};

template <int Input>
void showProbe(Instrument& z, ShortText& value) {
  const std::uint8_t type = z.settings.probeTypes[Input];
  value.assign(type < std::size(ProbeNames) ? ProbeNames[type] : std::string_view("?"));
}

void toggleThermocouple(Instrument& z) {
  std::uint8_t& type = z.settings.probeTypes[probe_input::ChtThermocouple];
  type = type == probe_type::JType ? probe_type::KType : probe_type::JType;
}

// Sender probes step from "Standard NTC" to "Westach probe" and round again.
template <int Input>
void stepSenderProbe(Instrument& z) {
  std::uint8_t& type = z.settings.probeTypes[Input];
  type = type > probe_type::Programmable ? probe_type::StandardNtc : static_cast<std::uint8_t>(type + 1);
}

// Both head temperature senders are of one type.
void stepHeadProbes(Instrument& z) {
  stepSenderProbe<probe_input::HeadTemperature1>(z);
  z.settings.probeTypes[probe_input::HeadTemperature2] = z.settings.probeTypes[probe_input::HeadTemperature1];
}

constexpr RangeEntry<std::uint16_t> OilPressureMax{&Settings::oilPressureScale, 10, 200, AtEnds::Clamp};
constexpr RangeEntry<std::uint8_t> FuelPressureRange{&Settings::fuelPressureRange, 10, 250, AtEnds::Clamp};
constexpr OptionEntry SenderResistance{option::OilSenderRising, "INC with pressure", "DEC with pressure"};
constexpr OptionEntry FuelPressurePort{option::FuelPressureFromLevel2, "Fuel Level 2", "CHT1/AUX3"};

void showOilSender(Instrument& z, ShortText& value) {
  value.assign("Resistance ");
  value.append(decimalText(z.settings.oilSenderType * OilSenderOhmsPerType));
}

void stepOilSender(Instrument& z) {
  std::uint8_t& type = z.settings.oilSenderType;
  type = type >= OilSenderTypes || type < 1 ? 1 : static_cast<std::uint8_t>(type + 1);
}

// The eight point entries come last; entry e stands for (e - 11) x 20 degrees C.
constexpr int FirstPointEntry = 12;

void showProbePoint(Instrument& z, ShortText& value) {
  const int point = z.menus.drawIndex - FirstPointEntry;
  appendTemperature(z, value, (point + 1) * 20);
  value.append(" - ");
  value.append(rightJustified(z.settings.userProbeCurve[static_cast<std::size_t>(point)], 4));
}

void editProbePoint(Instrument& z) {
  const int point = z.menus.selectedIndex - FirstPointEntry;
  editWord(z, z.settings.userProbeCurve[static_cast<std::size_t>(point)], 1, 4095);
}

constexpr MenuEntry ProbePointEntry{"Programmable probe: ", showProbePoint, Edit, editProbePoint,
                                    editProbePoint};

constexpr MenuEntry Entries[] = {
    {"Flow sender type:        ", showThreeWay<FlowSender>, stepThreeWay<FlowSender>},
    {"Tank mode: ", showChoice<TankMode>, stepChoice<TankMode>},
    {"Range calculation mode: ", showChoice<RangeTanks>, stepChoice<RangeTanks>},
    {"CHT thermocouple     ", showProbe<probe_input::ChtThermocouple>, toggleThermocouple},
    {"Coolant temp. probe  ", showProbe<probe_input::Coolant>, stepSenderProbe<probe_input::Coolant>},
    {"Oil temp. probe      ", showProbe<probe_input::Oil>, stepSenderProbe<probe_input::Oil>},
    {"Oil pressure sender  ", showOilSender, stepOilSender},
    rangeLine<OilPressureMax>("Oil pressure max     ", showPressureField<&Settings::oilPressureScale>),
    optionLine<SenderResistance>("Pressure resistance  "),
    rangeLine<FuelPressureRange>("Fuel pressure range  ", showPressureField<&Settings::fuelPressureRange>),
    optionLine<FuelPressurePort>("Fuel pressure port   "),
    {"912/914 CHT type     ", showProbe<probe_input::HeadTemperature1>, stepHeadProbes},
    ProbePointEntry,
    ProbePointEntry,
    ProbePointEntry,
    ProbePointEntry,
    ProbePointEntry,
    ProbePointEntry,
    ProbePointEntry,
    ProbePointEntry,
};
static_assert(std::size(Entries) == FirstPointEntry + 8);

}  // namespace

const Menu& senderSetupMenu() {
  static constexpr Menu menu{"Sender type selection", Entries};
  return menu;
}

void openSenderSetup(Instrument& z) {
  runMenu(z, senderSetupMenu());
  saveAllSettings(z);
}

}  // namespace zen
