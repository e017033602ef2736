// The firmware's working copy of its 65 settings items. The settings image
// maps each item onto one of these fields (see settings_table.h); fields are
// stored as the instrument stores them, little-endian.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

namespace zen {

static_assert(std::endian::native == std::endian::little,
              "settings items are copied byte for byte into the little-endian image");

inline constexpr int PanelItemCount = 79;

struct ItemLocation {
  std::uint8_t column = 0;  // 8-pixel units
  std::uint8_t row = 0;     // pixel line of the top edge
};

// Length byte then up to 6 characters.
struct Registration {
  std::uint8_t length = 0;
  std::array<char, 6> chars{};
};

// Item 40 is 20 bytes of working memory whose last byte is the EGT channel
// count (item 41), so loading item 40 writes the count too.
struct Item40Block {
  std::array<std::uint8_t, 19> spare{};
  std::uint8_t egtCount = 0;
};
static_assert(sizeof(Item40Block) == 20);

struct Settings {
  std::int8_t altimeterOffset = 0;                            // 0
  std::uint8_t airspeedFactor = 0;                            // 1
  std::uint16_t airspeedZero = 0;                             // 2
  std::uint16_t climbZero = 0;                                // 3
  std::uint16_t climbFactor = 0;                              // 4
  std::int8_t manifoldOffset = 0;                             // 5
  std::int8_t temperatureOffset = 0;                          // 6
  std::uint32_t optionBits = 0;                               // 7
  std::uint16_t flowKFactor = 0;                              // 8
  Registration registration;                                  // 9
  std::uint8_t backlightSetting = 0;                          // 10
  std::uint8_t tankMode = 0;                                  // 11
  std::uint8_t rangeTanks = 0;                                // 12
  std::array<std::uint16_t, 7> tank1Calibration{};            // 13
  std::array<std::uint16_t, 7> tank2Calibration{};            // 14
  std::array<std::uint16_t, 9> userProbeCurve{};              // 15
  std::uint16_t engineTimeRpm = 0;                            // 16
  std::uint16_t flightStartRpm = 0;                           // 17
  std::uint16_t item18 = 0;                                   // 18, carried only
  std::uint16_t altitudeAlarm = 0;                            // 19
  std::uint8_t tank1LowLevel = 0;                             // 20
  std::uint8_t tank2LowLevel = 0;                             // 21
  std::uint8_t displayMode = 0;                               // 22
  std::uint16_t stallSpeed = 0;                               // 23
  std::uint16_t flapSpeed = 0;                                // 24
  std::uint16_t manoeuvringSpeed = 0;                         // 25
  std::uint16_t neverExceedSpeed = 0;                         // 26
  std::uint8_t altScale = 0;                                  // 27
  std::uint8_t asiScale = 0;                                  // 28
  std::uint8_t tapeResolution = 0;                            // 29
  std::uint8_t flowScale = 0;                                 // 30
  std::uint8_t rpmScale = 0;                                  // 31
  std::uint8_t fuelUnit = 0;                                  // 32
  std::int16_t magneticVariation = 0;                         // 33
  std::uint8_t pilotNumber = 0;                               // 34
  std::uint16_t rotorScale = 0;                               // 35
  std::uint16_t engineRpmFull = 0;                            // 36
  std::uint16_t rotorRpmFull = 0;                             // 37
  std::uint8_t rotorLowAlarm = 0;                             // 38
  std::uint8_t rotorHighAlarm = 0;                            // 39
  Item40Block item40;                                         // 40, and 41 = item40.egtCount
  std::uint8_t chtCount = 0;                                  // 42
  std::uint16_t egtLimit = 0;                                 // 43
  std::uint16_t chtLimit = 0;                                 // 44
  std::uint8_t oilPressureLow = 0;                            // 45
  std::uint8_t oilPressureHigh = 0;                           // 46
  std::uint16_t oilTempLow = 0;                               // 47
  std::uint16_t oilTempHigh = 0;                              // 48
  std::uint8_t coolantLow = 0;                                // 49
  std::uint8_t coolantHigh = 0;                               // 50
  std::uint8_t pulsesSetting = 0;                             // 51
  std::array<std::uint8_t, 8> probeTypes{};                   // 52
  std::uint8_t oilSenderType = 0;                             // 53
  std::uint16_t alarmEnables = 0;                             // 54
  std::uint8_t mapUnit = 0;                                   // 55
  std::uint8_t mapRange = 0;                                  // 56
  std::uint16_t oilPressureScale = 0;                         // 57
  std::uint8_t fuelPressureRange = 0;                         // 58
  std::uint8_t fuelPressureLowAlarm = 0;                      // 59
  std::uint16_t item60 = 0;                                   // 60, carried only
  std::array<std::uint8_t, 16> item61{};                      // 61, carried only
  std::array<ItemLocation, PanelItemCount> page1Locations{};  // 62
  std::array<ItemLocation, PanelItemCount> page2Locations{};  // 63
  std::array<std::uint8_t, PanelItemCount> itemOptions{};     // 64

  std::uint8_t& egtCount() { return item40.egtCount; }
  std::uint8_t egtCount() const { return item40.egtCount; }
  // Only bits 0..31 exist; others read as clear and cannot be toggled.
  bool testOption(int bit) const { return bit >= 0 && bit < 32 && ((optionBits >> bit) & 1u); }
  void toggleOption(int bit) {
    if (bit >= 0 && bit < 32) optionBits ^= (1u << bit);
  }
};

}  // namespace zen
