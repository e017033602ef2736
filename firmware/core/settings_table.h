// Where each of the 65 settings items lives: in the E2 image (address, size)
// and in the firmware's working copy (a byte offset into Settings).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "firmware/core/settings.h"

namespace zen {

inline constexpr int SettingsItemCount = 65;

struct SettingsItem {
  std::uint16_t size = 0;
  std::uint16_t address = 0;       // sum of the sizes of the items before it
  std::uint16_t offset = 0;        // of the working variable inside Settings
  bool keepsCurrentValue = false;  // building from defaults leaves the variable's value
};

namespace settings_table_detail {

struct Row {
  std::uint16_t size;
  std::size_t offset;
  std::size_t fieldSize;
};

inline constexpr std::size_t EgtCountOffset = offsetof(Settings, item40) + offsetof(Item40Block, egtCount);

// Sizes are written out as the image defines them; fieldSize lets the
// compiler check them against the working variables.
#define ZEN_ITEM(size, field) \
  Row { size, offsetof(Settings, field), sizeof(Settings::field) }
inline constexpr std::array<Row, SettingsItemCount> Rows{{
    ZEN_ITEM(1, altimeterOffset),                           // 0
    ZEN_ITEM(1, airspeedFactor),                            // 1
    ZEN_ITEM(2, airspeedZero),                              // 2
    ZEN_ITEM(2, climbZero),                                 // 3
    ZEN_ITEM(2, climbFactor),                               // 4
    ZEN_ITEM(1, manifoldOffset),                            // 5
    ZEN_ITEM(1, temperatureOffset),                         // 6
    ZEN_ITEM(4, optionBits),                                // 7
    ZEN_ITEM(2, flowKFactor),                               // 8
    ZEN_ITEM(7, registration),                              // 9
    ZEN_ITEM(1, backlightSetting),                          // 10
    ZEN_ITEM(1, tankMode),                                  // 11
    ZEN_ITEM(1, rangeTanks),                                // 12
    ZEN_ITEM(14, tank1Calibration),                         // 13
    ZEN_ITEM(14, tank2Calibration),                         // 14
    ZEN_ITEM(18, userProbeCurve),                           // 15
    ZEN_ITEM(2, engineTimeRpm),                             // 16
    ZEN_ITEM(2, flightStartRpm),                            // 17
    ZEN_ITEM(2, item18),                                    // 18
    ZEN_ITEM(2, altitudeAlarm),                             // 19
    ZEN_ITEM(1, tank1LowLevel),                             // 20
    ZEN_ITEM(1, tank2LowLevel),                             // 21
    ZEN_ITEM(1, displayMode),                               // 22
    ZEN_ITEM(2, stallSpeed),                                // 23
    ZEN_ITEM(2, flapSpeed),                                 // 24
    ZEN_ITEM(2, manoeuvringSpeed),                          // 25
    ZEN_ITEM(2, neverExceedSpeed),                          // 26
    ZEN_ITEM(1, altScale),                                  // 27
    ZEN_ITEM(1, asiScale),                                  // 28
    ZEN_ITEM(1, tapeResolution),                            // 29
    ZEN_ITEM(1, flowScale),                                 // 30
    ZEN_ITEM(1, rpmScale),                                  // 31
    ZEN_ITEM(1, fuelUnit),                                  // 32
    ZEN_ITEM(2, magneticVariation),                         // 33
    ZEN_ITEM(1, pilotNumber),                               // 34
    ZEN_ITEM(2, rotorScale),                                // 35
    ZEN_ITEM(2, engineRpmFull),                             // 36
    ZEN_ITEM(2, rotorRpmFull),                              // 37
    ZEN_ITEM(1, rotorLowAlarm),                             // 38
    ZEN_ITEM(1, rotorHighAlarm),                            // 39
    ZEN_ITEM(20, item40),                                   // 40, ends with egtCount
    Row{1, EgtCountOffset, sizeof(Item40Block::egtCount)},  // 41
    ZEN_ITEM(1, chtCount),                                  // 42
    ZEN_ITEM(2, egtLimit),                                  // 43
    ZEN_ITEM(2, chtLimit),                                  // 44
    ZEN_ITEM(1, oilPressureLow),                            // 45
    ZEN_ITEM(1, oilPressureHigh),                           // 46
    ZEN_ITEM(2, oilTempLow),                                // 47
    ZEN_ITEM(2, oilTempHigh),                               // 48
    ZEN_ITEM(1, coolantLow),                                // 49
    ZEN_ITEM(1, coolantHigh),                               // 50
    ZEN_ITEM(1, pulsesSetting),                             // 51
    ZEN_ITEM(8, probeTypes),                                // 52
    ZEN_ITEM(1, oilSenderType),                             // 53
    ZEN_ITEM(2, alarmEnables),                              // 54
    ZEN_ITEM(1, mapUnit),                                   // 55
    ZEN_ITEM(1, mapRange),                                  // 56
    ZEN_ITEM(2, oilPressureScale),                          // 57
    ZEN_ITEM(1, fuelPressureRange),                         // 58
    ZEN_ITEM(1, fuelPressureLowAlarm),                      // 59
    ZEN_ITEM(2, item60),                                    // 60
    ZEN_ITEM(16, item61),                                   // 61
    ZEN_ITEM(158, page1Locations),                          // 62
    ZEN_ITEM(158, page2Locations),                          // 63
    ZEN_ITEM(79, itemOptions),                              // 64
}};
#undef ZEN_ITEM

constexpr bool sizesMatchFields() {
  for (const Row& r : Rows)
    if (r.size != r.fieldSize) return false;
  return true;
}
static_assert(sizesMatchFields(), "an item size differs from its working variable");

constexpr std::array<SettingsItem, SettingsItemCount> build() {
  std::array<SettingsItem, SettingsItemCount> table{};
  std::uint16_t address = 0;
  for (int n = 0; n < SettingsItemCount; ++n) {
    table[n].size = Rows[n].size;
    table[n].address = address;
    table[n].offset = static_cast<std::uint16_t>(Rows[n].offset);
    table[n].keepsCurrentValue = (n == 27);  // the altimeter tape scale survives a reset
    address = static_cast<std::uint16_t>(address + Rows[n].size);
  }
  return table;
}

}  // namespace settings_table_detail

inline constexpr std::array<SettingsItem, SettingsItemCount> SettingsItemTable =
    settings_table_detail::build();
inline constexpr std::size_t imageLength = SettingsItemTable[64].address + SettingsItemTable[64].size;

// Other programs and real instruments rely on these addresses.
static_assert(SettingsItemTable[9].address == 16);
static_assert(SettingsItemTable[41].address == 128);
static_assert(SettingsItemTable[62].address == 178);
static_assert(SettingsItemTable[63].address == 336);
static_assert(SettingsItemTable[64].address == 494);
static_assert(imageLength == 573);

// Items the firmware saves or restores on their own.
namespace settings_item {
inline constexpr int Registration = 9;
inline constexpr int Tank1Calibration = 13;
inline constexpr int Tank2Calibration = 14;
inline constexpr int PilotNumber = 34;
inline constexpr int EngineBlockFirst = 41;  // EGT channels ..
inline constexpr int EngineBlockLast = 53;   // .. oil pressure sender: an engine preset's settings
inline constexpr int AlarmEnables = 54;
inline constexpr int ItemOptions = 64;
}  // namespace settings_item

// Throws HardwareFault for an item number outside 0..64.
const SettingsItem& settingsItem(int item);

// The item's working variable as the bytes the image stores.
std::span<std::uint8_t> itemBytes(Settings& settings, int item);
std::span<const std::uint8_t> itemBytes(const Settings& settings, int item);

// The item's default as stored; empty for an item that keeps its current value.
std::span<const std::uint8_t> itemDefault(int item);

}  // namespace zen
