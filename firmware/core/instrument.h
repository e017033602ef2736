// One simulated instrument: its hardware and every firmware variable, so a
// test builds a fresh, all-zero instrument in one line.
#pragma once

#include <cstring>
#include <type_traits>

#include "firmware/core/engine_data.h"
#include "firmware/core/firmware_state.h"
#include "firmware/core/host_interface.h"
#include "firmware/core/settings.h"
#include "firmware/core/timekeeping.h"
#include "firmware/instruments/air_data_state.h"
#include "firmware/instruments/flight_state.h"
#include "firmware/instruments/gauge_state.h"
#include "firmware/instruments/panel_state.h"
#include "firmware/menus/menu_state.h"
#include "firmware/menus/sensor_commands.h"
#include "hardware/hardware.h"
#include "hardware/screen.h"

namespace zen {

struct Instrument {
  explicit Instrument(Host& h) : host(&h) {}
  Instrument(const Instrument&) = delete;
  Instrument& operator=(const Instrument&) = delete;

  // Takes every hardware and firmware variable of another instrument and
  // keeps its own host: a fuzzer copies one switched-on instrument per input
  // instead of switching on again.
  void copyStateFrom(const Instrument& other);

  Host* host;

  // Simulated hardware.
  Screen screen;
  std::uint8_t keyBits = 0;  // one bit per bezel key, 0 = pressed
  SettingsImage e2;
  ClockRam rtc;
  bool keepE2File = false;  // e2.rom exists but could not be read: it is never replaced
  AnalogChannels adc;
  SimulatorInputs sim;

  // Firmware.
  Settings settings;
  TickState tick;
  MainState main;
  KeyScannerState keys;
  DisplayState display;
  AttitudeState attitude;
  EngineData engine;
  Timekeeping time;
  PanelState panel;
  AirDataState air;
  GaugeState gauges;
  MenuState menus;
  FlightState flight;
  SensorSetupState sensorSetup;
  std::uint8_t linkRxState = 0;
  std::array<std::uint8_t, 158> transferBuffer{};  // one settings item on its way over the link
};

// All plain data, so a byte copy is a whole copy.
static_assert(std::is_trivially_copyable_v<Instrument>);

inline void Instrument::copyStateFrom(const Instrument& other) {
  Host* const own = host;
  std::memcpy(static_cast<void*>(this), &other, sizeof *this);
  host = own;
}

}  // namespace zen
