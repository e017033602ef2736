// Horizon setup and Compass setup keyed in from the panel: the screens, the
// command each entry hands to the sensor, and the working values it keeps.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/firmware/menu_rig.h"

namespace zen {
namespace {

using test::MenuRig;
using test::trimmed;
using Command = SensorCommand;

void inclinationReply(Instrument& z) {
  z.sensorSetup.inclination = -3;
  z.sensorSetup.inclinationReady = 1;
}

void sensorOnWithSlip(Instrument& z) {
  z.attitude.attitudeSensorOn = 1;
  z.attitude.attitudeAlive = 255;
  z.attitude.slipValue = 7;
}

TEST(CompassHorizon, EntriesScreensAndSensorCommands) {
  const std::string horizon = "M PPP S S ", compass = "M PPP S N S ";
  const struct {
    std::string keys;
    int row;
    std::string text;  // trimmed
    Command command = Command::None;
    std::uint16_t value = 0;
    std::function<void(Instrument&)> before = {};  // while the panel shows
    std::function<void(Instrument&)> during = {};  // after the keys, then `more`
    std::string more = "";
    int slipZero = 0;
  } cases[] = {
      {horizon + "S N", 2, "Bump low"},
      {horizon + "S P S", 4, "Set Bump factor", Command::BumpFactor, 50},  // Prev stays on the first
      {horizon + "S NN S", 0, "Horizon setup", Command::BumpFactor, 200},
      {horizon + "N S NNNNNN S", 0, "Horizon setup", Command::SlewFactor, 500},  // stops at the fifth
      {horizon + "NN S", 8, "Attitude mode: Mattitude", Command::AttitudeMode, 0,
       [](Instrument& z) { z.attitude.sensorStatus = AidedAttitudeBit; }},
      {horizon + "NNN S", 10, "Inclination = -3 degrees", Command::None, 0, {}, inclinationReply},
      {horizon + "P S", 0, "Horizon setup", Command::None, 0, sensorOnWithSlip, {}, "", 7},
      {horizon + "P S", 0, "Horizon setup", Command::None, 0,
       [](Instrument& z) { z.attitude.slipValue = 7; }},
      {compass + "NN SSS", 8, "Tilt compensation mode: 2D", Command::TiltMode, 1},  // from "3D Gyro"
      {compass + "NNN S", 5, "any other key to cancel..."},
      {compass + "NNN S M", 0, "Compass setup"},  // no command at the question
      {compass + "NNN S +", 8, "EW:         0", Command::DeviationStart},
      {compass + "NNN S + M", 0, "Compass setup", Command::DeviationCancel},
      {compass + "NNN S + +", 0, "Compass setup", Command::DeviationFinish},  // with or without headings
      {compass + "NNNN S +", 0, "Compass setup", Command::DeviationZero},
      {compass + "P S", 0, "Compass setup", Command::SetWest},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("keys " + c.keys + " " + c.more);
    MenuRig rig;
    if (c.before) rig.host.at(rig.t - 100, [&] { c.before(rig.z); });
    rig.keys(c.keys);
    if (c.during) rig.host.at(rig.t, [&] { c.during(rig.z); });
    const int shot = rig.wait(600).keys(c.more).capture();
    rig.run();
    EXPECT_EQ(trimmed(rig.shot(shot).row(c.row)), c.text);
    const SensorSetupState& sent = rig.z.sensorSetup;
    EXPECT_EQ(sent.lastCommand, c.command);
    EXPECT_EQ(sent.lastCommandValue, c.value);
    EXPECT_EQ(rig.z.attitude.slipZero, c.slipZero);
  }
}

}  // namespace
}  // namespace zen
