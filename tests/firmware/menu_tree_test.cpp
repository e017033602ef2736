// The menu tree on the switched-on instrument: Menu from the panel, walking
// down and back, the extended setup's extra entry, design mode from the
// menus, and the settings the openers save.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "firmware/core/option_bits.h"
#include "firmware/core/timekeeping.h"
#include "tests/firmware/menu_rig.h"
#include "tests/support/temporary_folder.h"
#include "tests/support/test_files.h"

namespace zen {
namespace {

using test::MenuRig;
using test::trimmed;

struct WalkCase {
  std::string keys;
  int textRow;
  std::string text;  // without the blanks around it
  bool extended = false;
};

TEST(MenuTree, WalkingTheTreeShowsEachMenu) {
  const WalkCase cases[] = {
      {"M", 0, "Main Menu"},
      {"M", 26, "System setup"},
      {"M P S", 0, "System setup"},
      {"M P S P", 26, "Probe trouble shooter"},
      {"M P S P", 26, "Technical items", true},
      {"M P S M", 0, "Main Menu"},  // the parent is redrawn, not closed
      {"M P S S", 0, "Mode setup menu"},
      {"M P S N S", 0, "Basic Device setup"},
      {"M P S NNNN S", 0, "Primary flight selection"},
      {"M P S NNNN S", 8, "Hide all primary"},
      {"M P S NNNNNN S", 0, "Engine monitor setup"},
      {"M P S NNNNNNN S", 0, "Rotor craft setup"},
      {"M P S NNNNNNNNN S", 0, "Sender type selection"},
      {"M P S NNNNNNNNNNNN S", 0, "Calibration Menu"},
      {"M PPP S", 0, "Horizon and Compass setup"},
      {"M PPP S S", 0, "Horizon setup"},
      {"M PPP S S", 12, "SV-5 Turnrate  Bank"},
      {"M PPP S N S", 0, "Compass setup"},
      {"M PPP S N S", 6, "Local Variation:        0W"},
      {"M P S NNN S", 0, "Screen items enable"},
      {"M PP S", 0, "Aircraft setup"},
      {"M PP S M", 0, "Main Menu"},
      {"M NNNNNN", 16, "StopWatch Start-press +, Zero-press -"},
      {"M NNNNNN +", 16, "StopWatch Stop-press +, Zero-press -"},
  };
  for (const WalkCase& c : cases) {
    SCOPED_TRACE("keys " + c.keys + (c.extended ? " (extended setup)" : ""));
    MenuRig rig;
    rig.z.tick.extendedSetup = c.extended;
    const int shot = rig.keys(c.keys).capture();
    rig.run();
    EXPECT_EQ(trimmed(rig.shot(shot).row(c.textRow)), c.text);
  }
}

TEST(MenuTree, MenuKeysReturnToThePanelAndMoveScreenItemsStartsDesignMode) {
  MenuRig rig;
  const int panel = rig.keys("M P S M M").wait(600).capture();
  const int design = rig.keys("M P S NN S").wait(600).capture();
  rig.run();
  EXPECT_NE(trimmed(rig.shot(panel).row(0)), "Main Menu");
  EXPECT_NE(trimmed(rig.shot(design).row(0)), "System setup");
  EXPECT_EQ(rig.z.main.designMode, 1);
  EXPECT_EQ(rig.z.main.closeMenus, 0);
}

struct SaveCase {
  std::string keys;
  int item;
  std::vector<std::uint8_t> bytes;  // of the item in e2.rom once its opener returned
};

TEST(MenuTree, OpenersSaveWhatTheirMenusChanged) {
  const SaveCase cases[] = {
      {"M N + + M", 34, {3}},
      {"M N - M", 34, {1}},                       // pilot 1 is the lowest
      {"M PPP S N S N S + + + M", 33, {3, 0}},    // local variation 3 W
      {"M PPP S N S N S - M", 33, {0xFF, 0xFF}},  // 1 E
      {"M PPP S N S S M", 7, {0xFF, 0xD2}},       // heading mode True: bit 12 set
  };
  for (const SaveCase& c : cases) {
    SCOPED_TRACE("keys " + c.keys);
    MenuRig rig;
    rig.keys(c.keys);
    rig.run();
    const auto file = test::readBytes(rig.host.programFolder() / "e2.rom");
    ASSERT_EQ(file.size(), 4096u);
    const std::size_t address = SettingsItemTable[c.item].address;
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + address, file.begin() + address + c.bytes.size()),
              c.bytes);
  }
}

TEST(MenuTree, TakeoffLineFollowsTheRunWithoutAKey) {
  MenuRig rig;
  constexpr int PitotBar = 2;
  rig.host.setPressureBar(0, PitotBar, 4095);  // no airspeed
  const int armed = rig.keys("M NNNNNNNN S").capture();
  rig.host.setPressureBar(rig.t, PitotBar, 3000);
  const int rolling = rig.wait(1500).capture();
  rig.run();
  EXPECT_EQ(trimmed(rig.shot(armed).line(8)), "Start your takeoff run...");
  EXPECT_EQ(trimmed(rig.shot(rolling).line(8)), "Rolling...");
}

TEST(MenuTree, FlightLineStartsAndEndsAFlightUnlessDetectedAutomatically) {
  for (bool automatic : {false, true}) {
    SCOPED_TRACE(automatic ? "automatic" : "manual");
    MenuRig rig;
    if (!automatic) rig.z.e2.bytes[SettingsItemTable[7].address] &= ~(1u << option::AutoFlightDetect);
    const int before = rig.keys("M").capture();
    const int after = rig.keys("S").capture();
    rig.run();
    EXPECT_EQ(trimmed(rig.shot(before).line(0)),
              automatic ? "Flight: Autodetect, ground mode" : "Flight: Start Flight, press Select");
    EXPECT_EQ(trimmed(rig.shot(after).line(0)),
              automatic ? "Flight: Autodetect, ground mode" : "Flight: End flight, press Select");
    EXPECT_EQ(rig.z.time.qnh.inFlight, automatic ? 0 : 1);
  }
}

// Closing the window three levels down, in the middle of an edit: the
// program ends at once, no simulated time reaches the timers, and the edit
// that was never confirmed by leaving the menu is not saved.
TEST(MenuTree, ClosingTheWindowInsideAnEditorEndsAtOnceAndSavesNothing) {
  MenuRig rig;
  Instrument& z = rig.z;
  // A flight in progress and a running stopwatch: added time would show on both.
  const std::uint8_t qnhBlock[] = {QnhStandard & 0xFF, QnhStandard >> 8, 1};
  std::memcpy(&z.rtc.bytes[clock_offset::QnhBlock], qnhBlock, sizeof qnhBlock);
  loadAllSettings(z);
  saveAllSettings(z);  // an e2.rom that must stay as it is
  const auto e2Before = test::readBytes(rig.host.programFolder() / "e2.rom");
  rig.keys("M NNNNNN +");   // stopwatch on
  rig.keys("NNNNN S S S");  // System setup, Mode setup, altitude units toggled
  rig.wait(61000);          // a flight minute and more pass in the menu
  struct Timers {
    FlightRecord flight;
    EngineHoursRecord engine;
    std::uint8_t flightSeconds, tripSeconds, tripMinutes;
  } atClose{}, after{};
  auto timersOf = [&] {
    return Timers{z.time.flight, z.time.engineHours, z.time.flightSeconds, z.time.tripSeconds,
                  z.time.tripMinutes};
  };
  const double closeAt = rig.t + 300;
  rig.host.at(closeAt, [&] { atClose = timersOf(); });
  rig.run(300);
  after = timersOf();

  EXPECT_LE(rig.host.nowMs() - closeAt, 1.0);
  EXPECT_EQ(std::memcmp(&atClose, &after, sizeof after), 0);
  EXPECT_EQ(atClose.flight.minutes, 1);  // the timers did run until the close
  EXPECT_GT(atClose.tripMinutes, 0);
  EXPECT_FALSE(z.settings.testOption(option::AltitudeFeet));  // edited in memory only
  EXPECT_EQ(test::readBytes(rig.host.programFolder() / "e2.rom"), e2Before);
  EXPECT_TRUE(std::filesystem::exists(rig.host.programFolder() / "RTC.ram"));
}

// The QNH readout of the default page 1 stands at column 19, pixel row 30.
TEST(MenuTree, ThePanelFollowsAModeSettingThatOutlivesARestart) {
  test::TemporaryFolder folder;
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run == 0 ? "changed" : "after the restart");
    MenuRig rig(MenuRig::Start::Panel, 20, folder.path());
    if (run == 0) rig.keys("M P S S N S M M M");  // Local pressure units: inches Hg
    bool inches = false, millibar = false;
    rig.host.at(rig.t + 600, [&] {
      inches = test::textCellMatches(rig.z.screen, 19, 30, "29.91", false);
      millibar = test::textCellMatches(rig.z.screen, 19, 30, "1013 ", false);
    });
    rig.run(1000);
    EXPECT_TRUE(inches);
    EXPECT_FALSE(millibar);
  }
}

}  // namespace
}  // namespace zen
