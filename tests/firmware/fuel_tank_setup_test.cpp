// The fuel tank dialog keyed in from the panel: live sender readings taken
// into the calibration points, the slope check on leaving, the refusal in
// flight, and the tank gauge's quantity afterwards.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "firmware/core/option_bits.h"
#include "firmware/instruments/display_format.h"
#include "tests/firmware/menu_rig.h"

namespace zen {
namespace {

using test::MenuRig;
using test::Shot;
using test::trimmed;

constexpr int LevelSender1Bar = 18;
const std::string Litres = "\xA2";
constexpr std::string_view OpenTank1 = "M P S PPPP S";
using Points = std::array<std::uint16_t, 6>;

// The engine unit on, its flight detection off (its standing engine would
// start a flight); capacity 60 (ten "+" from the default 50), then each point
// takes the sender's reading.
void calibrate(MenuRig& rig, const Points& points) {
  rig.z.e2.bytes[SettingsItemTable[7].address] &= ~(1u << option::AutoFlightDetect);
  rig.host.switchEngineUnit(0, true);
  rig.keys(OpenTank1).keys("++++++++++");
  for (std::uint16_t reading : points) {
    rig.host.setEngineBar(rig.t, LevelSender1Bar, reading);
    rig.wait(1500).keys("N S");
  }
}

Points savedPoints(const MenuRig& rig) {
  const auto item = rig.savedItem(13);
  Points p{};
  if (item.size() != 14) return p;
  for (std::size_t k = 0; k < p.size(); ++k)
    p[k] = static_cast<std::uint16_t>(item[2 + 2 * k] | item[3 + 2 * k] << 8);
  return p;
}

constexpr Points DefaultPoints{10, 20, 30, 40, 50, 60};

struct SlopeCase {
  std::string name;
  Points points;
  std::string errorKey;  // on the slope error screen; empty when the table passes
};

TEST(FuelTankSetup, SlopeCheckOnLeaving) {
  const SlopeCase cases[] = {
      {"rising", {100, 200, 300, 400, 500, 600}, ""},
      {"falling", {3000, 2500, 2000, 1500, 1000, 500}, ""},
      {"flat step dropped", {100, 200, 200, 400, 500, 600}, "S"},
      {"all zero dropped", {0, 0, 0, 0, 0, 0}, "S"},
      {"flat step kept for correction", {100, 200, 200, 400, 500, 600}, "N"},
  };
  for (const SlopeCase& c : cases) {
    SCOPED_TRACE(c.name);
    MenuRig rig;
    calibrate(rig, c.points);
    const int dialog = rig.capture();
    const int left = rig.keys("M").capture();
    const int after = rig.keys(c.errorKey).capture();
    const bool kept = c.errorKey == "N";
    if (!kept) rig.keys("M M");
    rig.run();

    const Shot& d = rig.shot(dialog);
    EXPECT_EQ(d.row(0).text, " Fuel tank 1 setup. Sender reads " + rightJustified(c.points[5], 4).str());
    EXPECT_EQ(d.row(4).text, " Fuel tank 1 capacity: 60" + Litres);
    EXPECT_EQ(d.row(8).text,
              " Level sender reading at 12" + Litres + " is " + rightJustified(c.points[1], 4).str());
    EXPECT_EQ(d.row(26).text, " reading to calibration point");
    EXPECT_EQ(trimmed(rig.shot(left).row(6)) == "Slope error - press select to cancel", !c.errorKey.empty());
    if (kept) {
      EXPECT_EQ(trimmed(rig.shot(after).row(0)), "Fuel tank 1 setup. Sender reads  600");
      for (std::size_t k = 0; k < 6; ++k) EXPECT_EQ(rig.z.settings.tank1Calibration[k + 1], c.points[k]);
      continue;
    }
    EXPECT_EQ(trimmed(rig.shot(after).row(0)), "System setup");
    EXPECT_EQ(savedPoints(rig), c.errorKey.empty() ? c.points : DefaultPoints);
    EXPECT_EQ(rig.z.air.levelSmoothing, 1);  // smoothing again whichever way the dialog was left
  }
}

TEST(FuelTankSetup, TankGaugeFollowsTheNewCalibrationAtOnce) {
  MenuRig rig;
  calibrate(rig, {100, 200, 300, 400, 500, 600});
  rig.host.setEngineBar(rig.t, LevelSender1Bar, 250);
  rig.wait(1500).keys("M M M").wait(1000);
  std::uint16_t contents = 0;
  rig.host.at(rig.t, [&] { contents = rig.z.air.tank1Contents; });
  rig.run();
  EXPECT_EQ(contents, 18);  // a fifth of 60 litres plus half of the next fifth
}

TEST(FuelTankSetup, RefusedInFlightSelectionWrapsCapacityClamped) {
  struct Case {
    std::string keys;  // inside the dialog
    bool inFlight;
    std::uint16_t capacity;  // before
    int row;
    std::string text;  // trimmed
    std::uint16_t capacityAfter;
  } cases[] = {
      {"", true, 50, 3, "This function is not", 50},
      {"+", true, 50, 0, "System setup", 50},
      {"- - -", false, 7, 4, "Fuel tank 1 capacity: 5" + Litres, 5},
      {"+ +", false, 998, 4, "Fuel tank 1 capacity: 999" + Litres, 999},
      {"S", false, 50, 4, "Fuel tank 1 capacity: 50" + Litres, 50},  // nothing to transfer
      {"P", false, 100, 16, "Level sender reading at 100" + Litres + " is   60", 100},
      {"P N", false, 50, 20, "Use +/- to change fuel tank capacity", 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("keys " + c.keys);
    MenuRig rig;
    rig.z.e2.write(SettingsItemTable[13].address,
                   std::span(reinterpret_cast<const std::uint8_t*>(&c.capacity), 2));
    if (c.inFlight) rig.host.at(rig.t - 100, [&] { rig.z.time.qnh.inFlight = 1; });
    const int shot = rig.keys(OpenTank1).keys(c.keys).capture();
    rig.run();
    EXPECT_EQ(trimmed(rig.shot(shot).row(c.row)), c.text);
    EXPECT_EQ(rig.z.settings.tank1Calibration[0], c.capacityAfter);
    EXPECT_EQ(rig.z.air.levelSmoothing, c.inFlight ? 1 : 0);
  }
}

}  // namespace
}  // namespace zen
