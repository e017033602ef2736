// The value editor menus, one table per menu: keys pressed inside the menu,
// the line shown afterwards, and the item bytes in e2.rom once the menus have
// returned to the panel.
#include <gtest/gtest.h>

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "tests/firmware/menu_rig.h"
#include "tests/support/test_files.h"

namespace zen {
namespace {

using test::MenuRig;

constexpr int line(int menuLine) { return 4 + 2 * menuLine; }

// Unit symbols as they appear in the texts.
const std::string Feet = "\x9E", Mph = "\x9F", Celsius = "\xA0", Litres = "\xA2", Bar = "B";

struct EditorCase {
  std::string keys;  // inside the menu; H holds "+" for 4.6 s
  int textRow;
  std::string text;  // the row starts with it; leading blanks match anything
  int item = -1;     // whose bytes from `offset` on are checked, -1 none
  std::vector<std::uint8_t> bytes = {};
  std::function<void(Settings&)> prepare = {};
  std::function<void(const Instrument&)> check = {};
  int offset = 0;
};

void runEditorCases(std::string_view openKeys, std::span<const EditorCase> cases) {
  for (const EditorCase& c : cases) {
    SCOPED_TRACE("keys " + c.keys);
    MenuRig rig;
    Instrument& z = rig.z;
    if (c.prepare) {
      loadAllSettings(z);
      c.prepare(z.settings);
      saveAllSettings(z);
    }
    rig.keys(openKeys);
    for (char k : c.keys) {
      if (k == 'H')
        rig.hold(key_bit::Plus, 4600);
      else
        rig.keys(std::string(1, k));
    }
    const int shot = rig.capture();
    rig.keys("MMM");
    rig.run();

    const std::string& text = rig.shot(shot).row(c.textRow).text;
    const std::size_t from = c.text.find_first_not_of(' ');
    EXPECT_EQ(text.substr(0, c.text.size()).substr(std::min(from, text.size())), c.text.substr(from));
    if (c.item >= 0) {
      const auto file = test::readBytes(rig.host.programFolder() / "e2.rom");
      ASSERT_EQ(file.size(), 4096u);
      const auto at = file.begin() + SettingsItemTable[c.item].address + c.offset;
      EXPECT_EQ(std::vector<std::uint8_t>(at, at + static_cast<long>(c.bytes.size())), c.bytes);
    }
    if (c.check) c.check(z);
  }
}

TEST(SetupEditors, ModeSetup) {
  const EditorCase cases[] = {
      {"", line(0), "Altitude display units:  feet (ft)"},
      {"S", line(0), "Altitude display units:  meters (m)", 7, {0xFE, 0xC2, 0x00}},
      // From miles: km (bit 3 was set), miles, nm, miles.
      {"NN S", line(2), "Distance/Speed units:    km", 7, {0xFB}},
      {"NN SSS", line(2), "Distance/Speed units:    nm", 7, {0xF3}},
      {"NNN SS", line(3), "Fuel quantity units:     IMP gallons", 32, {2}},
      {"NNN SSSSS", line(3), "Fuel quantity units:     liters", 32, {0}},
      {"NNN", line(3), "Fuel quantity units:     ?", -1, {}, [](Settings& s) { s.fuelUnit = 9; }},  // damaged
      {"NNN S", line(3), "Fuel quantity units:     liters", 32, {0}, [](Settings& s) { s.fuelUnit = 9; }},
      {"NNNNNN S", line(6), "MAP pressure units:      millibar", 55, {0}},
      {"P S", line(11), "Enable dual-panel mode   Yes", 7, {0xFF, 0xC2, 0x04}},
  };
  runEditorCases("M P S S", cases);
}

TEST(SetupEditors, BasicDeviceSetup) {
  auto settings = [](auto change) { return std::function<void(Settings&)>(change); };
  const EditorCase cases[] = {
      {"S +", line(0), "Flight log RPM trigger:  5600", 17, {0xE0, 0x15}},
      {"S +", line(0), "Flight log RPM trigger:  9900", 17, {0xAC, 0x26}, settings([](Settings& s) {
         s.flightStartRpm = 9900;
       })},
      {"S -", line(0), "Flight log RPM trigger:  400", 17, {0x90, 0x01}, settings([](Settings& s) {
         s.flightStartRpm = 400;
       })},
      {"N S +", line(1), "Hobbs meter trigger RPM: 9900", 16, {0xAC, 0x26}, settings([](Settings& s) {
         s.engineTimeRpm = 9900;
       })},
      {"NN S ++++", line(2), "Rev counter scale:       9000", 31, {9}},
      {"NNN S -----------",
       line(3),
       "Fuel low alarm tank 1:   50" + Litres,
       20,
       {50}},  // 0 wraps to the capacity
      {"NNN S -", line(3), "Fuel low alarm tank 1:   255" + Litres, 20, {255}, settings([](Settings& s) {
         s.tank1Calibration[0] = 300;  // above what the byte holds
         s.tank1LowLevel = 0;
       })},
      {"NNNNN S",
       line(5),
       "Backlight mode:          Off",
       22,
       {2},
       {},
       [](const Instrument& z) { EXPECT_EQ(z.display.backlightLevel, 255); }},
      {"NNNNNN S +",
       line(6),
       "Backlight level:         1",
       10,
       {240},
       {},
       [](const Instrument& z) { EXPECT_EQ(z.display.backlightLevel, 240); }},
      {"NNNNNNN S", line(7), "ALT scale:               200", 27, {1}},
      {"NNNNNNNNNN S", line(10), "Fuel flow scale:         60", 30, {2}},
      {"NNNNNNNNNNN", line(11), "Stall speed VS:          Vs ---", 23, {19, 0}, settings([](Settings& s) {
         s.stallSpeed = 10;
       })},
      {"NNNNNNNNNNNN", line(11), "Flap speed VF:           VF ---", 24, {70, 0}, settings([](Settings& s) {
         s.stallSpeed = 70;
         s.flapSpeed = 60;
       })},
      {"NNNNNNNNNNNNN S -", line(11), "Manouvering speed Vno:   Vno 99" + Mph, 25, {99, 0}},
      {"P S +", line(11), "Altitude alarm           Off", 19, {0, 0}, settings([](Settings& s) {
         s.altitudeAlarm = 60000;
       })},
      {"P S +-",
       line(11),
       "Altitude alarm           60000" + Feet,
       19,
       {0x60, 0xEA},
       settings([](Settings& s) { s.altitudeAlarm = 60000; })},
  };
  runEditorCases("M P S N S", cases);
}

TEST(SetupEditors, CalibrationMenu) {
  auto settings = [](auto change) { return std::function<void(Settings&)>(change); };
  const EditorCase cases[] = {
      {"S +", line(0), "Airspeed calibration:    101% (", 1, {101}},
      {"S +", line(0), "Airspeed calibration:    200% (", 1, {200}, settings([](Settings& s) {
         s.airspeedFactor = 200;
       })},
      {"N S -", line(1), "Altimeter calibration:   -1 (", 0, {0xFF}},
      {"N S +", line(1), "Altimeter calibration:   -128 (", 0, {0x80}, settings([](Settings& s) {
         s.altimeterOffset = 127;
       })},
      {"NN S -", line(2), "VSI calibration:          20%", 4, {20, 0}, settings([](Settings& s) {
         s.climbFactor = 20;
       })},
      {"NNN S", 3, "                Done...", 2, {0xFF, 0x0F}},  // the pitot bar at 0 reads 4095
      {"NNNN S +",
       line(4),
       "Rev counter, pulses per 10 revs: 61",
       51,
       {61},
       {},
       [](const Instrument& z) { EXPECT_EQ(z.engine.rpmFactor, 6000u / 61 * 15586); }},
      {"NNNN S H",
       line(4),
       "Rev counter, pulses per 10 revs: 1",
       51,
       {1},  // never 0 after the wrap
       settings([](Settings& s) { s.pulsesSetting = 200; })},
      {"NNNNN S -", line(5), "Fuel flow K-factor:      30000", 8, {0x30, 0x75}, settings([](Settings& s) {
         s.flowKFactor = 1000;
       })},
      {"NNNNNN S +", line(6), "Ambient temperature:     12" + Celsius, 6, {12}, settings([](Settings& s) {
         s.temperatureOffset = 12;
       })},
      {"NNNNNNN S -", line(7), "MAP calibration          -1 (", 5, {0xFF}},
  };
  runEditorCases("M P S NNNNNNNNNNNN S", cases);
}

// Two seconds after "Done..." the menu is back by itself.
TEST(SetupEditors, ResettingTheAirZerosRedrawsTheMenuWhenItsWaitEnds) {
  MenuRig rig;
  const int shot = rig.keys("M P S NNNNNNNNNNNN S NNN S").wait(2500).capture();
  rig.keys("MMM");
  rig.run();
  EXPECT_EQ(rig.shot(shot).row(3).text.find("Done"), std::string::npos);
  EXPECT_EQ(rig.shot(shot).row(line(3)).text, "Reset ASI and VSI to zero");
}

TEST(SetupEditors, SenderTypeSelection) {
  auto settings = [](auto change) { return std::function<void(Settings&)>(change); };
  const EditorCase cases[] = {
      {"S", line(0), "Flow sender type:        Injector L", 7, {0xEF}},
      {"N S", line(1), "Tank mode: Tank 1 calc, 2 sender", 11, {1}},
      {"NN S", line(2), "Range calculation mode: Tank 1", 12, {0}},
      {"NNN S", line(3), "CHT thermocouple     J type", 52, {1}},
      {"NNNN S", line(4), "Coolant temp. probe  KVR precision probe", 52, {4}, {}, {}, 6},
      {"NNNNN S",
       line(5),
       "Oil temp. probe      Standard NTC",
       52,
       {2},
       settings([](Settings& s) { s.probeTypes[7] = 6; }),
       {},
       7},
      {"NNNNNN S", line(6), "Oil pressure sender  Resistance 250", 53, {5}},
      {"NNNNNN S", line(6), "Oil pressure sender  Resistance 50", 53, {1}, settings([](Settings& s) {
         s.oilSenderType = 20;
       })},
      {"NNNNNNN S +", line(7), "Oil pressure max     10" + Bar, 57, {101, 0}},
      {"NNNNNNNNN S +", line(9), "Fuel pressure range  25" + Bar, 58, {250}, settings([](Settings& s) {
         s.fuelPressureRange = 250;
       })},
      {"NNNNNNNNNNN S", line(11), "912/914 CHT type     KVR NTC", 52, {3, 3}, {}, {}, 4},
      {"NNNNNNNNNNNNNNN S +",
       line(11),
       "Programmable probe: 80" + Celsius + " -  701",
       15,
       {0xBD, 0x02},
       {},
       {},
       6},
  };
  runEditorCases("M P S NNNNNNNNN S", cases);
}

TEST(SetupEditors, EngineMonitorSetup) {
  auto settings = [](auto change) { return std::function<void(Settings&)>(change); };
  auto oilPressures = [](std::uint8_t low, std::uint8_t high) {
    return std::function<void(Settings&)>([=](Settings& s) {
      s.oilPressureLow = low;
      s.oilPressureHigh = high;
    });
  };
  const EditorCase cases[] = {
      {"S", line(0), "EGT Channels                3", 41, {3}},
      {"N", line(1), "EGT alarm limit           650" + Celsius},
      {"N S +",
       line(1),
       "EGT alarm limit          1200" + Celsius,
       43,
       {0xB0, 0x04},
       settings([](Settings& s) { s.egtLimit = 1200; })},
      {"NN S", line(2), "CHT Channels             Rotax 912", 42, {13}, settings([](Settings& s) {
         s.chtCount = 12;
       })},
      {"NN SS", line(2), "CHT Channels                0", 42, {0}, settings([](Settings& s) {
         s.chtCount = 12;
       })},
      {"NNNNNN S +", line(6), "Oil pressure limit low   3.0" + Bar, 45, {30}, oilPressures(30, 30)},
      {"NNNNN S -", line(5), "Oil pressure limit high  3.0" + Bar, 46, {30}, oilPressures(30, 30)},
      {"NNNNNNNNNNN", line(11), "MAP bargraph range       2.9"},  // 100 mbar in inches of mercury
      {"NNNNNNNNNNN S +", line(11), "MAP bargraph range       26.5", 56, {8}, settings([](Settings& s) {
         s.mapRange = 8;
       })},
      {"P S -", line(11), "Fuel pressure low alarm  1.9" + Bar, 59, {19}},
  };
  runEditorCases("M P S NNNNNN S", cases);
}

TEST(SetupEditors, RotorCraftSetup) {
  auto settings = [](auto change) { return std::function<void(Settings&)>(change); };
  const EditorCase cases[] = {
      {"S +", line(0), "Rotor RPM low alarm:      86%", 38, {86}},
      {"S -", line(0), "Rotor RPM low alarm:     100%", 38, {100}, settings([](Settings& s) {
         s.rotorLowAlarm = 59;
       })},
      {"S +", line(0), "Rotor RPM low alarm:     Off", 38, {59}, settings([](Settings& s) {
         s.rotorLowAlarm = 100;
       })},
      {"N S -", line(1), "Rotor RPM high alarm:    109%", 39, {109}},
      {"NNN S -",
       line(3),
       "Rotor pules/10 revs:     9",
       35,
       {9, 0},
       {},
       [](const Instrument& z) { EXPECT_EQ(z.engine.rotorFactor, 9375000u / 9); }},
      {"P S", line(5), "Engine/Rotor RPM display Percent", 7, {0x01}, {}, {}, 2},
  };
  runEditorCases("M P S NNNNNNN S", cases);
}

}  // namespace
}  // namespace zen
