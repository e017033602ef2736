// Texts of the numeric readouts, and how they reach the screen.
#include "firmware/instruments/readouts.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "firmware/core/alarm_bits.h"
#include "firmware/core/option_bits.h"
#include "firmware/instruments/display_format.h"
#include "firmware/instruments/panel.h"
#include "tests/firmware/panel_rig.h"
#include "tests/support/screen_probe.h"

namespace zen {
namespace {

using test::PanelRig;

constexpr std::uint32_t bit(int n) { return 1u << n; }
// Feet, mph and miles, hectopascal, Celsius: the units the worked values are given in.
constexpr std::uint32_t BaseUnits = bit(option::AltitudeFeet) | bit(option::PressureMillibar) |
                                    bit(option::SpeedMiles) | bit(option::TemperatureCelsius);

std::string withCode(std::string text, int code) { return text + static_cast<char>(code); }

struct TextCase {
  const char* what;
  int item;
  std::function<void(Instrument&)> set;
  std::string expected;
};

TEST(Readouts, EveryReadoutFormatsItsValue) {
  const std::string feet = "\x9e", metre = "m", celsius = "\xa0", fahrenheit = "\xa1", miles = "\xac";
  const TextCase cases[] = {
      {"QNH hPa", 31, [](Instrument& z) { z.time.qnh.qnhX8 = 8104; }, "1013 "},
      {"QNH inHg", 31,
       [](Instrument& z) {
         z.time.qnh.qnhX8 = 8104;
         z.settings.optionBits &= ~bit(option::PressureMillibar);
       },
       "29.91"},
      {"static 3346", 20, [](Instrument& z) { z.air.staticCounts = 3346; }, "1012 "},
      {"slave takes the master's counts", 20,
       [](Instrument& z) {
         z.engine.slaveMode = 1;
         z.engine.linkStaticCounts = 3346;
       },
       "1012 "},
      {"distance 5 tenths", 25, [](Instrument& z) { z.time.trip.flightTotal = 3600; }, " 0.5" + miles},
      {"distance 100 tenths", 25, [](Instrument& z) { z.time.trip.flightTotal = 100 * 720; }, "10.0" + miles},
      {"distance 1234 tenths", 25, [](Instrument& z) { z.time.trip.flightTotal = 1234 * 720; },
       " 123" + miles},
      {"distance in km", 25,
       [](Instrument& z) {
         z.time.trip.flightTotal = 100 * 720;
         z.settings.optionBits = bit(option::SpeedKilometres);
       },
       withCode("16.0", 167)},
      {"glide at its limit", 23, [](Instrument& z) { z.air.glideRatio = 999; }, "      "},
      {"glide climbing", 23,
       [](Instrument& z) {
         z.air.glideRatio = 123;
         z.air.climbing = 1;
       },
       withCode("", 174) + " 12.3"},
      {"glide descending, short", 23, [](Instrument& z) { z.air.glideRatio = 5; },
       " " + withCode("", 175) + " 0.5"},
      {"voltage out of range", 26, [](Instrument& z) { z.air.supplyVoltage = 255; }, "OVERV"},
      {"voltage", 26, [](Instrument& z) { z.air.supplyVoltage = 138; }, "13.8V"},
      {"endurance 95 min", 30, [](Instrument& z) { z.air.fuelEndurance = 95; }, " 1:35"},
      {"endurance unknown", 30, [](Instrument& z) { z.air.fuelEndurance = 65535; }, "   ??"},
      {"range unknown", 29, [](Instrument& z) { z.air.fuelRange = 65535; }, "  ??"},
      {"range in nautical miles", 29,
       [](Instrument& z) {
         z.air.fuelRange = 300;
         z.settings.optionBits = 0;
       },
       withCode(" 260", 168)},
      {"density altitude without temperature", 19, [](Instrument&) {}, " Temp?"},
      {"density altitude, 10 K warm", 19, [](Instrument& z) { z.air.ambientTemperature = 123 + 25; },
       " 1186" + feet},
      {"density altitude in metres", 19,
       [](Instrument& z) {
         z.air.ambientTemperature = 123 + 25;
         z.settings.optionBits &= ~bit(option::AltitudeFeet);
       },
       "  361" + metre},
      {"density altitude, cold, wraps to 0", 19, [](Instrument& z) { z.air.ambientTemperature = 1; },
       "    0" + feet},
      {"density altitude below sea level", 19,
       [](Instrument& z) {
         z.air.ambientTemperature = 123 + 25;
         z.air.altitudeFeet = -200;
       },
       "    0" + feet},
      {"temperature missing", 24, [](Instrument&) {}, "  ??" + celsius},
      {"temperature +20", 24, [](Instrument& z) { z.air.ambientTemperature = 143; }, " +20" + celsius},
      {"temperature -5", 24, [](Instrument& z) { z.air.ambientTemperature = 118; }, "  -5" + celsius},
      {"temperature in F", 24,
       [](Instrument& z) {
         z.air.ambientTemperature = 143;
         z.settings.optionBits = 0;
       },
       " +68" + fahrenheit},
      {"time", 21,
       [](Instrument& z) {
         z.time.clock.hour = 9;
         z.time.clock.minute = 5;
       },
       "09:05"},
      {"flight time", 22,
       [](Instrument& z) {
         z.time.flight.hours = 1;
         z.time.flight.minutes = 7;
       },
       " 1:07"},
      {"flight time in hundredths", 22,
       [](Instrument& z) {
         z.time.flight.hours = 12;
         z.time.flight.minutes = 59;
         z.settings.optionBits |= bit(option::HourDecimals);
       },
       "12.99"},
      {"flight time blinks in flight", 22,
       [](Instrument& z) {
         z.time.qnh.inFlight = 1;
         z.tick.secondPhase = 1;
       },
       "     "},
      {"hobbs", 28,
       [](Instrument& z) {
         z.time.engineHours.hundreds = 1;
         z.time.engineHours.hours = 23;
         z.time.engineHours.minutes = 45;
       },
       "0123:45"},
      {"maintenance", 27, [](Instrument& z) { z.time.engineHours.serviceHours = 12; }, " 12h"},
      {"TAS knots", 32,
       [](Instrument& z) {
         z.air.trueAirspeed = 100;
         z.settings.optionBits = 0;
       },
       " 86"},
      {"stopwatch minutes", 33,
       [](Instrument& z) {
         z.time.tripMinutes = 5;
         z.time.tripSeconds = 7;
       },
       "05:07"},
      {"stopwatch hours", 33,
       [](Instrument& z) {
         z.time.tripHours = 2;
         z.time.tripMinutes = 5;
         z.time.tripSeconds = 7;
       },
       "02:05"},
      {"g small fraction", 37, [](Instrument& z) { z.engine.gLoad = 260; }, "1.01"},
      {"g large fraction", 37, [](Instrument& z) { z.engine.gLoad = 0x1FF; }, "1.99"},
      {"g cut to 5", 37, [](Instrument& z) { z.engine.gLoad = 0xFF80; }, "255.5"},
      {"ice warning at 0 C", 38,
       [](Instrument& z) {
         z.tick.secondPhase = 1;
         z.engine.headTemperatureCopy[1] = 0;
       },
       "ICE WARN"},
      {"ice warning, other frame", 38, [](Instrument& z) { z.engine.headTemperatureCopy[1] = 0; },
       "    0" + celsius + "  "},
      {"no warning at 6 C", 38,
       [](Instrument& z) {
         z.tick.secondPhase = 1;
         z.engine.headTemperatureCopy[1] = 6;
       },
       "    6" + celsius + "  "},
      {"warning at -3 C", 38,
       [](Instrument& z) {
         z.tick.secondPhase = 1;
         z.engine.headTemperatureCopy[1] = static_cast<std::uint16_t>(-3);
       },
       "ICE WARN"},
      {"no warning when disabled", 38,
       [](Instrument& z) {
         z.tick.secondPhase = 1;
         z.settings.alarmEnables = 0;
       },
       "    0" + celsius + "  "},
      {"no warning without engine data", 38,
       [](Instrument& z) {
         z.tick.secondPhase = 1;
         z.engine.engineUnitAlive = 0;
       },
       "    0" + celsius + "  "},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.what);
    PanelRig rig;
    rig.z.settings.optionBits = BaseUnits;
    rig.z.settings.alarmEnables = alarm::IceWarning;
    rig.z.engine.engineUnitAlive = 6;
    c.set(rig.z);
    EXPECT_EQ(readoutText(rig.z, c.item).str(), c.expected);
  }
}

TEST(Readouts, FormattingHelpersAtTheirEdges) {
  EXPECT_EQ(signedDecimalText(-2147483647 - 1).str(), "-2147483648");
  ShortText text("  007");
  rightJustify(text, 2);  // never cut
  EXPECT_EQ(text.str(), "  007");
  appendTwoDigits(text, 256 + 5);  // modulo 256
  EXPECT_EQ(text.str(), "  00705");
}

TEST(Readouts, LinkFailureReplacesTheTextCutToTheWidth) {
  PanelRig rig;
  for (auto [phase, width, expected] :
       {std::tuple{1, 4u, "Tarv"}, {0, 4u, "Fail"}, {1, 5u, "Tarvi"}, {0, 5u, "Fail "}}) {
    rig.z.engine.engineDataLost = 1;
    rig.z.tick.secondPhase = static_cast<std::uint8_t>(phase);
    ShortText text(" 123");
    substituteLinkFailure(rig.z, text, width);
    EXPECT_EQ(text.str(), expected);
  }
  rig.z.engine.engineDataLost = 0;
  ShortText text(" 123");
  substituteLinkFailure(rig.z, text, 4);
  EXPECT_EQ(text.str(), " 123");
}

TEST(Readouts, PrintAtTheirPlaceOnlyWhenTheTextChanged) {
  PanelRig rig;
  Instrument& z = rig.z;
  z.settings.optionBits = BaseUnits;
  rig.show(26, 0, 0, 2, 40);   // voltage, single height
  rig.show(21, 0, 1, 10, 60);  // clock, double height
  z.air.supplyVoltage = 138;
  z.time.clock.hour = 12;
  redrawPage(z);
  drawPageItems(z);
  EXPECT_TRUE(test::textCellMatches(z.screen, 2, 40, "13.8V", false));
  EXPECT_TRUE(test::textCellMatches(z.screen, 10, 60, "12:00", true));

  z.screen.takeDirty();
  drawPageItems(z);
  EXPECT_TRUE(z.screen.takeDirty().empty());  // nothing changed, nothing drawn

  z.air.supplyVoltage = 139;
  drawPageItems(z);
  const DirtyRect touched = z.screen.takeDirty();
  EXPECT_EQ(touched.top, 40);
  EXPECT_EQ(touched.bottom, 47);
  EXPECT_TRUE(test::textCellMatches(z.screen, 2, 40, "13.9V", false));

  redrawPage(z);  // clears the screen and forgets the caches
  drawPageItems(z);
  EXPECT_TRUE(test::textCellMatches(z.screen, 2, 40, "13.9V", false));
}

TEST(Readouts, QnhAndLegendsAreDrawnAtPageRedraw) {
  PanelRig rig;
  Instrument& z = rig.z;
  z.settings.optionBits = bit(option::SpeedKilometres);
  z.time.qnh.qnhX8 = 8104;
  rig.show(31, 0, 0, 20, 100);
  rig.show(35, 0, 0, 0, 0);
  redrawPage(z);
  EXPECT_TRUE(test::textCellMatches(z.screen, 20, 100, "29.91", false));
  EXPECT_TRUE(test::sameGraphics(z.screen, *test::smallTextAlone("km/h", 0, 0)));

  z.time.qnh.qnhX8 = 8112;  // the QNH keys call the readout after each change
  drawQnhReadout(z);
  EXPECT_TRUE(test::textCellMatches(z.screen, 20, 100, "29.94", false));
}

TEST(Readouts, IceWarningInSingleHeightLeavesNoLowerHalfBehind) {
  PanelRig rig;
  Instrument& z = rig.z;
  z.settings.optionBits = BaseUnits;
  z.settings.alarmEnables = alarm::IceWarning;
  z.engine.engineUnitAlive = 6;
  rig.show(38, 0, 0, 4, 100);
  redrawPage(z);
  z.tick.secondPhase = 1;
  drawPageItems(z);
  EXPECT_TRUE(test::textCellMatches(z.screen, 4, 100, "ICE WARN", true));
  z.tick.secondPhase = 0;
  drawPageItems(z);
  EXPECT_TRUE(test::textCellMatches(z.screen, 4, 100, "    0\xa0  ", false));
  EXPECT_TRUE(test::textCellMatches(z.screen, 4, 108, "        ", false));
}

}  // namespace
}  // namespace zen
