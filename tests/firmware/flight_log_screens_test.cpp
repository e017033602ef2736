// The flight log viewer and the aircraft setup screen, and a flight flown
// on the simulator read back from its log after a restart.
#include "firmware/menus/flight_log_screens.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "firmware/core/flight_log.h"
#include "firmware/core/option_bits.h"
#include "firmware/core/utilities.h"
#include "tests/firmware/menu_rig.h"
#include "tests/support/temporary_folder.h"

namespace zen {
namespace {

using test::MenuRig;

constexpr int StaticBar = 1, PitotBar = 2;
// Bar positions for a static reading (4095 - counts) and an airspeed: the
// pitot counts above the zero of 500 are mph^2 / 20.
constexpr std::uint16_t staticBar(int counts) { return static_cast<std::uint16_t>(4095 - counts); }
constexpr std::uint16_t pitotBar(int mph) {
  return static_cast<std::uint16_t>(4095 - 500 - mph * mph / 20 - 5);
}

std::string twoDigits(int v) { return (v < 10 ? "0" : "") + std::to_string(v); }

// Flown by hand across a restart: the first run closes in flight when one
// clock copy of the flight record holds minute 1 and the other minute 2; the
// second run ends the flight a minute later; the third reads the log again.
TEST(FlightLogScreens, AFlightAcrossARestartKeepsItsTimeAndMaximaInTheLog) {
  test::TemporaryFolder folder;
  std::string takeoff, maxima;
  int minutesAfterRestart = -1;
  for (int run = 0; run < 3; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    MenuRig rig(MenuRig::Start::Panel, 20, folder.path());
    rig.host.setPressureBar(0, StaticBar, staticBar(3346));  // 0 ft
    rig.host.setPressureBar(0, PitotBar, pitotBar(100));
    if (run == 0) {
      rig.z.e2.bytes[SettingsItemTable[7].address] &= ~(1u << option::AutoFlightDetect);
      rig.keys("M N ++ P S M");  // pilot 3, then the flight starts
      const LocalTime start = VirtualHost::Options{}.startTime;
      takeoff = "T/O: " + twoDigits(start.day) + "/" + twoDigits(start.month) + " " + twoDigits(start.hour) +
                ":" + twoDigits(start.minute + static_cast<int>(rig.t / 60000)) + " 00:03";
      rig.wait(20000);
      rig.host.setPressureBar(rig.t, StaticBar, staticBar(3213));  // 998 ft
      rig.host.setPressureBar(rig.t, PitotBar, pitotBar(120));
      rig.wait(20000);
      rig.host.setPressureBar(rig.t, StaticBar, staticBar(3346));
      rig.host.setPressureBar(rig.t, PitotBar, pitotBar(100));
      rig.wait(110000).run(0);
      continue;
    }
    if (run == 1) {
      const auto& ram = rig.z.rtc.bytes;  // as loaded from RTC.ram
      EXPECT_EQ(ram[clock_offset::FlightRecordA + 4] + ram[clock_offset::FlightRecordB + 4], 3);
      rig.host.at(rig.t, [&] { minutesAfterRestart = rig.z.time.flight.minutes; });
      rig.wait(61000).keys("M S M");  // a minute more, and the flight ends
    }
    const int log = rig.keys("M NN S").capture(false);
    rig.run();
    maxima = "Alt:998" + std::string(1, static_cast<char>(altitudeUnitSymbol(rig.z))) + " SPD:120" +
             std::string(1, static_cast<char>(speedUnitSymbol(rig.z))) + " Hobbs 0000:00 PC3";
    EXPECT_EQ(minutesAfterRestart, 2);
    EXPECT_EQ(rig.shot(log).row(0), takeoff);
    EXPECT_EQ(rig.shot(log).row(1), maxima);
    EXPECT_EQ(rig.shot(log).row(29), "       Next/Prev to page the log");
  }
}

// Records of 1 h 30 min, 1000 ft, 80 mph and Hobbs 102:15, no pilot; the
// takeoff day tells the slots apart.
TEST(FlightLogScreens, ViewerPagesThroughTheRingAndSkipsEmptyPages) {
  struct Case {
    std::initializer_list<int> slots;
    std::string keys;
    bool decimals;
    std::string row0;
  };
  const Case cases[] = {
      {{0}, "", false, "T/O: 01/06 09:05 01:30"},
      {{0}, "", true, "T/O: 01/06 09:05 01.50"},
      {{0}, "N", false, "T/O: 01/06 09:05 01:30"},               // the older page is empty: not shown
      {{0, 1, 200, 207}, "N", false, "T/O: 05/06 09:05 01:30"},  // older flights at the end of the ring
      {{0, 1, 200, 207}, "N P", false, "T/O: 01/06 09:05 01:30"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("keys " + c.keys);
    MenuRig rig(MenuRig::Start::Bare);
    if (c.decimals) rig.z.e2.bytes[SettingsItemTable[7].address + 1] |= 1u << (option::HourDecimals - 8);
    for (int k : c.slots) {
      const std::uint8_t r[16] = {
          static_cast<std::uint8_t>(1 + k % 28), 6, 9, 5, 30, 1, 80, 0, 0xE8, 3, 15, 2, 1};
      rig.z.e2.write(flight_log::FirstSlot + flight_log::SlotSize * k, r);
    }
    const int shot = rig.keys(c.keys).wait(500).capture(false);
    rig.runBare([&] { viewFlightLog(rig.z); });
    EXPECT_EQ(rig.shot(shot).row(0), c.row0);
    EXPECT_EQ(rig.shot(shot).row(1),
              std::string("Alt:1000\x9e SPD:80\x9f Hobbs 0102") + (c.decimals ? ".25" : ":15"));
  }
}

TEST(FlightLogScreens, AnEmptyLogSaysSoForThreeAndAHalfSeconds) {
  for (const std::uint8_t blank : {0xFF, 0x00}) {  // erased, or a new program folder's image
    SCOPED_TRACE(int(blank));
    MenuRig rig(MenuRig::Start::Bare);
    std::fill(rig.z.e2.bytes.begin() + flight_log::FirstSlot, rig.z.e2.bytes.end(), blank);
    const int shot = rig.wait(3000).capture(false);
    double returnedAt = 0;
    rig.runBare([&] {
      viewFlightLog(rig.z);
      returnedAt = rig.host.nowMs();
    });
    EXPECT_EQ(rig.shot(shot).row(14), "            No flights logged");
    EXPECT_NEAR(returnedAt, 3500, 500);
    EXPECT_EQ(rig.z.main.redrawRequest, 1);  // the menu below is drawn again
  }
}

TEST(AircraftSetup, FieldsReachTheClockTheEngineHoursAndTheRegistration) {
  struct Case {
    std::string keys;
    std::array<std::uint8_t, 4> clock;  // registers 3..6 (minute to month) once the screen is left
    std::uint8_t hobbsHours, serviceHours;
    std::string registration;
  };
  // Started on 8 Dec 2026 at 10:30 (year bits 2); the registration is "ZX-ABC".
  const Case cases[] = {
      {"N + M", {0x30, 0x10, 0x88, 0x01}, 0, 0, "ZX-ABC"},  // December wraps to January
      {"+ M", {0x30, 0x10, 0xC8, 0x12}, 0, 0, "ZX-ABC"},    // 2027: year bits 3
      {"NNNN - M", {0x29, 0x10, 0x88, 0x12}, 0, 0, "ZX-ABC"},
      {"S N + M", {0x30, 0x10, 0x88, 0x12}, 1, 0, "ZX-ABC"},  // Select: first Hobbs field
      {"S S + + M", {0x30, 0x10, 0x88, 0x12}, 0, 2, "ZX-ABC"},
      {"S S S NNN - M", {0x30, 0x10, 0x88, 0x12}, 0, 0, "ZX-@BC"},
      {"S S S S + M", {0x30, 0x10, 0xC8, 0x12}, 0, 0, "ZX-ABC"},  // Select: back to the year
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("keys " + c.keys);
    MenuRig rig(MenuRig::Start::Bare);
    rig.keys(c.keys);
    rig.runBare([&] {
      aircraftSetup(rig.z);
      std::uint8_t registers[7];
      readClock(rig.z, registers, 0, sizeof registers);  // the chip runs on from the time set
    });
    const Instrument& z = rig.z;
    EXPECT_EQ((std::array<std::uint8_t, 4>{z.rtc.bytes[3], z.rtc.bytes[4], z.rtc.bytes[5], z.rtc.bytes[6]}),
              c.clock);
    EXPECT_EQ(z.rtc.bytes[clock_offset::EngineHoursA + 1], c.hobbsHours);
    EXPECT_EQ(z.rtc.bytes[clock_offset::EngineHoursB + 4], c.serviceHours);
    const std::size_t reg = SettingsItemTable[settings_item::Registration].address;
    EXPECT_EQ(std::string(z.e2.bytes.begin() + reg + 1, z.e2.bytes.begin() + reg + 7), c.registration);
  }
}

TEST(AircraftSetup, DayWrapsAtTheMonthsEndAndATimeOutKeepsTheRegistration) {
  MenuRig rig(MenuRig::Start::Bare, 200);
  rig.keys("N N +").wait(105000);  // 28 Feb + 1: the 1st; then idle
  rig.runBare([&] {
    rig.z.settings.registration.chars[0] = 'Q';  // shown, but never saved
    setClockTime(rig.z, {2027, 2, 28, 9, 0, 0});
    aircraftSetup(rig.z);
  });
  EXPECT_EQ(rig.z.rtc.bytes[5] & 0x3F, 0x01);
  EXPECT_EQ(rig.z.rtc.bytes[6], 0x02);
  EXPECT_EQ(rig.z.e2.bytes[SettingsItemTable[settings_item::Registration].address + 1], 'Z');
}

// The bracket encloses the characters that "+" changes.
TEST(AircraftSetup, TheBracketEnclosesTheFieldTheKeysChange) {
  struct Case {
    std::string keys;  // from the year to the field
    int row;
  };
  const Case cases[] = {{"", 4},    {"S", 6},      {"S N", 6},      {"S N N", 6},
                        {"S S", 8}, {"S S S", 10}, {"S S S N", 10}, {"S S S NNNNN", 10}};
  for (const Case& c : cases) {
    SCOPED_TRACE("keys " + c.keys);
    MenuRig rig(MenuRig::Start::Bare);
    std::vector<int> edges;
    std::vector<bool> before, after;
    auto textRow = [&](std::vector<bool>& out) {
      for (int y = 8 * c.row; y < 8 * c.row + 16; ++y)
        for (int x = 0; x < 320; ++x) out.push_back(rig.z.screen.textPixel(x, y) == TextPixel::Black);
    };
    rig.keys(c.keys).wait(50);
    rig.host.at(rig.t, [&] {
      for (int x = 0; x < 320; ++x)
        if (rig.z.screen.graphicsPixel(x, 8 * c.row + 4) == GraphicsPixel::Black) edges.push_back(x);
      textRow(before);
    });
    rig.keys("+").wait(50);
    rig.host.at(rig.t, [&] { textRow(after); });
    rig.keys("M");
    rig.runBare([&] { aircraftSetup(rig.z); });
    ASSERT_EQ(edges.size(), 2u);
    int changed = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
      if (before[i] == after[i]) continue;
      ++changed;
      EXPECT_GT(static_cast<int>(i % 320), edges[0]);
      EXPECT_LT(static_cast<int>(i % 320), edges[1]);
    }
    EXPECT_GT(changed, 0);
  }
}

}  // namespace
}  // namespace zen
