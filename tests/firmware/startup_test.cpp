// Switching the instrument on: welcome screen, clock-held values, first-start
// keys and the main loop's own keys, on the deterministic host.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "firmware/core/firmware.h"
#include "firmware/core/keys.h"
#include "firmware/core/settings_store.h"
#include "hardware/glyphs.h"
#include "sim/virtual_host.h"
#include "support/screen_probe.h"
#include "support/test_files.h"

namespace zen {
namespace {

using test::readBytes;
using test::textCellMatches;

using namespace key_bit;

TEST(Startup, WelcomeScreenShowsTextsAtTheirRows) {
  VirtualHost host;
  bool checked = false;
  host.at(1500, [&] {
    const Screen& s = host.instrument().screen;
    EXPECT_TRUE(textCellMatches(s, 4, 20 * 8, "Ensure correct operation of all", false));
    EXPECT_TRUE(textCellMatches(s, 2, 21 * 8, "indicators before commencing flight", false));
    EXPECT_TRUE(textCellMatches(s, 0, 26 * 8, "Firmware: 260607X", true));
    checked = true;
  });
  host.closeAt(1600);
  host.run();
  EXPECT_TRUE(checked);
}

TEST(Startup, WelcomeScreenShowsUnitIdentificationAndRegistration) {
  VirtualHost host;
  Instrument& z = host.instrument();
  buildImageFromDefaults(z, true);  // registration "ZX-ABC"
  bool checked = false;
  host.at(1500, [&] {
    EXPECT_TRUE(textCellMatches(z.screen, 0, 28 * 8, std::string(UnitIdentText) + " ZX-ABC", true));
    checked = true;
  });
  host.closeAt(1600);
  host.run();
  EXPECT_TRUE(checked);
}

TEST(Startup, BlankPauseThenLogoBeforeTheWelcomeTexts) {
  VirtualHost host;
  bool blankChecked = false;
  host.at(250, [&] {
    EXPECT_EQ(test::ink(host.instrument().screen), 0);
    blankChecked = true;
  });
  host.at(1000, [&] {
    const Screen& s = host.instrument().screen;
    int logoInk = 0;
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < ScreenWidth; ++x) logoInk += s.compositePixel(x, y);
    EXPECT_GT(logoInk, 500);
  });
  host.closeAt(1100);
  host.run();
  EXPECT_TRUE(blankChecked);
}

TEST(Startup, BacklightFollowsItsSettingOnlyBelowDisplayMode2) {
  struct Case {
    std::uint8_t displayMode;
    std::uint8_t backlightLevel;
  };
  for (const Case c : {Case{0, 77}, Case{1, 77}, Case{2, 255}, Case{3, 255}}) {
    VirtualHost host;
    Instrument& z = host.instrument();
    z.e2.bytes[SettingsItemTable[10].address] = 77;
    z.e2.bytes[SettingsItemTable[22].address] = c.displayMode;
    int level = -1;
    host.at(700, [&] { level = z.display.backlightLevel; });
    host.closeAt(800);
    host.run();
    EXPECT_EQ(level, c.backlightLevel) << "display mode " << int(c.displayMode);
  }
}

struct QnhCase {
  std::uint16_t stored;
  std::uint16_t expected;
};

class StartupQnh : public ::testing::TestWithParam<QnhCase> {};

// Whatever the keys can set is kept; anything else falls back to 1013 hPa,
// and a flight in progress goes on either way.
TEST_P(StartupQnh, KeysRangeIsKeptAndAFlightGoesOn) {
  VirtualHost host;
  Instrument& z = host.instrument();
  z.rtc.bytes[32] = static_cast<std::uint8_t>(GetParam().stored & 0xFF);
  z.rtc.bytes[33] = static_cast<std::uint8_t>(GetParam().stored >> 8);
  z.rtc.bytes[34] = 1;  // in flight
  host.closeAt(3000);
  host.run();
  EXPECT_EQ(std::uint16_t{z.time.qnh.qnhX8}, GetParam().expected);
  const std::uint16_t inClock = static_cast<std::uint16_t>(z.rtc.bytes[32] | (z.rtc.bytes[33] << 8));
  EXPECT_EQ(inClock, GetParam().expected);
  EXPECT_EQ(z.time.qnh.inFlight, 1);
  EXPECT_EQ(z.rtc.bytes[34], 1);
}

INSTANTIATE_TEST_SUITE_P(Limits, StartupQnh,
                         ::testing::Values(QnhCase{7679, 8104}, QnhCase{7680, 7680}, QnhCase{8479, 8479},
                                           QnhCase{8480, 8480}, QnhCase{8481, 8104}, QnhCase{0, 8104}));

// Stopped after the log took a flight but before the clock memory learnt it
// ended: the next start does not carry that flight on to log it twice.
TEST(Startup, AFlightAlreadyLoggedIsNotCarriedOn) {
  for (const bool logged : {true, false}) {
    VirtualHost host;
    Instrument& z = host.instrument();
    buildImageFromDefaults(z, true);
    const FlightRecord flight{8, 12, 9, 40, 25, 0, 110, 3000, 0};
    for (int offset : {clock_offset::FlightRecordA, clock_offset::FlightRecordB})
      writeClock(z, &flight, static_cast<std::size_t>(offset), sizeof flight);
    const QnhBlock qnh{QnhStandard, 1, 0, 0};
    writeClock(z, &qnh, clock_offset::QnhBlock, sizeof qnh);
    const std::uint8_t record[17] = {8,         12, 9, 40, 25, 0, 110, 0,   3000 & 0xFF,
                                     3000 >> 8, 0,  0, 0,  1,  0, 0,   0xFF};
    if (logged) z.e2.write(768, record);
    host.closeAt(3000);
    host.run();
    EXPECT_EQ(z.time.qnh.inFlight, logged ? 0 : 1) << "logged " << logged;
    EXPECT_EQ(z.rtc.bytes[clock_offset::QnhBlock + 2], logged ? 0 : 1) << "logged " << logged;
  }
}

TEST(Startup, BothBottomLeftKeysHeldDuringWelcomeSelectExtendedSetup) {
  VirtualHost host;
  host.pressKey(1000, Up);
  host.pressKey(1000, Down);
  host.releaseKey(2000, Up);
  host.releaseKey(2000, Down);
  host.closeAt(3500);
  host.run();
  EXPECT_EQ(host.instrument().tick.extendedSetup, 1);
}

TEST(Startup, OneBottomLeftKeyIsNotEnough) {
  for (int bit : {Up, Down}) {
    VirtualHost host;
    host.pressKey(1000, bit);
    host.releaseKey(2000, bit);
    host.closeAt(3500);
    host.run();
    EXPECT_EQ(host.instrument().tick.extendedSetup, 0) << "key bit " << bit;
  }
}

TEST(Startup, KeysPressedBeforeTheWelcomeDoNotCount) {
  VirtualHost host;
  host.pressKey(100, Up);  // during the blank pause, released before the wait
  host.pressKey(100, Down);
  host.releaseKey(400, Up);
  host.releaseKey(400, Down);
  host.closeAt(3500);
  host.run();
  EXPECT_EQ(host.instrument().tick.extendedSetup, 0);
}

TEST(MainLoop, SelectTogglesThePage) {
  VirtualHost host;
  std::vector<int> pages;
  host.clickKey(3500, Select);
  host.at(3800, [&] { pages.push_back(host.instrument().main.activePage); });
  host.clickKey(4000, Select);
  host.at(4300, [&] { pages.push_back(host.instrument().main.activePage); });
  host.closeAt(4500);
  host.run();
  EXPECT_EQ(pages, (std::vector<int>{1, 0}));
}

struct LevelCase {
  std::int32_t pitch;
  std::int32_t afterFirst;
};

class Levelling : public ::testing::TestWithParam<LevelCase> {};

TEST_P(Levelling, PrevLevelsSmallPitchAndSecondPressClears) {
  VirtualHost host;
  Instrument& z = host.instrument();
  z.attitude.pitch = GetParam().pitch;
  std::vector<std::int32_t> offsets;
  host.clickKey(3500, Prev);
  host.at(3800, [&] {
    offsets.push_back(z.main.pitchOffset);
    EXPECT_EQ(z.attitude.lastDrawnMarker, 255);
  });
  host.clickKey(4000, Prev);
  host.at(4300, [&] { offsets.push_back(z.main.pitchOffset); });
  host.closeAt(4500);
  host.run();
  // A second press clears an offset; without one it tries to level again.
  const std::int32_t second = GetParam().afterFirst != 0 ? 0 : GetParam().afterFirst;
  EXPECT_EQ(offsets, (std::vector<std::int32_t>{GetParam().afterFirst, second}));
}

INSTANTIATE_TEST_SUITE_P(PitchLimits, Levelling,
                         ::testing::Values(LevelCase{8, 8}, LevelCase{-8, -8}, LevelCase{9, 0},
                                           LevelCase{-9, 0}));

TEST(MainLoop, NextDoesNothingAndTheBottomLeftKeysOnlyMoveTheContrast) {
  VirtualHost host;
  Instrument& z = host.instrument();
  z.attitude.pitch = 5;  // would be taken as a levelling offset by a misrouted key
  struct Seen {
    int page;
    std::int32_t pitchOffset;
    int contrast;
  };
  std::vector<Seen> seen;
  auto look = [&] { seen.push_back({z.main.activePage, z.main.pitchOffset, z.display.contrast}); };
  host.at(3400, look);
  host.clickKey(3500, Next);
  host.at(3800, look);
  host.clickKey(4000, Down);
  host.at(4300, look);
  host.clickKey(4500, Up);
  host.at(4800, look);
  host.closeAt(5000);
  host.run();
  ASSERT_EQ(seen.size(), 4u);
  for (const Seen& s : seen) {
    EXPECT_EQ(s.page, 0);
    EXPECT_EQ(s.pitchOffset, 0);
  }
  // An empty clock memory starts at the lowest contrast, 44.
  EXPECT_EQ(seen[1].contrast, 44);
  EXPECT_EQ(seen[2].contrast, 45);
  EXPECT_EQ(seen[3].contrast, 44);
}

TEST(MainLoop, MenuKeyComesBackWithTheMenusClosed) {
  VirtualHost host;
  Instrument& z = host.instrument();
  host.at(3400, [&] { z.main.closeMenus = 1; });
  host.clickKey(3500, Menu);
  std::uint8_t closeMenus = 1;
  host.at(3800, [&] { closeMenus = z.main.closeMenus; });
  host.closeAt(4000);
  host.run();
  EXPECT_EQ(closeMenus, 0);
  EXPECT_EQ(z.main.activePage, 0);
}

TEST(MainLoop, DesignModeTakesSelectAsAStyleChangeNotAPageToggle) {
  VirtualHost host;
  Instrument& z = host.instrument();
  buildImageFromDefaults(z, true);  // item 0 shown on page 1 in style 3
  host.at(3400, [&] {
    z.main.designMode = 1;
    z.main.selectedItem = 0;
    z.main.lastSelectedItem = 0xFF;
  });
  host.clickKey(3500, Select);
  int page = -1;
  int style = -1;
  host.at(3800, [&] {
    page = z.main.activePage;
    style = (z.settings.itemOptions[0] >> 1) & 7;
  });
  host.closeAt(4000);
  host.run();
  EXPECT_EQ(page, 0);
  EXPECT_EQ(style, 4);
}

TEST(MainLoop, AnyKeyAcknowledgesAlarms) {
  VirtualHost host;
  Instrument& z = host.instrument();
  host.at(3400, [&] { z.main.newAlarms = 3; });
  host.clickKey(3500, Select);
  host.closeAt(4000);
  host.run();
  EXPECT_EQ(z.main.newAlarms, 0);
  EXPECT_FALSE(host.alarmLed());
}

TEST(Startup, AlarmLampLitForTheWelcomeAndDarkAfter) {
  VirtualHost host;
  host.closeAt(4000);
  host.run();
  const auto& history = host.alarmLedHistory();
  ASSERT_GE(history.size(), 2u);
  EXPECT_TRUE(history.front().second);
  EXPECT_LT(history.front().first, 1000.0);
  EXPECT_FALSE(history.back().second);
  EXPECT_FALSE(host.alarmLed());
}

TEST(Shutdown, CloseDuringStartupEndsPromptlyAndWritesTheClock) {
  for (double closeAt : {200.0, 1500.0}) {
    VirtualHost host;
    host.instrument().rtc.bytes[200] = 0x5A;
    host.closeAt(closeAt);
    host.run();
    EXPECT_LT(host.nowMs(), closeAt + 600) << "closed at " << closeAt;
    const auto saved = readBytes(host.programFolder() / "RTC.ram");
    ASSERT_EQ(saved.size(), 256u);
    EXPECT_EQ(saved[200], 0x5A);
  }
}

TEST(Shutdown, CloseWhilePanelShowsEndsWithinHalfASecond) {
  VirtualHost host;
  host.closeAt(5000);
  host.run();
  EXPECT_LT(host.nowMs(), 5000 + 520);
  EXPECT_TRUE(std::filesystem::exists(host.programFolder() / "RTC.ram"));
}

// A close just before a whole second: stopping must not run the firmware on
// into that second, which would add time to every running timer.
TEST(Shutdown, CloseAddsNoTimeToTheTimers) {
  VirtualHost host;
  Instrument& z = host.instrument();
  buildImageFromDefaults(z, true);
  z.rtc.bytes[32] = QnhStandard & 0xFF;
  z.rtc.bytes[33] = QnhStandard >> 8;
  z.rtc.bytes[34] = 1;  // in flight
  host.switchEngineUnit(0, true);
  host.setEngineBar(0, 20, 52);     // about 3000 rpm: engine time counts
  host.setPressureBar(0, 2, 3000);  // about 100 mph: the air distance grows
  struct Timers {
    int flightSeconds, flightMinutes, engineSeconds, engineMinutes;
    std::uint32_t airDistance;
    bool operator==(const Timers&) const = default;
  };
  auto timers = [&] {
    const Timekeeping& t = z.time;
    return Timers{t.flightSeconds, t.flight.minutes, t.engineSeconds, t.engineHours.minutes,
                  t.trip.flightTotal};
  };
  Timers atClose{};
  std::vector<std::uint8_t> clockAtClose;
  host.at(70990, [&] {
    atClose = timers();
    clockAtClose.assign(z.rtc.bytes.begin(), z.rtc.bytes.end());
  });
  host.closeAt(70990);
  host.run();
  ASSERT_GT(atClose.flightMinutes, 0);
  ASSERT_GT(atClose.engineMinutes, 0);
  ASSERT_GT(atClose.airDistance, 0u);
  EXPECT_TRUE(timers() == atClose);
  EXPECT_EQ(readBytes(host.programFolder() / "RTC.ram"), clockAtClose);
}

TEST(Shutdown, CloseBeforeSwitchOnWritesTheClock) {
  VirtualHost host;
  host.closeAt(100);
  host.advance(200);
  EXPECT_TRUE(host.closed());
  EXPECT_TRUE(std::filesystem::exists(host.programFolder() / "RTC.ram"));
  // Switching on after the close does not start the firmware any more.
  host.run();
  EXPECT_EQ(host.instrument().tick.warmStartMarker, 0);
}

TEST(Shutdown, SwitchOnHappensOncePerRun) {
  VirtualHost host;
  host.closeAt(3000);
  host.run();
  const std::uint64_t yields = host.yieldCount();
  host.run();
  EXPECT_EQ(host.yieldCount(), yields);
}

TEST(Tick, HalfSecondWorkEveryTwentyTicks) {
  VirtualHost host;
  Instrument& z = host.instrument();
  z.engine.engineUnitAlive = 2;
  z.attitude.attitudeAlive = 1;
  z.attitude.attitudeSensorOn = 1;
  host.advance(19 * 25);
  EXPECT_EQ(z.tick.halfSecondCount, 0);
  host.advance(25);
  EXPECT_EQ(z.tick.halfSecondCount, 1);
  EXPECT_EQ(z.tick.leaveMainLoop, 1);
  EXPECT_EQ(z.tick.secondPhase, 1);
  EXPECT_EQ(z.tick.oneSecondFlag, 0);
  EXPECT_EQ(z.engine.engineUnitAlive, 1);
  EXPECT_EQ(z.attitude.attitudeSensorOn, 1);
  host.advance(500);
  EXPECT_EQ(z.tick.oneSecondFlag, 1);
  EXPECT_EQ(z.tick.secondPhase, 0);
  host.advance(500);
  // attitudeAlive ran out on the previous half second; now the sensor is off.
  EXPECT_EQ(z.attitude.attitudeSensorOn, 0);
  EXPECT_EQ(z.engine.engineFrameAge, 60);
}

}  // namespace
}  // namespace zen
