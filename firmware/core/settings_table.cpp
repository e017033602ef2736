#include "firmware/core/settings_table.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "firmware/instruments/default_layout.h"
#include "hardware/hardware.h"

namespace zen {

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes u8(std::initializer_list<unsigned> values) {
  Bytes out;
  for (unsigned v : values) out.push_back(static_cast<std::uint8_t>(v));
  return out;
}

Bytes u16(std::initializer_list<unsigned> values) {
  Bytes out;
  for (unsigned v : values) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  return out;
}

Bytes u32(std::uint32_t v) {
  return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
}

Bytes zeros(std::size_t count) { return Bytes(count, 0); }

// Length byte, the characters, then zero padding to the 6-character slot.
Bytes shortText(std::string_view text) {
  Bytes out(7, 0);
  out[0] = static_cast<std::uint8_t>(text.size());
  for (std::size_t i = 0; i < text.size() && i < 6; ++i) out[1 + i] = static_cast<std::uint8_t>(text[i]);
  return out;
}

Bytes locations(const std::array<ItemLocation, PanelItemCount>& table) {
  Bytes out;
  for (const ItemLocation& l : table) {
    out.push_back(l.column);
    out.push_back(l.row);
  }
  return out;
}

// Defaults as stored, one entry per item.
std::array<Bytes, SettingsItemCount> makeDefaults() {
  return {
      u8({0}),                                                          // 0 altimeter offset
      u8({100}),                                                        // 1 airspeed factor %
      u16({500}),                                                       // 2 airspeed zero
      u16({2048}),                                                      // 3 climb zero
      u16({100}),                                                       // 4 climb factor %
      u8({0}),                                                          // 5 manifold offset
      u8({0}),                                                          // 6 temperature offset
      u32(0x0000C2FF),                                                  // 7 option bits 0..7, 9, 14, 15
      u16({7000}),                                                      // 8 fuel flow K-factor
      shortText("ZX-ABC"),                                              // 9 registration
      u8({255}),                                                        // 10 backlight after a key press
      u8({0}),                                                          // 11 tank mode
      u8({2}),                                                          // 12 range tanks: both
      u16({50, 10, 20, 30, 40, 50, 60}),                                // 13 tank 1 calibration
      u16({50, 10, 20, 30, 40, 50, 60}),                                // 14 tank 2 calibration
      u16({1000, 900, 800, 700, 600, 500, 400, 300, 200}),              // 15 programmable probe curve
      u16({2000}),                                                      // 16 engine time RPM
      u16({5500}),                                                      // 17 flight start RPM
      u16({2500}),                                                      // 18
      u16({12000}),                                                     // 19 altitude alarm, ft
      u8({10}),                                                         // 20 tank 1 low level
      u8({10}),                                                         // 21 tank 2 low level
      u8({1}),                                                          // 22 display mode
      u16({30}),                                                        // 23 VS
      u16({60}),                                                        // 24 VF
      u16({100}),                                                       // 25 Vno
      u16({120}),                                                       // 26 Vne
      {},                                                               // 27 altimeter tape scale: kept
      u8({2}),                                                          // 28 airspeed scale
      u8({1}),                                                          // 29 tape resolution
      u8({1}),                                                          // 30 fuel flow scale
      u8({7}),                                                          // 31 rev counter scale
      u8({0}),                                                          // 32 fuel unit
      u16({0}),                                                         // 33 magnetic variation
      u8({1}),                                                          // 34 pilot number
      u16({10}),                                                        // 35 rotor scale
      u16({5800}),                                                      // 36 engine 100 % RPM
      u16({500}),                                                       // 37 rotor 100 % RPM
      u8({85}),                                                         // 38 rotor low alarm %
      u8({110}),                                                        // 39 rotor high alarm %
      zeros(20),                                                        // 40
      u8({2}),                                                          // 41 EGT channels
      u8({2}),                                                          // 42 CHT channels
      u16({650}),                                                       // 43 EGT limit
      u16({250}),                                                       // 44 CHT limit
      u8({20}),                                                         // 45 oil pressure low
      u8({80}),                                                         // 46 oil pressure high
      u16({80}),                                                        // 47 oil temperature low
      u16({135}),                                                       // 48 oil temperature high
      u8({60}),                                                         // 49 coolant low
      u8({95}),                                                         // 50 coolant high
      u8({60}),                                                         // 51 pulses setting
      u8({0, 0, 0, 0, 2, 2, 3, 2}),                                     // 52 probe types
      u8({4}),                                                          // 53 oil pressure sender
      u16({65535}),                                                     // 54 alarm enables
      u8({3}),                                                          // 55 manifold unit
      u8({0}),                                                          // 56 manifold range
      u16({100}),                                                       // 57 oil pressure scale
      u8({80}),                                                         // 58 fuel pressure range
      u8({20}),                                                         // 59 fuel pressure low alarm
      u16({0}),                                                         // 60
      zeros(16),                                                        // 61
      locations(defaultPage1Locations()),                               // 62
      locations(defaultPage2Locations()),                               // 63
      Bytes(defaultItemOptions().begin(), defaultItemOptions().end()),  // 64
  };
}

const std::array<Bytes, SettingsItemCount>& defaults() {
  static const std::array<Bytes, SettingsItemCount> table = makeDefaults();
  return table;
}

}  // namespace

const SettingsItem& settingsItem(int item) {
  if (item < 0 || item >= SettingsItemCount) throw HardwareFault("no settings item " + std::to_string(item));
  return SettingsItemTable[item];
}

std::span<std::uint8_t> itemBytes(Settings& settings, int item) {
  const SettingsItem& entry = settingsItem(item);
  return {reinterpret_cast<std::uint8_t*>(&settings) + entry.offset, entry.size};
}

std::span<const std::uint8_t> itemBytes(const Settings& settings, int item) {
  const SettingsItem& entry = settingsItem(item);
  return {reinterpret_cast<const std::uint8_t*>(&settings) + entry.offset, entry.size};
}

std::span<const std::uint8_t> itemDefault(int item) {
  settingsItem(item);
  return defaults()[item];
}

}  // namespace zen
