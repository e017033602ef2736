// The probe trouble shooter, the technical menu and its factory clear.
#include "firmware/menus/technical_menu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "firmware/core/flight_log.h"
#include "tests/firmware/menu_rig.h"
#include "tests/support/test_files.h"

namespace zen {
namespace {

using test::MenuRig;

// Engine unit window bars of the sensor frame's words 4..7 and 10.
constexpr int OilTempBar = 15, WaterBar = 13, OilPressureBar = 16, Level1Bar = 18, IceBar = 14;

TEST(ProbeTroubleShooter, DiagnosesEachInputAndNoticesTheUnitGoingAway) {
  MenuRig rig(MenuRig::Start::Bare);
  Instrument& z = rig.z;
  z.sim.engineUnitOn = true;
  z.sim.engineBars[WaterBar - 1] = 3;
  z.sim.engineBars[IceBar - 1] = 4;
  z.sim.engineBars[OilTempBar - 1] = 5;
  z.sim.engineBars[OilPressureBar - 1] = 2048;
  z.sim.engineBars[Level1Bar - 1] = 4095;
  const int data = rig.wait(2000).capture(false);
  rig.host.switchEngineUnit(rig.t, false);
  const int gone = rig.wait(4000).capture(false);
  rig.keys("S");
  rig.runBare([&] { probeTroubleShooter(z); });
  const test::Shot& s = rig.shot(data);
  EXPECT_EQ(s.row(0), "Tarvik unit raw data display");
  EXPECT_EQ(s.row(11), "CHT1/H2O =   3 0.00V Short to ground ?");
  EXPECT_EQ(s.row(12), "CHT2/ICE =   4 0.00V Short to ground ?");
  EXPECT_EQ(s.row(13), "OILT     =   5 0.00V");
  EXPECT_EQ(s.row(14), "OILP     =2048 2.50V");
  EXPECT_EQ(s.row(15), "FLEVEL1  =4095 5.00V Nothing connected ?");
  EXPECT_EQ(rig.shot(gone).row(5), "No data received from Tarvik");
  EXPECT_EQ(rig.shot(gone).row(0), "");
  EXPECT_EQ(z.main.keyCode, key::Select);  // left for the menu below
}

TEST(TechnicalMenu, PrevWrapsToFactoryClearAndTheMonitorsShowTheUnitsFrames) {
  MenuRig rig(MenuRig::Start::Bare);
  Instrument& z = rig.z;
  z.sim.engineUnitOn = true;
  z.sim.engineBars[20 - 1] = 0x123;  // rev counter: the unit sends 10 x 0x123
  const int menu = rig.keys("P").capture(false);
  const int monitor = rig.keys("P S").wait(1500).capture(false);
  const int adc = rig.keys("M P S").wait(600).capture(false);
  rig.keys("M M");
  rig.runBare([&] { technicalMenu(z); });
  EXPECT_EQ(rig.shot(menu).row(0), "             Technical menu");
  EXPECT_EQ(rig.shot(menu).row(4), " Factory clear");
  EXPECT_EQ(rig.shot(monitor).row(0), "Tarvik data");
  EXPECT_EQ(rig.shot(monitor).row(1).text.substr(0, 9), "Revs 0B5E");
  EXPECT_EQ(rig.shot(monitor).row(7), "RV 005E0B0000");  // processed: type byte 0, then the field
  EXPECT_EQ(rig.shot(adc).row(0), "ADC data channel 1 to 8");
  EXPECT_EQ(rig.shot(adc).row(3).text.substr(4, 12), "H 0960H 03E8");  // channels 6 and 7: 2400 and 1000
}

// Every image byte differs from 0xFF; a flight is on and the counters run.
TEST(TechnicalMenu, FactoryClearAsksFirstThenClearsTheLogAndCountersOnly) {
  for (bool yes : {false, true}) {
    SCOPED_TRACE(yes ? "yes" : "no");
    MenuRig rig(MenuRig::Start::Bare);
    Instrument& z = rig.z;
    for (std::size_t a = 0; a < SettingsImage::Size; ++a) z.e2.bytes[a] = static_cast<std::uint8_t>(a % 200);
    const SettingsImage before = z.e2;
    z.time.trip = {700, 800, 900, 0};
    z.time.engineHours = {10, 20, 3, 40, 50, 0};
    z.time.qnh.inFlight = 1;
    z.time.flight = {1, 2, 3, 4, 5, 6, 100, 5000, 0};
    z.rtc.bytes.fill(0xAA);                          // shows what was saved
    z.sim.pressureBars = {4095 - 3346, 4095 - 500};  // on the ground at sea level, standing still
    // e2.rom as a folder: every write of the image fails and is reported, so each one is counted.
    std::filesystem::create_directory(rig.host.programFolder() / "e2.rom");
    rig.keys(yes ? "P S + M" : "P S - M");
    rig.runBare([&] { technicalMenu(z); });
    for (std::size_t a = 0; a < SettingsImage::Size; ++a) {
      const bool slotStart = a >= 576 && a % flight_log::SlotSize == 0;
      ASSERT_EQ(z.e2.bytes[a], yes && slotStart ? 0xFF : before.bytes[a]) << "address " << a;
    }
    EXPECT_EQ(rig.host.fileErrors().size(), yes ? 1u : 0u);
    EXPECT_EQ(z.time.engineHours.hours + z.time.engineHours.serviceHours, yes ? 0 : 70);
    // Saved as cleared: both copies of the trip and engine hours records, the
    // flight records' time and maxima, and the flight no longer on.
    using namespace clock_offset;
    for (auto [offset, length] : {std::pair{TripRecordA, 12},
                                  {TripRecordB, 12},
                                  {EngineHoursA, 5},
                                  {EngineHoursB, 5},
                                  {FlightRecordA + 4, 6},
                                  {FlightRecordB + 4, 6},
                                  {clock_offset::QnhBlock + 2, 1}})
      EXPECT_EQ(std::count(&z.rtc.bytes[offset], &z.rtc.bytes[offset + length], 0), yes ? length : 0)
          << offset;
  }
}

}  // namespace
}  // namespace zen
