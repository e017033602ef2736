// The engine gauges: value texts, bars, alarms and their blinking.
#include "firmware/instruments/engine_gauges.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "firmware/core/alarm_bits.h"
#include "firmware/core/keys.h"
#include "firmware/core/option_bits.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/panel.h"
#include "firmware/instruments/sine_table.h"
#include "sim/virtual_host.h"
#include "tests/firmware/panel_rig.h"
#include "tests/support/screen_probe.h"

namespace zen {
namespace {

using test::PanelRig;
using test::textCellMatches;

constexpr std::uint32_t bit(int n) { return 1u << n; }
const std::string Full = "\x88", Litre = "\xa2", Celsius = "\xa0";

// A bar of 50 pixels as cells: full cells, one part cell, then the empty track.
std::string barCells(int pixels, int length = 50) {
  std::string cells;
  const int count = (length + 7) / 8;
  for (; pixels >= 8 && static_cast<int>(cells.size()) < count; pixels -= 8) cells += Full;
  if (static_cast<int>(cells.size()) < count) cells += static_cast<char>(128 + pixels);
  cells.resize(static_cast<std::size_t>(count), '-');
  return cells;
}

struct EngineRig : PanelRig {
  EngineRig() {
    z.settings.optionBits = bit(option::TemperatureCelsius);
    z.engine.engineUnitAlive = 6;
  }
  void frame(int phase) {
    z.tick.secondPhase = static_cast<std::uint8_t>(phase);
    drawPageItems(z);
  }
};

TEST(EngineGauges, ValueFormats) {
  struct Case {
    const char* what;
    std::function<ShortText(Instrument&)> text;
    std::string expected;
  };
  auto flow = [](std::uint32_t options, std::uint8_t unit, std::uint16_t hundredths) {
    return [=](Instrument& z) {
      z.settings.optionBits = options;
      z.settings.fuelUnit = unit;
      return fuelFlowText(z, hundredths);
    };
  };
  auto contents = [](std::uint8_t unit, std::uint16_t litres) {
    return [=](Instrument& z) {
      z.settings.fuelUnit = unit;
      return fuelContentsText(z, litres);
    };
  };
  auto pressure = [](std::uint32_t options, std::uint16_t tenths) {
    return [=](Instrument& z) {
      z.settings.optionBits = options;
      return enginePressureText(z, tenths);
    };
  };
  auto manifold = [](std::uint8_t unit, std::uint16_t millibar) {
    return [=](Instrument& z) {
      z.settings.mapUnit = unit;
      return manifoldPressureText(z, millibar);
    };
  };
  const std::uint32_t five = bit(option::FlowFiveDigits), psi = bit(option::OilPressurePsi);
  const Case cases[] = {
      {"flow 15 l/h", flow(0, 0, 1500), "15.0"},
      {"flow below 10", flow(0, 0, 50), "0.50"},
      {"flow of 5 digits", flow(0, 0, 12345), "123.4"},
      {"flow in US gallons", flow(0, 1, 3786), "10.0"},
      {"flow in imperial gallons", flow(0, 2, 4546), "10.0"},
      {"flow in kilograms", flow(0, 3, 1390), "10.0"},
      {"flow in pounds", flow(0, 4, 630), "10.0"},
      {"long flow, 5 digits", flow(five, 0, 12345), "  123"},
      {"long flow, 4 digits", flow(five, 0, 1234), " 12.3"},
      {"long flow, 3 digits", flow(five, 0, 150), " 1.50"},
      {"long flow, padded", flow(five, 0, 5), " 0.05"},
      {"litres", contents(0, 50), "  50"},
      {"US gallons in tenths", contents(1, 50), "13.1"},
      {"imperial gallons below 1", contents(2, 1), " 0.2"},
      {"kilograms", contents(3, 139), " 100"},
      {"pounds", contents(4, 63), " 100"},
      {"an unknown unit counts as pounds", contents(200, 63), " 100"},
      {"half a bar", pressure(0, 5), "0.5"},
      {"4.5 bar", pressure(0, 45), "4.5"},
      {"10 bar keeps its decimal", pressure(0, 100), "10.0"},
      {"above 10 bar whole", pressure(0, 123), " 12"},
      {"psi", pressure(psi, 10), " 14"},
      {"psi, high", pressure(psi, 100), "145"},
      {"MAP mbar", manifold(0, 1013), "1013"},
      {"MAP mbar, short, centred", manifold(0, 750), "750 "},
      {"MAP bar", manifold(1, 1013), "1.01"},
      {"MAP bar below 1", manifold(1, 750), "0.75"},
      {"MAP psi", manifold(2, 1013), "14.6"},
      {"MAP inHg", manifold(3, 1013), "29.8"},
      {"MAP inHg, engine off", manifold(3, 0), "0.0 "},
      {"MAP 0 mbar", manifold(0, 0), " 0  "},
  };
  for (const Case& c : cases) {
    PanelRig rig;
    EXPECT_EQ(c.text(rig.z).str(), c.expected) << c.what;
  }
  for (auto [millibar, span, pixels] :
       {std::tuple{1013, 100, 25}, {912, 100, 0}, {1114, 100, 50}, {1063, 100, 37}, {1013, 25600, 25}})
    EXPECT_EQ(manifoldBarPixels(static_cast<std::uint16_t>(millibar), static_cast<std::uint16_t>(span)),
              pixels)
        << millibar;
}

TEST(EngineGauges, ManifoldAtStandardPressureFillsHalfTheBar) {
  EngineRig rig;
  rig.show(12, 0, 0, 10, 100);
  rig.z.air.manifoldPressure = 1013;
  redrawPage(rig.z);
  rig.frame(0);
  EXPECT_TRUE(textCellMatches(rig.z.screen, 11, 102, barCells(25), false));
  EXPECT_TRUE(textCellMatches(rig.z.screen, 13, 115, "1013", true));
}

TEST(EngineGauges, CoolantAboveItsLimitBlinksAndRaisesItsAlarmOnce) {
  EngineRig rig;
  Instrument& z = rig.z;
  z.settings.coolantHigh = 95;
  z.settings.coolantLow = 60;
  z.settings.alarmEnables = alarm::CoolantHigh | alarm::CoolantLow;
  z.engine.coolantTemperature = 100;
  rig.show(9, 0, 0, 10, 100);
  redrawPage(z);  // coolant scale 109: 100 C is 91 of 100, 41 pixels of the upper half
  for (int frame = 0; frame < 4; ++frame) {
    SCOPED_TRACE(frame);
    const bool blank = frame % 2 == 1;
    rig.frame(frame % 2);
    EXPECT_TRUE(textCellMatches(z.screen, 11, 102, barCells(blank ? 0 : 41), false));
    EXPECT_TRUE(textCellMatches(z.screen, 14, 115, blank ? "    " : "100" + Celsius, true));
    EXPECT_EQ(z.main.activeAlarms, alarm::CoolantHigh);
    EXPECT_EQ(z.main.newAlarms, frame == 0 ? alarm::CoolantHigh : 0);
    z.main.newAlarms = 0;  // acknowledged: still raised, not new again
  }
  z.engine.coolantTemperature = 80;
  rig.frame(1);
  EXPECT_EQ(z.main.activeAlarms, 0);
  EXPECT_TRUE(textCellMatches(z.screen, 14, 115, " 80" + Celsius, true));
  // Disabled, or without engine data, nothing is raised.
  z.engine.coolantTemperature = 100;
  z.settings.alarmEnables = 0;
  rig.frame(0);
  z.settings.alarmEnables = alarm::CoolantHigh;
  z.engine.engineDataLost = 1;
  rig.frame(0);
  EXPECT_EQ(z.main.activeAlarms | z.main.newAlarms, 0);
}

TEST(EngineGauges, TankAtOrBelowItsLowLevelAlternatesWithLow) {
  for (auto [contents, low] : {std::pair{8, true}, {10, true}, {11, false}}) {
    SCOPED_TRACE(contents);
    EngineRig rig;
    Instrument& z = rig.z;
    z.settings.tank1LowLevel = 10;
    z.settings.tank1Calibration[0] = 50;
    z.air.tank1Contents = static_cast<std::uint16_t>(contents);
    rig.show(7, 0, 0, 10, 100);
    redrawPage(z);
    const std::string digits = std::to_string(contents);
    const std::string value = std::string(4 - digits.size(), ' ') + digits + Litre;
    rig.frame(0);
    EXPECT_TRUE(textCellMatches(z.screen, 13, 115, value, true));
    EXPECT_TRUE(textCellMatches(z.screen, 11, 102, barCells(contents), false));
    rig.frame(1);
    EXPECT_TRUE(textCellMatches(z.screen, 13, 115, low ? " LOW " : value, true));
    z.engine.engineDataLost = 1;  // the link's failure text wins over LOW
    rig.frame(1);
    EXPECT_TRUE(textCellMatches(z.screen, 13, 115, "Tarv" + Litre, true));
    rig.frame(0);
    EXPECT_TRUE(textCellMatches(z.screen, 13, 115, "Fail" + Litre, true));
  }
}

TEST(EngineGauges, TankWithoutItsSenderShowsQuestionMarksAndAnEmptyBar) {
  EngineRig rig;
  Instrument& z = rig.z;
  z.settings.tank2Calibration = {50, 10, 20, 30, 40, 50, 60};
  z.air.tank2Absent = 1;
  z.air.tank2Contents = 50;  // what a reading past the full point gives
  rig.show(8, 0, 0, 10, 100);
  redrawPage(z);
  rig.frame(0);
  EXPECT_TRUE(textCellMatches(z.screen, 13, 115, "  ??" + Litre, true));
  EXPECT_TRUE(textCellMatches(z.screen, 11, 102, barCells(0), false));
}

TEST(EngineGauges, EgtCountZeroDrawsOnlyTheLegend) {
  EngineRig rig;
  Instrument& z = rig.z;
  z.engine.thermocouples.fill(700);
  z.settings.egtLimit = 650;
  rig.show(3, 0, 0, 20, 100);
  redrawPage(z);
  EXPECT_EQ(test::graphicsInk(z.screen), 0);
  EXPECT_TRUE(textCellMatches(z.screen, 21, 108, "EGT", false));
  z.screen.takeDirty();
  rig.frame(0);
  rig.frame(1);
  EXPECT_TRUE(z.screen.takeDirty().empty());
}

TEST(EngineGauges, ChannelsPastTheTwelveInputsShowAsAbsent) {
  EngineRig rig;
  Instrument& z = rig.z;
  z.settings.egtCount() = 8;
  z.settings.chtCount = 6;  // CHT channels 5 and 6 would be inputs 13 and 14
  z.settings.chtLimit = 250;
  z.engine.thermocouples.fill(100);
  rig.show(4, 0, 1, 20, 100);  // compact: one scanned line
  redrawPage(z);
  for (int frame = 0; frame < 12; ++frame) {
    const int channel = z.gauges.cht.selected + 1;
    rig.frame(frame % 2);
    const std::string expected = " " + std::to_string(channel) + (channel > 4 ? "   --" : "  100") + Celsius;
    EXPECT_TRUE(textCellMatches(z.screen, 21, 102, expected, false)) << channel;
  }
  EXPECT_TRUE(textCellMatches(z.screen, 25, 114, " 100" + Celsius, true));  // the hottest present channel
}

TEST(EngineGauges, UnchangedValuesRedrawNothing) {
  for (std::uint8_t style : {0, 1, 2}) {
    EngineRig rig;
    Instrument& z = rig.z;
    buildImageFromDefaults(z, true);
    loadAllSettings(z);
    z.settings.alarmEnables = 0;
    z.engine.engineDataLost = 0;
    z.engine.thermocouples = {600, 620, 200, 210};
    z.engine.fuelFlow = 1500;
    z.air.engineRpm = 4500;
    z.air.manifoldPressure = 900;
    for (int item = 3; item <= 13; ++item)
      rig.show(item, 0, style, static_cast<std::uint8_t>(item % 3 * 13), 10 + 16 * item);
    redrawPage(z);
    rig.frame(0);
    z.screen.takeDirty();
    rig.frame(0);
    EXPECT_TRUE(z.screen.takeDirty().empty()) << int(style);
  }
}

TEST(EngineGauges, TwoNeedlesFollowTheStretchedPercentScale) {
  EngineRig rig;
  Instrument& z = rig.z;
  z.settings.rotorRpmFull = 400;
  z.settings.engineRpmFull = 5000;
  rig.show(5, 0, 2, 10, 60);
  redrawPage(z);
  struct Case {
    std::uint16_t rotorRpm, engineRpm;
    int rotorDegrees, engineDegrees;
    std::string rotorText, engineText;
  };
  const Case cases[] = {
      {0, 0, 160, 200, "  0", "   0"},       // below 70 %: both needles at the bottom
      {400, 5000, 96, 264, "400", "5000"},   // 100 %
      {440, 5500, 20, 340, "440", "5500"},   // 110 % and more: the top
      {300, 4500, 154, 228, "300", "4500"},  // 75 % and 90 %
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rotorRpm);
    z.air.rotorRpm = c.rotorRpm;
    z.air.engineRpm = c.engineRpm;
    rig.frame(0);
    EXPECT_EQ(2 * z.gauges.rotorNeedle, c.rotorDegrees);
    EXPECT_EQ(2 * z.gauges.engineNeedle, c.engineDegrees);
    for (auto [pivotX, degrees] : {std::pair{80, c.rotorDegrees}, {180, c.engineDegrees}}) {
      const DialPoint tip = dialPoint(pivotX, 60 + 52, degrees, 8);
      EXPECT_EQ(z.screen.graphicsPixel(tip.x, tip.y), GraphicsPixel::Black) << degrees;
    }
    EXPECT_TRUE(textCellMatches(z.screen, 11, 164, c.rotorText, true));
    EXPECT_TRUE(textCellMatches(z.screen, 18, 164, c.engineText, true));
  }
  const DialPoint oldTip = dialPoint(80, 112, 20, 8);  // the 110 % needle was erased
  EXPECT_EQ(z.screen.graphicsPixel(oldTip.x, oldTip.y), GraphicsPixel::White);

  z.settings.optionBits |= bit(option::RpmPercent);
  rig.frame(0);
  EXPECT_TRUE(textCellMatches(z.screen, 11, 164, " 75%", true));
  EXPECT_TRUE(textCellMatches(z.screen, 18, 164, " 90% ", true));  // a blank covers the rpm's fourth figure
}

// The scale picture sits under both needles: no needle, legend or frame may
// cover it at any speed, and at each figured speed the line a needle points
// along runs on into a tick of its own scale.
TEST(EngineGauges, TwoNeedleScaleTicksWhereEachNeedlePoints) {
  EngineRig rig;
  Instrument& z = rig.z;
  z.settings.rotorRpmFull = 100;  // rpm read as percent
  z.settings.engineRpmFull = 100;
  rig.show(5, 0, 2, 10, 60);
  redrawPage(z);
  const int left = 96, top = 60, pivotY = top + 52;  // the picture's corner, the needles' pivot row
  auto covered = [&] {
    int pixels = 0;
    for (int y = top; y < top + 104; ++y)
      for (int x = left; x < left + 72; ++x)
        pixels += z.screen.textPixel(x, y) == TextPixel::Black &&
                  z.screen.graphicsPixel(x, y) == GraphicsPixel::Black;
    return pixels;
  };
  // Longest unbroken run of picture pixels on the needle's line, from just past its tip.
  auto longestRun = [&](int pivotX, int degrees) {
    int longest = 0, run = 0, lastX = -1, lastY = -1;
    for (int tenths = 330; tenths <= 600; ++tenths) {
      const int x = pivotX + static_cast<int>(std::lround(sine(degrees) * tenths / (10.0 * SineAmplitude)));
      const int y = pivotY - static_cast<int>(std::lround(cosine(degrees) * tenths / (10.0 * SineAmplitude)));
      if (x == lastX && y == lastY) continue;
      lastX = x, lastY = y;
      const bool inPicture = x >= left && x < left + 72 && y >= top && y < top + 104;
      run = inPicture && z.screen.textPixel(x, y) == TextPixel::Black ? run + 1 : 0;
      longest = std::max(longest, run);
    }
    return longest;
  };
  for (int percent = 60; percent <= 115; ++percent) {
    SCOPED_TRACE(percent);
    z.air.rotorRpm = z.air.engineRpm = static_cast<std::uint16_t>(percent);
    rig.frame(0);
    EXPECT_EQ(covered(), 0);
    if (percent % 10 == 0 && percent >= 70 && percent <= 110) {
      // A tick runs five pixels or more; crossing the arc or a figure, four at most.
      EXPECT_GE(longestRun(80, 2 * z.gauges.rotorNeedle), 5) << "rotor";
      EXPECT_GE(longestRun(180, 2 * z.gauges.engineNeedle), 5) << "engine";
    }
  }
}

TEST(EngineGauges, ZeroScalesAndCapacitiesGiveEmptyBars) {
  // A first run without e2.rom: every limit, scale and capacity is 0.
  EngineRig rig;
  Instrument& z = rig.z;
  z.engine.fuelFlow = 1500;
  z.air.tank1Contents = 20;
  z.engine.oilPressure = 40;
  z.engine.coolantTemperature = 90;
  z.air.fuelPressure = 30;
  z.air.engineRpm = 3000;
  const std::pair<int, std::uint8_t> places[] = {{6, 20}, {7, 50}, {9, 80}, {11, 110}, {13, 140}};
  for (auto [item, row] : places) rig.show(item, 0, 0, 10, row);
  rig.show(5, 0, 1, 30, 10);
  redrawPage(z);
  rig.frame(0);
  for (auto [item, row] : places)
    EXPECT_TRUE(textCellMatches(z.screen, 11, row + 2, barCells(0), false)) << item;
  EXPECT_TRUE(textCellMatches(z.screen, 31, 12, barCells(0), false));
  z.settings.oilPressureScale = 100;
  redrawPage(z);  // the bar scale is derived apart from the sender setting
  EXPECT_EQ(z.settings.oilPressureScale, 100);
}

// On the running firmware: the engine unit's coolant input is moved past the
// limit, the lamp blinks, and a key press acknowledges the alarm.
TEST(EngineGauges, AlarmLampBlinksUntilAKeyAcknowledgesIt) {
  VirtualHost::Options options;
  options.loadFiles = false;
  VirtualHost host(options);
  Instrument& z = host.instrument();
  buildImageFromDefaults(z, true);
  loadAllSettings(z);
  z.settings.alarmEnables = alarm::CoolantHigh;
  z.settings.itemOptions[9] = 0x11;
  saveAllSettings(z);
  z.sim.engineUnitOn = true;
  z.sim.engineBars[12] = 1000;       // coolant sender: about 32 C
  host.setEngineBar(6000, 13, 100);  // past 100 C
  host.clickKey(10000, key_bit::Next);
  host.closeAt(13000);
  host.run();

  int litBefore = 0, litBlinking = 0, litAfter = 0;
  for (auto [ms, lit] : host.alarmLedHistory()) {
    if (!lit) continue;
    if (ms > 5000 && ms < 6000) ++litBefore;
    if (ms > 6000 && ms < 10000) ++litBlinking;
    if (ms > 10200) ++litAfter;
  }
  EXPECT_EQ(litBefore, 0);
  EXPECT_GE(litBlinking, 2);
  EXPECT_EQ(litAfter, 0);
  EXPECT_FALSE(host.alarmLed());
  EXPECT_EQ(z.main.activeAlarms, alarm::CoolantHigh);
  EXPECT_EQ(z.main.newAlarms, 0);
}

}  // namespace
}  // namespace zen
