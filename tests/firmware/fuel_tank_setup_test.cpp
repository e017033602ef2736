// The fuel tank dialog keyed in from the panel: live sender readings taken
// into the calibration points, the slope check on leaving, the refusal in
// flight, and the tank gauge's quantity afterwards.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "firmware/core/option_bits.h"
#include "tests/firmware/menu_rig.h"

namespace zen {
namespace {

using test::MenuRig;
using test::trimmed;
using Points = std::array<std::uint16_t, 6>;

constexpr int LevelSender1Bar = 18;
const std::string Litres = "\xA2";
constexpr std::string_view OpenTank1 = "M P S PPPP S";

// The engine unit on, its flight detection off (its standing engine would
// start a flight); pilot 2 chosen on the way (saved only when the Main Menu
// closes); capacity 60 (ten "+" from the default 50), each point takes the
// sender's reading, and the sender ends at 250.
void calibrate(MenuRig& rig, const Points& points) {
  rig.z.e2.bytes[SettingsItemTable[7].address] &= ~(1u << option::AutoFlightDetect);
  rig.host.switchEngineUnit(0, true);
  rig.keys("M N + PP S PPPP S").keys("++++++++++");
  for (std::uint16_t reading : points) {
    rig.host.setEngineBar(rig.t, LevelSender1Bar, reading);
    rig.wait(1500).keys("N S");
  }
  rig.host.setEngineBar(rig.t, LevelSender1Bar, 250);
  rig.wait(1500);
}

TEST(FuelTankSetup, SlopeCheckOnLeavingAndTheGaugeAfter) {
  const struct {
    Points points;
    std::string errorKey;  // on the slope error screen; none when the table passes
    int contents;          // litres shown at 250 once back on the panel
  } cases[] = {
      {{100, 200, 300, 400, 500, 600}, "", 18},  // a fifth of 60 plus half the next fifth
      {{3000, 2500, 2000, 1500, 1000, 500}, "", 60},
      {{100, 200, 200, 400, 500, 600}, "S", 50},  // dropped: the stored table again
      {{0, 0, 0, 0, 0, 0}, "S", 50},              // a fresh table is no table
      {{100, 200, 200, 400, 500, 600}, "N", 0},   // back for correction
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.points[0]) + " key " + c.errorKey);
    MenuRig rig;
    calibrate(rig, c.points);
    const int left = rig.keys("M").capture();
    const int after = rig.keys(c.errorKey).capture();
    std::uint16_t contents = 0;
    rig.keys("M M").wait(1000).host.at(rig.t, [&] { contents = rig.z.air.tank1Contents; });
    rig.run();
    EXPECT_EQ(trimmed(rig.shot(left).row(6)) == "Slope error - press select to cancel", !c.errorKey.empty());
    if (c.errorKey == "N") {
      EXPECT_EQ(rig.z.settings.tank1Calibration[3], 200);  // kept, and the dialog still open
      EXPECT_EQ(trimmed(rig.shot(after).row(0)), "Fuel tank 1 setup. Sender reads  250");
      continue;
    }
    const auto saved = rig.savedItem(13);
    EXPECT_EQ(saved.at(6) | saved.at(7) << 8,
              c.errorKey.empty() ? c.points[2] : 30);  // 30: the stored default
    EXPECT_EQ(rig.z.air.levelSmoothing, 1);            // whichever way the dialog was left
    EXPECT_EQ(contents, c.contents);                   // from the current reading at once
    EXPECT_EQ(rig.savedItem(settings_item::PilotNumber), std::vector<std::uint8_t>{2});
  }
}

TEST(FuelTankSetup, RefusedInFlightCapacityClampedSelectionWraps) {
  const struct {
    std::string keys;  // inside the dialog
    bool inFlight;
    std::uint16_t capacity;
    int row;
    std::string text;  // trimmed
  } cases[] = {
      {"", true, 50, 3, "This function is not"},
      {"- - -", false, 7, 4, "Fuel tank 1 capacity: 5" + Litres},
      {"+ + S", false, 998, 4, "Fuel tank 1 capacity: 999" + Litres},
      {"P", false, 100, 16, "Level sender reading at 100" + Litres + " is   60"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("keys " + c.keys);
    MenuRig rig;
    rig.z.e2.write(SettingsItemTable[13].address,
                   std::span(reinterpret_cast<const std::uint8_t*>(&c.capacity), 2));
    if (c.inFlight) rig.host.at(rig.t - 100, [&] { rig.z.time.qnh.inFlight = 1; });
    const int shot = rig.keys(OpenTank1).keys(c.keys).capture();
    rig.run();
    EXPECT_EQ(trimmed(rig.shot(shot).row(c.row)), c.text);
    EXPECT_EQ(rig.z.air.levelSmoothing, c.inFlight ? 1 : 0);  // raw readings only inside the dialog
  }
}

}  // namespace
}  // namespace zen
