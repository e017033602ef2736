#include "firmware/menus/menu_tree.h"

#include <cstdlib>

#include "firmware/core/background.h"
#include "firmware/core/instrument.h"
#include "firmware/core/option_bits.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/display_format.h"
#include "firmware/instruments/panel.h"
#include "firmware/menus/compass_horizon.h"
#include "firmware/menus/flight_log_screens.h"
#include "firmware/menus/flight_tools.h"
#include "firmware/menus/fuel_tank_setup.h"
#include "firmware/menus/menu_engine.h"
#include "firmware/menus/screen_lists.h"
#include "firmware/menus/setup_menus.h"
#include "firmware/menus/technical_menu.h"

namespace zen {

namespace {

// ------------------------------------------------------------- Main Menu lines

void showFlightState(Instrument& z, ShortText& value) {
  const bool inFlight = z.time.qnh.inFlight;
  if (z.settings.testOption(option::AutoFlightDetect))
    value.assign(inFlight ? "Autodetect, in Flight" : "Autodetect, ground mode");
  else
    value.assign(inFlight ? "End flight, press Select" : "Start Flight, press Select");
}

void startOrEndFlight(Instrument& z) {
  if (z.settings.testOption(option::AutoFlightDetect)) return;
  if (z.time.qnh.inFlight)
    endFlight(z);
  else
    startFlight(z);
}

void showPilotNumber(Instrument& z, ShortText& value) { value = decimalText(z.settings.pilotNumber); }

void changePilotNumber(Instrument& z) { editSetting(z, z.settings.pilotNumber, 1, 99, AtEnds::Clamp); }

// ------------------------------------------------------------- System setup

void moveScreenItems(Instrument& z) {
  enterDesignMode(z);
  z.main.closeMenus = 1;
}

void fuelTank1(Instrument& z) {
  fuelTankSetup(z, z.settings.tank1Calibration, '1');
  saveAllSettings(z);
}

void fuelTank2(Instrument& z) {
  fuelTankSetup(z, z.settings.tank2Calibration, '2');
  saveAllSettings(z);
}

void vfrPanel(Instrument& z) { primaryFlightPanel(z, "VFR"); }
void ifrPanel(Instrument& z) { primaryFlightPanel(z, "IFR"); }
void hideAllPrimary(Instrument& z) { primaryFlightPanel(z, "BLANK"); }

constexpr MenuEntry PrimaryFlightEntries[] = {
    {"VFR panel", nullptr, vfrPanel},
    {"IFR panel", nullptr, ifrPanel},
    {"Hide all primary", nullptr, hideAllPrimary},
};

void openPrimaryFlightSelection(Instrument& z) {
  runMenu(z, {"Primary flight selection", PrimaryFlightEntries, MenuLayout::Centred});
  saveAllSettings(z);
}

// "Technical items" comes last: without the extended setup the menu ends before it.
constexpr MenuEntry SystemSetupEntries[] = {
    {"Mode and units setup", nullptr, openModeSetup},
    {"Basic operation setup", nullptr, openBasicSetup},
    {"Move screen items", nullptr, moveScreenItems},
    {"Enable screen items", nullptr, enableScreenItems},
    {"Primary flight selection", nullptr, openPrimaryFlightSelection},
    {"Engine type quick select", nullptr, engineQuickSelect},
    {"Engine detail setup", nullptr, openEngineSetup},
    {"Rotor craft setup", nullptr, openRotorSetup},
    {"Alarm enable setup", nullptr, alarmEnableSetup},
    {"Sender setup", nullptr, openSenderSetup},
    {"Fuel tank/level sender 1", nullptr, fuelTank1},
    {"Fuel tank/level sender 2", nullptr, fuelTank2},
    {"Calibration", nullptr, openCalibrationMenu},
    {"Probe trouble shooter", nullptr, probeTroubleShooter},
    {"Technical items", nullptr, technicalMenu},
};

void openSystemSetup(Instrument& z) {
  const std::span<const MenuEntry> all(SystemSetupEntries);
  runMenu(z, {"System setup", z.tick.extendedSetup ? all : all.first(all.size() - 1), MenuLayout::Centred});
}

// ------------------------------------------------------------- Horizon and compass

constexpr MenuEntry HorizonSetupEntries[] = {
    {"Set Bump factor", nullptr, bumpFactorList},
    {"Set Slew factor", nullptr, slewFactorList},
    {"Attitude mode: ", showAttitudeMode, attitudeModeCommand},
    {"Set inclination", nullptr, inclinationDialog},
    {"SV-5 Turnrate  ", showTurnRateSource},
    {"Set Slip zero  ", nullptr, setSlipZero},
};

void openHorizonSetup(Instrument& z) {
  runMenu(z, {"Horizon setup", HorizonSetupEntries, MenuLayout::Centred});
}

void showHeadingMode(Instrument& z, ShortText& value) {
  value.assign(z.settings.testOption(option::HeadingTrue) ? "True" : "Magnetic");
}

void toggleHeadingMode(Instrument& z) { z.settings.toggleOption(option::HeadingTrue); }

constexpr int VariationLimit = 180;

// Degrees with E for east (negative), W for west.
void showLocalVariation(Instrument& z, ShortText& value) {
  const int v = z.settings.magneticVariation;
  value = decimalText(static_cast<std::uint32_t>(std::abs(v)));
  value.push(v < 0 ? 'E' : 'W');
}

void changeLocalVariation(Instrument& z) {
  std::int16_t& v = z.settings.magneticVariation;
  v = static_cast<std::int16_t>(nudge(z, v, -VariationLimit, VariationLimit));
}

constexpr MenuEntry CompassSetupEntries[] = {
    {" Heading mode:           ", showHeadingMode, toggleHeadingMode},
    {" Local Variation:        ", showLocalVariation, Edit, changeLocalVariation, changeLocalVariation},
    {" Tilt compensation mode: ", showTiltMode, tiltCompensationMode},
    {" Enter Deviation SET mode", nullptr, deviationCompensation},
    {" Clear deviation calib. ", nullptr, clearDeviation},
    {" Set North ", nullptr, setNorth},
    {" Set South ", nullptr, setSouth},
    {" Set East ", nullptr, setEast},
    {" Set West ", nullptr, setWest},
};

void openCompassSetup(Instrument& z) {
  runMenu(z, {"Compass setup", CompassSetupEntries, MenuLayout::Plain});
  saveAllSettings(z);
}

constexpr MenuEntry HorizonCompassEntries[] = {
    {"Set Horizon items", nullptr, openHorizonSetup},
    {"Set Compass items", nullptr, openCompassSetup},
};

void openHorizonCompassSetup(Instrument& z) {
  runMenu(z, {"Horizon and Compass setup", HorizonCompassEntries, MenuLayout::Centred});
}

// ------------------------------------------------------------- Main Menu

constexpr MenuEntry MainMenuEntries[] = {
    {"Flight: ", showFlightState, startOrEndFlight},
    {"Pilot for Flight log: ", showPilotNumber, Direct, changePilotNumber, changePilotNumber},
    {"View flight log", nullptr, viewFlightLog},
    {"", showRangeLine, Direct, changeAssumedSpeed, changeAssumedSpeed},
    {"FuelLevel Calc.: ", showFuelLevelCalc, Direct, changeFuelLevelCalc, changeFuelLevelCalc},
    {"Fuel Accu: ", showFuelAccu, zeroFuelAccu},
    {"", showStopwatch, Direct, toggleStopwatch, zeroStopwatch},
    {"Reset distance counter", nullptr, resetDistanceCounter},
    {"", showTakeoffDistance, armTakeoffDistance},
    {"Horizon & Compass setup", nullptr, openHorizonCompassSetup},
    {"Aircraft setup", nullptr, aircraftSetup},
    {"System setup", nullptr, openSystemSetup},
};

}  // namespace

void openMainMenu(Instrument& z) {
  z.menus.assumedSpeed = z.air.trueAirspeed;
  runMenu(z, {"Main Menu", MainMenuEntries, MenuLayout::Centred});
  saveSettingsItem(z, settings_item::PilotNumber, &z.settings.pilotNumber, sizeof z.settings.pilotNumber);
}

}  // namespace zen
