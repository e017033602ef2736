// Instruments whose panels differ from the defaults and from each other, for
// tests that move panels between files, images and instruments.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/panel.h"

namespace zen::test {

inline std::vector<std::uint8_t> itemValue(const Instrument& z, int item) {
  const auto bytes = itemBytes(z.settings, item);
  return {bytes.begin(), bytes.end()};
}

inline std::vector<std::vector<std::uint8_t>> allItems(const Instrument& z) {
  std::vector<std::vector<std::uint8_t>> items;
  for (int n = 0; n < SettingsItemCount; ++n) items.push_back(itemValue(z, n));
  return items;
}

// The defaults, loaded as a fresh instrument with e2.rom from defaults would.
inline void loadDefaults(Instrument& z) {
  buildImageFromDefaults(z, true);
  loadAllSettings(z);
}

// A panel that differs from the defaults in every kind of item, positions on screen.
inline void makeSamplePanel(Instrument& z) {
  loadDefaults(z);
  Settings& s = z.settings;
  s.optionBits ^= 0x00010420;
  s.flowKFactor = 6543;
  s.registration = {5, {'D', '-', 'E', 'X', 'Y', 0}};
  s.tank1Calibration[0] = 80;
  s.item18 = 1234;
  s.fuelUnit = 3;
  s.item40.spare.fill(0x11);
  s.egtCount() = 6;
  s.chtCount = 13;
  s.pulsesSetting = 40;
  s.item61.fill(0x5A);
  std::rotate(s.itemOptions.begin(), s.itemOptions.begin() + 5, s.itemOptions.end());
  for (int item = 0; item < PanelItemCount; ++item) {
    s.page1Locations[item] = {static_cast<std::uint8_t>(item % 20), static_cast<std::uint8_t>(item)};
    s.page2Locations[item] = {static_cast<std::uint8_t>(item % 7), static_cast<std::uint8_t>(2 * item)};
  }
  clampItemPositions(z);
}

// Sensor calibration (items 0..6) of one particular instrument.
inline void makeOwnCalibration(Instrument& z) {
  Settings& s = z.settings;
  s.altimeterOffset = -7;
  s.airspeedFactor = 97;
  s.airspeedZero = 512;
  s.climbZero = 2100;
  s.climbFactor = 105;
  s.manifoldOffset = 3;
  s.temperatureOffset = -2;
}

}  // namespace zen::test
