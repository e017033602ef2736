// Horizon setup and Compass setup keyed in from the panel: the screens, the
// command each entry hands to the sensor, and the working values it keeps.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "link/dispatch.h"
#include "tests/firmware/menu_rig.h"

namespace zen {
namespace {

using test::MenuRig;
using test::trimmed;
using Command = SensorCommand;

// One heading sample as the unit sends it over the link.
void headingFromLink(Instrument& z, std::uint16_t degrees) {
  ReceivedFrame frame;
  frame.type = HeadingFrame;
  frame.data[0] = static_cast<std::uint8_t>(degrees & 0xFF);
  frame.data[1] = static_cast<std::uint8_t>(degrees >> 8);
  frame.dataLength = 2;
  LinkReplies replies;
  dispatchFrame(z, replies, frame);
}

struct SensorCase {
  std::string name;
  std::string keys;
  int row;
  std::string text;  // trimmed
  Command command = Command::None;
  std::uint16_t value = 0;
  std::function<void(Instrument&)> sensor = {};  // while the panel shows
  std::function<void(Instrument&)> during = {};  // after the keys, then `more` keys
  std::string more = "";
  std::function<void(const Instrument&)> check = {};
};

constexpr std::string_view Horizon = "M PPP S S ";
constexpr std::string_view Compass = "M PPP S N S ";

TEST(CompassHorizon, EntriesScreensAndSensorCommands) {
  const auto s = [](std::string_view menu, std::string keys) { return std::string(menu) + keys; };
  const SensorCase cases[] = {
      {"bump list", s(Horizon, "S N"), 2, "Bump low"},
      {"bump Prev stays on the first", s(Horizon, "S P S"), 4, "Set Bump factor", Command::BumpFactor, 50},
      {"bump medium", s(Horizon, "S NN S"), 0, "Horizon setup", Command::BumpFactor, 200},
      {"slew stops at the fifth", s(Horizon, "N S NNNNNN S"), 0, "Horizon setup", Command::SlewFactor, 500},
      {"attitude mode", s(Horizon, "NN S"), 8, "Attitude mode: Mattitude", Command::AttitudeMode, 0,
       [](Instrument& z) { z.attitude.sensorStatus = 0x08; }},
      {"turn rate from the gyro", s(Horizon, ""), 12, "SV-5 Turnrate  Gyro", Command::None, 0,
       [](Instrument& z) { z.attitude.turnRateSource = 2; }},
      {"inclination waits", s(Horizon, "NNN S"), 10, "Waiting for inclination result"},
      {"inclination result",
       s(Horizon, "NNN S"),
       10,
       "Inclination = -3 degrees",
       Command::None,
       0,
       {},
       [](Instrument& z) {
         z.sensorSetup.inclination = -3;
         z.sensorSetup.inclinationReady = 1;
       }},
      {"slip zero with the sensor",
       s(Horizon, "P S"),
       0,
       "Horizon setup",
       Command::None,
       0,
       [](Instrument& z) {
         z.attitude.attitudeSensorOn = 1;
         z.attitude.attitudeAlive = 255;
         z.attitude.slipValue = 7;
       },
       {},
       "",
       [](const Instrument& z) { EXPECT_EQ(z.attitude.slipZero, 7); }},
      {"slip zero without the sensor",
       s(Horizon, "P S"),
       0,
       "Horizon setup",
       Command::None,
       0,
       [](Instrument& z) { z.attitude.slipValue = 7; },
       {},
       "",
       [](const Instrument& z) { EXPECT_EQ(z.attitude.slipZero, 0); }},
      {"tilt from 2D", s(Compass, "NN S"), 8, "Tilt compensation mode: 3D Accel.", Command::TiltMode, 2},
      {"tilt from 3D Gyro", s(Compass, "NN SSS"), 8, "Tilt compensation mode: 2D", Command::TiltMode, 1},
      {"deviation question", s(Compass, "NNN S"), 5, "any other key to cancel..."},
      {"deviation Menu at the question", s(Compass, "NNN S M"), 0, "Compass setup"},
      {"deviation values", s(Compass, "NNN S +"), 8, "EW:         0", Command::DeviationStart},
      {"deviation Menu while turning", s(Compass, "NNN S + M"), 0, "Compass setup", Command::DeviationCancel},
      // A heading before the turns does not count.
      {"deviation done without headings", s(Compass, "NNN S + +"), 2, "deviation compensation cancelled.",
       Command::DeviationCancel, 0, [](Instrument& z) { headingFromLink(z, 45); }},
      {"deviation done with headings",
       s(Compass, "NNN S +"),
       0,
       "Compass setup",
       Command::DeviationFinish,
       0,
       {},
       [](Instrument& z) { headingFromLink(z, 90); },
       "+"},
      {"clear deviation", s(Compass, "NNNN S +"), 0, "Compass setup", Command::DeviationZero},
      {"clear deviation cancelled", s(Compass, "NNNN S N"), 0, "Compass setup"},
      {"set north", s(Compass, "NNNNN S"), 0, "Compass setup", Command::SetNorth},
      {"set west", s(Compass, "P S"), 0, "Compass setup", Command::SetWest},
  };
  for (const SensorCase& c : cases) {
    SCOPED_TRACE(c.name);
    MenuRig rig;
    if (c.sensor) rig.host.at(rig.t - 100, [&] { c.sensor(rig.z); });
    rig.keys(c.keys);
    if (c.during) rig.host.at(rig.t, [&] { c.during(rig.z); });
    const int shot = rig.wait(600).keys(c.more).capture();
    rig.run();
    EXPECT_EQ(trimmed(rig.shot(shot).row(c.row)), c.text);
    const SensorSetupState& sent = rig.z.sensorSetup;
    EXPECT_EQ(sent.lastCommand, c.command);
    EXPECT_EQ(sent.lastCommandValue, c.value);
    if (c.command == Command::None) {
      EXPECT_EQ(sent.commandCount, 0);
    }
    if (c.check) c.check(rig.z);
  }
}

TEST(CompassHorizon, LocalVariationStopsAtItsEnds) {
  for (int variation : {-180, 180}) {
    MenuRig rig;
    loadAllSettings(rig.z);
    rig.z.settings.magneticVariation = static_cast<std::int16_t>(variation);
    saveAllSettings(rig.z);
    const int shot = rig.keys(std::string(Compass) + "N S " + (variation < 0 ? "-" : "+")).capture();
    rig.keys("M M M").run();
    EXPECT_EQ(trimmed(rig.shot(shot).line(1)),
              variation < 0 ? "Local Variation:        180E" : "Local Variation:        180W");
    EXPECT_EQ(rig.savedItem(33), variation < 0 ? (std::vector<std::uint8_t>{0x4C, 0xFF})
                                               : (std::vector<std::uint8_t>{0xB4, 0x00}));
  }
}

}  // namespace
}  // namespace zen
