// The live flight tool lines of the Main Menu.
#include "firmware/menus/flight_tools.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "tests/firmware/menu_rig.h"

namespace zen {
namespace {

using test::MenuRig;
using test::trimmed;

TEST(FlightTools, RangeLineNeedsFlowAndEngineData) {
  struct Case {
    std::uint8_t rangeTanks;
    std::uint16_t flow;
    std::uint8_t alive;
    std::uint32_t speedOptions;  // bits 2 and 3
    std::string text;
  };
  // 100 mph assumed; tanks of 30 and 10 litres.
  const Case cases[] = {
      {0, 300, 6, 0b0100, "Range at 100\x9f is 1000\xac"},  // 30 l x 100 / 300 = 10 h
      {1, 300, 6, 0b0100, "Range at 100\x9f is  333\xac"},
      {2, 400, 6, 0b1000, "Range at 160\xa9 is 1609\xa7"},  // km/h and km
      {2, 400, 6, 0b0000, "Range at  86\xa6 is  869\xa8"},  // knots and nm
      {0, 300, 0, 0b0100, "Range at 100\x9f is   ??\xac"},
  };
  for (const Case& c : cases) {
    MenuRig rig(MenuRig::Start::Bare);
    Instrument& z = rig.z;
    z.settings.optionBits = c.speedOptions;
    z.settings.rangeTanks = c.rangeTanks;
    z.menus.assumedSpeed = 100;
    z.air.tank1Contents = 30, z.air.tank2Contents = 10;
    z.engine.fuelFlow = c.flow, z.engine.engineUnitAlive = c.alive;
    ShortText value;
    showRangeLine(z, value);
    EXPECT_EQ(value.str(), c.text) << int(c.rangeTanks) << " " << c.flow;
  }
}

// Turbine sender of 7000 pulses a litre (the defaults); the trip record in
// the clock holds the litres left, 3 used and an air distance.
TEST(FlightTools, FuelAndDistanceLinesChangeAndStoreTheTripRecord) {
  struct Case {
    std::string keys;
    std::uint32_t litresLeft;
    int line;
    std::string text;
    std::uint32_t remaining, used, distance;  // pulses, pulses, trip total, as stored
  };
  const Case cases[] = {
      {"M NNNN + +", 12, 4, "FuelLevel Calc.: 14\xa2 +/- to change", 98000, 21000, 5000},
      {"M NNNN S +", 12, 4, "FuelLevel Calc.: 13\xa2 +/- to change", 91000, 21000, 5000},  // no edit mode
      {"M NNNN +", 999, 4, "FuelLevel Calc.: 999\xa2 +/- to change", 6993000, 21000, 5000},
      {"M NNNN -", 0, 4, "FuelLevel Calc.: 0\xa2 +/- to change", 0, 21000, 5000},
      {"M NNNNN", 12, 5, "Fuel Accu: 3\xa2 Zero-press Select", 84000, 21000, 5000},
      {"M NNNNN S", 12, 5, "Fuel Accu: 0\xa2 Zero-press Select", 84000, 0, 5000},
      {"M NNNNNNN S", 12, 7, "Reset distance counter", 84000, 21000, 0},
      {"M NNN - -", 12, 3, "Range at   0\x9f is   ??\xac", 84000, 21000, 5000},  // stays at 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("keys " + c.keys);
    MenuRig rig;
    const TripRecord trip{c.litresLeft * 7000, 5000, 21000, 0};
    rig.z.rtc.write(clock_offset::TripRecordA, {reinterpret_cast<const std::uint8_t*>(&trip), sizeof trip});
    rig.host.setPressureBar(0, 2, 4095 - 500);  // standing still: no air distance
    const int shot = rig.keys(c.keys).capture();
    rig.run(100);
    EXPECT_EQ(trimmed(rig.shot(shot).line(c.line)), c.text);
    TripRecord stored;
    std::memcpy(&stored, &rig.z.rtc.bytes[clock_offset::TripRecordB], sizeof stored);
    EXPECT_EQ(stored.fuelRemaining, c.remaining);
    EXPECT_EQ(stored.fuelUsed, c.used);
    EXPECT_EQ(stored.flightTotal, c.distance);
  }
}

// Without a K-factor the pulses have no volume: both lines say the quantity
// is unknown, and "+" leaves the pulses left as they are.
TEST(FlightTools, FuelLinesWithoutAKFactorAreUnknown) {
  for (auto [keys, line, text] : {std::tuple{"M NNNN +", 4, "FuelLevel Calc.: ??\xa2 +/- to change"},
                                  {"M NNNNN", 5, "Fuel Accu: ??\xa2 Zero-press Select"}}) {
    SCOPED_TRACE(keys);
    MenuRig rig;
    loadAllSettings(rig.z);
    rig.z.settings.flowKFactor = 0;
    saveAllSettings(rig.z);
    const TripRecord trip{84000, 0, 21000, 0};
    rig.z.rtc.write(clock_offset::TripRecordA, {reinterpret_cast<const std::uint8_t*>(&trip), sizeof trip});
    const int shot = rig.keys(keys).capture();
    rig.run(100);
    EXPECT_EQ(trimmed(rig.shot(shot).line(line)), text);
    EXPECT_EQ(std::uint32_t{rig.z.time.trip.fuelRemaining}, 84000u);  // a copy: the field is packed
  }
}

}  // namespace
}  // namespace zen
